#include "calc/fee_report.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "calc/format_amount.h"
#include "calc/read_number.h"

namespace vostrel {
namespace {

constexpr double kSmallestQuantity = -32768.0;
constexpr double kLargestQuantity = 32767.0;

// The choice's number rounded half to even (the default rounding mode) to the
// 16-bit quantity; nothing when it does not fit.
std::optional<double> ReadQuantity(std::string_view choice) {
  const std::optional<double> number = ReadNumber(choice);
  if (!number) {
    return std::nullopt;
  }
  const double rounded = std::nearbyint(*number);
  if (!(rounded >= kSmallestQuantity && rounded <= kLargestQuantity)) {
    return std::nullopt;
  }
  return rounded;
}

std::optional<double> RowAmount(const RowInput& row) {
  const std::optional<double> quantity = ReadQuantity(row.choice);
  if (!quantity) {
    return std::nullopt;
  }
  const std::optional<double> unitPrice = ReadNumber(row.unitPrice);
  if (!unitPrice) {
    return std::nullopt;
  }
  const double amount = *quantity * *unitPrice;
  if (!std::isfinite(amount)) {
    return std::nullopt;
  }
  return amount;
}

}  // namespace

ReportOutcome BuildFeeReport(const std::array<RowInput, kRateRowCount>& rows,
                             std::string_view decimalSeparator, const LineSink& sink) {
  // One buffer for every line, filled by copies compiled here: the string's
  // own appends are calls into the C++ library, which WebAssembly builds do
  // not inline and which there cost more than the rest of the line.
  std::string line;
  const auto emit = [&](std::string_view opening, std::string_view gap, double amount) {
    const std::string text = FormatAmount(amount, decimalSeparator);
    constexpr std::string_view kLineEnd = "\r\n";
    line.resize(opening.size() + gap.size() + text.size() + kLineEnd.size());
    char* out = line.data();
    for (const std::string_view piece : {opening, gap, std::string_view(text), kLineEnd}) {
      out = std::copy(piece.begin(), piece.end(), out);
    }
    sink(line);
  };

  double total = 0.0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::optional<double> amount = RowAmount(rows[i]);
    if (!amount) {
      return {RowLine(i)};
    }
    emit(rows[i].caption, " ", *amount);
    total += *amount;
  }

  struct Summary {
    ReportLine line;
    std::string_view label;
    double amount;
  };
  const std::array<Summary, 3> summaries = {{
      {ReportLine::Total, kTotalLabel, total},
      {ReportLine::Vat, kVatLabel, total * kVatRate},
      {ReportLine::Payable, kPayableLabel, total * kPayableFactor},
  }};
  for (const Summary& s : summaries) {
    if (!std::isfinite(s.amount)) {
      return {s.line};
    }
    emit(s.label, {}, s.amount);
  }
  return {};
}

}  // namespace vostrel
