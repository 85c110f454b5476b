#include "ui/field_delegate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "tables/price_type.h"
#include "ui/cell_validators.h"
#include "text/decimal_separator.h"
#include "ui/table_model.h"

namespace vestok {

TFloatFieldValidator::TFloatFieldValidator(char separator, QObject* parent)
    : QRegularExpressionValidator(parent), separator_(QChar(separator)) {
  // Digits with the user's decimal separator and an optional exponent.
  const QString sep = QRegularExpression::escape(QString(separator_));
  setRegularExpression(
      QRegularExpression(QStringLiteral(R"(\s*[-+]?\d*(%1\d*)?([eE][-+]?\d{0,3})?\s*)").arg(sep)));
}

QValidator::State TFloatFieldValidator::validate(QString& input, int& pos) const {
  // A price typed with the other of the two usual separators ("3,5" where
  // the user's separator is ".") means the same number; dropping the
  // character would silently turn it into 35.
  const QChar other = separator_ == QChar('.') ? QChar(',') : separator_ == QChar(',') ? QChar('.') : QChar();
  if (!other.isNull()) input.replace(other, separator_);
  return QRegularExpressionValidator::validate(input, pos);
}

namespace {

const TTableModel* ModelOf(const QModelIndex& index) {
  return qobject_cast<const TTableModel*>(index.model());
}

}  // namespace

QWidget* TFieldDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
  const TTableModel* model = ModelOf(index);
  if (model == nullptr) return QStyledItemDelegate::createEditor(parent, option, index);

  if (model->IsPriceTypeColumn(index.column())) {
    auto* combo = new TPriceTypeEditor(parent);
    editor_ = combo;
    return combo;
  }

  auto* edit = new QLineEdit(parent);
  edit->setFrame(false);
  const int field = model->FieldOfColumn(index.column());
  const FieldDef& def = model->Table().Fields()[std::size_t(field)];
  switch (def.type) {
    case FieldType::Text:
      edit->setMaxLength(def.width);
      TTextFieldValidator::Attach(*edit, def.width);
      break;
    case FieldType::Integer:
      edit->setValidator(new TIntegerFieldValidator(edit));
      break;
    case FieldType::Float:
      edit->setValidator(new TFloatFieldValidator(UserDecimalSeparator(), edit));
      break;
  }
  editor_ = edit;
  return edit;
}

void TFieldDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const QString text = index.data(Qt::EditRole).toString();
  if (auto* combo = qobject_cast<TPriceTypeEditor*>(editor)) {
    combo->Start(text);
    return;
  }
  if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
    edit->setText(text);
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void TFieldDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* combo = qobject_cast<TPriceTypeEditor*>(editor)) {
    // The editor has picked one of the three texts from what was typed; the
    // model takes only those.
    const QString choice = combo->Choice();
    if (choice != index.data(Qt::EditRole).toString()) model->setData(index, choice, Qt::EditRole);
    return;
  }
  if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
    // An editor closed without a change does not write (and so does not
    // store a record being appended that the user never touched).
    if (edit->isModified()) model->setData(index, edit->text(), Qt::EditRole);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace vestok
