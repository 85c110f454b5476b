#pragma once
// Every message box and file dialog of the window goes through IDialogs, so
// that the tests can answer them: TQtDialogs shows the real ones, TScriptedDialogs
// hands out answers and file names queued in advance and records what was asked.
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

class QMessageBox;
class QWidget;

namespace vestok {

// Plain is a box without an icon.
enum class TMessageKind { Plain, Information, Warning, Error, Confirmation };
enum class TMessageButtons { Ok, OkCancel, YesNo };
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

class TScriptedDialogs final : public IDialogs {
 public:
  struct TShownMessage {
    TMessageKind Kind;
    QString Text;
    TMessageButtons Buttons;
  };
  struct TShownFileDialog {
    bool Save;
    TFileDialogSpec Spec;
  };

  // Answers for the next boxes, in order. With the queue empty a box is
  // answered as if closed: Cancel, No or (for an Ok box) Ok.
  void QueueAnswer(TMessageAnswer answer) { answers_.push_back(answer); }
  // Names for the next file dialogs, in order; nothing queued means Cancel.
  void QueueFileName(const QString& name) { fileNames_.push_back({true, name}); }
  void QueueFileCancel() { fileNames_.push_back({false, QString()}); }

  const std::vector<TShownMessage>& Messages() const { return messages_; }
  const std::vector<TShownFileDialog>& FileDialogs() const { return fileDialogs_; }
  void ClearRecords() {
    messages_.clear();
    fileDialogs_.clear();
  }

  TMessageAnswer Message(QWidget* parent, TMessageKind kind, const QString& text,
                         TMessageButtons buttons) override;
  std::optional<QString> OpenFileName(QWidget* parent, const TFileDialogSpec& spec) override;
  std::optional<QString> SaveFileName(QWidget* parent, const TFileDialogSpec& spec) override;

 private:
  std::optional<QString> NextFileName();

  std::deque<TMessageAnswer> answers_;
  struct TQueuedName {
    bool Chosen;
    QString Name;
  };
  std::deque<TQueuedName> fileNames_;
  std::vector<TShownMessage> messages_;
  std::vector<TShownFileDialog> fileDialogs_;
};

}  // namespace vestok
