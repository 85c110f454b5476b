#pragma once
// TDetectThread: runs the scan of the detection dialog on a worker thread.
// Every look at the dialog (its ticks, the display of the attempt, a register
// found, the buttons) is handed to the user-interface thread.
#include <functional>
#include <optional>
#include <string>

#include "tools/detect_scan.h"
#include "ui/tool_thread.h"

namespace vestok {

// All run on the user-interface thread.
struct TDetectThreadDisplay {
  // Buttons to scanning, list of registers emptied; gives the scan's setup.
  std::function<TDetectScanSetup()> Started;
  std::function<std::optional<std::string>(int index)> TickedPort;
  std::function<std::optional<std::string>(int index)> TickedSpeed;
  std::function<void(const std::string& action, int progress)> Trying;
  std::function<void(const TDetectFound& found)> Found;
  std::function<void()> Finished;  // buttons back to idle
};

class TDetectThread final : public TToolThread {
  Q_OBJECT
 public:
  explicit TDetectThread(TDetectThreadDisplay display, QObject* parent = nullptr);
  ~TDetectThread() override;

 protected:
  void run() override;

 private:
  TDetectThreadDisplay display_;
};

}  // namespace vestok
