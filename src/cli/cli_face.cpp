#include "cli/cli_face.h"

#include "cli/cli_options.h"

namespace vestok::cli {

void TCliEvents::Event(const TEngineEvent& e) {
  const bool report = checkReport_ && !output_.Json();
  switch (e.Kind) {
    case TEventKind::Start:
    case TEventKind::Line: output_.Line(reg_, e.Text); break;
    case TEventKind::Record:
      output_.Record(reg_, e.Text, e.No.value_or(0), std::size_t(e.Done), std::size_t(e.Total));
      break;
    case TEventKind::Warning:
      if (report)
        output_.Result(reg_, e.Text, {});
      else
        output_.Warning(reg_, e.Text, e.No);
      break;
    case TEventKind::Error:
      ++errors_;
      if (report)
        output_.Result(reg_, e.Text, {});
      else
        output_.Error(reg_, e.Text, e.No);
      break;
    case TEventKind::Stop: output_.Stop(reg_, e.Text, e.Done); break;
    case TEventKind::Verdict: output_.Verdict(reg_, e.Text, errors_); break;
    case TEventKind::Result: {
      std::vector<std::pair<std::string, std::string>> fields;
      for (const auto& f : e.Fields)
        fields.emplace_back(f.Name, f.Text ? JsonString(Utf8FromCp1250(f.Value)) : f.Value);
      output_.Result(reg_, e.Text, fields);
      break;
    }
  }
}

int ExitCodeOf(TOutcomeKind kind) {
  switch (kind) {
    case TOutcomeKind::Done: return kExitOk;
    case TOutcomeKind::RecordErrors: return kExitRecordErrors;
    case TOutcomeKind::NoAnswer: return kExitNoAnswer;
    case TOutcomeKind::PortFailed: return kExitPortFailed;
    case TOutcomeKind::FileFailed: return kExitFileFailed;
    case TOutcomeKind::Stopped: return kExitStopped;
    case TOutcomeKind::Refused:
    case TOutcomeKind::Cancelled: return kExitRecordErrors;
  }
  return kExitRecordErrors;
}

}  // namespace vestok::cli
