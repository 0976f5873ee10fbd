// The calculator's only window.
//
// How the pieces meet: the four rate rows come from the rate sheet, each as a
// caption label (Label2), a quantity list (List1) and a unit-price box
// (Text2), indexed by row. Command1(0) "Изчисли" reads every row's caption,
// selected quantity and price text, hands them to BuildFeeReport, and appends
// each line it yields to the output box Text1(0); Command1(1) "Изчисти"
// selects each row's first quantity and empties the prices. The window does
// no arithmetic of its own. Amounts are written with the decimal separator of
// the user's locale.
//
// Where Qt has announcements (6.8 and later), Calculate has assistive
// technology announce the amount-payable line once the report is written.
//
// An overflow (a price so large that an amount leaves the double range) is
// reported in a modal message naming the row or summary line; the lines
// already written stay, and so does everything the user entered.
//
// The window fixes its own backgrounds and keeps the text on them legible
// under whatever colour scheme the desktop has, also when it changes
// (legible_text.h); lists and text boxes follow the scheme.
#pragma once

#include <QWidget>
#include <array>

#include "calc/fee_report.h"
#include "calc/rate_sheet.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vostrel::window {

class QuantityList;

class Vostrel final : public QWidget {
  Q_OBJECT

 public:
  explicit Vostrel(QWidget* parent = nullptr);

  // The controls, in index order; the index is the row, or the command.
  std::array<QLabel*, 4> Label1{};
  std::array<QLabel*, kRateRowCount> Label2{};
  std::array<QuantityList*, kRateRowCount> List1{};
  std::array<QLineEdit*, kRateRowCount> Text2{};
  std::array<QPushButton*, 2> Command1{};
  std::array<QPlainTextEdit*, 2> Text1{};

  // Runs command `index`: 0 Calculate, 1 Clear. Every command first empties
  // the output box.
  void Command1_Click(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpWindow();
  void CreateControls();
  void ApplyLook();
  void PaintControls();
  void SetTabOrder();
  void Connect();
  void Form_Load();

  void Calculate();
  void Clear();
  void AppendToOutput(std::string_view line);
  void ReportOverflow(ReportLine line);
};

}  // namespace vostrel::window
