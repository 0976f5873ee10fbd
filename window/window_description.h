// What the window shows when it opens: texts, colours and the position of
// every control. Positions are in twips (1/1440 inch, 15 to a pixel at 96
// dots per inch) from the top-left corner of the client area, so they can be
// checked against the rate card's layout figure for figure; the window turns
// them into logical pixels and Qt scales those on dense screens.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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
inline constexpr int kClientHeight = 5175;
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

// The rate rows, top to bottom: Label2 (caption), List1 (quantity), Text2
// (unit price).
inline constexpr Rgb kCaptionColour{128, 255, 255};
inline constexpr std::array<Twips, 4> kCaptionGeometry = {{
    {120, 960, 3015, 345},
    {120, 1320, 3015, 345},
    {120, 1680, 3015, 345},
    {120, 2040, 3015, 345},
}};
inline constexpr std::array<Twips, 4> kQuantityGeometry = {{
    {3240, 960, 1215, 345},
    {3240, 1320, 1215, 345},
    {3240, 1680, 1215, 345},
    {3240, 2040, 1215, 345},
}};
inline constexpr std::array<Twips, 4> kPriceGeometry = {{
    {4680, 960, 975, 315},
    {4680, 1320, 975, 315},
    {4680, 1680, 975, 315},
    {4680, 2040, 975, 315},
}};

// Command1: Calculate (index 0) and Clear (index 1).
inline constexpr int kCalculate = 0;
inline constexpr int kClear = 1;
inline constexpr std::array<std::string_view, 2> kCommandTexts = {"Изчисли", "Изчисти"};
inline constexpr std::array<Rgb, 2> kCommandColours = {{{0, 255, 0}, {255, 0, 0}}};
inline constexpr std::array<Twips, 2> kCommandGeometry = {{
    {840, 2400, 1695, 375},
    {4560, 2400, 1695, 375},
}};

// Text1: the output box (index 0) and a hidden box holding an aphorism
// (index 1) that nothing reads; the hidden one reaches past the right edge.
inline constexpr std::array<Twips, 2> kTextBoxGeometry = {{
    {120, 2880, 6735, 1815},
    {600, 3240, 6735, 1815},
}};

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
