// The few DOM operations the page's event procedures use, over emscripten::val.
// Texts cross as UTF-8 std::string.
#pragma once

#include <emscripten/val.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vostrel::web {

// The element with the id "GROUP_INDEX" (the control INDEX of group GROUP).
emscripten::val Control(std::string_view group, std::size_t index);

emscripten::val ElementById(const std::string& id);

// The decimal separator of the browser's language ("," for Bulgarian, "."
// for English), as a number's text would show it there.
std::string DecimalSeparator();

}  // namespace vostrel::web
