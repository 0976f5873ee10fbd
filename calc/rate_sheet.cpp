#include "calc/rate_sheet.h"

namespace vostrel {
namespace {

constexpr std::array<std::string_view, 21> kDiskChoices = {
    "100",  "200",  "300",  "400",  "500",  "600",  "700",  "800",  "900",  "1000", "1100",
    "1200", "1300", "1400", "1500", "1600", "1700", "1800", "1900", "2000", "2100"};

// Sites, databases and months share the same choices.
constexpr std::array<std::string_view, 12> kCountChoices = {"1", "2", "3", "4",  "5",  "6",
                                                            "7", "8", "9", "10", "11", "12"};

constexpr std::array<RateRow, kRateRowCount> kRateSheet = {{
    {"Дисково пространство {Mb]:", kDiskChoices, "0.1"},
    {"Брой сайтове:", kCountChoices, "2"},
    {"Брой MySQL бази данни:", kCountChoices, "0.5"},
    {"Период на обслужване [м]:", kCountChoices, "3"},
}};

}  // namespace

const std::array<RateRow, kRateRowCount>& RateSheet() {
  return kRateSheet;
}

}  // namespace vostrel
