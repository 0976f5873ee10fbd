#include "calc/format_amount.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

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

// The longest text besides the separator: the exponent form's sign, 15
// digits and "E-308"; the plain forms are shorter.
constexpr std::size_t kMaxLengthWithoutSeparator = 1 + kSignificantDigits + 5;

// Writes the text into a buffer sized in advance, on the stack unless the
// separator is unusually long, so that a character costs a store rather than
// a call into the library (which WebAssembly builds do not inline).
class Writer {
 public:
  explicit Writer(std::size_t capacity) {
    if (capacity > stack_.size()) {
      heap_.resize(capacity);
      data_ = heap_.data();
    }
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Put(char c) { data_[size_++] = c; }
  void Put(std::string_view s) {
    std::copy(s.begin(), s.end(), data_ + size_);
    size_ += s.size();
  }
  void Repeat(char c, std::size_t count) {
    std::fill_n(data_ + size_, count, c);
    size_ += count;
  }
  std::string Text() const { return {data_, size_}; }

 private:
  std::array<char, kMaxLengthWithoutSeparator + 8> stack_{};
  std::string heap_;
  char* data_ = stack_.data();
  std::size_t size_ = 0;
};

void WriteExponentForm(Writer& out, const Decimal& d, std::string_view separator) {
  out.Put(d.digits.front());
  if (d.digits.size() > 1) {
    out.Put(separator);
    out.Put(d.digits.substr(1));
  }
  out.Put('E');
  out.Put(d.exponent < 0 ? '-' : '+');
  const int magnitude = std::abs(d.exponent);
  if (magnitude >= 100) {
    out.Put(static_cast<char>('0' + magnitude / 100));
  }
  out.Put(static_cast<char>('0' + magnitude / 10 % 10));
  out.Put(static_cast<char>('0' + magnitude % 10));
}

void WritePlainForm(Writer& out, const Decimal& d, std::string_view separator) {
  const auto digitCount = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    out.Put('0');
    out.Put(separator);
    out.Repeat('0', static_cast<std::size_t>(-d.exponent - 1));
    out.Put(d.digits);
    return;
  }
  const int integerDigits = d.exponent + 1;
  if (digitCount <= integerDigits) {
    out.Put(d.digits);
    out.Repeat('0', static_cast<std::size_t>(integerDigits - digitCount));
    return;
  }
  const auto split = static_cast<std::size_t>(integerDigits);
  out.Put(d.digits.substr(0, split));
  out.Put(separator);
  out.Put(d.digits.substr(split));
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

  Writer out(kMaxLengthWithoutSeparator + decimalSeparator.size());
  if (amount < 0) {
    out.Put('-');
  }
  const auto digitsAfterSeparator = static_cast<int>(d.digits.size()) - 1 - d.exponent;
  if (d.exponent >= kSignificantDigits ||
      (d.exponent < 0 && digitsAfterSeparator > kSignificantDigits)) {
    WriteExponentForm(out, d, decimalSeparator);
  } else {
    WritePlainForm(out, d, decimalSeparator);
  }
  return out.Text();
}

}  // namespace vostrel
