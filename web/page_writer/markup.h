// Small text helpers the page writer's files share.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "window/plain_text.h"
#include "window/window_description.h"

namespace vostrel::web {

// Text made safe inside an HTML element or a quoted attribute.
inline std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

// "#c0c0ff"
inline std::string HexColour(const window::Rgb& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red & 0xff, colour.green & 0xff,
                colour.blue & 0xff);
  return text;
}

}  // namespace vostrel::web
