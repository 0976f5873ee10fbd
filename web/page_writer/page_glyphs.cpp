#include <set>
#include <string>

#include "calc/fee_report.h"
#include "calc/rate_sheet.h"
#include "web/page_writer/page_files.h"
#include "window/overflow_message.h"
#include "window/window_description.h"

namespace vostrel::web {
namespace {

// Splits UTF-8 text into its characters, each kept as its bytes.
void AddCharacters(std::set<std::string>& characters, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    const std::string character(text.substr(i, length));
    if (character != "\r" && character != "\n") {
      characters.insert(character);
    }
    i += length;
  }
}

}  // namespace

std::string PageGlyphs() {
  using namespace vostrel::window;
  std::set<std::string> characters;
  for (char c = ' '; c <= '~'; ++c) {
    characters.insert(std::string(1, c));
  }
  AddCharacters(characters, kCaption);
  AddCharacters(characters, kTaskStatement);
  AddCharacters(characters, kReportName);
  for (const std::string_view text : kHeadingTexts) {
    AddCharacters(characters, text);
  }
  for (const std::string_view text : kCommandTexts) {
    AddCharacters(characters, text);
  }
  for (const RateRow& row : RateSheet()) {
    AddCharacters(characters, row.caption);
  }
  for (const std::string_view text : {kTotalLabel, kVatLabel, kPayableLabel, kOverflowOpening,
                                      kOverflowClosing, kNoWebAssembly}) {
    AddCharacters(characters, text);
  }
  std::string glyphs;
  for (const std::string& character : characters) {
    glyphs += character;
  }
  return glyphs + '\n';
}

}  // namespace vostrel::web
