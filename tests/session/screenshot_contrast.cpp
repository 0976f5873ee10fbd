// Checks a screenshot of the window for legible text: every control whose
// background the program fixes must show ink of at least AA contrast on it.
// Also checks that the picture was taken under the scheme asked for, so that
// a scheme that failed to load cannot pass for a legible one.
//
//   screenshot_contrast PICTURE dark|light
//
// PICTURE is the window alone at 100 %, in any format Qt reads without
// plugins (PPM, say). Prints each control's figure; exits 1 on a failure.
#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QRect>
#include <cstdio>

#include "tests/support/ink_contrast.h"

namespace {

// Mean relative brightness (0 to 1) of the output box, whose background
// follows the scheme.
double OutputBoxLightness(const QImage& picture) {
  using namespace vostrel::window;
  const Twips& box = kTextBoxGeometry[0];
  const QRect area = QRect(Pixels(box.left), Pixels(box.top), Pixels(box.width), Pixels(box.height))
                         .adjusted(4, 4, -24, -4);
  double sum = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      sum += picture.pixelColor(x, y).lightnessF();
    }
  }
  return sum / (area.width() * area.height());
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: screenshot_contrast PICTURE dark|light\n");
    return 2;
  }
  const QImage picture(arguments[1]);
  if (picture.isNull()) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments[1]));
    return 2;
  }

  int failures = 0;
  const bool dark = arguments[2] == QLatin1String("dark");
  const double lightness = OutputBoxLightness(picture);
  std::printf("output box lightness %.2f\n", lightness);
  if (dark != (lightness < 0.5)) {
    std::printf("FAIL: the picture is not of the %s scheme\n", qPrintable(arguments[2]));
    ++failures;
  }
  for (const auto& fixed : vostrel::testing::FixedBackgrounds()) {
    const double ink = vostrel::testing::StrongestInk(picture, fixed.area, fixed.colour);
    const bool legible = ink >= vostrel::desktop::kMinimumTextContrast;
    std::printf("%-11s %5.1f:1 %s\n", qPrintable(fixed.name), ink, legible ? "" : "FAIL");
    failures += legible ? 0 : 1;
  }
  return failures == 0 ? 0 : 1;
}
