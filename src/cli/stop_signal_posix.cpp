#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <thread>

#include "cli/stop_signal.h"

namespace vestok::cli {

// SIGINT and SIGTERM are blocked in every thread and taken by one thread of
// their own, which stops the jobs; a second one ends the program at once.
void WatchStopSignals(TStopSignal& stop) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set, &stop] {
    for (int taken = 0;; ++taken) {
      int sig = 0;
      if (sigwait(&set, &sig) != 0) continue;
      if (taken > 0) std::_Exit(kExitStopped);
      stop.Stop();
    }
  }).detach();
}

void BinaryStandardStreams() {}

}  // namespace vestok::cli
