// Reads text contrast off a picture of the window: for each control whose
// background the program fixes, the strongest contrast that any pixel inside
// it has against that background. Text drawn in a legible colour reaches its
// full contrast in the cores of its strokes; text in an illegible one cannot
// exceed it anywhere.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <algorithm>
#include <vector>

#include "desktop/legible_text.h"
#include "window/window_description.h"

namespace vostrel::testing {

struct FixedBackground {
  QString name;
  QRect area;  // logical pixels, inset past borders, bevels and overlaps
  QColor colour;
};

inline std::vector<FixedBackground> FixedBackgrounds() {
  using namespace vostrel::window;
  const auto area = [](const Twips& at, int inset) {
    return QRect(Pixels(at.left), Pixels(at.top), Pixels(at.width), Pixels(at.height))
        .adjusted(inset, inset, -inset, -inset);
  };
  const auto colour = [](const Rgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); };
  std::vector<FixedBackground> all;
  for (std::size_t i = 0; i < kHeadingGeometry.size(); ++i) {
    all.push_back(
        {QStringLiteral("Label1_%1").arg(i), area(kHeadingGeometry[i], 2), colour(kHeadingColour)});
  }
  for (std::size_t i = 0; i < kCaptionGeometry.size(); ++i) {
    all.push_back(
        {QStringLiteral("Label2_%1").arg(i), area(kCaptionGeometry[i], 2), colour(kCaptionColour)});
  }
  for (std::size_t i = 0; i < kCommandGeometry.size(); ++i) {
    // The bevel and the focus frame lie within four pixels of the edge.
    all.push_back({QStringLiteral("Command1_%1").arg(i), area(kCommandGeometry[i], 5),
                   colour(kCommandColours[i])});
  }
  return all;
}

// `area` is in logical pixels; the picture may be scaled.
inline double StrongestInk(const QImage& picture, const QRect& area, const QColor& background) {
  const qreal ratio = picture.devicePixelRatio();
  const QRect pixels((QPointF(area.topLeft()) * ratio).toPoint(),
                     (QSizeF(area.size()) * ratio).toSize());
  double strongest = 1;
  for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
    for (int x = pixels.left(); x <= pixels.right(); ++x) {
      strongest = std::max(strongest, desktop::ContrastRatio(picture.pixelColor(x, y), background));
    }
  }
  return strongest;
}

}  // namespace vostrel::testing
