// The conversions of decimal_conversion.h without the C++ library's: exact
// integer arithmetic where the numbers allow, which covers the amounts people
// type and the report shows (up to 15 significant digits, magnitudes 1e-13 to
// 1e15), and the C library's strtod and snprintf beyond. The same contracts
// and results as ReadDecimal and WriteScientific.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "calc/decimal_conversion.h"

namespace vostrel {

[[nodiscard]] std::optional<double> ReadDecimalPortably(std::string_view chars);

[[nodiscard]] std::string_view WriteScientificPortably(
    double value, int fractionDigits, std::span<char, kMaxScientificLength> buffer);

}  // namespace vostrel
