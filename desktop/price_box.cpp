#include "desktop/price_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextBoundaryFinder>

namespace vostrel::desktop {
namespace {

// Where a piece starts or ends: for words, at a word's start or end, not at
// every break opportunity; every character boundary counts.
bool IsBoundary(const QTextBoundaryFinder& finder) {
  return finder.type() == QTextBoundaryFinder::Grapheme ||
         (finder.boundaryReasons() &
          (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem)) != 0;
}

// The piece of `text` around `offset`: between the boundaries of `boundary`
// before and after it (a word and the blanks between words are pieces of
// their own). A one-line box is a single line, sentence and paragraph.
// Sets [*start, *end); both -1 when there is no piece there.
QString PieceAt(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start,
                int* end) {
  *start = *end = -1;
  const int size = static_cast<int>(text.size());
  if (offset < 0 || offset > size || text.isEmpty()) {
    return {};
  }
  if (boundary != QAccessible::CharBoundary && boundary != QAccessible::WordBoundary) {
    *start = 0;
    *end = size;
    return text;
  }
  if (offset == size) {
    // After the last character: the last piece, as a caret at the end of a
    // word stands in that word.
    if (boundary == QAccessible::CharBoundary) {
      return {};
    }
    offset = size - 1;
  }
  QTextBoundaryFinder finder(boundary == QAccessible::CharBoundary ? QTextBoundaryFinder::Grapheme
                                                                   : QTextBoundaryFinder::Word,
                             text);
  finder.setPosition(offset + 1);
  // Every lookup below moves strictly towards an end of the text, where it
  // stops: -1 means none is left.
  qsizetype from = finder.toPreviousBoundary();
  while (from > 0 && !IsBoundary(finder)) {
    from = finder.toPreviousBoundary();
  }
  *start = static_cast<int>(qMax<qsizetype>(from, 0));
  finder.setPosition(*start);
  qsizetype to = finder.toNextBoundary();
  while (to > 0 && to < size && !IsBoundary(finder)) {
    to = finder.toNextBoundary();
  }
  *end = to > 0 ? static_cast<int>(to) : size;
  return text.mid(*start, *end - *start);
}

class PriceBoxAccessible final : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
 public:
  explicit PriceBoxAccessible(PriceBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Value ? Box()->text() : QAccessibleWidget::text(kind);
  }
  void setText(QAccessible::Text kind, const QString& text) override {
    if (kind == QAccessible::Value) {
      Box()->setText(text);
    } else {
      QAccessibleWidget::setText(kind, text);
    }
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !Box()->isReadOnly();
    state.selectableText = true;
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    switch (type) {
      case QAccessible::TextInterface:
        return static_cast<QAccessibleTextInterface*>(this);
      case QAccessible::EditableTextInterface:
        return static_cast<QAccessibleEditableTextInterface*>(this);
      default:
        return QAccessibleWidget::interface_cast(type);
    }
  }

  // QAccessibleTextInterface
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index == 0 && Box()->hasSelectedText()) {
      *start = Box()->selectionStart();
      *end = *start + static_cast<int>(Box()->selectedText().size());
    }
  }
  int selectionCount() const override { return Box()->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int index) override {
    if (index == 0) {
      Box()->deselect();
    }
  }
  void setSelection(int index, int start, int end) override {
    if (index == 0) {
      Box()->setSelection(start, end - start);
    }
  }
  int cursorPosition() const override { return Box()->cursorPosition(); }
  void setCursorPosition(int position) override { Box()->setCursorPosition(position); }
  QString text(int start, int end) const override { return Box()->text().mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(Box()->text().size()); }
  QRect characterRect(int offset) const override {
    const QRect at = Box()->CharacterRect(offset);
    return {Box()->mapToGlobal(at.topLeft()), at.size()};
  }
  int offsetAtPoint(const QPoint& point) const override {
    return Box()->cursorPositionAt(Box()->mapFromGlobal(point));
  }
  void scrollToSubstring(int start, int end) override {
    Box()->setCursorPosition(end);
    Box()->setCursorPosition(start);
  }
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }
  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                       int* end) const override {
    return PieceAt(Box()->text(), Resolved(offset), boundary, start, end);
  }
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                           int* end) const override {
    const int at = Resolved(offset);
    PieceAt(Box()->text(), at, boundary, start, end);
    // Where no piece stands at the offset (the end, for characters), the one
    // before is the one before the offset.
    const int before = (*start < 0 ? at : *start) - 1;
    if (before < 0) {
      *start = *end = -1;
      return {};
    }
    return PieceAt(Box()->text(), before, boundary, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                          int* end) const override {
    PieceAt(Box()->text(), Resolved(offset), boundary, start, end);
    if (*end < 0 || *end >= characterCount()) {
      *start = *end = -1;
      return {};
    }
    return PieceAt(Box()->text(), *end, boundary, start, end);
  }

  // QAccessibleEditableTextInterface
  void deleteText(int start, int end) override { replaceText(start, end, QString()); }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int start, int end, const QString& text) override {
    QString edited = Box()->text();
    edited.replace(start, end - start, text);
    Box()->setText(edited);
    Box()->setCursorPosition(start + static_cast<int>(text.size()));
  }

 private:
  PriceBox* Box() const { return static_cast<PriceBox*>(widget()); }
  // Offset -2 stands for the caret's.
  int Resolved(int offset) const { return offset == -2 ? cursorPosition() : offset; }
};

}  // namespace

QAccessibleInterface* MakePriceBoxAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String(PriceBox::staticMetaObject.className()) &&
      object->isWidgetType()) {
    return new PriceBoxAccessible(static_cast<PriceBox*>(object));
  }
  return nullptr;
}

PriceBox::PriceBox(QWidget* parent) : QLineEdit(parent) {}

QRect PriceBox::CharacterRect(int offset) const {
  QStyleOptionFrame frame;
  initStyleOption(&frame);
  const QRect contents = style()
                             ->subElementRect(QStyle::SE_LineEditContents, &frame, this)
                             .marginsRemoved(textMargins());
  // The line edit keeps two pixels between its contents' edge and the text.
  constexpr int kTextMargin = 2;
  const QFontMetrics metrics = fontMetrics();
  const QString shown = displayText();
  const int left = contents.left() + kTextMargin + metrics.horizontalAdvance(shown.left(offset));
  const int top = contents.top() + (contents.height() - metrics.height()) / 2;
  return {left, top, metrics.horizontalAdvance(shown.mid(offset, 1)), metrics.height()};
}

}  // namespace vostrel::desktop
