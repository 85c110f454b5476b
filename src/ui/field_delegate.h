#pragma once
// The in-place editors of a grid: a line editor that keeps to the field's type
// and width, and for the items' "Tip pret" column a drop-down list of
// "Fix", "Liber" and "Liber max" in which a text may also be typed.
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>

namespace vestok {

// What a float cell accepts: digits with the user's decimal separator and an
// optional exponent; the other usual separator is taken as the user's.
class TFloatFieldValidator : public QRegularExpressionValidator {
 public:
  TFloatFieldValidator(char separator, QObject* parent);
  State validate(QString& input, int& pos) const override;

 private:
  QChar separator_;
};

class TFieldDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

  // The editor created last, while it exists (the grid commits it before a
  // file action touches the table).
  QWidget* Editor() const { return editor_; }

 private:
  mutable QPointer<QWidget> editor_;
};

}  // namespace vestok
