#pragma once
// What a transfer job borrows of the main window: the pages, the action list,
// Stop and status panels 1 and 2. Only the window's own files include this.
#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "jobs/job_host.h"
#include "text/cp1250.h"
#include "ui/main_window.h"

namespace vestok {

class TfMain::TJobHost final : public IJobHost {
 public:
  explicit TJobHost(TfMain& window) : window_(window) {}

  void SetPagesEnabled(bool enabled) override {
    QComboBox* const list = window_.cbProtocol;
    if (!enabled) {
      // Disabling the pages takes the keyboard focus from the grid or box
      // that had it. The variant list is then the only control left that
      // takes keys, and a window activated again hands the focus to it: an
      // arrow key meant for the rows would pick the other protocol variant
      // for the next transfer. It takes the focus only from a click meanwhile.
      QWidget* focus = window_.focusWidget();
      pageFocus_ = focus != nullptr && window_.pcMain->isAncestorOf(focus) ? focus : nullptr;
      listFocusPolicy_ = list->focusPolicy();
      list->setFocusPolicy(Qt::ClickFocus);
      window_.pcMain->setEnabled(false);
      return;
    }
    window_.pcMain->setEnabled(true);
    list->setFocusPolicy(listFocusPolicy_);
    // The keys go back where they went before the job.
    QWidget* focus = window_.focusWidget();
    if (pageFocus_ && pageFocus_->isVisible() && pageFocus_->isEnabled() &&
        (focus == nullptr || !window_.pcMain->isAncestorOf(focus)))
      pageFocus_->setFocus(Qt::OtherFocusReason);
    pageFocus_.clear();
  }

  std::vector<bool> ActionStates() const override {
    std::vector<bool> states;
    states.reserve(std::size_t(window_.ActionList.size()));
    for (const QAction* action : window_.ActionList) states.push_back(action->isEnabled());
    return states;
  }

  void SetActionStates(const std::vector<bool>& states) override {
    const std::size_t count = std::min(states.size(), std::size_t(window_.ActionList.size()));
    for (std::size_t i = 0; i < count; ++i) window_.ActionList[qsizetype(i)]->setEnabled(states[i]);
  }

  void SetStopEnabled(bool enabled) override {
    window_.aStop->setEnabled(enabled);
    // EndJob disables Stop after giving the actions back: from here on the
    // variant list rules them again, for the variant chosen meanwhile.
    if (!enabled) window_.SetJobRunning(false);
  }

  void SetStatusText(int panel, const std::string& text) override {
    const std::u16string unicode = Cp1250ToUtf16(text);
    window_.SetStatusText(panel, QString::fromUtf16(unicode.data(), qsizetype(unicode.size())));
  }

 private:
  TfMain& window_;
  QPointer<QWidget> pageFocus_;  // what had the focus in the pages when the job began
  Qt::FocusPolicy listFocusPolicy_ = Qt::StrongFocus;
};

}  // namespace vestok
