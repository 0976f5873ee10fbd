// Plain-C++ text helpers that the window's texts need wherever they are
// shown: on the desktop, in the web page and in the page writer.
#pragma once

#include <string>
#include <string_view>

namespace vostrel::window {

// The text without the blanks, tabs and line breaks at either end.
constexpr std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The window's texts and the report break lines with CR LF; an HTML text
// area, and HTML itself, hold LF alone.
inline std::string WithoutCarriageReturns(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != '\r') {
      out += c;
    }
  }
  return out;
}

}  // namespace vostrel::window
