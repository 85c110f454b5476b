#pragma once
// Every message box and file dialog of the window goes through IDialogs, so
// that the tests can answer them: TQtDialogs shows the real ones; the tests
// give the window a scripted set (tests/support/scripted_dialogs.h).
#include <QString>
#include <QStringList>
#include <optional>

class QMessageBox;
class QWidget;

namespace vestok {

// Plain is a box without an icon.
enum class TMessageKind { Plain, Information, Warning, Error, Confirmation };
// YesNoDefaultNo: Yes and No with No the default button (Enter answers No),
// for the questions that delete or leave without saving.
enum class TMessageButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };
enum class TMessageAnswer { Ok, Cancel, Yes, No };

// What a file dialog looks like: its title, its filters ("CSV (*.csv)", ...)
// and the extension added to a name typed without one.
struct TFileDialogSpec {
  QString Title;
  QStringList Filters;
  QString DefaultExtension;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // A modal box; the answer is the button pressed (closing the box counts as
  // Cancel or No, whichever the buttons offer, and as Ok for a box with Ok only).
  virtual TMessageAnswer Message(QWidget* parent, TMessageKind kind, const QString& text,
                                 TMessageButtons buttons) = 0;
  // The chosen file, or nothing when the user cancels. The open dialog accepts
  // only an existing file; the save dialog does not ask before overwriting.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const TFileDialogSpec& spec) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const TFileDialogSpec& spec) = 0;
};

// The answer of a box closed without a button: Cancel, No or (for a box
// with Ok only) Ok.
TMessageAnswer ClosedAnswer(TMessageButtons buttons);

// The real boxes and dialogs. On a platform where nobody can see them
// (offscreen, minimal) a box writes its text to the error output and is
// answered as closed, and a file dialog as cancelled, so that nothing waits
// for ever for a button no one can press.
class TQtDialogs final : public IDialogs {
 public:
  TMessageAnswer Message(QWidget* parent, TMessageKind kind, const QString& text,
                         TMessageButtons buttons) override;
  std::optional<QString> OpenFileName(QWidget* parent, const TFileDialogSpec& spec) override;
  std::optional<QString> SaveFileName(QWidget* parent, const TFileDialogSpec& spec) override;
};

// The folder of the file chosen last in a file dialog of this run (empty at
// first); the real dialogs start there and remember each choice.
QString LastDialogFolder();
void RememberDialogFolder(const QString& chosenFile);

// Gives a box's Yes, No and Cancel buttons their Romanian texts.
void SetRomanianButtonTexts(QMessageBox& box);

// The process-wide real dialogs, used when a window is given no others.
IDialogs& QtDialogs();

}  // namespace vestok
