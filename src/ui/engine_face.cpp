#include "ui/engine_face.h"

#include "ui/window_state.h"
#include "text/cp1250.h"
#include "ui/dialogs.h"
#include "ui/log_window.h"
#include "ui/main_window.h"

namespace vestok {

namespace {

constexpr std::string_view kCheckFirstLine = "Verificare inainte de incarcare";
const QString kSendGood =
    QStringLiteral("Unele randuri au erori (vezi fereastra Log).\n\rIncarcati doar randurile fara erori?");
const QString kSendAll = QStringLiteral("Incarcati toate randurile, inclusiv cele cu erori?");

QString Q(const std::string& cp1250) {
  const std::u16string u = Cp1250ToUtf16(cp1250);
  return QString::fromUtf16(u.data(), qsizetype(u.size()));
}

}  // namespace

void TWindowEngineFace::Event(const TEngineEvent& event) {
  if (event.Kind == TEventKind::Start && OnJobBegun) OnJobBegun();
}

void TWindowEngineFace::ShowFindings(const std::vector<std::string>& lines, std::string_view firstLine) {
  if (!OperationLog) OperationLog = std::make_unique<TOperationLog>();
  OperationLog->Clear();
  OperationLog->Add(std::string(firstLine));
  for (const std::string& l : lines) OperationLog->Add(l);
  auto* log = new TfLog(&window_);
  log->setAttribute(Qt::WA_DeleteOnClose);
  log->show();
}

IEngineQuestions::TRowsWithErrors TWindowEngineFace::RowsWithErrors(const std::vector<std::string>& lines) {
  // The batch run leaves the rows with errors out; their lines go to the log.
  if (window_.BatchMode()) return TRowsWithErrors::SendGood;
  ShowFindings(lines, kCheckFirstLine);
  IDialogs& d = window_.Dialogs();
  if (d.Message(&window_, TMessageKind::Warning, kSendGood, TMessageButtons::YesNo) == TMessageAnswer::Yes)
    return TRowsWithErrors::SendGood;
  if (d.Message(&window_, TMessageKind::Warning, kSendAll, TMessageButtons::YesNo) == TMessageAnswer::Yes)
    return TRowsWithErrors::SendAll;
  return TRowsWithErrors::SendNothing;
}

void TWindowEngineFace::CheckWarnings(const std::vector<std::string>& lines) {
  // Warnings alone (a name the register cuts) leave nothing to choose: the
  // log shows them and the upload goes on.
  if (!window_.BatchMode()) ShowFindings(lines, kCheckFirstLine);
}

bool TWindowEngineFace::Confirm(TQuestion, const std::string& text) {
  if (window_.BatchMode()) return true;
  return window_.Dialogs().Message(&window_, TMessageKind::Warning, Q(text), TMessageButtons::YesNo) ==
         TMessageAnswer::Yes;
}

}  // namespace vestok
