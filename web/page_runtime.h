// The browser's runtime of the window's event procedures
// (window/form_procedures.h): implements their services on the page's
// elements through the page's imported functions (page_imports.h).
//
// The output box shows the report's lines with LF alone, as HTML keeps them,
// and reads back what it shows. Emptying it also empties the live region, so
// that a screen reader says the same amount again after the next Calculate.
#pragma once

#include <string>
#include <string_view>

#include "window/form_runtime.h"

namespace vostrel::web {

class PageRuntime final : public window::FormRuntime {
 public:
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

}  // namespace vostrel::web
