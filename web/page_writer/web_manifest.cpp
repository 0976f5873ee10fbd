#include <sstream>

#include "web/page_writer/markup.h"
#include "web/page_writer/page_files.h"
#include "window/window_description.h"

namespace vostrel::web {
namespace {

// A JSON string; the texts hold no control characters but line breaks.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
    }
    out += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return out + '"';
}

}  // namespace

std::string WebManifest(const PageIdentity& identity) {
  const std::string colour = Quoted(HexColour(window::kWindowColour));
  std::ostringstream json;
  json << "{\n"
          "  \"name\": "
       << Quoted(window::kCaption)
       << ",\n"
          "  \"short_name\": "
       << Quoted(identity.shortName)
       << ",\n"
          "  \"description\": "
       << Quoted(identity.description)
       << ",\n"
          "  \"lang\": \"bg\",\n"
          "  \"start_url\": \"./\",\n"
          "  \"scope\": \"./\",\n"
          "  \"display\": \"standalone\",\n"
          "  \"background_color\": "
       << colour
       << ",\n"
          "  \"theme_color\": "
       << colour
       << ",\n"
          "  \"icons\": [\n"
          "    {\"src\": \"vostrel-192.png\", \"sizes\": \"192x192\", \"type\": \"image/png\"},\n"
          "    {\"src\": \"vostrel-512.png\", \"sizes\": \"512x512\", \"type\": \"image/png\"},\n"
          "    {\"src\": \"vostrel.svg\", \"sizes\": \"any\", \"type\": \"image/svg+xml\"}\n"
          "  ]\n"
          "}\n";
  return json.str();
}

}  // namespace vostrel::web
