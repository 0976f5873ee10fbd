// The files of the web page that are written from the window's description
// (window/window_description.h) and the rate sheet, so that the page shows
// the desktop window's texts, colours and positions without a second copy.
// Each function returns the whole file, UTF-8; the same inputs always give
// the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace vostrel::web {

// What the page says of itself outside the window: the program's short name
// and one sentence of description (both from its desktop entry).
struct PageIdentity {
  std::string_view shortName;
  std::string_view description;
};

// What the output box says where the browser runs no WebAssembly, in place
// of the task statement: the loader finds it on its script element.
inline constexpr std::string_view kNoWebAssembly =
    "Този браузър не изпълнява WebAssembly, затова калкулаторът не може да изчислява тук.";

// index.html: the window's controls as HTML elements, with the ids the
// module's runtime addresses ("List1_0", "Text2_3", "Command1_1", ...),
// in the window's tab order, and the message dialog.
std::string PageHtml(const PageIdentity& identity);

// vostrel.css: every control at its place and size; the whole window scales
// down evenly on a screen narrower than it.
std::string PageStyle();

// manifest.webmanifest: what a phone needs to add the page to its home screen.
std::string WebManifest(const PageIdentity& identity);

// The characters the page can show, for the served font's subset: printable
// ASCII (what a user types in a price box) and every other character of the
// window's texts, the report and the overflow message.
std::string PageGlyphs();

}  // namespace vostrel::web
