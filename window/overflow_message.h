// The message that tells the user a Calculate stopped on an overflow: which
// line of the report could not be formed, and what to do about it. Plain C++
// (UTF-8), so that the desktop window and the web page say the same words.
//
//   Overflow: препълване при изчисляване на „Брой сайтове“.
//   Сумата е извън допустимия обхват. Въведете по-малка цена и изчислете отново.
//
// A row is named by its caption, a summary line by its label, each without
// the blanks and the colon that end it. The two sentences are separated by
// one LF.
#pragma once

#include <string>
#include <string_view>

#include "calc/fee_report.h"

namespace vostrel::window {

// Every character the message can show, apart from the row's caption.
inline constexpr std::string_view kOverflowOpening = "Overflow: препълване при изчисляване на „";
inline constexpr std::string_view kOverflowClosing =
    "“.\nСумата е извън допустимия обхват. Въведете по-малка цена и изчислете отново.";

// `rowCaption` is the caption of the row the report stopped at; it is not
// read when the report stopped at a summary line.
[[nodiscard]] std::string OverflowMessage(ReportLine stoppedAt, std::string_view rowCaption);

}  // namespace vostrel::window
