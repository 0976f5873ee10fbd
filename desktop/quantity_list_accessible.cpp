#include "desktop/quantity_list_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <QtGlobal>
#include <utility>
#include <vector>

#include "desktop/quantity_list.h"

namespace vostrel::desktop {
namespace {

// Qt 6.5 adds the selection interface; before it, an empty stand-in.
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
using SelectionInterface = QAccessibleSelectionInterface;
#else
struct SelectionInterface {};
#endif

using NamedNumbers = std::vector<std::pair<const char*, int>>;

// From Qt 6.8 on, an interface states the numbers its `Derived` gives
// (`Derived::Numbers()`) as custom object attributes. Before, Qt has no
// object attributes, and this is an empty stand-in.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
template <class Derived>
class NumberAttributes : public QAccessibleAttributesInterface {
 public:
  QList<QAccessible::Attribute> attributeKeys() const override {
    return {QAccessible::Attribute::Custom};
  }
  QVariant attributeValue(QAccessible::Attribute key) const override {
    if (key != QAccessible::Attribute::Custom) {
      return {};
    }
    QHash<QString, QString> attributes;
    for (const auto& [name, value] : static_cast<const Derived*>(this)->Numbers()) {
      attributes.insert(QString::fromLatin1(name), QString::number(value));
    }
    return QVariant::fromValue(attributes);
  }

 protected:
  // This interface, where `type` asks for it.
  void* AttributesCast(QAccessible::InterfaceType type) {
    return type == QAccessible::AttributesInterface
               ? static_cast<QAccessibleAttributesInterface*>(this)
               : nullptr;
  }
};
#else
template <class Derived>
class NumberAttributes {
 protected:
  void* AttributesCast(QAccessible::InterfaceType) { return nullptr; }
};
#endif

// One entry of the list. It has no QObject of its own; the list's interface
// owns it.
class EntryAccessible final : public QAccessibleInterface,
                              public NumberAttributes<EntryAccessible>,
                              public QAccessibleActionInterface {
 public:
  EntryAccessible(QuantityList* list, int row) : list_(list), row_(row) {}

  bool isValid() const override { return list_ != nullptr && row_ < list_->count(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return list_->window()->windowHandle(); }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(list_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name ? list_->item(row_)->text() : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    QRect area = list_->visualItemRect(list_->item(row_));
    area.moveTopLeft(list_->viewport()->mapToGlobal(area.topLeft()));
    return area;
  }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.selectable = true;
    state.selected = row_ == list_->ListIndex();
    state.focusable = true;
    state.focused = list_->hasFocus() && row_ == list_->currentRow();
    // Entries out of view are offscreen, not invisible: Qt's AT-SPI bridge
    // reports an entry showing only when it is neither, while its UI
    // Automation bridge leaves invisible children out of the tree altogether
    // (6.4 and 6.8 alike), so that a list there would have one entry.
    state.invisible = !list_->isVisible();
    state.offscreen = state.invisible || row_ != list_->ShownIndex();
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface) {
      return static_cast<QAccessibleActionInterface*>(this);
    }
    return AttributesCast(type);
  }

  QStringList actionNames() const override { return {toggleAction()}; }
  void doAction(const QString& action) override {
    if (action == toggleAction()) {
      list_->SetListIndex(row_);
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

  // The entry's place among the list's entries.
  NamedNumbers Numbers() const { return {{"posinset", row_ + 1}, {"setsize", list_->count()}}; }

 private:
  QPointer<QuantityList> list_;
  int row_;
};

class ListAccessible final : public QAccessibleWidget,
                             public QAccessibleTableInterface,
                             public SelectionInterface,
                             public NumberAttributes<ListAccessible> {
 public:
  explicit ListAccessible(QuantityList* list) : QAccessibleWidget(list, QAccessible::List) {}
  ~ListAccessible() override { ForgetEntries(); }

  // QAccessibleInterface
  int childCount() const override { return List()->count(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= List()->count()) {
      return nullptr;
    }
    if (entries_.size() != static_cast<std::size_t>(List()->count())) {
      entries_.assign(static_cast<std::size_t>(List()->count()), 0);
    }
    QAccessible::Id& id = entries_[static_cast<std::size_t>(index)];
    if (id == 0) {
      id = QAccessible::registerAccessibleInterface(new EntryAccessible(List(), index));
    }
    return QAccessible::accessibleInterface(id);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i] != 0 && QAccessible::accessibleInterface(entries_[i]) == child) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = List()->viewport()->mapFromGlobal(QPoint(x, y));
    return child(List()->indexAt(at).row());
  }
  QAccessibleInterface* focusChild() const override {
    return List()->hasFocus() ? child(List()->currentRow()) : nullptr;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    switch (type) {
      case QAccessible::TableInterface:
        return static_cast<QAccessibleTableInterface*>(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
      case QAccessible::SelectionInterface:
        return static_cast<QAccessibleSelectionInterface*>(this);
#endif
      default:
        if (void* attributes = AttributesCast(type)) {
          return attributes;
        }
        return QAccessibleWidget::interface_cast(type);
    }
  }

  // QAccessibleTableInterface: one column, one row per entry.
  QAccessibleInterface* caption() const override {
    return nullptr;
  }
  QAccessibleInterface* summary() const override {
    return nullptr;
  }
  QAccessibleInterface* cellAt(int row, int column) const override {
    return column == 0 ? child(row) : nullptr;
  }
  int selectedCellCount() const override {
    return selectedRowCount();
  }
  QList<QAccessibleInterface*> selectedCells() const override {
    return SelectedEntries();
  }
  QString columnDescription(int) const override {
    return {};
  }
  QString rowDescription(int) const override {
    return {};
  }
  int selectedColumnCount() const override {
    return 0;
  }
  int selectedRowCount() const override {
    return List()->ListIndex() < 0 ? 0 : 1;
  }
  int columnCount() const override {
    return 1;
  }
  int rowCount() const override {
    return List()->count();
  }
  QList<int> selectedColumns() const override {
    return {};
  }
  QList<int> selectedRows() const override {
    return List()->ListIndex() < 0 ? QList<int>() : QList<int>{List()->ListIndex()};
  }
  bool isColumnSelected(int) const override {
    return false;
  }
  bool isRowSelected(int row) const override {
    return row >= 0 && row == List()->ListIndex();
  }
  bool selectRow(int row) override {
    return Choose(row);
  }
  bool selectColumn(int) override {
    return false;
  }
  bool unselectRow(int) override {
    return false;
  }
  bool unselectColumn(int) override {
    return false;
  }
  void modelChange(QAccessibleTableModelChangeEvent*) override {
    ForgetEntries();
  }

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
  // QAccessibleSelectionInterface: exactly one entry, always.
  int selectedItemCount() const override {
    return selectedRowCount();
  }
  QList<QAccessibleInterface*> selectedItems() const override {
    return SelectedEntries();
  }
  bool select(QAccessibleInterface* entry) override {
    return Choose(indexOfChild(entry));
  }
  bool unselect(QAccessibleInterface*) override {
    return false;
  }
  bool selectAll() override {
    return false;
  }
  bool clear() override {
    return false;
  }
#endif

  // The number of entries, however few show.
  NamedNumbers Numbers() const {
    return {{"setsize", List()->count()}};
  }

 private:
  QuantityList* List() const {
    return static_cast<QuantityList*>(widget());
  }

  bool Choose(int row) {
    if (row < 0 || row >= List()->count()) {
      return false;
    }
    List()->SetListIndex(row);
    return true;
  }

  QList<QAccessibleInterface*> SelectedEntries() const {
    QAccessibleInterface* chosen = child(List()->ListIndex());
    return chosen != nullptr ? QList<QAccessibleInterface*>{chosen}
                             : QList<QAccessibleInterface*>();
  }

  void ForgetEntries() {
    for (const QAccessible::Id id : entries_) {
      if (id != 0) {
        QAccessible::deleteAccessibleInterface(id);
      }
    }
    entries_.clear();
  }

  // The entries' interfaces, made when first asked for; 0 where none is yet.
  mutable std::vector<QAccessible::Id> entries_;
};

}  // namespace

QAccessibleInterface* QuantityListAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String(QuantityList::staticMetaObject.className()) &&
      object->isWidgetType()) {
    return new ListAccessible(static_cast<QuantityList*>(object));
  }
  return nullptr;
}

}  // namespace vostrel::desktop
