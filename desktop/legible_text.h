// Text colours that stay readable on the backgrounds the window fixes.
//
// The window paints its own pale backgrounds (window, headings, captions,
// buttons) but leaves text colours to the desktop's scheme. A dark scheme's
// light text on those backgrounds would be unreadable, so the text colour is
// kept only while it reaches WCAG's AA contrast for normal text; otherwise it
// becomes black or white, whichever contrasts more (black on every
// background the window uses).
//
//   ContrastRatio(Qt::black, Qt::white)                        -> 21
//   ContrastRatio(c, c)                                        -> 1
//   LegibleOn(QColor(192, 192, 255), Qt::black)                -> black (kept: 12.2:1)
//   LegibleOn(QColor(192, 192, 255), QColor(238, 238, 236))    -> black (1.5:1 is too little)
//   LegibleOn(QColor(255, 0, 0), Qt::white)                    -> black (4.0:1 against 5.3:1)
#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace vostrel::desktop {

// WCAG 2 AA for text below 18 pt, which every text of the window is.
inline constexpr double kMinimumTextContrast = 4.5;

// WCAG 2 contrast ratio of two opaque colours, from 1 (none) to 21.
double ContrastRatio(const QColor& first, const QColor& second);

// `text` if it reaches kMinimumTextContrast on `background`, else the more
// contrasting of black and white.
QColor LegibleOn(const QColor& background, const QColor& text);

// Gives `control` the fixed `background` for `backgroundRole`, filled, and
// makes its `textRole` legible on it in the active and inactive colour
// groups. The text colour starts from the scheme's (the application
// palette's), so calling it again after the scheme changes starts afresh.
void PaintFixedBackground(QWidget* control, QPalette::ColorRole backgroundRole,
                          QPalette::ColorRole textRole, const QColor& background);

}  // namespace vostrel::desktop
