// How a QuantityList presents itself to assistive technology, in place of
// Qt's generic item-view interface: a list whose children are its entries,
// also offered as a one-column table and, where Qt has them, through the
// selection interface and object attributes.
//
// It states the list's one value throughout: the selected entry is the one
// reported selected, and the one entry the view shows is the only one
// reported on screen; the others are offscreen but present, so that every
// platform's bridge offers all of them. Selecting an entry by any route (the entry's Toggle
// action, a table row, the selection interface) selects it in the list;
// nothing unselects the list's entry, for the list always holds one.
//
// A screen reader that counts only showing entries would hear a list of one;
// from Qt 6.8 on, the list therefore also states its size ("setsize") and
// each entry its position ("posinset", "setsize") as object attributes.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace vostrel::desktop {

// An accessibility factory (QAccessible::installFactory): the interface for
// a QuantityList, nullptr for any other object.
QAccessibleInterface* QuantityListAccessible(const QString& className, QObject* object);

}  // namespace vostrel::desktop
