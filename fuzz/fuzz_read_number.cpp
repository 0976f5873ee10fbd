// Arbitrary bytes as a text the user typed into a price box. Checks that
// ReadNumber agrees with the C library's strtod on the part of the text that
// both understand, ignores blanks wherever they are, never yields a value
// that is not finite, and that what FormatAmount writes reads back as the
// amount rounded to 15 significant digits; and that the portable conversions
// (calc/decimal_conversion.h) give the same as the default ones.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "calc/format_amount.h"
#include "calc/read_number.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

bool Same(std::optional<double> a, std::optional<double> b) {
  if (a.has_value() != b.has_value()) {
    return false;
  }
  return !a || (*a == *b && std::signbit(*a) == std::signbit(*b));
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// strtod understands a superset of the number syntax (hexadecimal, "inf",
// "nan", locale-dependent points), so it only sees the text once blanks are
// gone and the text is cut at the first character a decimal number cannot
// hold. ReadNumber takes d and D as exponent markers as well as e and E;
// strtod knows only the latter, so d and D reach it as e. The fuzzer never
// calls setlocale, so strtod's point is ".".
std::optional<double> ReferenceRead(std::string_view text) {
  std::string plain;
  for (const char c : text) {
    if (IsBlank(c)) {
      continue;
    }
    if ((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E') {
      plain += c;
    } else if (c == 'd' || c == 'D') {
      plain += 'e';
    } else {
      break;
    }
  }
  errno = 0;
  const double value = std::strtod(plain.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value)) {
    return std::nullopt;
  }
  return value;
}

// v rounded to 15 significant digits by the C library, independently of
// FormatAmount; nothing when the rounding carries it past the largest double.
std::optional<double> RoundTo15Digits(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", v);
  const double rounded = std::strtod(buffer, nullptr);
  if (std::isinf(rounded)) {
    return std::nullopt;
  }
  return rounded;
}

bool ContainsNonFiniteWord(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower.find("inf") != std::string::npos || lower.find("nan") != std::string::npos;
}

void CheckWritten(double v) {
  const std::string text = vostrel::FormatAmount(v, ".");
  Require(!text.empty(), "FormatAmount wrote nothing");
  Require(!ContainsNonFiniteWord(text), "FormatAmount wrote inf or nan for a finite amount");
  Require(text != "-0", "FormatAmount wrote -0");
  Require(!text.starts_with("-0") || text.starts_with("-0."),
          "a negative amount below 1 must read -0.x");
  Require(text.find_first_not_of("0123456789.-+E") == std::string::npos,
          "FormatAmount wrote a character outside digits, sign, point and exponent");

  std::string withComma = text;
  for (char& c : withComma) {
    if (c == '.') {
      c = ',';
    }
  }
  Require(vostrel::FormatAmount(v, ",") == withComma, "the separator changed more than the point");
  Require(vostrel::FormatAmount(v, ".", vostrel::DecimalConversion::kPortable) == text,
          "the portable writing differs");

  const std::optional<double> back = vostrel::ReadNumber(text);
  const std::optional<double> expected = RoundTo15Digits(v);
  Require(back.has_value() == expected.has_value(), "written amount overflowed on reading back");
  if (back) {
    Require(*back == *expected, "written amount does not read back as its 15-digit rounding");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<double> value = vostrel::ReadNumber(text);

  Require(!value || std::isfinite(*value), "ReadNumber returned a value that is not finite");
  const std::optional<double> reference = ReferenceRead(text);
  Require(value.has_value() == reference.has_value(), "ReadNumber and strtod disagree on overflow");
  if (value) {
    Require(*value == *reference, "ReadNumber and strtod disagree on the value");
  }

  // Blanks are skipped anywhere, so spreading them between every byte (and
  // in front) changes nothing, sign of zero included. The spread text is
  // twice as long, which also keeps a reading that is worse than linear in
  // blanks from hiding below libFuzzer's time limit.
  static constexpr std::string_view kBlanks = " \t\r\n";
  std::string spread(1, '\t');
  spread.reserve(2 * size + 1);
  for (std::size_t i = 0; i < size; ++i) {
    spread += text[i];
    spread += kBlanks[i % kBlanks.size()];
  }
  Require(Same(vostrel::ReadNumber(spread), value), "blanks between characters changed the number");
  Require(Same(vostrel::ReadNumber(text, vostrel::DecimalConversion::kPortable), value),
          "the portable reading differs");

  if (value) {
    CheckWritten(*value);
  }

  // Amounts the report writes are products and sums, so any bit pattern is
  // fair game for writing, not only values some text reads as.
  if (size >= sizeof(double)) {
    double raw = 0.0;
    std::memcpy(&raw, data, sizeof raw);
    if (std::isfinite(raw)) {
      CheckWritten(raw);
    }
  }
  return 0;
}
