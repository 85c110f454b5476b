#pragma once
// The one-line status under the controls of the port tools (link test,
// detection): empty while all is well, and after a run the reason why the
// link failed (a port that would not open, a device that went away).
class QLabel;
class QWidget;

namespace vestok {

QLabel* CreateLinkStatusLine(QWidget* parent);
// Before a run: empties the line and starts watching for failures.
void LinkRunStarting(QLabel* status);
// After a run, on the user-interface thread: shows why the link failed, if it did.
void LinkRunEnded(QLabel* status);

}  // namespace vestok
