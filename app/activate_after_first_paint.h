// Windows only: gives the program's window the keyboard once it has been
// painted for the first time.
//
// Qt's Windows styles paint item views with a theme they open on a helper
// window of their own, made while the first list is painted. Since Qt 6.8
// that helper is a hidden top-level window rather than a message-only one,
// and making it one can take the activation, and with it the keyboard, from
// the window that was just shown: keys then reach no control until the user
// clicks. Asking for the activation once more, after that first paint, puts
// the keyboard back in the window's focused control.
//
// The request is an ordinary SetForegroundWindow, bound by Windows' own
// rules: granted to a program the user started (from Explorer, a shortcut
// or the installer, all of them the foreground process then) until the user
// turns to another program; refused otherwise, when Windows only flashes the
// taskbar entry. It never takes the keyboard from another program.
#pragma once

class QWidget;

namespace vostrel::app {

// Asks, once, for `window` (a top-level window already shown) to be
// activated as soon as its first paint is done.
void ActivateAfterFirstPaint(QWidget& window);

}  // namespace vostrel::app
