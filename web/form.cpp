#include "web/form.h"

#include <array>
#include <string>

#include "calc/fee_report.h"
#include "calc/rate_sheet.h"
#include "web/dom.h"
#include "window/overflow_message.h"
#include "window/plain_text.h"
#include "window/window_description.h"

namespace vostrel::web {
namespace {

using emscripten::val;

val OutputBox() {
  return Control("Text1", 0);
}

void SetListIndex(std::size_t row, int index) {
  Control("List1", row).set("selectedIndex", index);
}

// The live region says a text once it changes; emptied at every command, it
// says the same amount again after the next Calculate.
void Announce(const std::string& text) {
  ElementById("announce").set("textContent", text);
}

void AppendToOutput(std::string_view line) {
  val box = OutputBox();
  box.set("value", box["value"].as<std::string>() + window::WithoutCarriageReturns(line));
  // The caret stands at the start, so that moving to the box reads the
  // report from its first line.
  box.call<void>("setSelectionRange", 0, 0);
  box.set("scrollTop", 0);
}

void ReportOverflow(ReportLine line, const std::array<std::string, kRateRowCount>& captions) {
  const auto row = static_cast<std::size_t>(line);
  const std::string message =
      window::OverflowMessage(line, row < kRateRowCount ? captions[row] : std::string());
  ElementById("message-text").set("textContent", message);
  ElementById("message").call<void>("showModal");
}

void Calculate() {
  // The texts must outlive the report, which only views them.
  std::array<std::string, kRateRowCount> choices;
  std::array<std::string, kRateRowCount> prices;
  std::array<std::string, kRateRowCount> captions;
  std::array<RowInput, kRateRowCount> rows;
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    const val list = Control("List1", i);
    const int selected = list["selectedIndex"].as<int>();
    choices[i] =
        selected >= 0 ? list["options"][selected]["text"].as<std::string>() : std::string();
    prices[i] = Control("Text2", i)["value"].as<std::string>();
    captions[i] = Control("Label2", i)["textContent"].as<std::string>();
    rows[i] = {captions[i], choices[i], prices[i]};
  }

  std::string lastLine;
  const ReportOutcome outcome =
      BuildFeeReport(rows, DecimalSeparator(), [&lastLine](std::string_view line) {
        AppendToOutput(line);
        lastLine = line;
      });
  if (!outcome.complete()) {
    ReportOverflow(*outcome.overflowAt, captions);
    return;
  }
  Announce(std::string(window::Trimmed(lastLine)));
}

void Clear() {
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    SetListIndex(i, 0);
    Control("Text2", i).set("value", std::string());
  }
}

}  // namespace

void Form_Load() {
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    SetListIndex(i, 0);
  }
}

void Command1_Click(int index) {
  OutputBox().set("value", std::string());
  Announce(std::string());
  if (index == window::kCalculate) {
    Calculate();
  } else if (index == window::kClear) {
    Clear();
  }
}

}  // namespace vostrel::web
