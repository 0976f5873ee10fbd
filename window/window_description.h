// What the window shows when it opens: texts, colours, fonts, the position of
// every control and the tab order. Plain C++: each runtime builds its
// controls from it (the desktop's widgets, the web page's elements).
// Positions are in twips (1/1440 inch, 15 to a pixel at 96 dots per inch)
// from the top-left corner of the client area, so they can be checked
// against the rate card's layout figure for figure; a runtime turns them into
// its own pixels.
//
// Everything that comes once per rate row is sized and placed by the rate
// sheet's row count. A fifth row needs its entry in the rate sheet and
// nothing here: it stands a row pitch below the fourth, the commands, the
// output box and the window's bottom edge move down with it, and the tab
// order takes its list and price before the commands. (The report's lines
// follow the rate sheet likewise.)
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "calc/rate_sheet.h"

namespace vostrel::window {

struct Twips {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kTwipsPerPixel = 15;

// Every position and size below divides evenly by kTwipsPerPixel, so nothing
// is rounded.
constexpr int Pixels(int twips) {
  return twips / kTwipsPerPixel;
}

struct Rgb {
  int red;
  int green;
  int blue;
};

// Window.
inline constexpr std::string_view kCaption = "vostrel.example.org Vostrel";
inline constexpr int kClientWidth = 6915;
inline constexpr Rgb kWindowColour{192, 192, 255};
inline constexpr std::string_view kFontFamily = "Times New Roman";
inline constexpr double kFontPoints = 12;
inline constexpr double kPriceFontPoints = 9.75;

// Label1: the title and the three column headings, text centred.
inline constexpr Rgb kHeadingColour{255, 192, 128};
inline constexpr std::array<std::string_view, 4> kHeadingTexts = {"Тарифи месечно за хостинг [лв.]",
                                                                  "Вид услуга", "Размер", "Цена"};
inline constexpr std::array<Twips, 4> kHeadingGeometry = {{
    {960, 0, 4575, 375},
    {480, 600, 1455, 375},
    {3240, 600, 1215, 375},
    {4680, 600, 975, 375},
}};
inline constexpr std::size_t kServiceHeading = 1;
inline constexpr std::size_t kQuantityHeading = 2;
inline constexpr std::size_t kPriceHeading = 3;

// The rate rows, top to bottom, one per row of the rate sheet: Label2
// (caption), List1 (quantity), Text2 (unit price), a row pitch apart.
inline constexpr int kFirstRowTop = 960;
inline constexpr int kRowPitch = 360;

constexpr int RowTop(std::size_t row) {
  return kFirstRowTop + kRowPitch * static_cast<int>(row);
}

// One column of the rows: where its control stands in the first row.
constexpr std::array<Twips, kRateRowCount> RowColumn(const Twips& first) {
  std::array<Twips, kRateRowCount> column{};
  for (std::size_t row = 0; row < kRateRowCount; ++row) {
    column[row] = {first.left, RowTop(row), first.width, first.height};
  }
  return column;
}

inline constexpr Rgb kCaptionColour{128, 255, 255};
inline constexpr auto kCaptionGeometry = RowColumn({120, kFirstRowTop, 3015, 345});
inline constexpr auto kQuantityGeometry = RowColumn({3240, kFirstRowTop, 1215, 345});
inline constexpr auto kPriceGeometry = RowColumn({4680, kFirstRowTop, 975, 315});

// Below the rows, where the commands stand; the output box and the window's
// height follow from it.
inline constexpr int kBelowRows = RowTop(kRateRowCount);

// Command1: Calculate (index 0) and Clear (index 1).
inline constexpr int kCalculate = 0;
inline constexpr int kClear = 1;
inline constexpr std::array<std::string_view, 2> kCommandTexts = {"Изчисли", "Изчисти"};
inline constexpr std::array<Rgb, 2> kCommandColours = {{{0, 255, 0}, {255, 0, 0}}};
inline constexpr std::array<Twips, 2> kCommandGeometry = {{
    {840, kBelowRows, 1695, 375},
    {4560, kBelowRows, 1695, 375},
}};

// Text1: the output box (index 0) and a hidden box holding an aphorism
// (index 1) that nothing reads; the hidden one reaches past the right edge.
inline constexpr std::array<Twips, 2> kTextBoxGeometry = {{
    {120, kBelowRows + 480, 6735, 1815},
    {600, kBelowRows + 840, 6735, 1815},
}};
inline constexpr int kClientHeight = kTextBoxGeometry[0].top + kTextBoxGeometry[0].height + 480;

// The controls' names: a group and an index, "List1_0" as an object name or
// an element's id.
inline constexpr std::string_view kLabel1 = "Label1";
inline constexpr std::string_view kLabel2 = "Label2";
inline constexpr std::string_view kList1 = "List1";
inline constexpr std::string_view kText2 = "Text2";
inline constexpr std::string_view kCommand1 = "Command1";
inline constexpr std::string_view kText1 = "Text1";

struct ControlName {
  std::string_view group;
  std::size_t index;
};

inline std::string NameOf(const ControlName& control) {
  return std::string(control.group) + '_' + std::to_string(control.index);
}

// Keyboard focus, from the output box, which holds it when the window opens:
// each row's list and price, then the commands. Labels and the hidden box
// take no focus.
inline constexpr auto kTabOrder = [] {
  std::array<ControlName, 1 + 2 * kRateRowCount + 2> order{};
  std::size_t next = 0;
  order[next++] = {kText1, 0};
  for (std::size_t row = 0; row < kRateRowCount; ++row) {
    order[next++] = {kList1, row};
    order[next++] = {kText2, row};
  }
  order[next++] = {kCommand1, kCalculate};
  order[next++] = {kCommand1, kClear};
  return order;
}();

// Shown in the output box until the first command.
inline constexpr std::string_view kTaskStatement =
    "Разглеждаме безплатни хостинг услуги като:\r\n"
    "Free webhosting\r\n"
    "Free blog hosting\r\n"
    "Free domain\r\n"
    "Free email \r\n"
    "Free file hosting \r\n"
    "Free forum hosting \r\n"
    "Free image hosting \r\n"
    "\r\n"
    "На основа разгледани действащи интернет компании за хостинг да се разгледат най-често "
    "повтарящите се критерии за формиране на месечна такса за webhosting.\r\n"
    "Съществуват и годишни такси - пример запазване на име на сайт. \r\n"
    "Да се състави проект, чрез който се осъществява междупредметна връзка между ИТ и "
    "Информатика.\r\n"
    "Проектът да изчислява дължима такса за месечен абонамент за web услуги в частност "
    "hosting.\r\n";

inline constexpr std::string_view kAphorism =
    "Неприятното в това да си първият, направил нещо по правилния начин, е, че никой не "
    "оценява колко трудно е било. \r\n";

// Accessible name of the output box.
inline constexpr std::string_view kReportName = "Отчет";

}  // namespace vostrel::window
