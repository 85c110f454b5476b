#include "scripted_dialogs.h"

namespace vestok {

TMessageAnswer TScriptedDialogs::Message(QWidget*, TMessageKind kind, const QString& text,
                                         TMessageButtons buttons) {
  messages_.push_back({kind, text, buttons});
  if (answers_.empty()) return ClosedAnswer(buttons);
  const TMessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<QString> TScriptedDialogs::OpenFileName(QWidget*, const TFileDialogSpec& spec) {
  fileDialogs_.push_back({false, spec});
  return NextFileName();
}

std::optional<QString> TScriptedDialogs::SaveFileName(QWidget*, const TFileDialogSpec& spec) {
  fileDialogs_.push_back({true, spec});
  return NextFileName();
}

std::optional<QString> TScriptedDialogs::NextFileName() {
  if (fileNames_.empty()) return std::nullopt;
  const TQueuedName next = fileNames_.front();
  fileNames_.pop_front();
  if (!next.Chosen) return std::nullopt;
  return next.Name;
}

}  // namespace vestok
