#include "ui/link_status_line.h"

#include <QLabel>

#include "ui/window_monitor.h"
#include "monitor/link_monitor.h"
#include "ui/port_tool_text.h"

namespace vestok {

QLabel* CreateLinkStatusLine(QWidget* parent) {
  auto* status = new QLabel(parent);
  status->setObjectName(QStringLiteral("lLinkStatus"));
  status->setWordWrap(true);
  status->setStyleSheet(QStringLiteral("color: #B00000;"));
  return status;
}

void LinkRunStarting(QLabel* status) {
  TLinkMonitor& monitor = WindowLinkMonitor();
  monitor.ClearLastFailure();
  status->clear();
}

void LinkRunEnded(QLabel* status) { status->setText(ToolText(WindowLinkMonitor().LastFailure())); }

}  // namespace vestok
