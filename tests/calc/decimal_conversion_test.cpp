#include "calc/decimal_conversion.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ios>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace vostrel {
namespace {

struct ReadCase {
  std::string_view chars;
  std::optional<double> expected;
};
struct WriteCase {
  double value;
  int fractionDigits;
  std::string_view expected;
};

constexpr std::array<ReadCase, 6> kReadExamples = {{
    {"1.5", 1.5},
    {"25e-1", 2.5},
    {"0.000", 0.0},
    {"4.9e-324", std::numeric_limits<double>::denorm_min()},
    {"2e-324", std::nullopt},
    {"1.8e308", std::nullopt},
}};
constexpr std::array<WriteCase, 4> kWriteExamples = {{
    {1234.5, 3, "1.234e+03"},
    {0.1, 14, "1.00000000000000e-01"},
    {2.5, 0, "2e+00"},
    {-1.7976931348623157e308, 17, "-1.79769313486231571e+308"},
}};

// The window sets the user's locale, whose decimal point may be a comma or
// take two bytes (Pashto's); no way of converting may follow it.
TEST(DecimalConversion, TheHeaderExamplesInEveryLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  int localesSet = 0;
  for (const char* locale : {"C", "bg_BG.UTF-8", "ps_AF.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) {
      continue;
    }
    SCOPED_TRACE(locale);
    ++localesSet;
    for (const DecimalConversion how : ReadingConversions()) {
      for (const ReadCase& c : kReadExamples) {
        EXPECT_EQ(ReadDecimal(c.chars, how), c.expected) << c.chars;
      }
    }
    for (const DecimalConversion how : WritingConversions()) {
      for (const WriteCase& c : kWriteExamples) {
        std::array<char, kMaxScientificLength> buffer{};
        EXPECT_EQ(WriteScientific(c.value, c.fractionDigits, buffer, how), c.expected);
      }
    }
  }
  std::setlocale(LC_ALL, saved.c_str());
  if (localesSet == 1) {
    GTEST_SKIP() << "neither bg_BG.UTF-8 nor ps_AF.UTF-8 is installed";
  }
}

// Where the build has both ways they must agree everywhere: random doubles
// over the whole range, spread over the magnitudes of amounts, and short
// binary fractions, whose 15th digit is often an exact half; random decimals
// of up to 20 digits, some past the ends of the range.
TEST(DecimalConversion, BothWaysAgreeOnRandomNumbers) {
  constexpr auto kStandard = DecimalConversion::kStandardLibrary;
  constexpr auto kPortable = DecimalConversion::kPortable;
  std::mt19937_64 random(20261210);
  const auto below = [&](std::uint64_t n) { return static_cast<int>(random() % n); };
  bool compared = false;
  if (WritingConversions().size() == 2) {
    compared = true;
    for (int i = 0; i < 300'000; ++i) {
      double value = 0;
      const std::uint64_t bits = random();
      std::memcpy(&value, &bits, sizeof value);  // no std::bit_cast in libc++ 14
      if (i % 3 == 1) {
        value = std::pow(10.0, below(3400) / 100.0 - 17);
      } else if (i % 3 == 2) {
        value = std::ldexp(static_cast<double>(random() >> below(64)), -below(40));
      }
      if (!std::isfinite(value)) {
        continue;
      }
      const int fractionDigits = i % 2 == 0 ? 14 : below(kMaxFractionDigits + 1);
      std::array<char, kMaxScientificLength> standard{};
      std::array<char, kMaxScientificLength> portable{};
      ASSERT_EQ(WriteScientific(value, fractionDigits, standard, kStandard),
                WriteScientific(value, fractionDigits, portable, kPortable))
          << std::hexfloat << value << " with " << fractionDigits << " digits";
    }
  }
  if (ReadingConversions().size() == 2) {
    compared = true;
    for (int i = 0; i < 300'000; ++i) {
      std::string text;
      const int digits = 1 + below(20);
      const int point = below(static_cast<std::uint64_t>(digits) + 1);
      for (int d = 0; d < digits; ++d) {
        text += static_cast<char>('0' + below(10));
        if (d + 1 == point) {
          text += '.';
        }
      }
      text += 'e' + std::to_string(i % 10 == 0 ? below(700) - 350 : below(60) - 30);
      ASSERT_EQ(ReadDecimal(text, kStandard), ReadDecimal(text, kPortable)) << text;
    }
  }
  if (!compared) {
    GTEST_SKIP() << "this build has the portable way alone";
  }
}

}  // namespace
}  // namespace vostrel
