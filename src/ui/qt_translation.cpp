#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

static void InitVestokIcons() { Q_INIT_RESOURCE(vestok_icons); }
static void InitVestokTranslations() { Q_INIT_RESOURCE(vestok_translations); }

namespace vestok {

bool InstallQtTranslation(QCoreApplication& app, const QString& folder) {
  const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  for (const char* name : {"qtbase_ro", "qt_ro"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QString::fromLatin1(name), where)) {
      QCoreApplication::installTranslator(translator);
      return true;
    }
    delete translator;
  }
  // Qt has no Romanian of its own here: the program's, built in.
  return InstallBuiltInQtTranslation(app) != nullptr;
}

QTranslator* InstallBuiltInQtTranslation(QCoreApplication& app) {
  InitVestokTranslations();
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral(":/translations/vestok_qtbase_ro.qm"))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

QIcon VestokIcon() {
  InitVestokIcons();
  QIcon icon;
  // The SVG needs Qt's SVG module; the pictures rendered from it do not.
  for (int size : {16, 32, 48, 256}) icon.addFile(QStringLiteral(":/icons/vestok-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace vestok
