// The fixed table of the four priced items a monthly hosting fee is built
// from. Row order is both the on-screen order (top to bottom) and the order
// of the report's lines. Nothing here changes at run time: the window holds
// which choice is selected and the unit-price text the user typed.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace vostrel {

// One priced item. Texts are UTF-8.
struct RateRow {
  // Shown left of the row and repeated at the start of its report line;
  // always ends with a colon.
  std::string_view caption;
  // Quantities offered, as decimal integers without leading zeros, blanks or
  // separators. Entry 0 is selected at start-up and after Clear.
  std::span<const std::string_view> choices;
  // Unit price in leva shown at start-up, with "." as the decimal point.
  std::string_view defaultUnitPrice;
};

inline constexpr std::size_t kRateRowCount = 4;

// The four rows, in order: disk space in megabytes, sites, MySQL databases,
// service months. Row 0's caption reads "{Mb]" (brace, then bracket) on
// purpose: that is how the rate card has always printed it.
const std::array<RateRow, kRateRowCount>& RateSheet();

}  // namespace vostrel
