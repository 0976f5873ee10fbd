// A single-selection list one entry high, as the rate rows use for their
// quantities. The selected entry is the list's one value: whatever selects an
// entry (a click on the shown entry, an arrow key, SetListIndex, an assistive
// tool's toggle or row selection) also makes it the current entry and brings
// it into view, and nothing leaves the list with no entry selected (no
// Ctrl+click or Ctrl+Space deselection, no clearing by an assistive tool).
// The scroll bar and the mouse wheel move the view without touching the
// selection; a click then selects the entry they brought into view.
//
// The shown entry fills the view. To assistive technology the list presents
// itself through quantity_list_accessible.h: only the shown entry is showing,
// and the list states its number of entries. Before Qt 6.8 the list's
// accessible description is also the selected entry's text, so the screen
// readers of that time say the chosen quantity with the list.
#pragma once

#include <QListWidget>

class QItemSelection;

namespace vostrel::desktop {

class QuantityList final : public QListWidget {
  Q_OBJECT

 public:
  explicit QuantityList(QWidget* parent = nullptr);

  // Index of the selected entry; -1 only for a list without entries.
  int ListIndex() const;
  // Selects entry `index` and scrolls it into view.
  void SetListIndex(int index);
  // Index of the entry the view shows; -1 only for a list without entries.
  int ShownIndex() const;

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FollowSelection(const QItemSelection& selected);
};

}  // namespace vostrel::desktop
