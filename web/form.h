// The page's two event procedures, on the controls the page was written with
// (ids "Label2_0", "List1_0", "Text2_0", ..., "Command1_1", "Text1_0"; see
// web/page_writer/page_files.h). They read and write those controls as the
// desktop window reads and writes its own:
//   Form_Load          selects each row's first quantity;
//   Command1_Click(0)  Calculate: empties the output box, then appends each
//                      report line the moment it is formed, with the decimal
//                      separator of the browser's language, and has a screen
//                      reader say the amount payable;
//   Command1_Click(1)  Clear: empties the output box, selects each row's first
//                      quantity and empties the prices.
// An overflow shows its message in the page's modal dialog; the lines already
// written stay, and so does everything the user entered.
#pragma once

namespace vostrel::web {

void Form_Load();
void Command1_Click(int index);

}  // namespace vostrel::web
