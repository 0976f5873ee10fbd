// What the window's event procedures (form_procedures.h) need of the runtime
// that hosts them: the desktop's widgets (desktop/) or the web page's
// elements (web/). A runtime builds the controls from the window's
// description, implements these services on them, and calls the procedures:
// Form_Load once the controls exist and before the window is first shown,
// Command1_Click on each click of a command, on one thread, each running to
// its end before the next.
//
// Controls are addressed as in the description: a row index 0 to
// kRateRowCount - 1 for Label2, List1 and Text2; Text1 is the output box,
// Text1(0). Texts cross as UTF-8. Line breaks are CR LF as the procedures
// write them; a runtime may show them as its own line break, and then reads
// back what it shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vostrel::window {

class FormRuntime {
 public:
  // List1(row).ListIndex: the selected entry, or -1 when none is. Setting it
  // selects that entry and brings it into view.
  virtual int ListIndex(std::size_t row) const = 0;
  virtual void SetListIndex(std::size_t row, int index) = 0;
  // List1(row).List(entry): the entry's text; "" for an entry the list lacks.
  virtual std::string List(std::size_t row, int entry) const = 0;

  // Label2(row).Caption.
  virtual std::string Caption(std::size_t row) const = 0;

  // Text2(row).Text: the unit price as typed.
  virtual std::string PriceText(std::size_t row) const = 0;
  virtual void SetPriceText(std::size_t row, std::string_view text) = 0;

  // Text1(0).Text: the output box. A write shows at once, with the caret at
  // the start, so that a screen reader moving there reads from the top.
  virtual std::string OutputText() const = 0;
  virtual void SetOutputText(std::string_view text) = 0;

  // What a runtime adds to the controls:
  // tells the user that a Calculate stopped on an overflow, in a message
  // they must acknowledge; the window and everything in it stay;
  virtual void ReportOverflow(std::string_view message) = 0;
  // has assistive technology say `text` without moving the focus;
  virtual void Announce(std::string_view text) = 0;
  // the decimal separator of the user's locale ("," under Bulgarian, "."
  // under English, and "." where the locale names no language).
  virtual std::string DecimalSeparator() const = 0;

 protected:
  ~FormRuntime() = default;
};

}  // namespace vostrel::window
