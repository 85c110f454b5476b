#pragma once
// Qt's own texts (the buttons of its boxes, the file dialogs) in Romanian, as
// the rest of the window, and the window's icon.
#include <QIcon>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace vestok {

// Loads Qt's Romanian translation (qtbase_ro, else qt_ro) from `folder`, by
// default Qt's translations folder, and installs it in the application; where
// there is none, the program's own translation of the texts of Qt's dialogs
// (InstallBuiltInQtTranslation). False when neither could be loaded.
bool InstallQtTranslation(QCoreApplication& app, const QString& folder = QString());
// The program's own Romanian for Qt's file, print and preview dialogs; the
// translator installed (owned by `app`), nullptr when it could not be loaded.
QTranslator* InstallBuiltInQtTranslation(QCoreApplication& app);

// The program's icon: the picture drawn in vestok.svg, in the sizes embedded.
QIcon VestokIcon();

}  // namespace vestok
