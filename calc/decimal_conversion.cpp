#include "calc/decimal_conversion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace vostrel {
namespace {

// The build finds out which of the standard conversions its library has
// (calc/CMakeLists.txt); the C library's are always there.
constexpr std::array kReadingConversions = {
#ifdef VOSTREL_HAVE_STD_FROM_CHARS_DOUBLE
    DecimalConversion::kStandardLibrary,
#endif
    DecimalConversion::kCLibrary};
constexpr std::array kWritingConversions = {
#ifdef VOSTREL_HAVE_STD_TO_CHARS_DOUBLE
    DecimalConversion::kStandardLibrary,
#endif
    DecimalConversion::kCLibrary};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Far outside any double's exponent, and far from overflowing when the
// fraction's length is taken off.
constexpr std::int64_t kExponentCap = 1'000'000'000'000;

// strtod takes the locale's decimal point, which the program's locale may
// make a comma, so the point goes into the exponent: "0012.50e3" is read as
// "125e2". Leading and trailing zeros go too, so that megabytes of them cost
// strtod nothing.
std::optional<double> ReadWithStrtod(std::string_view chars) {
  std::string plain;
  plain.reserve(chars.size() + 16);
  std::int64_t exponent = 0;
  bool seenPoint = false;
  std::size_t i = 0;
  for (; i < chars.size() && chars[i] != 'e'; ++i) {
    if (chars[i] == '.') {
      seenPoint = true;
      continue;
    }
    if (seenPoint) {
      --exponent;
    }
    if (chars[i] != '0' || !plain.empty()) {
      plain += chars[i];
    }
  }
  const std::size_t lastSignificant = plain.find_last_not_of('0');
  if (lastSignificant == std::string::npos) {
    return 0.0;
  }
  exponent += static_cast<std::int64_t>(plain.size() - 1 - lastSignificant);
  plain.resize(lastSignificant + 1);

  if (i < chars.size()) {
    ++i;  // the "e"
    const bool negative = i < chars.size() && chars[i] == '-';
    if (i < chars.size() && (chars[i] == '-' || chars[i] == '+')) {
      ++i;
    }
    std::int64_t written = 0;
    for (; i < chars.size() && IsDigit(chars[i]); ++i) {
      if (written < kExponentCap) {
        written = written * 10 + (chars[i] - '0');
      }
    }
    exponent += negative ? -written : written;
  }
  plain += 'e';
  plain += std::to_string(exponent);

  const double value = std::strtod(plain.c_str(), nullptr);
  if (std::isinf(value) || value == 0.0) {
    return std::nullopt;  // some digit is not 0, so zero means underflow
  }
  return value;
}

// snprintf writes the locale's decimal point, which may be a comma or take
// several bytes; it comes out as ".".
std::string_view WriteWithSnprintf(double value, int fractionDigits,
                                   std::span<char, kMaxScientificLength> buffer) {
  std::array<char, 64> text{};
  const int written = std::snprintf(text.data(), text.size(), "%.*e", fractionDigits, value);
  const std::size_t length =
      written < 0 ? 0 : std::min(static_cast<std::size_t>(written), text.size() - 1);
  std::size_t in = 0;
  std::size_t out = 0;
  const auto copy = [&] {
    if (out < buffer.size()) {
      buffer[out++] = text[in];
    }
    ++in;
  };
  if (in < length && text[in] == '-') {
    copy();
  }
  if (in < length) {
    copy();  // the leading digit
  }
  if (fractionDigits > 0 && out < buffer.size()) {
    buffer[out++] = '.';
    while (in < length && !IsDigit(text[in])) {
      ++in;
    }
  }
  while (in < length) {
    copy();
  }
  return {buffer.data(), out};
}

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
  return ReadWithStrtod(chars);
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
  return WriteWithSnprintf(value, fractionDigits, buffer);
}

}  // namespace vostrel
