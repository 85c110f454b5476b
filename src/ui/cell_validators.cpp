#include "ui/cell_validators.h"

#include <QApplication>
#include <QLineEdit>
#include <cstdint>
#include <limits>

#include "tables/price_type.h"
#include "text/cp1250.h"

namespace vestok {

QValidator::State TIntegerFieldValidator::validate(QString& input, int&) const {
  const QString text = input.trimmed();
  qsizetype i = 0;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
  const bool negative = i > 0 && text[0] == QLatin1Char('-');
  if (i == text.size()) return text.isEmpty() ? Acceptable : Intermediate;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!text[i].isDigit() || text[i].unicode() > '9') return Invalid;
    value = value * 10 + (text[i].unicode() - '0');
    const std::int64_t limit =
        negative ? -std::int64_t(std::numeric_limits<std::int32_t>::min()) : std::numeric_limits<std::int32_t>::max();
    if (value > limit) return Invalid;
  }
  return Acceptable;
}

TTextFieldValidator::TTextFieldValidator(int width, QObject* parent) : QValidator(parent), width_(width) {}

bool TTextFieldValidator::Forbidden(QChar c) {
  switch (c.unicode()) {
    case ';':
    case '\r':
    case '\n':
    case 0x06:
    case 0x11:
    case 0x13:
    case '\t':
      return true;
    default:
      break;
  }
  // One UTF-16 unit stands for one character here: half a surrogate pair is
  // never in the code page.
  if (c.isSurrogate()) return true;
  return c != QLatin1Char('?') && UnicodeToCp1250(c.unicode()) == '?';
}

void TTextFieldValidator::Attach(QLineEdit& edit, int width) {
  edit.setValidator(new TTextFieldValidator(width, &edit));
  QObject::connect(&edit, &QLineEdit::inputRejected, &edit, [] { QApplication::beep(); });
}

QValidator::State TTextFieldValidator::validate(QString& input, int&) const {
  if (input.size() > width_) return Invalid;
  for (QChar c : input)
    if (Forbidden(c)) return Invalid;
  return Acceptable;
}

int PriceTypeChoice(const QString& typed) {
  if (typed.isEmpty()) return -1;
  for (std::size_t i = 0; i < kPriceTypeTexts.size(); ++i) {
    const QString choice = QString::fromLatin1(kPriceTypeTexts[i].data(), qsizetype(kPriceTypeTexts[i].size()));
    if (choice.startsWith(typed, Qt::CaseInsensitive)) return int(i);
  }
  return -1;
}

TPriceTypeEditor::TPriceTypeEditor(QWidget* parent) : QComboBox(parent) {
  setObjectName("cbPriceType");
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  // Completion is done here, letter case ignored; Qt's own would fight it.
  setCompleter(nullptr);
  for (std::string_view text : kPriceTypeTexts) addItem(QString::fromLatin1(text.data(), qsizetype(text.size())));
  connect(lineEdit(), &QLineEdit::textEdited, this, &TPriceTypeEditor::OnTextEdited);
}

void TPriceTypeEditor::Start(const QString& text) {
  setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
  setEditText(text);
  lineEdit()->selectAll();
  shown_ = text;
  shownSelection_ = int(text.size());
}

QString TPriceTypeEditor::Choice() const {
  const QString text = currentText();
  for (int i = 0; i < count(); ++i)
    if (itemText(i).compare(text, Qt::CaseInsensitive) == 0) return itemText(i);
  return text;
}

void TPriceTypeEditor::OnTextEdited(const QString& text) {
  QLineEdit* edit = lineEdit();
  // A deletion (Backspace, Delete) keeps what is left as long as some choice
  // still begins with it; typing completes to the first such choice.
  const bool deleted = text.size() <= shown_.size() - shownSelection_;
  const int choice = PriceTypeChoice(text);
  if (text.isEmpty() || (deleted && choice >= 0)) {
    shown_ = text;
    shownSelection_ = 0;
    return;
  }
  if (choice < 0) {
    QApplication::beep();
    const QSignalBlocker quiet(edit);
    edit->setText(shown_);
    edit->setSelection(int(shown_.size()) - shownSelection_, shownSelection_);
    return;
  }
  const QString whole = itemText(choice);
  const QSignalBlocker quiet(edit);
  setCurrentIndex(choice);
  edit->setText(whole);
  edit->setSelection(int(text.size()), int(whole.size() - text.size()));
  shown_ = whole;
  shownSelection_ = int(whole.size() - text.size());
}

}  // namespace vestok
