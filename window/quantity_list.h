// A single-selection list one entry high, as the rate rows use for their
// quantities. Its scroll bar moves the view without touching the selection;
// a click on the shown entry or an arrow key selects. Unlike a plain
// QListWidget it never ends up with nothing selected (no Ctrl+click or
// Ctrl+Space deselection), so the selected index is always an entry.
#pragma once

#include <QListWidget>

namespace vostrel::window {

class QuantityList final : public QListWidget {
  Q_OBJECT

 public:
  explicit QuantityList(QWidget* parent = nullptr);

  // Index of the selected entry.
  int ListIndex() const;
  // Selects entry `index` and scrolls it into view.
  void SetListIndex(int index);

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace vostrel::window
