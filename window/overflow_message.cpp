#include "window/overflow_message.h"

#include "window/plain_text.h"

namespace vostrel::window {
namespace {

std::string_view Subject(ReportLine stoppedAt, std::string_view rowCaption) {
  switch (stoppedAt) {
    case ReportLine::Total:
      return kTotalLabel;
    case ReportLine::Vat:
      return kVatLabel;
    case ReportLine::Payable:
      return kPayableLabel;
    default:
      return rowCaption;
  }
}

std::string_view WithoutEnding(std::string_view label) {
  label = Trimmed(label);
  if (label.ends_with(':')) {
    label.remove_suffix(1);
  }
  return label;
}

}  // namespace

std::string OverflowMessage(ReportLine stoppedAt, std::string_view rowCaption) {
  const std::string_view subject = WithoutEnding(Subject(stoppedAt, rowCaption));
  std::string message;
  message.reserve(kOverflowOpening.size() + subject.size() + kOverflowClosing.size());
  message.append(kOverflowOpening).append(subject).append(kOverflowClosing);
  return message;
}

}  // namespace vostrel::window
