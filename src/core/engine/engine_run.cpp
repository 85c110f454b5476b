#include "engine/engine_run.h"

#include <exception>

namespace vestok {

TEngineRun::TEngineRun(TEngineLink link, IEngineEvents& events, IEngineQuestions& questions, TEngineOptions options)
    : mainThread_(link.MainThread), engine_(link, events, questions, std::move(options)) {}

TEngineRun::~TEngineRun() {
  if (!thread_.joinable()) return;
  RequestStop();
  WaitForEnd();
}

void TEngineRun::Start(Body body, Done done) {
  thread_ = std::thread([this, body = std::move(body), done = std::move(done)] {
    try {
      outcome_ = body(engine_);
    } catch (const std::exception&) {
      // A table that refused a row outside any record, no memory: the run
      // ends as one whose records failed, never without an outcome.
      outcome_.Kind = TOutcomeKind::RecordErrors;
    }
    if (done) {
      try {
        mainThread_.RunOnMainThread([&] { done(outcome_); });
      } catch (...) {
      }
    }
    ended_.store(true);
    mainThread_.Wake();
  });
}

void TEngineRun::WaitForEnd() {
  mainThread_.ServeUntil([this] { return ended_.load(); });
  if (thread_.joinable()) thread_.join();
}

}  // namespace vestok
