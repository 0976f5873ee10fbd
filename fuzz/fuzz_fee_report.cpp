// Arbitrary bytes as what the window holds at the moment of Calculate: the
// rate sheet's captions, with fuzzed choice and price texts. Checks the
// report's shape (seven lines, or as many as come before the overflow), each
// line's opening and ending, and that every amount is the 15-digit rounding
// of the quantity-times-price arithmetic, never "inf", "nan" or "-0".
//
// Input layout: the first byte picks the decimal separator ("," for a comma,
// "." for anything else); the rest is split at '|' into choice 0, price 0,
// choice 1, price 1, ... Fields left out keep the start-up values.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/fee_report.h"
#include "calc/read_number.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

// The 15-digit rounding by the C library, independently of FormatAmount.
double RoundTo15Digits(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", v);
  return std::strtod(buffer, nullptr);
}

// What the report should show, line by line, worked out from the report's
// rules with plain arithmetic; stops at the first line that overflows.
std::vector<double> ExpectedAmounts(const std::array<vostrel::RowInput, 4>& rows) {
  std::vector<double> amounts;
  double total = 0.0;
  for (const vostrel::RowInput& row : rows) {
    const std::optional<double> choice = vostrel::ReadNumber(row.choice);
    const std::optional<double> price = vostrel::ReadNumber(row.unitPrice);
    if (!choice || !price) {
      return amounts;
    }
    const double quantity = std::nearbyint(*choice);
    if (quantity < -32768.0 || quantity > 32767.0) {
      return amounts;
    }
    const double amount = quantity * *price;
    if (!std::isfinite(amount)) {
      return amounts;
    }
    amounts.push_back(amount);
    total += amount;
  }
  for (const double summary : {total, total * 0.2, total * 1.2}) {
    if (!std::isfinite(summary)) {
      return amounts;
    }
    amounts.push_back(summary);
  }
  return amounts;
}

void CheckAmountText(std::string_view text, std::string_view separator, double expected) {
  Require(!text.empty(), "a line has no amount");
  Require(text != "-0", "an amount reads -0");
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  Require(lower.find("inf") == std::string::npos && lower.find("nan") == std::string::npos,
          "an amount is not finite");

  // Back to C-library syntax: the separator becomes the point.
  std::string plain(text);
  if (const std::size_t at = plain.find(separator); at != std::string::npos) {
    plain.replace(at, separator.size(), ".");
  }
  Require(plain.find_first_not_of("0123456789.-+E") == std::string::npos,
          "an amount holds a character other than digits, sign, separator and exponent");
  char* end = nullptr;
  const double shown = std::strtod(plain.c_str(), &end);
  Require(end == plain.c_str() + plain.size(), "an amount is not a number");
  Require(shown == RoundTo15Digits(expected),
          "an amount is not the 15-digit rounding of the arithmetic");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view separator = !input.empty() && input.front() == ',' ? "," : ".";
  if (!input.empty()) {
    input.remove_prefix(1);
  }

  const auto& sheet = vostrel::RateSheet();
  std::array<vostrel::RowInput, vostrel::kRateRowCount> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = {sheet[i].caption, sheet[i].choices.front(), sheet[i].defaultUnitPrice};
  }
  for (std::size_t field = 0; field < 2 * rows.size() && !input.empty(); ++field) {
    const std::size_t bar = input.find('|');
    const std::string_view text = input.substr(0, bar);
    input.remove_prefix(bar == std::string_view::npos ? input.size() : bar + 1);
    (field % 2 == 0 ? rows[field / 2].choice : rows[field / 2].unitPrice) = text;
  }

  std::vector<std::string> lines;
  const vostrel::ReportOutcome outcome = vostrel::BuildFeeReport(
      rows, separator, [&](std::string_view line) { lines.emplace_back(line); });

  if (outcome.complete()) {
    Require(lines.size() == vostrel::kReportLineCount, "a complete report has other than 7 lines");
  } else {
    Require(static_cast<std::size_t>(*outcome.overflowAt) == lines.size(),
            "the overflow is not reported at the line after the last one handed over");
  }
  const std::vector<double> expected = ExpectedAmounts(rows);
  Require(expected.size() == lines.size(), "the report stopped at another line than expected");

  const std::array<std::string_view, 3> labels = {vostrel::kTotalLabel, vostrel::kVatLabel,
                                                  vostrel::kPayableLabel};
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string_view line = lines[k];
    Require(line.ends_with("\r\n"), "a line does not end with CR LF");
    line.remove_suffix(2);
    Require(line.find_first_of("\r\n") == std::string_view::npos, "a line break inside a line");

    std::string opening;
    if (k < rows.size()) {
      opening = std::string(sheet[k].caption) + " ";
    } else {
      opening = labels[k - rows.size()];
    }
    Require(line.starts_with(opening), "a line does not open with its caption or label");
    line.remove_prefix(opening.size());
    CheckAmountText(line, separator, expected[k]);
  }
  return 0;
}
