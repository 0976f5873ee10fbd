#include <sstream>

#include "calc/rate_sheet.h"
#include "web/page_writer/markup.h"
#include "web/page_writer/page_files.h"
#include "window/window_description.h"

namespace vostrel::web {
namespace {

using namespace vostrel::window;

// Only the page's own files: no inline script or style, no eval, no other
// origin. The module needs 'wasm-unsafe-eval' to be compiled. (frame-ancestors
// cannot be given in a meta element; a browser would warn of it.)
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
    "font-src 'self'; img-src 'self'; connect-src 'self'; manifest-src 'self'; "
    "worker-src 'self'; base-uri 'none'; form-action 'none'";

std::string Id(std::string_view group, std::size_t index) {
  return std::string(group) + '_' + std::to_string(index);
}

std::string Joined(std::string_view caption, std::string_view heading) {
  std::string name(caption);
  name += ' ';
  name += heading;
  return name;
}

void WriteHead(std::ostream& html, const PageIdentity& identity) {
  html << "<!DOCTYPE html>\n"
          "<html lang=\"bg\">\n"
          "<head>\n"
          "<meta charset=\"utf-8\">\n"
          "<meta http-equiv=\"Content-Security-Policy\" content=\""
       << kContentSecurityPolicy
       << "\">\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
          "<title>"
       << Escaped(kCaption)
       << "</title>\n"
          "<meta name=\"description\" content=\""
       << Escaped(identity.description)
       << "\">\n"
          "<meta name=\"theme-color\" content=\""
       << HexColour(kWindowColour)
       << "\">\n"
          "<link rel=\"icon\" href=\"vostrel.svg\" type=\"image/svg+xml\">\n"
          "<link rel=\"apple-touch-icon\" href=\"vostrel-180.png\">\n"
          "<link rel=\"manifest\" href=\"manifest.webmanifest\">\n"
          "<link rel=\"stylesheet\" href=\"vostrel.css\">\n"
          // The module is fetched while the loader is: the loader would ask
          // for it only once it runs.
          "<link rel=\"preload\" href=\"vostrel.wasm\" as=\"fetch\" type=\"application/wasm\" "
          "crossorigin>\n"
          "<script src=\"vostrel.js\" defer data-no-webassembly=\""
       << Escaped(kNoWebAssembly)
       << "\"></script>\n"
          "</head>\n";
}

// The controls follow the window's tab order, so Tab moves as it does there:
// the output box first, then each row's list and price, then the commands.
// The title and the column headings come before the rows, where a screen
// reader's reading order expects them.
void WriteWindow(std::ostream& html) {
  html << "<div id=\"Vostrel\">\n";
  html << "<textarea id=\"Text1_0\" class=\"output\" aria-label=\"" << Escaped(kReportName)
       << "\" spellcheck=\"false\" autofocus>"
       << Escaped(window::WithoutCarriageReturns(kTaskStatement)) << "</textarea>\n";
  html << "<textarea id=\"Text1_1\" class=\"output\" hidden>"
       << Escaped(window::WithoutCarriageReturns(kAphorism)) << "</textarea>\n";

  for (std::size_t i = 0; i < kHeadingTexts.size(); ++i) {
    const char* element = i == 0 ? "h1" : "div";
    html << '<' << element << " id=\"" << Id("Label1", i) << "\" class=\"heading\">"
         << Escaped(kHeadingTexts[i]) << "</" << element << ">\n";
  }

  const auto& sheet = RateSheet();
  for (std::size_t i = 0; i < sheet.size(); ++i) {
    const RateRow& row = sheet[i];
    html << "<label id=\"" << Id("Label2", i) << "\" class=\"caption\" for=\"" << Id("Text2", i)
         << "\">" << Escaped(row.caption) << "</label>\n";
    html << "<select id=\"" << Id("List1", i) << "\" aria-label=\""
         << Escaped(Joined(row.caption, kHeadingTexts[kQuantityHeading])) << "\">";
    for (const std::string_view choice : row.choices) {
      html << "<option>" << Escaped(choice) << "</option>";
    }
    html << "</select>\n";
    // No inputmode: a phone's numeric keyboards may offer only the locale's
    // comma, and a price is read up to its first comma.
    html << "<input id=\"" << Id("Text2", i) << "\" class=\"price\" type=\"text\" value=\""
         << Escaped(row.defaultUnitPrice) << "\" aria-label=\""
         << Escaped(Joined(row.caption, kHeadingTexts[kPriceHeading])) << "\" aria-describedby=\""
         << Id("Label1", kPriceHeading)
         << "\" autocomplete=\"off\" autocapitalize=\"off\" spellcheck=\"false\">\n";
  }

  for (std::size_t i = 0; i < kCommandTexts.size(); ++i) {
    html << "<button id=\"" << Id("Command1", i) << "\" class=\"command\" type=\"button\" value=\""
         << i << "\">" << Escaped(kCommandTexts[i]) << "</button>\n";
  }
  html << "</div>\n";
}

}  // namespace

std::string PageHtml(const PageIdentity& identity) {
  std::ostringstream html;
  WriteHead(html, identity);
  html << "<body>\n<main>\n";
  WriteWindow(html);
  // Calculate puts the amount payable here, for a screen reader to say.
  html << "<div id=\"announce\" role=\"status\"></div>\n";
  html << "</main>\n";
  html << "<dialog id=\"message\" role=\"alertdialog\" aria-labelledby=\"message-caption\" "
          "aria-describedby=\"message-text\">\n"
          "<h2 id=\"message-caption\">"
       << Escaped(kCaption)
       << "</h2>\n"
          "<p id=\"message-text\"></p>\n"
          "<button id=\"message-ok\" type=\"button\">OK</button>\n"
          "</dialog>\n"
          "</body>\n"
          "</html>\n";
  return html.str();
}

}  // namespace vostrel::web
