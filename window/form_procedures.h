// The window's two event procedures, written once for every runtime
// (form_runtime.h):
//
//   Form_Load          selects each row's first quantity ("100", "1", "1",
//                      "1"); the prices keep their defaults and the output
//                      box its task statement.
//   Command1_Click(0)  Calculate: empties the output box, then for each row
//                      reads List1's ListIndex, that entry's text, Text2's
//                      text and Label2's caption, and appends each report
//                      line to the output box the moment it is formed, with
//                      the locale's decimal separator. Once the report is
//                      complete, the amount payable is announced.
//   Command1_Click(1)  Clear: empties the output box, selects each row's first
//                      quantity and empties its price (prices are not put
//                      back to their defaults).
//   Command1_Click(n)  any other index: empties the output box, nothing more.
//
// An overflow stops Calculate before the line that would have shown it: the
// lines already written stay, and so does everything the user entered; the
// runtime reports it in a message naming the row or summary line, and the
// program goes on.
#pragma once

#include "window/form_runtime.h"

namespace vostrel::window {

void Form_Load(FormRuntime& form);
void Command1_Click(FormRuntime& form, int Index);

}  // namespace vostrel::window
