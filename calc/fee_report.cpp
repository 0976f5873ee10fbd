#include "calc/fee_report.h"

#include <cmath>
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
  std::string line;
  const auto emit = [&](std::string_view opening, std::string_view gap, double amount) {
    line.assign(opening);
    line += gap;
    line += FormatAmount(amount, decimalSeparator);
    line += "\r\n";
    sink(line);
  };

  double total = 0.0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::optional<double> amount = RowAmount(rows[i]);
    if (!amount) {
      return {static_cast<ReportLine>(i)};
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
