#include "calc/read_number.h"

#include <cstdint>
#include <string>

namespace vostrel {
namespace {

bool IsSkipped(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsExponentMarker(char c) {
  return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

// Walks the text once, handing out the characters that are not skipped.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) { SkipBlanks(); }

  bool AtEnd() const { return pos_ == text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void Advance() {
    ++pos_;
    SkipBlanks();
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && IsSkipped(text_[pos_])) {
      ++pos_;
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The number's characters without sign, blanks or leading zeros, in the form
// ReadDecimal takes, plus the decimal order of magnitude of its first
// significant digit (which decides, when ReadDecimal finds the value out of
// range, whether it was too large or too small).
struct Collected {
  std::string chars;
  bool negative = false;
  bool anySignificantDigit = false;
  std::int64_t leadingExponent = 0;  // before the written exponent is added
};

// Saturates well outside any double's exponent, so that a thousand exponent
// digits cannot wrap around.
constexpr std::int64_t kExponentCap = 1'000'000'000;

Collected Collect(std::string_view text) {
  Collected out;
  out.chars.reserve(text.size() + 1);
  Cursor in(text);

  if (in.Peek() == '+' || in.Peek() == '-') {
    out.negative = in.Peek() == '-';
    in.Advance();
  }

  bool seenPoint = false;
  std::int64_t integerDigits = 0;    // significant digits before the point
  std::int64_t zerosAfterPoint = 0;  // fraction zeros before the first significant digit
  bool anyDigit = false;
  for (;; in.Advance()) {
    const char c = in.Peek();
    if (IsDigit(c)) {
      anyDigit = true;
      if (c == '0' && !out.anySignificantDigit) {
        if (seenPoint) {
          ++zerosAfterPoint;
          out.chars += c;  // keeps the fraction's place value
        }
        continue;
      }
      out.anySignificantDigit = true;
      if (!seenPoint) {
        ++integerDigits;
      }
      out.chars += c;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
      out.chars += c;
    } else {
      break;
    }
  }
  if (!anyDigit) {
    out.chars.clear();
    return out;
  }
  out.leadingExponent = integerDigits > 0 ? integerDigits - 1 : -(zerosAfterPoint + 1);

  if (!IsExponentMarker(in.Peek())) {
    return out;
  }
  in.Advance();
  bool negativeExponent = false;
  if (in.Peek() == '+' || in.Peek() == '-') {
    negativeExponent = in.Peek() == '-';
    in.Advance();
  }
  std::int64_t exponent = 0;
  for (; IsDigit(in.Peek()); in.Advance()) {
    if (exponent < kExponentCap) {
      exponent = exponent * 10 + (in.Peek() - '0');
    }
  }
  if (exponent == 0) {
    return out;  // "1e", "1e+" and "1e0" all mean 10^0
  }
  if (negativeExponent) {
    exponent = -exponent;
  }
  out.leadingExponent += exponent;
  out.chars += 'e';
  out.chars += std::to_string(exponent);
  return out;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
  return ReadNumber(text, ReadingConversions().front());
}

std::optional<double> ReadNumber(std::string_view text, DecimalConversion conversion) {
  const Collected number = Collect(text);
  if (!number.anySignificantDigit) {
    return number.negative ? -0.0 : 0.0;
  }

  double magnitude = 0.0;
  if (const std::optional<double> value = ReadDecimal(number.chars, conversion)) {
    magnitude = *value;
  } else if (number.leadingExponent >= 0) {
    return std::nullopt;  // at least 1: it can only have been too large
  }
  return number.negative ? -magnitude : magnitude;
}

}  // namespace vostrel
