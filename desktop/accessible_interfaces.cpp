#include "desktop/accessible_interfaces.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLatin1String>
#include <QObject>
#include <QString>
#include <QWidget>

#include "desktop/price_box.h"
#include "desktop/quantity_list_accessible.h"
#include "desktop/vostrel_window.h"

namespace vostrel::desktop {
namespace {

// A bare top-level widget presents itself to assistive technology as a mere
// filler; this one is an application window.
QAccessibleInterface* PresentAsWindow(const QString& className, QObject* object) {
  if (className == QLatin1String(Vostrel::staticMetaObject.className()) && object->isWidgetType()) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
  // Qt keeps each factory once, however often it is installed.
  QAccessible::installFactory(PresentAsWindow);
  QAccessible::installFactory(QuantityListAccessible);
  QAccessible::installFactory(MakePriceBoxAccessible);
}

}  // namespace vostrel::desktop
