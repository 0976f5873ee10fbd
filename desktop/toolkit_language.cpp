#include "desktop/toolkit_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

namespace vostrel::desktop {

void UseToolkitTranslation(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  // Tries each of QLocale::uiLanguages() in turn (bg-BG, then bg, ...).
  if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

}  // namespace vostrel::desktop
