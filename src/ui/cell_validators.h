#pragma once
// What the grids' cell editors accept while the user types: integers that fit
// 32 bits, texts up to their field's width and without the characters that
// cannot reach a register intact, and the items' price type picked from its
// three texts by what is typed.
#include <QComboBox>
#include <QString>
#include <QValidator>

class QLineEdit;

namespace vestok {

// An integer cell: blanks around an optional sign and digits, and a value that
// fits a 32-bit signed integer. A digit that would leave that range is refused.
class TIntegerFieldValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// A text cell of a table that is uploaded: at most `width` characters and none
// that break a record on the wire (";" separates its fields, CR and LF end a
// line, 0x06, 0x11 and 0x13 steer the link), no TAB, and none that the
// register's code page lacks (a Cyrillic letter would reach it as "?"). The Romanian
// letters with a comma below are taken: they are sent as the cedilla ones.
class TTextFieldValidator : public QValidator {
 public:
  TTextFieldValidator(int width, QObject* parent);
  State validate(QString& input, int& pos) const override;
  static bool Forbidden(QChar c);
  // Gives `edit` the validator and a beep for each keystroke or paste it refuses.
  static void Attach(QLineEdit& edit, int width);

 private:
  int width_;
};

// The index in "Fix", "Liber", "Liber max" of the first text that begins with
// `typed`, letter case ignored; -1 when none does (and for an empty text).
int PriceTypeChoice(const QString& typed);

// The editor of the "Tip pret" column: a drop-down list in which typing picks
// the matching choice and shows it whole, the part beyond the typed text
// selected, as a search box does; a keystroke that matches no choice is
// refused with a beep.
class TPriceTypeEditor : public QComboBox {
  Q_OBJECT
 public:
  explicit TPriceTypeEditor(QWidget* parent = nullptr);
  // Shows `text` with all of it selected, so that the first key typed replaces it.
  void Start(const QString& text);
  // The choice shown: "Fix", "Liber" or "Liber max", or the text as it stands.
  QString Choice() const;

 private:
  void OnTextEdited(const QString& text);
  QString shown_;
  int shownSelection_ = 0;
};

}  // namespace vestok
