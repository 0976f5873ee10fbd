// Build-time tool: turns the rendered 32 x 32 icon into a C++ header holding
// it as a 256-colour image (a colour table and one index byte a pixel), so
// that the program shows its icon without reading an image file: reading one
// at start-up would make Qt load every image-format plugin it has.
//
//   vostrel_icon_embedder INPUT.png OUTPUT.h
//
// Fails when the image has more than 256 colours.
//
// It makes no application object: PNG reading is built into QImage, and
// without one Qt neither looks for a display nor for a runtime directory.
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[]) {
  QTextStream err(stderr);
  QStringList args;
  for (int i = 0; i < argc; ++i) {
    args.append(QString::fromLocal8Bit(argv[i]));
  }
  if (args.size() != 3) {
    err << "usage: vostrel_icon_embedder INPUT.png OUTPUT.h\n";
    return 2;
  }

  const QImage source = QImage(args.at(1)).convertToFormat(QImage::Format_ARGB32);
  if (source.isNull()) {
    err << args.at(1) << ": cannot be read as an image\n";
    return 1;
  }
  QList<QRgb> colours;
  QByteArray pixels;
  for (int y = 0; y < source.height(); ++y) {
    for (int x = 0; x < source.width(); ++x) {
      const QRgb pixel = source.pixel(x, y);
      qsizetype index = colours.indexOf(pixel);
      if (index < 0) {
        index = colours.size();
        colours.append(pixel);
      }
      if (index > 255) {
        err << args.at(1) << ": has more than 256 colours\n";
        return 1;
      }
      pixels.append(static_cast<char>(index));
    }
  }

  QFile file(args.at(2));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    err << args.at(2) << ": " << file.errorString() << "\n";
    return 1;
  }
  QTextStream out(&file);
  out << "// Generated from the icon's SVG source at build time; do not edit.\n"
      << "#pragma once\n\n#include <array>\n#include <cstdint>\n\n"
      << "namespace vostrel::icon_pixels {\n\n"
      << "inline constexpr int kWidth = " << source.width() << ";\n"
      << "inline constexpr int kHeight = " << source.height() << ";\n"
      << "inline constexpr std::array<std::uint32_t, " << colours.size() << "> kColours = {";
  for (const QRgb colour : colours) {
    out << "0x" << Qt::hex << colour << Qt::dec << "u, ";
  }
  out << "};\ninline constexpr std::array<std::uint8_t, " << pixels.size() << "> kIndexes = {";
  for (qsizetype i = 0; i < pixels.size(); ++i) {
    out << (i % source.width() == 0 ? "\n    " : "")
        << static_cast<int>(static_cast<unsigned char>(pixels[i])) << ",";
  }
  out << "};\n\n}  // namespace vostrel::icon_pixels\n";
  return 0;
}
