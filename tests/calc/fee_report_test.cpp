#include "calc/fee_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/rate_sheet.h"

namespace vostrel {
namespace {

struct Report {
  std::vector<std::string> lines;
  ReportOutcome outcome;
};

// Runs the report over the rate sheet's captions with the given choices and
// unit-price texts.
Report RunReport(const std::array<std::string, 4>& choices,
                 const std::array<std::string, 4>& prices, std::string_view separator = ".") {
  std::array<RowInput, kRateRowCount> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = {RateSheet()[i].caption, choices[i], prices[i]};
  }
  Report report;
  report.outcome = BuildFeeReport(rows, separator,
                                  [&](std::string_view line) { report.lines.emplace_back(line); });
  return report;
}

const std::array<std::string, 4> kFirstChoices = {"100", "1", "1", "1"};
const std::array<std::string, 4> kLargestChoices = {"2100", "12", "12", "12"};
const std::array<std::string, 4> kDefaultPrices = {"0.1", "2", "0.5", "3"};
const std::array<std::string, 4> kEmptyPrices = {"", "", "", ""};

std::vector<std::string> Lines(const std::array<std::string, 7>& amounts) {
  return {"Дисково пространство {Mb]: " + amounts[0] + "\r\n",
          "Брой сайтове: " + amounts[1] + "\r\n",
          "Брой MySQL бази данни: " + amounts[2] + "\r\n",
          "Период на обслужване [м]: " + amounts[3] + "\r\n",
          "Обща сума без ДДС: " + amounts[4] + "\r\n",
          "Дължимо ДДС: " + amounts[5] + "\r\n",
          "Сума за плащане: " + amounts[6] + "\r\n"};
}

TEST(RateSheet, RowsChoicesAndDefaults) {
  const auto& sheet = RateSheet();
  EXPECT_EQ(sheet[0].caption, "Дисково пространство {Mb]:");
  EXPECT_EQ(sheet[3].caption, "Период на обслужване [м]:");
  EXPECT_EQ(sheet[0].choices.size(), 21U);
  EXPECT_EQ(sheet[0].choices.front(), "100");
  EXPECT_EQ(sheet[0].choices.back(), "2100");
  for (std::size_t i = 1; i < sheet.size(); ++i) {
    EXPECT_EQ(sheet[i].choices.size(), 12U);
    EXPECT_EQ(sheet[i].choices.front(), "1");
    EXPECT_EQ(sheet[i].choices.back(), "12");
  }
  for (std::size_t n = 0; n < sheet[0].choices.size(); ++n) {
    EXPECT_EQ(sheet[0].choices[n], std::to_string(100 * (n + 1)));
  }
}

struct ReportCase {
  const char* name;
  std::array<std::string, 4> choices;
  std::array<std::string, 4> prices;
  std::string separator;
  std::array<std::string, 7> amounts;
};

TEST(BuildFeeReport, CompleteReports) {
  const std::vector<ReportCase> cases = {
      {"start-up",
       kFirstChoices,
       kDefaultPrices,
       ".",
       {"10", "2", "0.5", "3", "15.5", "3.1", "18.6"}},
      {"start-up, comma",
       kFirstChoices,
       kDefaultPrices,
       ",",
       {"10", "2", "0,5", "3", "15,5", "3,1", "18,6"}},
      {"largest choices",
       kLargestChoices,
       kDefaultPrices,
       ".",
       {"210", "24", "6", "36", "276", "55.2", "331.2"}},
      {"largest choices, comma",
       kLargestChoices,
       kDefaultPrices,
       ",",
       {"210", "24", "6", "36", "276", "55,2", "331,2"}},
      {"prices emptied", kFirstChoices, kEmptyPrices, ".", {"0", "0", "0", "0", "0", "0", "0"}},
      {"comma price reads 0",
       kFirstChoices,
       {"0,5", "2", "0.5", "3"},
       ".",
       {"0", "2", "0.5", "3", "5.5", "1.1", "6.6"}},
      {"blank inside, letters",
       kFirstChoices,
       {"1 5", "2abc", "abc", "3"},
       ".",
       {"1500", "2", "0", "3", "1505", "301", "1806"}},
      {"negative price lowers the total",
       kFirstChoices,
       {"0.1", "-20", "0.5", "3"},
       ".",
       {"10", "-20", "0.5", "3", "-6.5", "-1.3", "-7.8"}},
      {"negative zero prints 0",
       {"100", "1", "1", "0"},
       {"0", "-0", "", "-5"},
       ".",
       {"0", "0", "0", "0", "0", "0", "0"}},
      {"quantity rounds half to even",
       {"2.5", "3.5", "-0.5", "1.49"},
       {"1", "1", "1", "1"},
       ".",
       {"2", "4", "0", "1", "7", "1.4", "8.4"}},
      {"quantity range ends",
       {"32767", "-32768", "32767.4", "-32768.5"},
       {"1", "1", "0", "0"},
       ".",
       {"32767", "-32768", "0", "0", "-1", "-0.2", "-1.2"}},
      {"15-digit rounding",
       {"3", "1", "1", "1"},
       {"0.7", "", "", ""},
       ".",
       {"2.1", "0", "0", "0", "2.1", "0.42", "2.52"}},
  };
  for (const ReportCase& c : cases) {
    const Report report = RunReport(c.choices, c.prices, c.separator);
    EXPECT_TRUE(report.outcome.complete()) << c.name;
    EXPECT_EQ(report.lines, Lines(c.amounts)) << c.name;
  }
}

struct OverflowCase {
  const char* name;
  std::array<std::string, 4> choices;
  std::array<std::string, 4> prices;
  ReportLine stoppedAt;
};

TEST(BuildFeeReport, OverflowStopsBeforeTheFailingLine) {
  const std::string huge = "1" + std::string(307, '0');  // times 100 leaves the double range
  const std::vector<OverflowCase> cases = {
      {"row 0 amount", kFirstChoices, {huge, "2", "0.5", "3"}, RowLine(0)},
      {"row 2 amount", {"100", "1", "12", "1"}, {"0.1", "2", "-" + huge + "0", "3"}, RowLine(2)},
      {"price too large to read", kFirstChoices, {"0.1", "1e400", "0.5", "3"}, RowLine(1)},
      {"quantity above 16 bits", {"100", "1", "1", "32767.5"}, kDefaultPrices, RowLine(3)},
      {"quantity below 16 bits", {"-32769", "1", "1", "1"}, kDefaultPrices, RowLine(0)},
      {"quantity too large to read", {"100", "1e999", "1", "1"}, kDefaultPrices, RowLine(1)},
      {"total", {"1", "1", "1", "1"}, {"1e308", "1e308", "0", "0"}, ReportLine::Total},
      {"VAT cannot overflow alone, the amount payable can",
       {"1", "1", "1", "1"},
       {"1.6e308", "", "", ""},
       ReportLine::Payable},
  };
  for (const OverflowCase& c : cases) {
    const Report report = RunReport(c.choices, c.prices);
    ASSERT_FALSE(report.outcome.complete()) << c.name;
    EXPECT_EQ(report.outcome.overflowAt, c.stoppedAt) << c.name;
    EXPECT_EQ(report.lines.size(), static_cast<std::size_t>(c.stoppedAt)) << c.name;
    for (const std::string& line : report.lines) {
      EXPECT_EQ(line.find("inf"), std::string::npos) << c.name << ": " << line;
    }
  }
}

TEST(BuildFeeReport, LinesBeforeAnOverflowAreComplete) {
  const Report report = RunReport({"1", "1", "1", "1"}, {"1e308", "1e308", "0", "0"});
  ASSERT_EQ(report.lines.size(), 4U);
  EXPECT_EQ(report.lines[0], "Дисково пространство {Mb]: 1E+308\r\n");
  EXPECT_EQ(report.lines[3], "Период на обслужване [м]: 0\r\n");
}

}  // namespace
}  // namespace vostrel
