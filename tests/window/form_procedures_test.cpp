// Form_Load and Command1_Click against a runtime that holds the controls'
// properties as the window opens and records what the procedures do.
#include "window/form_procedures.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "calc/rate_sheet.h"
#include "window/window_description.h"

namespace vostrel::window {
namespace {

using Texts = std::array<std::string, kRateRowCount>;
using Indexes = std::array<int, kRateRowCount>;

class RecordingForm final : public FormRuntime {
 public:
  explicit RecordingForm(std::string separator) : separator_(std::move(separator)) {
    for (std::size_t i = 0; i < kRateRowCount; ++i) {
      prices[i] = RateSheet()[i].defaultUnitPrice;
    }
  }

  // The lists open with nothing selected; Form_Load selects.
  Indexes listIndexes = {-1, -1, -1, -1};
  Texts prices;
  std::string output{kTaskStatement};
  mutable std::vector<std::string> log;  // the rows' properties read or written, in order
  std::vector<std::string> outputWrites;
  std::vector<std::string> messages;
  std::vector<std::string> announcements;

  int ListIndex(std::size_t row) const override {
    Log("ListIndex", row);
    return listIndexes[row];
  }
  void SetListIndex(std::size_t row, int index) override {
    Log("SetListIndex", row);
    listIndexes[row] = index;
  }
  std::string List(std::size_t row, int entry) const override {
    Log("List", row);
    const auto& choices = RateSheet()[row].choices;
    return entry >= 0 && static_cast<std::size_t>(entry) < choices.size()
               ? std::string(choices[static_cast<std::size_t>(entry)])
               : std::string();
  }
  std::string Caption(std::size_t row) const override {
    Log("Caption", row);
    return std::string(RateSheet()[row].caption);
  }
  std::string PriceText(std::size_t row) const override {
    Log("PriceText", row);
    return prices[row];
  }
  void SetPriceText(std::size_t row, std::string_view text) override {
    Log("SetPriceText", row);
    prices[row] = text;
  }
  std::string OutputText() const override { return output; }
  void SetOutputText(std::string_view text) override {
    output = text;
    outputWrites.push_back(output);
  }
  void ReportOverflow(std::string_view message) override { messages.emplace_back(message); }
  void Announce(std::string_view text) override { announcements.emplace_back(text); }
  std::string DecimalSeparator() const override { return separator_; }

 private:
  void Log(const char* what, std::size_t row) const {
    log.push_back(std::string(what) + ' ' + std::to_string(row));
  }

  std::string separator_;
};

// Hand-worked amounts: the first choices with the default prices, and the
// same rows after Clear.
const std::string kDefaultReport =
    "Дисково пространство {Mb]: 10\r\nБрой сайтове: 2\r\nБрой MySQL бази данни: 0,5\r\n"
    "Период на обслужване [м]: 3\r\nОбща сума без ДДС: 15,5\r\nДължимо ДДС: 3,1\r\n"
    "Сума за плащане: 18,6\r\n";
const std::string kZeroReport =
    "Дисково пространство {Mb]: 0\r\nБрой сайтове: 0\r\nБрой MySQL бази данни: 0\r\n"
    "Период на обслужване [м]: 0\r\nОбща сума без ДДС: 0\r\nДължимо ДДС: 0\r\n"
    "Сума за плащане: 0\r\n";
const Texts kDefaultPrices = {"0.1", "2", "0.5", "3"};
const Indexes kFirstChoices = {0, 0, 0, 0};
const std::string kHuge = "1" + std::string(307, '0');

struct Case {
  const char* name;
  std::function<void(RecordingForm&)> act;  // after Form_Load
  std::string output;
  Indexes listIndexes;
  Texts prices;
  std::vector<std::string> messages;
  std::vector<std::string> announcements;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"start-up",
       [](RecordingForm&) {},
       std::string(kTaskStatement),
       kFirstChoices,
       kDefaultPrices,
       {},
       {}},
      {"Calculate",
       [](RecordingForm& f) { Command1_Click(f, kCalculate); },
       kDefaultReport,
       kFirstChoices,
       kDefaultPrices,
       {},
       {"Сума за плащане: 18,6"}},
      {"Calculate twice writes one report",
       [](RecordingForm& f) {
         Command1_Click(f, kCalculate);
         Command1_Click(f, kCalculate);
       },
       kDefaultReport,
       kFirstChoices,
       kDefaultPrices,
       {},
       {"Сума за плащане: 18,6", "Сума за плащане: 18,6"}},
      {"Clear selects the first choices and empties the prices",
       [](RecordingForm& f) {
         f.listIndexes = {20, 11, 5, 11};
         f.prices[1] = "7";
         Command1_Click(f, kClear);
       },
       "",
       kFirstChoices,
       {"", "", "", ""},
       {},
       {}},
      {"Clear, then Calculate",
       [](RecordingForm& f) {
         f.listIndexes = {20, 11, 5, 11};
         Command1_Click(f, kClear);
         Command1_Click(f, kCalculate);
       },
       kZeroReport,
       kFirstChoices,
       {"", "", "", ""},
       {},
       {"Сума за плащане: 0"}},
      {"a price edited after Calculate waits for the next",
       [](RecordingForm& f) {
         Command1_Click(f, kCalculate);
         f.prices[1] = "5";
       },
       kDefaultReport,
       kFirstChoices,
       {"0.1", "5", "0.5", "3"},
       {},
       {"Сума за плащане: 18,6"}},
      {"an overflow keeps the lines written and the inputs, and names the row",
       [](RecordingForm& f) {
         f.listIndexes[2] = 11;
         f.prices[2] = kHuge + "0";
         Command1_Click(f, kCalculate);
       },
       "Дисково пространство {Mb]: 10\r\nБрой сайтове: 2\r\n",
       {0, 0, 11, 0},
       {"0.1", "2", kHuge + "0", "3"},
       {"Overflow: препълване при изчисляване на „Брой MySQL бази данни“.\nСумата е извън "
        "допустимия обхват. Въведете по-малка цена и изчислете отново."},
       {}},
      {"another index only empties the output box",
       [](RecordingForm& f) {
         f.prices[0] = "9";
         Command1_Click(f, 2);
         Command1_Click(f, -1);
       },
       "",
       kFirstChoices,
       {"9", "2", "0.5", "3"},
       {},
       {}},
  };
  return cases;
}

TEST(FormProcedures, Table) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    RecordingForm form(",");
    Form_Load(form);
    c.act(form);
    EXPECT_EQ(form.output, c.output);
    EXPECT_EQ(form.listIndexes, c.listIndexes);
    EXPECT_EQ(form.prices, c.prices);
    EXPECT_EQ(form.messages, c.messages);
    EXPECT_EQ(form.announcements, c.announcements);
    // Every command first empties the output box; every later write adds
    // one line to what the box holds.
    for (std::size_t i = 1; i < form.outputWrites.size(); ++i) {
      const std::string& before = form.outputWrites[i - 1];
      const std::string& after = form.outputWrites[i];
      if (!after.empty()) {
        EXPECT_TRUE(after.starts_with(before) && after.ends_with("\r\n") &&
                    after.find("\r\n", before.size()) == after.size() - 2)
            << before << "\n-> " << after;
      }
    }
  }
}

// Calculate reads each row's selected index, that entry, the price and the
// caption, in that order, row by row.
TEST(FormProcedures, CalculateReadsEachRowInOrder) {
  RecordingForm form(".");
  Command1_Click(form, kCalculate);
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    for (const char* read : {"ListIndex", "List", "PriceText", "Caption"}) {
      expected.push_back(std::string(read) + ' ' + std::to_string(i));
    }
  }
  EXPECT_EQ(form.log, expected);
  // With no entry selected (before Form_Load), a quantity reads as 0.
  EXPECT_EQ(form.output, kZeroReport);
}

}  // namespace
}  // namespace vostrel::window
