#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "cli/stop_signal.h"

namespace vestok::cli {
namespace {

TStopSignal* g_stop = nullptr;
std::atomic<int> g_requests{0};

// Windows calls this on a thread of its own for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (g_requests++ > 0) std::_Exit(kExitStopped);
      if (g_stop != nullptr) g_stop->Stop();
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // Windows ends the process when this returns (at the latest after five
      // seconds): the jobs are stopped and given that time to close the port
      // and write their verdict; the program's normal end comes first.
      g_requests++;
      if (g_stop != nullptr) g_stop->Stop();
      Sleep(4500);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void WatchStopSignals(TStopSignal& stop) {
  g_stop = &stop;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void BinaryStandardStreams() {
  std::fflush(stdout);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace vestok::cli
