// A unit-price box: a one-line text box that presents its text to assistive
// technology itself, in place of Qt's line-edit interface.
//
// Qt's own interface (6.4 and 6.8 alike) never returns when a screen reader
// asks for the word at the very end of the text, which Orca 43 does on
// Ctrl+Left, Ctrl+Right at the end of a box: the whole program froze. It
// also reports each attribute run as empty, from which Orca 43 reads the box's
// value one character short. Here every boundary lookup ends, and the text is
// one run without attributes.
#pragma once

#include <QLineEdit>

class QAccessibleInterface;
class QObject;
class QRect;
class QString;

namespace vostrel::desktop {

class PriceBox final : public QLineEdit {
  Q_OBJECT

 public:
  explicit PriceBox(QWidget* parent = nullptr);

  // Where character `offset` of the text stands, in the box's coordinates.
  QRect CharacterRect(int offset) const;
};

// An accessibility factory (QAccessible::installFactory): the interface for
// a PriceBox, nullptr for any other object.
QAccessibleInterface* MakePriceBoxAccessible(const QString& className, QObject* object);

}  // namespace vostrel::desktop
