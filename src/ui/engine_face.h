#pragma once
// The window as the engine's face: the questions of a run asked in boxes (the
// batch run answers them itself), the check's findings in the log window.
// The window's own displays follow the jobs through its job host; of the
// events it needs only the start of a job.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/outcome.h"

namespace vestok {

class TfMain;

class TWindowEngineFace final : public IEngineEvents, public IEngineQuestions {
 public:
  explicit TWindowEngineFace(TfMain& window) : window_(window) {}

  // Called when a job of the run begins.
  std::function<void()> OnJobBegun;

  void Event(const TEngineEvent& event) override;
  TRowsWithErrors RowsWithErrors(const std::vector<std::string>& lines) override;
  void CheckWarnings(const std::vector<std::string>& lines) override;
  bool Confirm(TQuestion question, const std::string& text) override;

  // The log window with `firstLine` and `lines`.
  void ShowFindings(const std::vector<std::string>& lines, std::string_view firstLine);

 private:
  TfMain& window_;
};

}  // namespace vestok
