// Windows only: the window draws with Qt's "windowsvista" style on every
// Windows version, unless the user names a style (-style, QT_STYLE_OVERRIDE).
//
// Qt 6.7 and later pick their "windows11" style on Windows 11 (10.0.22000
// on). That style draws no focus frame in an item view, so a quantity list
// that holds the keyboard looks like any other; shows a scroll bar's arrows
// only under the mouse, so a list one entry high gives no sign that it holds
// more; and in dark app mode paints lists and edit boxes dark grey inside
// the window's fixed pale colours. The windowsvista style, Qt's pick on
// Windows 10, draws each control with the system's own visual theme, shows
// both, and keeps the light palette in dark app mode, so Windows 10 and 11
// get the same window.
#pragma once

namespace vostrel::app {

// Makes windowsvista the style Qt picks; call before the QApplication is
// made. A style named on the command line or in QT_STYLE_OVERRIDE still wins.
void PreferVistaStyle();

}  // namespace vostrel::app
