#include "calc/read_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/calc/conversion_param.h"

namespace vostrel {
namespace {

struct ReadCase {
  std::string text;
  double expected;
};

class ReadNumberTest : public testing::TestWithParam<DecimalConversion> {
 protected:
  std::optional<double> Read(std::string_view text) const { return ReadNumber(text, GetParam()); }

  void ExpectReads(const std::vector<ReadCase>& cases) const {
    for (const ReadCase& c : cases) {
      const std::optional<double> got = Read(c.text);
      ASSERT_TRUE(got.has_value()) << "text: \"" << c.text << "\"";
      EXPECT_EQ(*got, c.expected) << "text: \"" << c.text << "\"";
    }
  }
};

INSTANTIATE_TEST_SUITE_P(, ReadNumberTest, testing::ValuesIn(ReadingConversions()), ConversionName);

TEST_P(ReadNumberTest, NoLeadingNumberReadsZero) {
  ExpectReads({{"", 0},
               {"abc", 0},
               {"лв.", 0},
               {" ", 0},
               {"-", 0},
               {"+", 0},
               {".", 0},
               {"-.", 0},
               {"e5", 0},
               {",5", 0},
               {"--5", 0},
               {"+-5", 0},
               {"\xC2\xA0"
                "5",
                0}});
}

TEST_P(ReadNumberTest, TheHeaderExamples) {
  ExpectReads({{"2 лв.", 2},
               {"1 5", 15},
               {" - 1 2 . 5", -12.5},
               {"+7", 7},
               {"0.5", 0.5},
               {".5", 0.5},
               {"0,5", 0},
               {"1.2.3", 1.2},
               {"1e3", 1000},
               {"1D3", 1000},
               {"1e", 1},
               {"1e+x", 1},
               {"&H10", 0},
               {"&O7", 0}});
}

TEST_P(ReadNumberTest, DefaultPricesAndChoices) {
  ExpectReads({{"0.1", 0.1}, {"2", 2}, {"3", 3}, {"100", 100}, {"2100", 2100}, {"12", 12}});
}

TEST_P(ReadNumberTest, BlanksTabsAndLineBreaksAreSkippedAnywhere) {
  ExpectReads({{"\t1\r\n2 3", 123},
               {"1 . 5", 1.5},
               {"1 e 2", 100},
               {"1e - 2", 0.01},
               {"   -   4", -4},
               {"7\n", 7}});
}

TEST_P(ReadNumberTest, OtherCharactersEndTheNumber) {
  ExpectReads({{"2abc", 2},
               {"3,75", 3},
               {"1\xC2\xA0"
                "5",
                1},
               {"12-3", 12},
               {"4+4", 4},
               {"5.5.5", 5.5},
               {"&HFFFF", 0},
               {"1e+-5", 1},
               {"6e.5", 6}});
}

TEST_P(ReadNumberTest, ExponentForms) {
  ExpectReads({{"1E2", 100},
               {"1d2", 100},
               {"1D-2", 0.01},
               {"2.5e+1", 25},
               {"1e0", 1},
               {"1e-0", 1},
               {"0e999999", 0},
               {".5e1", 5},
               {"1e007", 1e7}});
}

TEST_P(ReadNumberTest, ConvertsWithCorrectRounding) {
  // Digit-by-digit arithmetic gets each of these wrong in the last bit.
  ExpectReads({{"0.30000000000000004", 0.30000000000000004},
               {"9007199254740993", 9007199254740992.0},
               {"2.2250738585072011e-308", 2.2250738585072011e-308},
               {"1.7976931348623157e308", std::numeric_limits<double>::max()},
               {"1.7976931348623158e308", std::numeric_limits<double>::max()},
               {"1e-310", 1e-310},
               {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
               {"2.4703282292062328e-324", std::numeric_limits<double>::denorm_min()},
               {"123456789012345678901234567890", 1.2345678901234568e29},
               {"000000000000000000001.5", 1.5}});
}

TEST_P(ReadNumberTest, NegativeZeroReadsAsZero) {
  const std::optional<double> got = Read("-0");
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(*got, 0.0);
}

TEST_P(ReadNumberTest, TooSmallForADoubleReadsZero) {
  ExpectReads({{"1e-400", 0},
               {"2.4703282292062327e-324", 0},
               {"-1e-400", 0},
               {"0." + std::string(400, '0') + "1", 0},
               {"1e-99999999999999999999", 0}});
}

TEST_P(ReadNumberTest, TooLargeForADoubleIsOverflow) {
  for (const std::string& text :
       {std::string("1e400"), std::string("-1e400"), "1" + std::string(400, '0'),
        std::string("1.8e308"), std::string("1.7976931348623159e308"),
        std::string("1e99999999999999999999"), "0." + std::string(5, '0') + "1e400"}) {
    EXPECT_FALSE(Read(text).has_value()) << "text: \"" << text << "\"";
  }
}

TEST_P(ReadNumberTest, LargestFiniteNeighboursStillRead) {
  ExpectReads({{"1" + std::string(307, '0'), 1e307}, {"1e308", 1e308}});
}

TEST_P(ReadNumberTest, MegabyteTexts) {
  const std::size_t megabyte = std::size_t{1} << 20;
  ExpectReads({{std::string(megabyte, ' ') + "7", 7},
               {"0." + std::string(megabyte, '0') + "1", 0},
               {"1." + std::string(megabyte, '0'), 1},
               {"4" + std::string(megabyte, 'x'), 4}});
  EXPECT_FALSE(Read(std::string(megabyte, '9')).has_value());
}

}  // namespace
}  // namespace vostrel
