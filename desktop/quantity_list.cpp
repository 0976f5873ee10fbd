#include "desktop/quantity_list.h"

#include <QItemSelection>
#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QStyledItemDelegate>

namespace vostrel::desktop {
namespace {

// Gives every entry the size of the list's viewport, so that the entry shown
// fills it, highlight and all, whatever the font's line height.
class FillTheView final : public QStyledItemDelegate {
 public:
  explicit FillTheView(QAbstractItemView* view) : QStyledItemDelegate(view), view_(view) {}

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return view_->viewport()->size();
  }

 private:
  QAbstractItemView* view_;
};

}  // namespace

QuantityList::QuantityList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  // Every entry has the same size, so the first one's stands for all and the
  // view need not measure each entry to lay them out.
  setUniformItemSizes(true);
  setItemDelegate(new FillTheView(this));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected) { FollowSelection(selected); });
}

int QuantityList::ListIndex() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

int QuantityList::ShownIndex() const {
  return indexAt(QPoint(0, 0)).row();
}

void QuantityList::SetListIndex(int index) {
  setCurrentRow(index);
  // Selecting the entry already selected changes nothing, yet the view may
  // have been scrolled away from it.
  scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

// An assistive tool changes the selection alone, the current index staying
// put, and may clear it on the way (a toggle clears, then selects): the
// entry just selected wins over any other, and with none selected the
// current one is selected again.
void QuantityList::FollowSelection(const QItemSelection& selected) {
  QItemSelectionModel* selection = selectionModel();
  const QModelIndexList rows = selection->selectedRows();
  if (rows.size() != 1) {
    QModelIndex keep = selected.indexes().value(0);
    if (!keep.isValid()) {
      keep = selection->currentIndex();
    }
    if (keep.isValid()) {
      // Comes back here with exactly one entry selected.
      selection->select(keep, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    return;
  }
  const QModelIndex chosen = rows.front();
  if (selection->currentIndex() != chosen) {
    selection->setCurrentIndex(chosen, QItemSelectionModel::NoUpdate);
  }
  scrollTo(chosen, QAbstractItemView::PositionAtTop);
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
  // The screen reader that comes with Qt 6.4 (Orca 43) says a list's value
  // only through its description. Later ones say the focused entry itself,
  // and would say a changed description a second time.
  setAccessibleDescription(chosen.data().toString());
#endif
}

void QuantityList::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  // The entries take the viewport's new size (FillTheView); a new grid makes
  // the view lay them out again at once.
  setGridSize(viewport()->size());
}

QItemSelectionModel::SelectionFlags QuantityList::selectionCommand(const QModelIndex& index,
                                                                   const QEvent*) const {
  if (!index.isValid()) {
    return QItemSelectionModel::NoUpdate;
  }
  return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

}  // namespace vostrel::desktop
