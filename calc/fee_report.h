// The Calculate command's report: one line per rate row with the row's
// amount, then the total without VAT, the VAT at 20 % and the amount payable.
//
//   Дисково пространство {Mb]: 10\r\n      caption, one blank, amount
//   Брой сайтове: 2\r\n
//   Брой MySQL бази данни: 0.5\r\n
//   Период на обслужване [м]: 3\r\n
//   Обща сума без ДДС: 15.5\r\n             total
//   Дължимо ДДС: 3.1\r\n                    total * 0.2
//   Сума за плащане: 18.6\r\n               total * 1.2 (not total + VAT)
//
// Each row's quantity is its selected choice read with ReadNumber and rounded
// half to even to a 16-bit integer; its amount is quantity times the unit
// price read with ReadNumber. Amounts are never rounded to cents; only their
// text is limited to 15 significant digits (FormatAmount).
//
// The only failure is overflow: a quantity outside -32768..32767, a number
// too large for a double, or an amount, total, VAT or amount payable that
// leaves the double range. The report stops before the line that would have
// shown it; the lines already handed over stand. No line ever shows "inf",
// "nan" or "-0".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "calc/rate_sheet.h"

namespace vostrel {

// What the window holds for one row at the moment of Calculate (UTF-8).
struct RowInput {
  std::string_view caption;    // the row's label
  std::string_view choice;     // text of the selected quantity entry
  std::string_view unitPrice;  // text of the price box, as typed
};

// The report's lines, in order: line i shows rate row i (RowLine), then come
// the three summary lines. Only the summaries are named, so the row lines
// follow the rate sheet.
enum class ReportLine : std::uint8_t { Total = kRateRowCount, Vat, Payable };

inline constexpr std::size_t kReportLineCount = static_cast<std::size_t>(ReportLine::Payable) + 1;

constexpr ReportLine RowLine(std::size_t row) {
  return static_cast<ReportLine>(row);
}

// The rate row a line shows, or kRateRowCount for a summary line.
constexpr std::size_t RowOf(ReportLine line) {
  const auto index = static_cast<std::size_t>(line);
  return index < kRateRowCount ? index : kRateRowCount;
}

// The fixed opening of each summary line, up to and including its blank.
inline constexpr std::string_view kTotalLabel = "Обща сума без ДДС: ";
inline constexpr std::string_view kVatLabel = "Дължимо ДДС: ";
inline constexpr std::string_view kPayableLabel = "Сума за плащане: ";

inline constexpr double kVatRate = 0.2;
inline constexpr double kPayableFactor = 1.2;

struct [[nodiscard]] ReportOutcome {
  // The line the overflow failure stopped before; empty when all seven lines
  // were handed over.
  std::optional<ReportLine> overflowAt;

  bool complete() const { return !overflowAt.has_value(); }
};

// Receives each finished line, CR LF included, the moment it is formed.
using LineSink = std::function<void(std::string_view line)>;

// Builds the report for `rows` (in rate-sheet order), writing amounts with
// `decimalSeparator`, and hands each line to `sink` as soon as it is formed.
ReportOutcome BuildFeeReport(const std::array<RowInput, kRateRowCount>& rows,
                             std::string_view decimalSeparator, const LineSink& sink);

}  // namespace vostrel
