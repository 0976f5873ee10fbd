// Reading a number from the texts the user sees and edits (choices and unit
// prices). A number is read from the start of the text for as long as the
// text can continue one, and the rules do not depend on the user's locale:
//
//   ""               -> 0       no leading number reads as 0
//   "abc"            -> 0
//   "2 лв."          -> 2       whatever follows the leading number is ignored
//   "1 5"            -> 15      blank, tab, CR and LF are skipped anywhere
//   " - 1 2 . 5"     -> -12.5   ... also between the sign and the digits
//   "+7"             -> 7       one optional leading sign
//   "0.5", ".5"      -> 0.5     the decimal point is always "."
//   "0,5"            -> 0       a comma ends the number
//   "1.2.3"          -> 1.2     a second point ends it too
//   "1e3", "1D3"     -> 1000    exponent marker e, E, d or D, optional sign
//   "1e", "1e+x"     -> 1       an exponent without digits counts as 10^0
//   "1e-400"         -> 0       too small for a double reads as (signed) 0
//   "1e400"          -> overflow: too large for a double, never infinity
//   "&H10", "&O7"    -> 0       no radix prefixes: a price is a decimal
//                               amount, and "&HFFFF" reading as -1 would
//                               silently turn a price negative
//
// The digits are converted with correct rounding. Time and memory are linear
// in the text's length.
#pragma once

#include <optional>
#include <string_view>

#include "calc/decimal_conversion.h"

namespace vostrel {

// Reads the leading number of `text` (UTF-8). Returns nothing only when the
// number is too large for a double: the overflow failure.
[[nodiscard]] std::optional<double> ReadNumber(std::string_view text);

// The same with the digits converted the given way, which changes nothing
// but lets the tests prove each way the build has.
[[nodiscard]] std::optional<double> ReadNumber(std::string_view text, DecimalConversion conversion);

}  // namespace vostrel
