#include "calc/decimal_conversion.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <initializer_list>
#include <limits>
#include <optional>
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

}  // namespace
}  // namespace vostrel
