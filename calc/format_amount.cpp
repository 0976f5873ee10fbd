#include "calc/format_amount.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "calc/decimal_conversion.h"

namespace vostrel {
namespace {

// The rounded amount as plain significant digits and the decimal exponent of
// the first one: 1234.5 is {"12345", 3}. Trailing zeros are dropped.
struct Decimal {
  std::string_view digits;
  int exponent = 0;
};

// Scientific form with 14 digits after the point gives the 15 correctly
// rounded significant digits, "d.ddddddddddddddde±x".
Decimal Decompose(double magnitude, DecimalConversion conversion,
                  std::array<char, kMaxScientificLength>& buffer, std::array<char, 16>& digits) {
  const std::string_view text =
      WriteScientific(magnitude, kSignificantDigits - 1, buffer, conversion);
  const std::size_t marker = text.find('e');

  std::size_t count = 0;
  for (const char c : text.substr(0, marker)) {
    if (c != '.') {
      digits[count++] = c;
    }
  }
  while (count > 1 && digits[count - 1] == '0') {
    --count;
  }

  int exponent = 0;
  const std::string_view exponentText = text.substr(marker + 1);
  const char* first = exponentText.data();
  if (*first == '+') {
    ++first;  // from_chars takes no plus sign
  }
  std::from_chars(first, exponentText.data() + exponentText.size(), exponent);
  return {std::string_view(digits.data(), count), exponent};
}

void AppendExponentForm(std::string& out, const Decimal& d, std::string_view separator) {
  out += d.digits.front();
  if (d.digits.size() > 1) {
    out += separator;
    out += d.digits.substr(1);
  }
  out += 'E';
  out += d.exponent < 0 ? '-' : '+';
  const int magnitude = std::abs(d.exponent);
  if (magnitude < 10) {
    out += '0';
  }
  out += std::to_string(magnitude);
}

void AppendPlainForm(std::string& out, const Decimal& d, std::string_view separator) {
  const auto digitCount = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    out += '0';
    out += separator;
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out += d.digits;
    return;
  }
  const int integerDigits = d.exponent + 1;
  if (digitCount <= integerDigits) {
    out += d.digits;
    out.append(static_cast<std::size_t>(integerDigits - digitCount), '0');
    return;
  }
  const auto split = static_cast<std::size_t>(integerDigits);
  out += d.digits.substr(0, split);
  out += separator;
  out += d.digits.substr(split);
}

}  // namespace

std::string FormatAmount(double amount, std::string_view decimalSeparator) {
  return FormatAmount(amount, decimalSeparator, WritingConversions().front());
}

std::string FormatAmount(double amount, std::string_view decimalSeparator,
                         DecimalConversion conversion) {
  if (std::isnan(amount)) {
    return "NaN";
  }
  if (std::isinf(amount)) {
    return amount < 0 ? "-Infinity" : "Infinity";
  }
  if (amount == 0.0) {
    return "0";  // both zeros
  }

  std::array<char, kMaxScientificLength> buffer{};
  std::array<char, 16> digits{};
  const Decimal d = Decompose(std::fabs(amount), conversion, buffer, digits);

  std::string out;
  if (amount < 0) {
    out += '-';
  }
  const auto digitsAfterSeparator = static_cast<int>(d.digits.size()) - 1 - d.exponent;
  if (d.exponent >= kSignificantDigits ||
      (d.exponent < 0 && digitsAfterSeparator > kSignificantDigits)) {
    AppendExponentForm(out, d, decimalSeparator);
  } else {
    AppendPlainForm(out, d, decimalSeparator);
  }
  return out;
}

}  // namespace vostrel
