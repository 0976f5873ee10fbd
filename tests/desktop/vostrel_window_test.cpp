// Drives the real window on the offscreen platform. The locale and the scale
// factor come from the environment CTest sets for each run.
#include "desktop/vostrel_window.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

#include "desktop/accessible_interfaces.h"
#include "desktop/quantity_list.h"
#include "tests/support/ink_contrast.h"

using vostrel::desktop::Vostrel;

namespace {

const QString kStartUpReport = QStringLiteral(
    "Дисково пространство {Mb]: 10\n"
    "Брой сайтове: 2\n"
    "Брой MySQL бази данни: %1\n"
    "Период на обслужване [м]: 3\n"
    "Обща сума без ДДС: %2\n"
    "Дължимо ДДС: %3\n"
    "Сума за плащане: %4\n");

bool BulgarianLocale() {
  return QLocale::system().language() == QLocale::Bulgarian;
}

QString ExpectedStartUpReport() {
  if (BulgarianLocale()) {
    return kStartUpReport.arg("0,5", "15,5", "3,1", "18,6");
  }
  return kStartUpReport.arg("0.5", "15.5", "3.1", "18.6");
}

}  // namespace

class VostrelWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    window = std::make_unique<Vostrel>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  void cleanup() { window.reset(); }

  void windowItself();
  void controls_data();
  void controls();
  void listsStartOnTheirFirstChoice();
  void fonts();
  void tabOrderAndInitialFocus();
  void colours_data();
  void colours();
  void calculateAtStartUp();
  void overflowIsReportedInAMessage();
  void keyboardOnly();
  void accessibleNames();
  void denseScreen();

 private:
  QString Output() const { return window->Text1[0]->toPlainText(); }

  std::unique_ptr<Vostrel> window;
};

void VostrelWindowTest::windowItself() {
  QCOMPARE(window->size(), QSize(461, 345));
  QCOMPARE(window->windowTitle(), QStringLiteral("vostrel.example.org Vostrel"));
  QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));
}

void VostrelWindowTest::controls_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("text");

  const auto row = [](const char* name, const char* kind, QRect geometry, const char* text) {
    QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << geometry
                        << QString::fromUtf8(text);
  };
  row("Label1_0", "QLabel", {64, 0, 305, 25}, "Тарифи месечно за хостинг [лв.]");
  row("Label1_1", "QLabel", {32, 40, 97, 25}, "Вид услуга");
  row("Label1_2", "QLabel", {216, 40, 81, 25}, "Размер");
  row("Label1_3", "QLabel", {312, 40, 65, 25}, "Цена");
  row("Label2_0", "QLabel", {8, 64, 201, 23}, "Дисково пространство {Mb]:");
  row("Label2_1", "QLabel", {8, 88, 201, 23}, "Брой сайтове:");
  row("Label2_2", "QLabel", {8, 112, 201, 23}, "Брой MySQL бази данни:");
  row("Label2_3", "QLabel", {8, 136, 201, 23}, "Период на обслужване [м]:");
  row("List1_0", "vostrel::desktop::QuantityList", {216, 64, 81, 23}, "");
  row("List1_3", "vostrel::desktop::QuantityList", {216, 136, 81, 23}, "");
  row("Text2_0", "vostrel::desktop::PriceBox", {312, 64, 65, 21}, "0.1");
  row("Text2_1", "vostrel::desktop::PriceBox", {312, 88, 65, 21}, "2");
  row("Text2_2", "vostrel::desktop::PriceBox", {312, 112, 65, 21}, "0.5");
  row("Text2_3", "vostrel::desktop::PriceBox", {312, 136, 65, 21}, "3");
  row("Command1_0", "vostrel::desktop::CommandButton", {56, 160, 113, 25}, "Изчисли");
  row("Command1_1", "vostrel::desktop::CommandButton", {304, 160, 113, 25}, "Изчисти");
  row("Text1_0", "QPlainTextEdit", {8, 192, 449, 121},
      "Разглеждаме безплатни хостинг услуги като:\nFree webhosting\nFree blog hosting\n"
      "Free domain\nFree email \nFree file hosting \nFree forum hosting \nFree image hosting \n\n"
      "На основа разгледани действащи интернет компании за хостинг да се разгледат най-често "
      "повтарящите се критерии за формиране на месечна такса за webhosting.\n"
      "Съществуват и годишни такси - пример запазване на име на сайт. \n"
      "Да се състави проект, чрез който се осъществява междупредметна връзка между ИТ и "
      "Информатика.\n"
      "Проектът да изчислява дължима такса за месечен абонамент за web услуги в частност "
      "hosting.\n");
  row("Text1_1", "QPlainTextEdit", {40, 216, 449, 121},
      "Неприятното в това да си първият, направил нещо по правилния начин, е, че никой не "
      "оценява колко трудно е било. \n");
}

void VostrelWindowTest::controls() {
  QFETCH(QString, name);
  QFETCH(QString, kind);
  QFETCH(QRect, geometry);
  QFETCH(QString, text);

  auto* control = window->findChild<QWidget*>(name);
  QVERIFY(control != nullptr);
  QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
  QCOMPARE(control->geometry(), geometry);
  QCOMPARE(control->isVisible(), name != QStringLiteral("Text1_1"));
  if (auto* label = qobject_cast<QLabel*>(control)) {
    QCOMPARE(label->text(), text);
    QCOMPARE(label->frameShape(), QFrame::NoFrame);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    QCOMPARE(edit->text(), text);
  } else if (auto* button = qobject_cast<QPushButton*>(control)) {
    QCOMPARE(button->text(), text);
    QVERIFY(!button->isDefault());
    QVERIFY(!button->autoDefault());
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
    QCOMPARE(box->toPlainText(), text);
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(box->tabChangesFocus());
  }
}

void VostrelWindowTest::listsStartOnTheirFirstChoice() {
  const int counts[] = {21, 12, 12, 12};
  const char* last[] = {"2100", "12", "12", "12"};
  for (int i = 0; i < 4; ++i) {
    const vostrel::desktop::QuantityList* list = window->List1[static_cast<std::size_t>(i)];
    QCOMPARE(list->count(), counts[i]);
    QCOMPARE(list->ListIndex(), 0);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->item(counts[i] - 1)->text(), QString::fromLatin1(last[i]));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!list->isSortingEnabled());
    // One entry high, and the selected one is the one in view.
    QCOMPARE(list->indexAt(QPoint(5, 5)).row(), 0);
    QVERIFY(list->visualItemRect(list->item(1)).top() >= list->viewport()->height());
  }
}

void VostrelWindowTest::fonts() {
  // Times New Roman where the machine has it, otherwise its metric-compatible
  // stand-in, never just any serif face.
  const QStringList timesOrItsMetrics = {QStringLiteral("Times New Roman"),
                                         QStringLiteral("Liberation Serif")};
  QCOMPARE(window->Label1[0]->font().family(), QStringLiteral("Times New Roman"));
  const QString shown = QFontInfo(window->Label1[0]->font()).family();
  QVERIFY2(timesOrItsMetrics.contains(shown), qPrintable(shown));
  QCOMPARE(window->Label1[0]->font().pointSizeF(), 12.0);
  QCOMPARE(window->Command1[0]->font().pointSizeF(), 12.0);
  QCOMPARE(window->Text1[0]->font().pointSizeF(), 12.0);
  QCOMPARE(window->Text2[0]->font().pointSizeF(), 9.75);
  QCOMPARE(QFontInfo(window->Text2[3]->font()).family(), shown);
}

void VostrelWindowTest::tabOrderAndInitialFocus() {
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
  QCOMPARE(QApplication::focusWidget(), window->Text1[0]);

  const QStringList chain = {"List1_0",    "Text2_0",    "List1_1", "Text2_1",
                             "List1_2",    "Text2_2",    "List1_3", "Text2_3",
                             "Command1_0", "Command1_1", "Text1_0", "List1_0"};
  for (const QString& next : chain) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), next);
  }
}

void VostrelWindowTest::colours_data() {
  QTest::addColumn<QPoint>("at");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("window") << QPoint(3, 3) << QColor(192, 192, 255);
  QTest::newRow("window below the output box") << QPoint(230, 330) << QColor(192, 192, 255);
  QTest::newRow("title heading") << QPoint(66, 22) << QColor(255, 192, 128);
  QTest::newRow("price heading") << QPoint(374, 62) << QColor(255, 192, 128);
  QTest::newRow("row caption") << QPoint(205, 85) << QColor(128, 255, 255);
  QTest::newRow("Calculate face") << QPoint(62, 166) << QColor(0, 255, 0);
  QTest::newRow("Calculate face, right") << QPoint(160, 178) << QColor(0, 255, 0);
  QTest::newRow("Clear face") << QPoint(310, 166) << QColor(255, 0, 0);
  QTest::newRow("Clear face, right") << QPoint(408, 178) << QColor(255, 0, 0);
}

void VostrelWindowTest::colours() {
  QFETCH(QPoint, at);
  QFETCH(QColor, colour);
  const QImage picture = window->grab().toImage();
  const qreal ratio = picture.devicePixelRatio();
  QCOMPARE(picture.pixelColor((QPointF(at) * ratio).toPoint()), colour);
}

void VostrelWindowTest::calculateAtStartUp() {
  QTest::mouseClick(window->Command1[0], Qt::LeftButton);
  QCOMPARE(Output(), ExpectedStartUpReport());
}

// The procedures' own table proves what an overflow leaves; here, that the
// window shows their message in a modal box and carries on.
void VostrelWindowTest::overflowIsReportedInAMessage() {
  window->Text2[2]->setText(QStringLiteral("1e308"));
  window->List1[2]->SetListIndex(11);
  QString message;
  QTimer::singleShot(0, [&message] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      message = box->text();
      box->done(QMessageBox::Ok);
    }
  });
  QTest::mouseClick(window->Command1[0], Qt::LeftButton);

  QVERIFY2(message.startsWith(QStringLiteral("Overflow")), qPrintable(message));
  QVERIFY2(message.contains(QStringLiteral("„Брой MySQL бази данни“")), qPrintable(message));
  QVERIFY(window->isVisible());
  QCOMPARE(Output(), QStringLiteral("Дисково пространство {Mb]: 10\nБрой сайтове: 2\n"));
}

void VostrelWindowTest::keyboardOnly() {
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
  const auto focused = [] { return QApplication::focusWidget(); };

  QTest::keyClick(focused(), Qt::Key_Tab);  // List1(0)
  QTest::keyClick(focused(), Qt::Key_Down);
  QTest::keyClick(focused(), Qt::Key_Down);
  QCOMPARE(window->List1[0]->ListIndex(), 2);
  QTest::keyClick(focused(), Qt::Key_Tab);  // Text2(0)
  QTest::keyClick(focused(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(focused(), QStringLiteral("0.2"));
  for (int i = 0; i < 7; ++i) {
    QTest::keyClick(focused(), Qt::Key_Tab);
  }
  QCOMPARE(focused(), window->Command1[0]);
  QTest::keyClick(focused(), Qt::Key_Space);
  QVERIFY2(Output().startsWith(QStringLiteral("Дисково пространство {Mb]: 60\n")),
           qPrintable(Output()));

  // Enter on a focused button is no shortcut for the other one, and Esc does
  // nothing: neither button is the window's default or cancel button.
  QTest::keyClick(focused(), Qt::Key_Tab);
  QTest::keyClick(focused(), Qt::Key_Escape);
  QVERIFY(!Output().isEmpty());
  QTest::keyClick(focused(), Qt::Key_Space);  // Clear
  QCOMPARE(Output(), QString());
  QCOMPARE(window->List1[0]->ListIndex(), 0);
  QCOMPARE(window->Text2[0]->text(), QString());
}

void VostrelWindowTest::accessibleNames() {
  QAccessibleInterface* top = QAccessible::queryAccessibleInterface(window.get());
  QVERIFY(top != nullptr);
  QVERIFY(top->role() == QAccessible::Window || top->role() == QAccessible::Dialog);

  const QList<QPair<QWidget*, QString>> expected = {
      {window->List1[0], "Дисково пространство {Mb]: Размер"},
      {window->Text2[0], "Дисково пространство {Mb]: Цена"},
      {window->List1[3], "Период на обслужване [м]: Размер"},
      {window->Text2[2], "Брой MySQL бази данни: Цена"},
      {window->Command1[0], "Изчисли"},
      {window->Command1[1], "Изчисти"},
      {window->Text1[0], "Отчет"},
  };
  for (const auto& [control, name] : expected) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->text(QAccessible::Name), name);
  }
}

// At 125 % to 200 % every control keeps its logical place, the fixed
// backgrounds fill their controls, each list's one entry fills its view and no
// text is clipped.
void VostrelWindowTest::denseScreen() {
  const QImage picture = window->grab().toImage();
  const qreal ratio = picture.devicePixelRatio();
  if (ratio == 1.0) {
    QSKIP("runs with QT_SCALE_FACTOR above 1");
  }
  QCOMPARE(picture.size(), (QSizeF(461, 345) * ratio).toSize());
  const auto at = [&](qreal x, qreal y) {
    return picture.pixelColor((QPointF(x + 0.5, y + 0.5) * ratio).toPoint());
  };
  QCOMPARE(at(310, 166), QColor(255, 0, 0));     // the Clear face
  QCOMPARE(at(205, 85), QColor(128, 255, 255));  // a caption, right of its text
  QCOMPARE(at(210, 65), QColor(192, 192, 255));  // the window, between rows
  for (const auto& fixed : vostrel::testing::FixedBackgrounds()) {
    const QRect area = fixed.area;
    QCOMPARE(at(area.right(), area.top()), fixed.colour);
    QCOMPARE(at(area.right(), area.bottom()), fixed.colour);
  }

  const auto fits = [](const QWidget* control, const QString& text) {
    return control->fontMetrics().horizontalAdvance(text) <= control->contentsRect().width() &&
           control->fontMetrics().height() <= control->contentsRect().height();
  };
  for (const QLabel* label : window->Label1) {
    QVERIFY2(fits(label, label->text()), qPrintable(label->text()));
  }
  for (const QLabel* label : window->Label2) {
    QVERIFY2(fits(label, label->text()), qPrintable(label->text()));
  }
  for (const QPushButton* button : window->Command1) {
    QVERIFY2(fits(button, button->text()), qPrintable(button->text()));
  }
  for (const auto* list : window->List1) {
    const QWidget* view = list->viewport();
    QVERIFY(list->fontMetrics().height() <= view->height());
    // The highlight of the entry reaches the bottom of the view.
    const QPoint bottom = view->mapTo(window.get(), QPoint(view->width() / 2, view->height() - 1));
    QCOMPARE(at(bottom.x(), bottom.y()),
             list->palette().color(QPalette::Inactive, QPalette::Highlight));
  }
}

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  vostrel::desktop::InstallAccessibleInterfaces();
  VostrelWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "vostrel_window_test.moc"
