#include "desktop/command_button.h"

#include <QKeyEvent>

namespace vostrel::desktop {

CommandButton::CommandButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  // Qt presses a focused button on Enter only when it may become the default
  // button, which neither of ours may.
  setAutoDefault(false);
  setDefault(false);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
  const bool isEnter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  // The keypad's Enter carries the keypad modifier; any other modifier makes
  // it a different key.
  if (isEnter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    // A held key repeats; one press is one click, as with Space.
    if (!event->isAutoRepeat()) {
      click();
    }
    event->accept();
    return;
  }
  QPushButton::keyPressEvent(event);
}

}  // namespace vostrel::desktop
