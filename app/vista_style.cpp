#include "app/vista_style.h"

#include <QByteArray>
#include <QtGlobal>

namespace vostrel::app {

// QT_STYLE_OVERRIDE is the default Qt falls back to when no -style argument
// names one, so setting it where the user has not keeps Qt's own order: the
// command line, then the user's variable, then ours. Qt then never makes
// the desktop's style only to have it replaced.
void PreferVistaStyle() {
  if (!qEnvironmentVariableIsSet("QT_STYLE_OVERRIDE")) {
    qputenv("QT_STYLE_OVERRIDE", "windowsvista");
  }
}

}  // namespace vostrel::app
