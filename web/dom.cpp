#include "web/dom.h"

namespace vostrel::web {

using emscripten::val;

val ElementById(const std::string& id) {
  return val::global("document").call<val>("getElementById", id);
}

val Control(std::string_view group, std::size_t index) {
  return ElementById(std::string(group) + '_' + std::to_string(index));
}

std::string DecimalSeparator() {
  const val format = val::global("Intl")["NumberFormat"].new_(val::global("navigator")["language"]);
  const val parts = format.call<val>("formatToParts", 0.5);
  const int count = parts["length"].as<int>();
  for (int i = 0; i < count; ++i) {
    const val part = parts[i];
    if (part["type"].as<std::string>() == "decimal") {
      return part["value"].as<std::string>();
    }
  }
  return ".";
}

}  // namespace vostrel::web
