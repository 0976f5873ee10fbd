// A push button that Enter presses as well as Space, as on the platforms the
// program's users come from. Neither is the window's default button: Enter
// presses only the button that has the focus, and only while it has it.
#pragma once

#include <QPushButton>

namespace vostrel::desktop {

class CommandButton final : public QPushButton {
  Q_OBJECT

 public:
  CommandButton(const QString& text, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vostrel::desktop
