#include "calc/format_amount.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/calc/conversion_param.h"

namespace vostrel {
namespace {

struct FormatCase {
  double value;
  std::string expected;
};

class FormatAmountTest : public testing::TestWithParam<DecimalConversion> {
 protected:
  void ExpectFormats(const std::vector<FormatCase>& cases, std::string_view separator = ".") const {
    for (const FormatCase& c : cases) {
      EXPECT_EQ(FormatAmount(c.value, separator, GetParam()), c.expected)
          << "value: " << c.value << " (separator \"" << separator << "\")";
    }
  }
};

INSTANTIATE_TEST_SUITE_P(, FormatAmountTest, testing::ValuesIn(WritingConversions()),
                         ConversionName);

TEST_P(FormatAmountTest, WholeAmountsHaveNoSeparator) {
  ExpectFormats({{10, "10"},
                 {276, "276"},
                 {2100, "2100"},
                 {1, "1"},
                 {-24, "-24"},
                 {100000000000000, "100000000000000"}});
}

TEST_P(FormatAmountTest, ZeroOfEitherSign) {
  ExpectFormats({{0.0, "0"}, {-0.0, "0"}});
}

TEST_P(FormatAmountTest, FractionsGetALeadingZeroAndNoTrailingZeros) {
  ExpectFormats({{0.5, "0.5"}, {-0.5, "-0.5"}, {15.5, "15.5"}, {3.25, "3.25"}, {0.1, "0.1"}});
}

TEST_P(FormatAmountTest, FifteenSignificantDigitsHideRepresentationErrors) {
  ExpectFormats({{2.0999999999999996, "2.1"},
                 {18.599999999999998, "18.6"},
                 {0.30000000000000004, "0.3"},
                 {3.1000000000000001, "3.1"},
                 {1.0 / 3.0, "0.333333333333333"},
                 {2.0 / 3.0, "0.666666666666667"},
                 {123456789012345.6, "123456789012346"},
                 {-9.99999999999999e-1, "-0.999999999999999"},
                 {0.99999999999999989, "1"},
                 {1234567890123445.0, "1.23456789012344E+15"},  // exact halves: to even
                 {1234567890123455.0, "1.23456789012346E+15"}});
}

TEST_P(FormatAmountTest, LargeMagnitudesSwitchToExponentFormAfterRounding) {
  ExpectFormats({{999999999999999, "999999999999999"},
                 {999999999999999.9, "1E+15"},
                 {1e15, "1E+15"},
                 {-1e15, "-1E+15"},
                 {1.5e16, "1.5E+16"},
                 {1.2e308, "1.2E+308"},
                 {std::numeric_limits<double>::max(), "1.79769313486232E+308"}});
}

TEST_P(FormatAmountTest, SmallMagnitudesStayPlainWhileFifteenDecimalsServe) {
  ExpectFormats({{0.000056789, "0.000056789"},
                 {1e-15, "0.000000000000001"},
                 {1.5e-15, "1.5E-15"},
                 {5.6789e-12, "5.6789E-12"},
                 {-5.6789e-12, "-5.6789E-12"},
                 {1e-5, "0.00001"},
                 {1.2345678901234e-5, "1.2345678901234E-05"},
                 {1e-310, "9.99999999999997E-311"},  // a subnormal: fewer digits hold
                 {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"}});
}

TEST_P(FormatAmountTest, UsesTheCallersSeparatorAndNoGrouping) {
  ExpectFormats({{0.5, "0,5"},
                 {15.5, "15,5"},
                 {18.599999999999998, "18,6"},
                 {1234567.25, "1234567,25"},
                 {1.2e308, "1,2E+308"},
                 {10, "10"}},
                ",");
  ExpectFormats({{2.5,
                  "2\xD9\xAB"
                  "5"}},
                "\xD9\xAB");  // a two-byte separator
}

TEST_P(FormatAmountTest, NonFiniteValuesAreNamed) {
  ExpectFormats({{std::numeric_limits<double>::infinity(), "Infinity"},
                 {-std::numeric_limits<double>::infinity(), "-Infinity"},
                 {std::numeric_limits<double>::quiet_NaN(), "NaN"}});
}

}  // namespace
}  // namespace vostrel
