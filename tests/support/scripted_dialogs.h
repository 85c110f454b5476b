#pragma once
// The dialogs the tests give the window: answers and file names queued in
// advance are handed out in order, and every box and file dialog asked for is
// recorded, so a test drives the real window with no timer hunting for popups.
#include <QString>
#include <deque>
#include <optional>
#include <vector>

#include "ui/dialogs.h"

namespace vestok {

class TScriptedDialogs final : public IDialogs {
 public:
  struct TShownMessage {
    TMessageKind Kind;
    QString Text;
    TMessageButtons Buttons;  // YesNoDefaultNo: a question whose default answer is No
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
