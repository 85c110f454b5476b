#pragma once
// Qt's own texts (the buttons of its boxes, the file dialogs) in Romanian, as
// the rest of the window, and the window's icon.
#include <QIcon>
#include <QString>

class QCoreApplication;

namespace vestok {

// Loads Qt's Romanian translation (qtbase_ro, else qt_ro) from `folder`, by
// default Qt's translations folder, and installs it in the application.
// Quietly false when none is there.
bool InstallQtTranslation(QCoreApplication& app, const QString& folder = QString());

// The program's icon: the picture drawn in vestok.svg, in the sizes embedded.
QIcon VestokIcon();

}  // namespace vestok
