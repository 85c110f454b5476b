#pragma once
// One operation of the engine on a thread of its own, for a face whose thread
// must go on serving events meanwhile (the window): the steps the operation
// hands over run there, and Stop reaches the job in hand. The thread starts
// in Start and is joined by WaitForEnd or the destructor.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "engine/engine.h"

namespace vestok {

class TEngineRun final {
 public:
  using Body = std::function<TOutcome(TEngine&)>;
  // Called on the serving thread once the body has returned.
  using Done = std::function<void(const TOutcome&)>;

  TEngineRun(TEngineLink link, IEngineEvents& events, IEngineQuestions& questions, TEngineOptions options);
  ~TEngineRun();
  TEngineRun(const TEngineRun&) = delete;
  TEngineRun& operator=(const TEngineRun&) = delete;

  void Start(Body body, Done done = {});
  // Any thread.
  void RequestStop() { engine_.RequestStop(); }
  bool Ended() const { return ended_.load(); }
  // The serving thread: returns once the operation has ended (its Done
  // included), carrying out the steps it hands over meanwhile.
  void WaitForEnd();
  // After the end.
  const TOutcome& Outcome() const { return outcome_; }
  TEngine& Engine() { return engine_; }

 private:
  IMainThread& mainThread_;
  TEngine engine_;
  TOutcome outcome_;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

}  // namespace vestok
