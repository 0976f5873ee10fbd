#include "desktop/legible_text.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace vostrel::desktop {
namespace {

// Relative luminance of an sRGB colour, as WCAG 2 defines it.
double Luminance(const QColor& colour) {
  const auto linear = [](float channel) {
    const double c = channel;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

}  // namespace

double ContrastRatio(const QColor& first, const QColor& second) {
  const double a = Luminance(first);
  const double b = Luminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor LegibleOn(const QColor& background, const QColor& text) {
  if (ContrastRatio(background, text) >= kMinimumTextContrast) {
    return text;
  }
  const QColor black(Qt::black);
  const QColor white(Qt::white);
  return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}

void PaintFixedBackground(QWidget* control, QPalette::ColorRole backgroundRole,
                          QPalette::ColorRole textRole, const QColor& background) {
  const QPalette scheme = QApplication::palette(control);
  // Only the roles set here are the control's own; the others keep following
  // the scheme, also when it changes.
  QPalette palette;
  palette.setColor(backgroundRole, background);
  // Disabled text is meant to look faint, and no control here is disabled.
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, textRole, LegibleOn(background, scheme.color(group, textRole)));
  }
  control->setPalette(palette);
  control->setAutoFillBackground(true);
}

}  // namespace vostrel::desktop
