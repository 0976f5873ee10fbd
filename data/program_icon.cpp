#include "data/program_icon.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>

#include "data/program_icon_pixels.h"

namespace vostrel {

QImage ProgramIconImage() {
  using namespace icon_pixels;
  // The image views the constant pixel data; nothing is copied until the
  // pixmap is made.
  QImage image(kIndexes.data(), kWidth, kHeight, kWidth, QImage::Format_Indexed8);
  image.setColorTable(QList<QRgb>(kColours.begin(), kColours.end()));
  return image;
}

QIcon ProgramIcon() {
  return QIcon(QPixmap::fromImage(ProgramIconImage()));
}

}  // namespace vostrel
