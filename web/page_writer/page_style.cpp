#include <sstream>

#include "calc/rate_sheet.h"
#include "web/page_writer/markup.h"
#include "web/page_writer/page_files.h"
#include "window/window_description.h"

namespace vostrel::web {
namespace {

using namespace vostrel::window;

// Across, CSS pixels as a share of the window's width: `--px` is one pixel
// of the window wherever the screen has room for it, and less where it has
// not. Down, the window keeps its pixels: rows 24 pixels apart stay targets
// a finger can hit (WCAG's 24 pixels) on a phone too.
std::string Px(int twips) {
  return "calc(" + std::to_string(Pixels(twips)) + " * var(--px))";
}

std::string Py(int twips) {
  return std::to_string(Pixels(twips)) + "px";
}

// 96 CSS pixels make an inch of 72 points.
std::string FontSize(double points) {
  std::ostringstream size;
  size << "calc(" << points * 96 / 72 << " * var(--px))";
  return size.str();
}

void Place(std::ostream& css, std::string_view group, std::size_t index, const Twips& at) {
  css << '#' << group << '_' << index << " { left: " << Px(at.left) << "; top: " << Py(at.top)
      << "; width: " << Px(at.width) << "; height: " << Py(at.height) << "; }\n";
}

template <std::size_t N>
void PlaceGroup(std::ostream& css, std::string_view group, const std::array<Twips, N>& geometry) {
  for (std::size_t i = 0; i < N; ++i) {
    Place(css, group, i, geometry[i]);
  }
}

}  // namespace

std::string PageStyle() {
  std::ostringstream css;
  const std::string family = "\"" + std::string(kFontFamily) + "\", \"Vostrel Serif\", serif";
  css << "/* The window of Vostrel, written from its description when the page is built. */\n"
         "\n"
         "/* Liberation Serif, cut down to the page's characters, has Times New Roman's\n"
         "   metrics; it is fetched only where the device lacks Times New Roman. */\n"
         "@font-face {\n"
         "  font-family: \"Vostrel Serif\";\n"
         "  src: url(\"liberation-serif.woff2\") format(\"woff2\");\n"
         "  font-display: swap;\n"
         "}\n"
         "\n"
         "html { background: "
      << HexColour(kWindowColour)
      << "; }\n"
         "body { margin: 0; }\n"
         "main { container-type: inline-size; max-width: "
      << Pixels(kClientWidth)
      << "px; margin: 0 auto; }\n"
         "\n"
         "/* On a narrower screen the window narrows; nothing reflows. */\n"
         "#Vostrel {\n"
         "  --px: calc(100cqw / "
      << Pixels(kClientWidth)
      << ");\n"
         "  position: relative;\n"
         "  height: "
      << Pixels(kClientHeight)
      << "px;\n"
         "  overflow: hidden;\n"
         "  background: "
      << HexColour(kWindowColour)
      << ";\n"
         "  color: #000;\n"
         "  font: "
      << FontSize(kFontPoints) << "/normal " << family
      << ";\n"
         "}\n"
         "#Vostrel > * { position: absolute; box-sizing: border-box; margin: 0; font: inherit; "
         "color: inherit; }\n"
         "\n"
         ".heading { background: "
      << HexColour(kHeadingColour)
      << "; text-align: center; }\n"
         ".caption { background: "
      << HexColour(kCaptionColour)
      << "; }\n"
         "select { padding: 0 calc(2 * var(--px)); background: #fff; }\n"
         "#Vostrel > .price { font-size: "
      << FontSize(kPriceFontPoints)
      << "; padding: 0 calc(2 * var(--px)); background: #fff; border: 1px inset #808080; }\n"
         ".command { padding: 0; border: 2px outset #e0e0e0; cursor: pointer; }\n"
         ".command:active { border-style: inset; }\n"
         ".output { padding: calc(2 * var(--px)); background: #fff; border: 1px inset #808080;\n"
         "  overflow-y: scroll; resize: none; white-space: pre-wrap; }\n";
  for (std::size_t i = 0; i < kCommandColours.size(); ++i) {
    css << "#Command1_" << i << " { background: " << HexColour(kCommandColours[i]) << "; }\n";
  }
  css << '\n';
  PlaceGroup(css, "Label1", kHeadingGeometry);
  PlaceGroup(css, "Label2", kCaptionGeometry);
  PlaceGroup(css, "List1", kQuantityGeometry);
  PlaceGroup(css, "Text2", kPriceGeometry);
  PlaceGroup(css, "Command1", kCommandGeometry);
  PlaceGroup(css, "Text1", kTextBoxGeometry);
  css << "\n"
         "/* Heard, not seen. */\n"
         "#announce { position: absolute; width: 1px; height: 1px; overflow: hidden;\n"
         "  clip-path: inset(50%); white-space: nowrap; }\n"
         "\n"
         "#message { font: 16px/normal "
      << family
      << "; color: #000; background: #fff; max-width: 90vw; }\n"
         "#message h2 { font-size: 1em; font-weight: normal; margin: 0 0 0.5em; }\n"
         "#message p { white-space: pre-line; margin: 0 0 1em; }\n";
  return css.str();
}

}  // namespace vostrel::web
