// Opens the fee calculator's window; closing it ends the program.
#include <QApplication>

#include "desktop/accessible_interfaces.h"
#include "desktop/toolkit_language.h"
#include "desktop/vostrel_window.h"

#ifdef Q_OS_WIN
#include "app/activate_after_first_paint.h"
#include "app/vista_style.h"
#endif

int main(int argc, char* argv[]) {
#ifdef Q_OS_WIN
  vostrel::app::PreferVistaStyle();  // the same window on Windows 10 and 11
#endif
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vostrel"));
  QApplication::setApplicationVersion(QStringLiteral(VOSTREL_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("org.example.vostrel"));
  vostrel::desktop::UseToolkitTranslation(app);
  vostrel::desktop::InstallAccessibleInterfaces();

  vostrel::desktop::Vostrel window;
  window.show();
#ifdef Q_OS_WIN
  vostrel::app::ActivateAfterFirstPaint(window);
#endif
  return QApplication::exec();
}
