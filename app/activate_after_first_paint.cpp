#include "app/activate_after_first_paint.h"

#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <QWindow>

namespace vostrel::app {
namespace {

// Watches the native window for its first expose. Qt paints the widgets
// while it delivers that event, so a call queued from here runs once the
// first paint, the styles' helper windows included, is done.
class FirstPaintWatch : public QObject {
 public:
  explicit FirstPaintWatch(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && window_.windowHandle()->isExposed()) {
      QMetaObject::invokeMethod(
          &window_, [window = &window_] { window->activateWindow(); }, Qt::QueuedConnection);
      watched->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }

 private:
  QWidget& window_;
};

}  // namespace

void ActivateAfterFirstPaint(QWidget& window) {
  if (QWindow* native = window.windowHandle()) {
    native->installEventFilter(new FirstPaintWatch(window));
  }
}

}  // namespace vostrel::app
