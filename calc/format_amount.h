// Writing an amount as the report shows it: at most 15 significant digits,
// the last one correctly rounded, which hides the representation errors of
// double arithmetic. The caller passes the decimal separator (the window
// passes its locale's), so the text never depends on global state.
//
// With separator ".":
//   10                   -> "10"        no separator for whole amounts
//   0.5                  -> "0.5"       a zero before the separator below 1
//   2.0999999999999996   -> "2.1"       15 significant digits
//   18.599999999999998   -> "18.6"
//   -3.25                -> "-3.25"
//   -0.0                 -> "0"         never "-0"
//   123456789012345.6    -> "123456789012346"
//   999999999999999.9    -> "1E+15"     exponent form from 1E+15 up,
//   1.2e308              -> "1.2E+308"  judged after rounding
//   0.000056789          -> "0.000056789"  plain while at most 15 digits
//   5.6789e-12           -> "5.6789E-12"   follow the separator
// No digit grouping is ever written. Non-finite values, which the report
// never passes, are written "Infinity", "-Infinity" and "NaN".
#pragma once

#include <string>
#include <string_view>

#include "calc/decimal_conversion.h"

namespace vostrel {

inline constexpr int kSignificantDigits = 15;

[[nodiscard]] std::string FormatAmount(double amount, std::string_view decimalSeparator);

// The same with the digits written the given way, which changes nothing but
// lets the tests prove each way the build has.
[[nodiscard]] std::string FormatAmount(double amount, std::string_view decimalSeparator,
                                       DecimalConversion conversion);

}  // namespace vostrel
