// Checks the program's icon images.
//
//   vostrel_icon_check              the icon built into the program
//   vostrel_icon_check FILE SIZE    an image file, e.g. an installed icon
//
// An image passes when it loads, is SIZE x SIZE pixels and, at 32 pixels, has
// at most 256 distinct colours (what a window icon may use). Prints what is
// wrong and exits 1 on failure.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QTextStream>
#include <cstdio>

#include "data/program_icon.h"

namespace {

constexpr int kSmallSize = 32;
constexpr qsizetype kMaxColours = 256;

qsizetype countColours(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  QSet<QRgb> colours;
  for (int y = 0; y < argb.height(); ++y) {
    for (int x = 0; x < argb.width(); ++x) {
      colours.insert(argb.pixel(x, y));
    }
  }
  return colours.size();
}

bool checkImage(const QString& path, int size, QTextStream& err) {
  const QImage image(path);
  if (image.isNull()) {
    err << path << ": cannot be read as an image\n";
    return false;
  }
  bool ok = true;
  if (image.width() != size || image.height() != size) {
    err << path << ": is " << image.width() << "x" << image.height() << ", expected " << size << "x"
        << size << "\n";
    ok = false;
  }
  if (size == kSmallSize) {
    const qsizetype colours = countColours(image);
    if (colours > kMaxColours) {
      err << path << ": has " << colours << " colours, at most " << kMaxColours << " allowed\n";
      ok = false;
    }
  }
  return ok;
}

// The icon built into the program: one 32 x 32 image of at most 256
// colours, in indexed form.
bool checkBuiltIn(QTextStream& err) {
  bool ok = true;
  const QImage image = vostrel::ProgramIconImage();
  if (image.format() != QImage::Format_Indexed8 || image.colorCount() > kMaxColours) {
    err << "the built-in icon is not a 256-colour image\n";
    ok = false;
  }
  if (image.size() != QSize(kSmallSize, kSmallSize) ||
      !vostrel::ProgramIcon().availableSizes().contains(QSize(kSmallSize, kSmallSize))) {
    err << "the built-in icon is not 32x32\n";
    ok = false;
  }
  // Every pixel's index must name a colour of the table.
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  if (argb.isNull() || countColours(argb) > image.colorCount()) {
    err << "the built-in icon's pixels and colour table disagree\n";
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  QTextStream err(stderr);
  const QStringList args = QGuiApplication::arguments();

  bool ok = false;
  if (args.size() == 1) {
    ok = checkBuiltIn(err);
  } else if (args.size() == 3) {
    bool isNumber = false;
    const int size = args.at(2).toInt(&isNumber);
    if (!isNumber || size <= 0) {
      err << "not a size: " << args.at(2) << "\n";
      return 2;
    }
    ok = checkImage(args.at(1), size, err);
  } else {
    err << "usage: vostrel_icon_check [FILE SIZE]\n";
    return 2;
  }
  return ok ? 0 : 1;
}
