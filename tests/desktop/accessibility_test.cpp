// Drives the real window through Qt's own accessibility interfaces, the way
// the AT-SPI bridge calls them on behalf of a screen reader.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "desktop/accessible_interfaces.h"
#include "desktop/quantity_list.h"
#include "desktop/vostrel_window.h"

using vostrel::desktop::QuantityList;
using vostrel::desktop::Vostrel;

Q_DECLARE_METATYPE(QAccessible::TextBoundaryType)

// Before Qt 6.8 a list's description is its chosen quantity.
constexpr bool kListsDescribeTheirValue = QT_VERSION < QT_VERSION_CHECK(6, 8, 0);

class AccessibilityTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    window = std::make_unique<Vostrel>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  void cleanup() { window.reset(); }

  void assistiveChoiceIsComputed_data();
  void assistiveChoiceIsComputed();
  void listNeverEmptiesItsSelection();
  void onlyTheShownEntryShows_data();
  void onlyTheShownEntryShows();
  void captionsLabelThePriceBoxes();
  void reportIsReadFromItsStart();
  void listStatesItsSize_data();
  void listStatesItsSize();
  void calculateAnnouncesAmountPayable();
  void wheelMovesViewNotChoice();
  void priceBoxTextPieces_data();
  void priceBoxTextPieces();
  void priceBoxIsOneRunAndEditable();

 private:
  QAccessibleTableInterface* Table(QuantityList* list) {
    return QAccessible::queryAccessibleInterface(list)->tableInterface();
  }
  // Selected, current and shown entry, which must be one.
  void VerifyOneTruth(QuantityList* list, int row) {
    QCOMPARE(list->ListIndex(), row);
    QCOMPARE(list->currentRow(), row);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->indexAt(QPoint(1, 1)).row(), row);
    if (kListsDescribeTheirValue) {
      QCOMPARE(list->accessibleDescription(), list->item(row)->text());
    }
  }
  QString FirstLine() const { return window->Text1[0]->toPlainText().section(u'\n', 0, 0); }

  std::unique_ptr<Vostrel> window;
};

void AccessibilityTest::assistiveChoiceIsComputed_data() {
  QTest::addColumn<bool>("byToggle");
  QTest::newRow("item toggle action") << true;
  QTest::newRow("table row selection") << false;
}

void AccessibilityTest::assistiveChoiceIsComputed() {
  QFETCH(bool, byToggle);
  QuantityList* list = window->List1[0];
  QAccessibleTableInterface* table = Table(list);
  QVERIFY(table != nullptr);
  if (byToggle) {
    QAccessibleActionInterface* action = table->cellAt(3, 0)->actionInterface();
    QVERIFY(action != nullptr);
    action->doAction(QAccessibleActionInterface::toggleAction());
  } else {
    QVERIFY(table->selectRow(3));
  }
  VerifyOneTruth(list, 3);
  QVERIFY(table->isRowSelected(3));
  QVERIFY(!table->isRowSelected(0));

  QTest::mouseClick(window->Command1[0], Qt::LeftButton);
  QCOMPARE(FirstLine(), QStringLiteral("Дисково пространство {Mb]: 40"));
}

void AccessibilityTest::listNeverEmptiesItsSelection() {
  QuantityList* list = window->List1[1];
  list->SetListIndex(4);
  QAccessibleTableInterface* table = Table(list);

  table->cellAt(4, 0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  VerifyOneTruth(list, 4);
  table->unselectRow(4);
  VerifyOneTruth(list, 4);
  list->clearSelection();
  VerifyOneTruth(list, 4);

  // The scroll bar moves the view and nothing else.
  list->verticalScrollBar()->setValue(7);
  QCOMPARE(list->indexAt(QPoint(1, 1)).row(), 7);
  QCOMPARE(list->ListIndex(), 4);
  list->SetListIndex(4);
  VerifyOneTruth(list, 4);
}

void AccessibilityTest::onlyTheShownEntryShows_data() {
  QTest::addColumn<int>("list");
  QTest::addColumn<int>("row");
  QTest::newRow("first entry") << 0 << 0;
  QTest::newRow("middle entry") << 0 << 10;
  QTest::newRow("last entry") << 3 << 11;
}

void AccessibilityTest::onlyTheShownEntryShows() {
  QFETCH(int, list);
  QFETCH(int, row);
  QuantityList* view = window->List1[static_cast<std::size_t>(list)];
  Table(view)->selectRow(row);
  VerifyOneTruth(view, row);
  // The highlight fills the view.
  QCOMPARE(view->visualItemRect(view->item(row)), view->viewport()->rect());
  // Every entry stays present (UI Automation drops invisible children); only
  // the shown one is on screen.
  for (int other = 0; other < view->count(); ++other) {
    const QAccessible::State state = Table(view)->cellAt(other, 0)->state();
    QVERIFY2(!state.invisible && state.offscreen == (other != row),
             qPrintable(QString::number(other)));
  }
}

void AccessibilityTest::captionsLabelThePriceBoxes() {
  for (std::size_t i = 0; i < window->Text2.size(); ++i) {
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(window->Text2[i]);
    QAccessibleInterface* caption = QAccessible::queryAccessibleInterface(window->Label2[i]);
    const auto labels = box->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.front().first, caption);
    const auto labelled = caption->relations(QAccessible::Labelled);
    QCOMPARE(labelled.size(), 1);
    QCOMPARE(labelled.front().first, box);
    // The box keeps its text interfaces.
    QVERIFY(box->editableTextInterface() != nullptr);
    QCOMPARE(box->text(QAccessible::Description), QStringLiteral("Цена"));
  }
}

void AccessibilityTest::reportIsReadFromItsStart() {
  QAccessibleTextInterface* text =
      QAccessible::queryAccessibleInterface(window->Text1[0])->textInterface();
  QVERIFY(text != nullptr);
  for (const int command : {0, 1, 0}) {
    QTest::mouseClick(window->Command1[static_cast<std::size_t>(command)], Qt::LeftButton);
    QCOMPARE(window->Text1[0]->textCursor().position(), 0);
    QCOMPARE(text->cursorPosition(), 0);
    QCOMPARE(window->Text1[0]->verticalScrollBar()->value(), 0);
  }
  int start = -1;
  int end = -1;
  QCOMPARE(text->textAtOffset(0, QAccessible::LineBoundary, &start, &end).trimmed(),
           QStringLiteral("Дисково пространство {Mb]: 0"));  // prices emptied
}

void AccessibilityTest::listStatesItsSize_data() {
  QTest::addColumn<int>("list");
  QTest::addColumn<int>("size");
  QTest::newRow("disk space") << 0 << 21;
  QTest::newRow("period") << 3 << 12;
}

// However few entries show, the list and each entry tell the whole count.
void AccessibilityTest::listStatesItsSize() {
  QFETCH(int, list);
  QFETCH(int, size);
  QuantityList* view = window->List1[static_cast<std::size_t>(list)];
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view);
  QCOMPARE(iface->childCount(), size);
  QCOMPARE(Table(view)->rowCount(), size);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  using Attributes = QHash<QString, QString>;
  QAccessibleAttributesInterface* attributes = iface->attributesInterface();
  QVERIFY(attributes != nullptr);
  QCOMPARE(attributes->attributeValue(QAccessible::Attribute::Custom).value<Attributes>(),
           (Attributes{{"setsize", QString::number(size)}}));
  QAccessibleInterface* last = iface->child(size - 1);
  QCOMPARE(last->attributesInterface()
               ->attributeValue(QAccessible::Attribute::Custom)
               .value<Attributes>(),
           (Attributes{{"posinset", QString::number(size)}, {"setsize", QString::number(size)}}));
#endif
}

void AccessibilityTest::calculateAnnouncesAmountPayable() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  static QStringList announced;
  announced.clear();
  const QAccessible::UpdateHandler previous =
      QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->type() == QAccessible::Announcement) {
          const auto* announcement = static_cast<QAccessibleAnnouncementEvent*>(event);
          QCOMPARE(announcement->politeness(), QAccessible::AnnouncementPoliteness::Polite);
          announced.append(announcement->message());
        }
      });
  QTest::mouseClick(window->Command1[0], Qt::LeftButton);
  const QString payable = window->Text1[0]->toPlainText().section(u'\n', 6, 6);
  QVERIFY(payable.startsWith(QStringLiteral("Сума за плащане: 18")));
  QTest::mouseClick(window->Command1[1], Qt::LeftButton);  // Clear announces nothing
  QAccessible::installUpdateHandler(previous);
  QCOMPARE(announced, QStringList{payable});
#else
  QSKIP("Qt before 6.8 has no accessibility announcements");
#endif
}

void AccessibilityTest::wheelMovesViewNotChoice() {
  QuantityList* list = window->List1[1];
  list->SetListIndex(2);
  const QPoint inside = list->viewport()->rect().center();
  QWheelEvent turn(inside, list->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list->viewport(), &turn);
  QVERIFY(list->ShownIndex() > 2);
  QCOMPARE(list->ListIndex(), 2);
  // A click chooses the entry the wheel brought into view.
  const int shown = list->ShownIndex();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, inside);
  VerifyOneTruth(list, shown);
}

enum class Query { At, Before, After };

void AccessibilityTest::priceBoxTextPieces_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<Query>("query");
  QTest::addColumn<QAccessible::TextBoundaryType>("boundary");
  QTest::addColumn<int>("offset");
  QTest::addColumn<QString>("piece");
  const auto word = QAccessible::WordBoundary;
  const auto character = QAccessible::CharBoundary;
  // The first row never returned from Qt's own line-edit interface.
  QTest::newRow("word at the end") << "0.1" << Query::At << word << 3 << "0.1";
  QTest::newRow("word before the end") << "0.1" << Query::Before << word << 3 << "";
  QTest::newRow("word after the start") << "0.1" << Query::After << word << 0 << "";
  QTest::newRow("second word") << "12 34" << Query::At << word << 4 << "34";
  QTest::newRow("blank after a word") << "12 34" << Query::After << word << 0 << " ";
  QTest::newRow("word before a word") << "12 34" << Query::Before << word << 3 << " ";
  QTest::newRow("character at the end") << "0.1" << Query::At << character << 3 << "";
  QTest::newRow("character before the end") << "0.1" << Query::Before << character << 3 << "1";
  QTest::newRow("character after the start") << "0.1" << Query::After << character << 0 << ".";
  QTest::newRow("the caret's word") << "0.1" << Query::At << word << -2 << "0.1";
  QTest::newRow("line") << "0.1" << Query::At << QAccessible::LineBoundary << 1 << "0.1";
  QTest::newRow("empty box") << "" << Query::At << word << 0 << "";
}

void AccessibilityTest::priceBoxTextPieces() {
  QFETCH(QString, text);
  QFETCH(Query, query);
  QFETCH(QAccessible::TextBoundaryType, boundary);
  QFETCH(int, offset);
  QFETCH(QString, piece);
  window->Text2[0]->setText(text);
  QAccessibleTextInterface* box =
      QAccessible::queryAccessibleInterface(window->Text2[0])->textInterface();
  int start = -2;
  int end = -2;
  const QString found = query == Query::At ? box->textAtOffset(offset, boundary, &start, &end)
                        : query == Query::Before
                            ? box->textBeforeOffset(offset, boundary, &start, &end)
                            : box->textAfterOffset(offset, boundary, &start, &end);
  QCOMPARE(found, piece);
  if (!piece.isEmpty()) {
    QCOMPARE(text.mid(start, end - start), piece);
  }
}

// The whole value is one run of text, so a screen reader reads all of it,
// and an assistive tool's edit is what Calculate reads.
void AccessibilityTest::priceBoxIsOneRunAndEditable() {
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(window->Text2[0]);
  int start = -1;
  int end = -1;
  box->textInterface()->attributes(1, &start, &end);
  QCOMPARE(std::pair(start, end), std::pair(0, 3));  // "0.1"
  box->editableTextInterface()->replaceText(0, 3, QStringLiteral("0.25"));
  QCOMPARE(box->text(QAccessible::Value), QStringLiteral("0.25"));
  QTest::mouseClick(window->Command1[0], Qt::LeftButton);
  QVERIFY(FirstLine().endsWith(u'5'));  // 100 * 0.25
}

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  vostrel::desktop::InstallAccessibleInterfaces();
  // What the AT-SPI bridge does when a screen reader is running.
  QAccessible::setActive(true);
  AccessibilityTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "accessibility_test.moc"
