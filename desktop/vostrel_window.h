// The calculator's only window, on Qt Widgets: the desktop's runtime for the
// window's description and its event procedures (window/).
//
// How the pieces meet: the window builds its controls from the description
// and the rate sheet, each row as a caption label (Label2), a quantity list
// (List1) and a unit-price box (Text2), indexed by row, and offers their
// properties to the procedures (window/form_runtime.h). It calls Form_Load
// once its controls exist, and Command1_Click with the button's index on
// each click of Command1(0) "Изчисли" or Command1(1) "Изчисти". The
// procedures read the controls, have the core build the report and write it
// to the output box Text1(0); the window does no arithmetic of its own.
//
// What it adds as a runtime: amounts are written with the decimal separator
// of the user's locale; where Qt has announcements (6.8 and later), the
// announced amount payable goes to assistive technology; an overflow is
// reported in a modal message.
//
// The window fixes its own backgrounds and keeps the text on them legible
// under whatever colour scheme the desktop has, also when it changes
// (legible_text.h); lists and text boxes follow the scheme.
#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <string_view>

#include "calc/rate_sheet.h"
#include "window/form_runtime.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vostrel::desktop {

class QuantityList;

class Vostrel final : public QWidget, private window::FormRuntime {
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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpWindow();
  void CreateControls();
  void ApplyLook();
  void PaintControls();
  void SetTabOrder();
  void Connect();

  // The procedures' view of the controls.
  int ListIndex(std::size_t row) const override;
  void SetListIndex(std::size_t row, int index) override;
  std::string List(std::size_t row, int entry) const override;
  std::string Caption(std::size_t row) const override;
  std::string PriceText(std::size_t row) const override;
  void SetPriceText(std::size_t row, std::string_view text) override;
  std::string OutputText() const override;
  void SetOutputText(std::string_view text) override;
  void ReportOverflow(std::string_view message) override;
  void Announce(std::string_view text) override;
  std::string DecimalSeparator() const override;
};

}  // namespace vostrel::desktop
