// The two conversions between doubles and decimal text that reading and
// writing amounts rest on, both correctly rounded and neither depending on the
// C library's locale.
//
// Each has two ways to be done, with the same results bit for bit:
//   kStandardLibrary  std::from_chars and std::to_chars; GCC's library has
//                     both, libc++ reads doubles only from LLVM 20 on: the
//                     Emscripten of Debian 12 (3.1.6) has neither, that of
//                     Debian 13 (3.1.69) writing alone, testing's (6.0) both;
//   kPortable         exact integer arithmetic for the usual amounts, and the
//                     C library's strtod and snprintf for the rest, which
//                     glibc and Emscripten's musl round correctly
//                     (calc/portable_decimal.h).
// Every build has the portable way, so the tests prove it natively too.
// ReadNumber and FormatAmount use the standard library's where it has it.
// A WebAssembly build has the portable way alone: it is the faster there,
// and libc++'s to_chars would bring 100 KB of tables into the page.
//
//   ReadDecimal("1.5", ...)           -> 1.5
//   ReadDecimal("25e-1", ...)         -> 2.5
//   ReadDecimal("0.000", ...)         -> 0
//   ReadDecimal("4.9e-324", ...)      -> 4.9406564584124654e-324 (subnormal)
//   ReadDecimal("2e-324", ...)        -> nothing: rounds to zero, yet is not 0
//   ReadDecimal("1.8e308", ...)       -> nothing: rounds to infinity
//   WriteScientific(1234.5, 3, ...)   -> "1.234e+03"  (half to even)
//   WriteScientific(0.1, 14, ...)     -> "1.00000000000000e-01"
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vostrel {

enum class DecimalConversion : std::uint8_t { kStandardLibrary, kPortable };

// The ways this build can read and write, the one ReadNumber and FormatAmount
// use first. Asked for a way it lacks, a function below takes the portable one.
[[nodiscard]] std::span<const DecimalConversion> ReadingConversions();
[[nodiscard]] std::span<const DecimalConversion> WritingConversions();

// The double nearest to `chars`, a plain decimal: one or more digits with at
// most one "." among them, then optionally "e", an optional "-" or "+" and
// digits. No sign, blanks or other characters. Returns nothing when the
// value is out of range: when it rounds to infinity, or to zero though some
// digit is not 0.
[[nodiscard]] std::optional<double> ReadDecimal(std::string_view chars, DecimalConversion how);

// The longest text WriteScientific writes, for `buffer`.
inline constexpr std::size_t kMaxScientificLength = 32;
inline constexpr int kMaxFractionDigits = 17;

// Writes finite `value` with one digit, "." and `fractionDigits` more
// (0..kMaxFractionDigits; no "." for 0), rounded half to even, then "e", the
// exponent's sign and at least two digits: printf's "%.*e" in the C locale.
// Returns the text, which starts at buffer.data().
[[nodiscard]] std::string_view WriteScientific(double value, int fractionDigits,
                                               std::span<char, kMaxScientificLength> buffer,
                                               DecimalConversion how);

}  // namespace vostrel
