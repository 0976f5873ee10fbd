#include "window/quantity_list.h"

#include <QResizeEvent>

namespace vostrel::window {

QuantityList::QuantityList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  // Every entry is one line in the same font, so the first one's size stands
  // for all and the view need not measure each entry to lay them out.
  setUniformItemSizes(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int QuantityList::ListIndex() const {
  return currentRow();
}

void QuantityList::SetListIndex(int index) {
  setCurrentRow(index);
  scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

// Each entry takes the whole view, so exactly one shows at a time whatever
// the font's line height.
void QuantityList::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  setGridSize(viewport()->size());
}

QItemSelectionModel::SelectionFlags QuantityList::selectionCommand(const QModelIndex& index,
                                                                   const QEvent*) const {
  if (!index.isValid()) {
    return QItemSelectionModel::NoUpdate;
  }
  return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

}  // namespace vostrel::window
