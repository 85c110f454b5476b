#include "ui/detect_thread.h"

#include "ui/window_state.h"

namespace vestok {

TDetectThread::TDetectThread(TDetectThreadDisplay display, QObject* parent)
    : TToolThread(parent), display_(std::move(display)) {}

TDetectThread::~TDetectThread() { StopAndWait(); }

void TDetectThread::run() {
  TDetectScanSetup setup;
  OnMainThread([&] { setup = display_.Started(); });

  TDetectScanHooks hooks;
  hooks.StopRequested = [this] { return StopRequested(); };
  hooks.TickedPort = [this](int index) {
    std::optional<std::string> port;
    OnMainThread([&] { port = display_.TickedPort(index); });
    return port;
  };
  hooks.TickedSpeed = [this](int index) {
    std::optional<std::string> speed;
    OnMainThread([&] { speed = display_.TickedSpeed(index); });
    return speed;
  };
  hooks.Trying = [this](const std::string& action, int progress) {
    OnMainThread([&] { display_.Trying(action, progress); });
  };
  hooks.Found = [this](const TDetectFound& found) { OnMainThread([&] { display_.Found(found); }); };
  RunDetectScan(LinkPort, setup, hooks);

  OnMainThread([this] { display_.Finished(); });
}

}  // namespace vestok
