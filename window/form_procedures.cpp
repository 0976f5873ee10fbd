#include "window/form_procedures.h"

#include <array>
#include <string>

#include "calc/fee_report.h"
#include "calc/rate_sheet.h"
#include "window/overflow_message.h"
#include "window/plain_text.h"
#include "window/window_description.h"

namespace vostrel::window {
namespace {

void Calculate(FormRuntime& form) {
  // The texts must outlive the report, which only views them.
  std::array<std::string, kRateRowCount> choices;
  std::array<std::string, kRateRowCount> prices;
  std::array<std::string, kRateRowCount> captions;
  std::array<RowInput, kRateRowCount> rows;
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    choices[i] = form.List(i, form.ListIndex(i));
    prices[i] = form.PriceText(i);
    captions[i] = form.Caption(i);
    rows[i] = {captions[i], choices[i], prices[i]};
  }

  std::string lastLine;
  const ReportOutcome outcome =
      BuildFeeReport(rows, form.DecimalSeparator(), [&form, &lastLine](std::string_view line) {
        form.SetOutputText(form.OutputText().append(line));
        lastLine = line;
      });
  if (!outcome.complete()) {
    const std::size_t row = RowOf(*outcome.overflowAt);
    form.ReportOverflow(
        OverflowMessage(*outcome.overflowAt, row < kRateRowCount ? captions[row] : std::string()));
    return;
  }
  // The last line is the amount payable: a screen reader says it as soon as
  // it is written, without the user moving to the output box.
  form.Announce(Trimmed(lastLine));
}

void Clear(FormRuntime& form) {
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    form.SetListIndex(i, 0);
    form.SetPriceText(i, {});
  }
}

}  // namespace

void Form_Load(FormRuntime& form) {
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    form.SetListIndex(i, 0);
  }
}

void Command1_Click(FormRuntime& form, int Index) {
  form.SetOutputText({});
  if (Index == kCalculate) {
    Calculate(form);
  } else if (Index == kClear) {
    Clear(form);
  }
}

}  // namespace vostrel::window
