#include "web/page_runtime.h"

#include <algorithm>

#include "web/page_imports.h"
#include "window/plain_text.h"
#include "window/window_description.h"

namespace vostrel::web {
namespace {

using window::NameOf;

// Calls `read(buffer, capacity)` until the buffer holds the whole text.
template <typename Read>
std::string ReadText(Read read) {
  std::string text(64, '\0');
  std::size_t length = read(text.data(), text.size());
  if (length > text.size()) {
    text.resize(length);
    length = read(text.data(), text.size());
  }
  text.resize(std::min(length, text.size()));
  return text;
}

std::string TextOf(const std::string& id) {
  return ReadText([&id](char* buffer, std::size_t capacity) {
    return vostrel_text(id.data(), id.size(), buffer, capacity);
  });
}

void SetText(const std::string& id, std::string_view text, bool caretToStart) {
  vostrel_set_text(id.data(), id.size(), text.data(), text.size(), caretToStart);
}

const std::string& OutputBox() {
  static const std::string id = NameOf({window::kText1, 0});
  return id;
}

}  // namespace

int PageRuntime::ListIndex(std::size_t row) const {
  const std::string id = NameOf({window::kList1, row});
  return vostrel_list_index(id.data(), id.size());
}

void PageRuntime::SetListIndex(std::size_t row, int index) {
  const std::string id = NameOf({window::kList1, row});
  vostrel_set_list_index(id.data(), id.size(), index);
}

std::string PageRuntime::List(std::size_t row, int entry) const {
  const std::string id = NameOf({window::kList1, row});
  return ReadText([&id, entry](char* buffer, std::size_t capacity) {
    return vostrel_list_entry(id.data(), id.size(), entry, buffer, capacity);
  });
}

std::string PageRuntime::Caption(std::size_t row) const {
  return TextOf(NameOf({window::kLabel2, row}));
}

std::string PageRuntime::PriceText(std::size_t row) const {
  return TextOf(NameOf({window::kText2, row}));
}

void PageRuntime::SetPriceText(std::size_t row, std::string_view text) {
  SetText(NameOf({window::kText2, row}), text, false);
}

std::string PageRuntime::OutputText() const {
  return TextOf(OutputBox());
}

void PageRuntime::SetOutputText(std::string_view text) {
  SetText(OutputBox(), window::WithoutCarriageReturns(text), true);
  if (text.empty()) {
    Announce({});
  }
}

void PageRuntime::ReportOverflow(std::string_view message) {
  vostrel_report_overflow(message.data(), message.size());
}

void PageRuntime::Announce(std::string_view text) {
  vostrel_announce(text.data(), text.size());
}

std::string PageRuntime::DecimalSeparator() const {
  return ReadText(vostrel_decimal_separator);
}

}  // namespace vostrel::web
