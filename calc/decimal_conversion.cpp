#include "calc/decimal_conversion.h"

#include <array>
#include <charconv>
#include <system_error>

#include "calc/portable_decimal.h"

namespace vostrel {
namespace {

// The build finds out which of the standard conversions its library has
// (calc/CMakeLists.txt), and gives WebAssembly none of them; the portable
// ones are always there.
template <bool kHasStandard>
constexpr auto Conversions() {
  using enum DecimalConversion;
  if constexpr (!kHasStandard) {
    return std::array{kPortable};
  } else {
    return std::array{kStandardLibrary, kPortable};
  }
}

#ifdef VOSTREL_HAVE_STD_FROM_CHARS_DOUBLE
constexpr auto kReadingConversions = Conversions<true>();
#else
constexpr auto kReadingConversions = Conversions<false>();
#endif
#ifdef VOSTREL_HAVE_STD_TO_CHARS_DOUBLE
constexpr auto kWritingConversions = Conversions<true>();
#else
constexpr auto kWritingConversions = Conversions<false>();
#endif

}  // namespace

std::span<const DecimalConversion> ReadingConversions() {
  return kReadingConversions;
}

std::span<const DecimalConversion> WritingConversions() {
  return kWritingConversions;
}

std::optional<double> ReadDecimal(std::string_view chars, DecimalConversion how) {
#ifdef VOSTREL_HAVE_STD_FROM_CHARS_DOUBLE
  if (how == DecimalConversion::kStandardLibrary) {
    double value = 0.0;
    const auto result = std::from_chars(chars.data(), chars.data() + chars.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
      return std::nullopt;
    }
    return value;
  }
#endif
  static_cast<void>(how);
  return ReadDecimalPortably(chars);
}

std::string_view WriteScientific(double value, int fractionDigits,
                                 std::span<char, kMaxScientificLength> buffer,
                                 DecimalConversion how) {
#ifdef VOSTREL_HAVE_STD_TO_CHARS_DOUBLE
  if (how == DecimalConversion::kStandardLibrary) {
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, fractionDigits);
    return {buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())};
  }
#endif
  static_cast<void>(how);
  return WriteScientificPortably(value, fractionDigits, buffer);
}

}  // namespace vostrel
