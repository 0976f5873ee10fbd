// A seeded monkey: thousands of random but reproducible user actions fired at
// the real window (keys to whatever has focus, mouse clicks routed through
// the window as the platform would deliver them, typed and pasted texts,
// focus changes). After every command the output box must hold an empty box
// (Clear), a well-formed seven-line report (Calculate), or, when an overflow
// message appeared, the lines written before the failing one.
//
// Environment:
//   VOSTREL_MONKEY_SEED     the seed (default below); printed on every run
//   VOSTREL_MONKEY_ACTIONS  how many actions to fire
//   VOSTREL_MONKEY_TRACE    when set, prints every action as it is fired
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <array>
#include <deque>
#include <memory>
#include <random>
#include <vector>

#include "desktop/quantity_list.h"
#include "desktop/vostrel_window.h"

using vostrel::desktop::QuantityList;
using vostrel::desktop::Vostrel;

namespace {

constexpr std::uint32_t kDefaultSeed = 20240611;
constexpr int kDefaultActions = 4000;
constexpr std::size_t kRows = 4;
constexpr int kReportLines = 7;

// The opening of each report line, up to its blank.
const std::array<QString, kReportLines> kCaptions = {
    QStringLiteral("Дисково пространство {Mb]:"), QStringLiteral("Брой сайтове:"),
    QStringLiteral("Брой MySQL бази данни:"),     QStringLiteral("Период на обслужване [м]:"),
    QStringLiteral("Обща сума без ДДС:"),         QStringLiteral("Дължимо ДДС:"),
    QStringLiteral("Сума за плащане:"),
};

// What the user has entered: each list's index and each price's text.
struct Inputs {
  std::array<int, kRows> index{};
  std::array<QString, kRows> price;

  bool operator==(const Inputs&) const = default;
};

QString Describe(const Inputs& inputs) {
  QStringList parts;
  for (std::size_t i = 0; i < kRows; ++i) {
    parts << QStringLiteral("%1:\"%2\"").arg(inputs.index[i]).arg(inputs.price[i].left(40));
  }
  return parts.join(QStringLiteral(", "));
}

// The offscreen platform says so whenever a menu or message opens; that is
// no finding of ours, and thousands of such lines would bury the ones that are.
QtMessageHandler previousHandler = nullptr;

void QuietPlatformHandler(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support"))) {
    return;
  }
  previousHandler(type, context, message);
}

std::uint32_t SeedFromEnvironment() {
  bool ok = false;
  const auto seed = qEnvironmentVariable("VOSTREL_MONKEY_SEED").toUInt(&ok);
  return ok ? seed : kDefaultSeed;
}

int ActionsFromEnvironment() {
  bool ok = false;
  const int count = qEnvironmentVariableIntValue("VOSTREL_MONKEY_ACTIONS", &ok);
  return ok && count >= 0 ? count : kDefaultActions;
}

}  // namespace

class WindowMonkeyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void monkey();
  void cleanupTestCase();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Random choices.
  int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(rng); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))];
  }
  QPoint PointIn(const QWidget* widget) {
    return {Below(std::max(1, widget->width())), Below(std::max(1, widget->height()))};
  }

  // The actions.
  void FireOne();
  void PressKey();
  void ClickSomewhere();
  void ClickButton();
  void TypeText(QWidget* target, const QString& text);
  void TypeRandomText();
  void Paste();
  void EnterPrice();
  void ChangeFocus();
  void TurnWheel();
  void ClickProgrammatically();

  QWidget* Focused() const;
  QString RandomText(int maxLength);
  QString RandomPasteText();
  void ClickInWindow(QWidget* widget, QPoint at, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers, bool twice);
  void Note(const QString& action);

  // The checks.
  Inputs CurrentInputs() const;
  void AfterCommand(int index);
  void CheckCalculate(const QString& output, const QStringList& messages);
  void CheckAfterEveryAction();
  void Fail(const QString& why);
  QString CheckLine(int line, const QString& text) const;
  void CloseStrayPopups();

  std::uint32_t seed = kDefaultSeed;
  std::mt19937 rng;
  std::unique_ptr<Vostrel> window;
  QRegularExpression plainAmount;
  QRegularExpression exponentAmount;
  QString separator;

  int action = 0;               // number of the action being fired
  std::deque<QString> recent;   // the last few actions, for a failure
  QString failure;              // the first failure found
  Inputs expectedInputs;        // what the user entered, as of now
  QStringList pendingMessages;  // message boxes shown since the last check
  QString lastOutput;           // the output box as the last command left it
  bool outputTouched = false;   // the user acted on the box since then
  bool trace = false;
  std::vector<QWidget*> focusable;  // controls a Tab can reach, and the window

  // Statistics, printed at the end.
  int clears = 0;
  int completeReports = 0;
  std::array<int, kReportLines> overflowsAt{};
  int keyActions = 0;
  int mouseActions = 0;
  int pastes = 0;
};

void WindowMonkeyTest::initTestCase() {
  seed = SeedFromEnvironment();
  rng.seed(seed);
  trace = !qEnvironmentVariableIsEmpty("VOSTREL_MONKEY_TRACE");

  previousHandler = qInstallMessageHandler(QuietPlatformHandler);

  separator = QLocale::system().decimalPoint();
  const QString sep = QRegularExpression::escape(separator);
  // FormatAmount's two forms: plain ("0", "10", "-0.000056789", "18.6") and
  // exponent ("1E+15", "-1.2E+308", "5.6789E-12"); never a trailing zero
  // after the separator, never a leading zero before a nonzero digit.
  plainAmount = QRegularExpression(QStringLiteral("^-?(0|[1-9][0-9]*)(%1[0-9]*[1-9])?$").arg(sep));
  exponentAmount =
      QRegularExpression(QStringLiteral("^-?[1-9](%1[0-9]*[1-9])?E[+-][0-9]{2,3}$").arg(sep));
  QVERIFY(plainAmount.isValid());
  QVERIFY(exponentAmount.isValid());

  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("probe"));
  if (clipboard->text() != QStringLiteral("probe")) {
    QSKIP("this platform has no working clipboard");
  }

  qApp->installEventFilter(this);
  window = std::make_unique<Vostrel>();
  window->show();
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));

  for (std::size_t i = 0; i < kRows; ++i) {
    focusable.push_back(window->List1[i]);
    focusable.push_back(window->Text2[i]);
  }
  focusable.push_back(window->Command1[0]);
  focusable.push_back(window->Command1[1]);
  focusable.push_back(window->Text1[0]);
  focusable.push_back(window->Text1[1]);  // hidden: it must not take focus
  focusable.push_back(window.get());

  for (std::size_t i = 0; i < window->Command1.size(); ++i) {
    // Connected after the window's own connection, so this runs once the
    // command has finished.
    connect(window->Command1[i], &QAbstractButton::clicked, this,
            [this, i] { AfterCommand(static_cast<int>(i)); });
  }
  expectedInputs = CurrentInputs();
  lastOutput = window->Text1[0]->toPlainText();
  QVERIFY(!lastOutput.isEmpty());  // the task statement
}

void WindowMonkeyTest::cleanupTestCase() {
  qApp->removeEventFilter(this);
  window.reset();
  qInstallMessageHandler(previousHandler);
}

void WindowMonkeyTest::monkey() {
  const int actions = ActionsFromEnvironment();
  qInfo("monkey: seed %u (set VOSTREL_MONKEY_SEED to repeat or vary), %d actions, locale %s", seed,
        actions, qPrintable(QLocale::system().name()));
  QElapsedTimer clock;
  clock.start();

  for (action = 1; action <= actions; ++action) {
    FireOne();
    QCoreApplication::processEvents();
    CloseStrayPopups();
    CheckAfterEveryAction();
    if (!failure.isEmpty()) {
      QStringList last(recent.begin(), recent.end());
      QFAIL(qPrintable(
          QStringLiteral("seed %1, action %2 of %3: %4\nlast actions (oldest first):\n"
                         "  %5\ninputs: %6")
              .arg(seed)
              .arg(action)
              .arg(actions)
              .arg(failure, last.join(QStringLiteral("\n  ")), Describe(CurrentInputs()))));
    }
  }

  QStringList overflows;
  for (int line = 0; line < kReportLines; ++line) {
    overflows << QString::number(overflowsAt[static_cast<std::size_t>(line)]);
  }
  qInfo(
      "monkey: seed %u, %d actions (%d keys, %d mouse, %d pastes) in %lld ms; "
      "%d complete reports, overflows by line [%s], %d clears",
      seed, actions, keyActions, mouseActions, pastes, static_cast<long long>(clock.elapsed()),
      completeReports, qPrintable(overflows.join(u' ')), clears);

  // A run long enough to mean anything must have reached every outcome;
  // otherwise the monkey has stopped exercising the window.
  if (actions >= 1000) {
    QVERIFY2(completeReports > 0, "no complete report was checked");
    QVERIFY2(clears > 0, "no Clear was checked");
    int overflowTotal = 0;
    for (const int count : overflowsAt) {
      overflowTotal += count;
    }
    QVERIFY2(overflowTotal > 0, "no overflow was checked");
  }
}

// ---------------------------------------------------------------------------
// Actions

void WindowMonkeyTest::Note(const QString& what) {
  const QString line = QStringLiteral("#%1 %2").arg(action).arg(what);
  if (trace) {
    qInfo("%s", qPrintable(line));
  }
  recent.push_back(line);
  if (recent.size() > 12) {
    recent.pop_front();
  }
}

QWidget* WindowMonkeyTest::Focused() const {
  QWidget* focused = QApplication::focusWidget();
  return focused != nullptr ? focused : window.get();
}

void WindowMonkeyTest::FireOne() {
  const int roll = Below(100);
  if (roll < 30) {
    PressKey();
  } else if (roll < 50) {
    ClickSomewhere();
  } else if (roll < 58) {
    ClickButton();
  } else if (roll < 68) {
    TypeRandomText();
  } else if (roll < 76) {
    Paste();
  } else if (roll < 86) {
    EnterPrice();
  } else if (roll < 92) {
    ChangeFocus();
  } else if (roll < 97) {
    TurnWheel();
  } else {
    ClickProgrammatically();
  }
}

void WindowMonkeyTest::PressKey() {
  struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* name;
  };
  static const std::vector<Key> keys = {
      {Qt::Key_Tab, Qt::NoModifier, "Tab"},
      {Qt::Key_Tab, Qt::NoModifier, "Tab"},
      {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
      {Qt::Key_Left, Qt::NoModifier, "Left"},
      {Qt::Key_Right, Qt::NoModifier, "Right"},
      {Qt::Key_Up, Qt::NoModifier, "Up"},
      {Qt::Key_Down, Qt::NoModifier, "Down"},
      {Qt::Key_Down, Qt::NoModifier, "Down"},
      {Qt::Key_Up, Qt::ControlModifier, "Ctrl+Up"},
      {Qt::Key_Down, Qt::ControlModifier, "Ctrl+Down"},
      {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"},
      {Qt::Key_Left, Qt::ShiftModifier, "Shift+Left"},
      {Qt::Key_Home, Qt::NoModifier, "Home"},
      {Qt::Key_End, Qt::NoModifier, "End"},
      {Qt::Key_Home, Qt::ShiftModifier, "Shift+Home"},
      {Qt::Key_End, Qt::ControlModifier, "Ctrl+End"},
      {Qt::Key_PageUp, Qt::NoModifier, "PageUp"},
      {Qt::Key_PageDown, Qt::NoModifier, "PageDown"},
      {Qt::Key_Space, Qt::NoModifier, "Space"},
      {Qt::Key_Space, Qt::NoModifier, "Space"},
      {Qt::Key_Space, Qt::ControlModifier, "Ctrl+Space"},
      {Qt::Key_Return, Qt::NoModifier, "Return"},
      {Qt::Key_Enter, Qt::KeypadModifier, "Enter"},
      {Qt::Key_Escape, Qt::NoModifier, "Esc"},
      {Qt::Key_Delete, Qt::NoModifier, "Delete"},
      {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
      {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
      {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
      {Qt::Key_V, Qt::ControlModifier, "Ctrl+V"},
      {Qt::Key_X, Qt::ControlModifier, "Ctrl+X"},
      {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
      {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z"},
      {Qt::Key_Insert, Qt::ShiftModifier, "Shift+Insert"},
  };
  const Key& key = Pick(keys);
  QWidget* target = Focused();
  Note(QStringLiteral("key %1 to %2").arg(QLatin1String(key.name), target->objectName()));
  ++keyActions;
  outputTouched = outputTouched || target == window->Text1[0];
  QTest::keyClick(target, key.key, key.modifiers);
}

void WindowMonkeyTest::ClickInWindow(QWidget* widget, QPoint at, Qt::MouseButton button,
                                     Qt::KeyboardModifiers modifiers, bool twice) {
  // Through the window, so Qt finds the control under the pointer, moves the
  // focus and delivers the press and release as the platform would.
  QWindow* handle = window->windowHandle();
  const QPoint inWindow = widget->mapTo(window.get(), at);
  outputTouched = outputTouched || window->childAt(inWindow) == window->Text1[0] ||
                  window->childAt(inWindow) == window->Text1[0]->viewport();
  ++mouseActions;
  if (twice) {
    QTest::mouseDClick(handle, button, modifiers, inWindow);
  } else {
    QTest::mouseClick(handle, button, modifiers, inWindow);
  }
}

void WindowMonkeyTest::ClickSomewhere() {
  std::vector<QWidget*> targets = {window.get(), window->Text1[0]->viewport(),
                                   window->Text1[0]->verticalScrollBar()};
  for (std::size_t i = 0; i < kRows; ++i) {
    targets.push_back(window->List1[i]->viewport());
    targets.push_back(window->List1[i]->verticalScrollBar());
    targets.push_back(window->List1[i]->verticalScrollBar());
    targets.push_back(window->Text2[i]);
    targets.push_back(window->Label2[i]);
  }
  for (QLabel* heading : window->Label1) {
    targets.push_back(heading);
  }
  QWidget* target = Pick(targets);
  const QPoint at = PointIn(target);
  const int roll = Below(100);
  const Qt::MouseButton button =
      roll < 85 ? Qt::LeftButton : (roll < 95 ? Qt::RightButton : Qt::MiddleButton);
  const Qt::KeyboardModifiers modifiers = Chance(15)   ? Qt::ControlModifier
                                          : Chance(10) ? Qt::ShiftModifier
                                                       : Qt::NoModifier;
  const bool twice = Chance(10);
  Note(QStringLiteral("%1click button %2 mods %3 on %4 (%5) at %6,%7")
           .arg(twice ? QStringLiteral("double ") : QString())
           .arg(static_cast<int>(button))
           .arg(static_cast<int>(modifiers))
           .arg(target->objectName(), QLatin1String(target->metaObject()->className()))
           .arg(at.x())
           .arg(at.y()));
  ClickInWindow(target, at, button, modifiers, twice);
}

void WindowMonkeyTest::ClickButton() {
  const auto index = static_cast<std::size_t>(Chance(70) ? 0 : 1);
  QPushButton* button = window->Command1[index];
  const QPoint at = Chance(80) ? button->rect().center() : PointIn(button);
  const bool twice = Chance(5);
  Note(QStringLiteral("%1click %2 at %3,%4")
           .arg(twice ? QStringLiteral("double ") : QString(), button->objectName())
           .arg(at.x())
           .arg(at.y()));
  ClickInWindow(button, at, Qt::LeftButton, Qt::NoModifier, twice);
}

QString WindowMonkeyTest::RandomText(int maxLength) {
  static const QString alphabet = QStringLiteral(
      "0123456789012345678901234567890123456789...,,,---++eeEEdD      "
      "abcxyzH&$%абвгдежзийклмнопрстуфхцчшщъьюяАБВГДЕЖЗИЙЛ№€лв");
  const int length = 1 + Below(maxLength);
  QString text;
  for (int i = 0; i < length; ++i) {
    text += alphabet.at(Below(static_cast<int>(alphabet.size())));
  }
  return text;
}

void WindowMonkeyTest::TypeText(QWidget* target, const QString& text) {
  outputTouched = outputTouched || target == window->Text1[0];
  ++keyActions;
  for (const QChar ch : text) {
    if (ch.unicode() < 0x80 && ch.isPrint()) {
      QTest::keyClick(target, ch.toLatin1());
    } else {
      // keyClicks takes Latin-1 only; any other character arrives as text.
      QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
  }
}

void WindowMonkeyTest::TypeRandomText() {
  QWidget* target = Focused();
  const QString text = RandomText(12);
  Note(QStringLiteral("type \"%1\" to %2").arg(text, target->objectName()));
  TypeText(target, text);
}

QString WindowMonkeyTest::RandomPasteText() {
  static const std::vector<QString> texts = [] {
    std::vector<QString> list = {
        QStringLiteral("1") + QString(400, u'0'),
        QStringLiteral("1e308"),
        QStringLiteral("-1e308"),
        QStringLiteral("1e307"),
        QStringLiteral("9e307"),
        QStringLiteral("1.5e308"),
        QStringLiteral("1.7976931348623157e308"),
        QStringLiteral("1.8e308"),
        QStringLiteral("1e306"),
        QStringLiteral("1e305"),
        QStringLiteral("-9e307"),
        QStringLiteral("1e-400"),
        QStringLiteral("4.9e-324"),
        QStringLiteral("-0"),
        QStringLiteral("-0.0000"),
        QStringLiteral("12,5"),
        QStringLiteral("12.5"),
        QStringLiteral(" - 1 2 . 5"),
        QStringLiteral("&H10"),
        QStringLiteral("&HFFFF"),
        QStringLiteral("1D3"),
        QStringLiteral("1e"),
        QStringLiteral("1e+x"),
        QStringLiteral("0.1"),
        QStringLiteral("99999999999999999"),
        QStringLiteral("123456789012345.6"),
        QStringLiteral("0.000056789"),
        QStringLiteral("\t1\r\n2\u00013\u007f\u001b4"),
        QStringLiteral("1\u00002"),
        QStringLiteral("\n\n\r"),
        QStringLiteral("5\r\n"),
        QStringLiteral("сто лева"),
        QStringLiteral("\U0001F4B05\u200b1"),
        QStringLiteral("١٢٣"),
        QStringLiteral("１２"),
        QStringLiteral("\u00a012\u00a0"),
        QString(40000, u'9'),
        QStringLiteral("0.") + QString(30000, u'0') + QStringLiteral("1"),
        QStringLiteral("-") + QString(25000, u'7') + QStringLiteral("e-24990"),
    };
    // Tens of thousands of characters of everything at once.
    std::mt19937 fixed(7);
    const QString mix = QStringLiteral("0123456789 .,-eабв\t\r\nxyz");
    QString mixed;
    for (int i = 0; i < 30000; ++i) {
      mixed += mix.at(static_cast<qsizetype>(fixed() % static_cast<std::uint32_t>(mix.size())));
    }
    list.push_back(mixed);
    return list;
  }();
  return Chance(30) ? RandomText(20) : Pick(texts);
}

void WindowMonkeyTest::Paste() {
  const QString text = RandomPasteText();
  QWidget* target = Focused();
  const bool replace = Chance(40);
  Note(QStringLiteral("paste%1 \"%2\"%3 (%4 characters) to %5")
           .arg(replace ? QStringLiteral(" over everything") : QString(), text.left(30),
                text.size() > 30 ? QStringLiteral("...") : QString())
           .arg(text.size())
           .arg(target->objectName()));
  QGuiApplication::clipboard()->setText(text);
  outputTouched = outputTouched || target == window->Text1[0];
  ++pastes;
  if (replace) {
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
  }
  QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
}

// A price typed over the old one: a click in the box, Ctrl+A, a number,
// often one that takes an amount to the end of the double range.
void WindowMonkeyTest::EnterPrice() {
  static const std::vector<QString> prices = {
      QStringLiteral("0"),        QStringLiteral("1.5"),      QStringLiteral("-2"),
      QStringLiteral("0,5"),      QStringLiteral("1e308"),    QStringLiteral("2e307"),
      QStringLiteral("9e306"),    QStringLiteral("1e306"),    QStringLiteral("1.4e308"),
      QStringLiteral("-1e307"),   QStringLiteral("1e-320"),   QStringLiteral("3е5"),
      QStringLiteral("1e400"),    QStringLiteral("  7  "),    QStringLiteral("0.1"),
      QStringLiteral("-0"),       QStringLiteral("-1e-400"),  QStringLiteral("1.6e308"),
      QStringLiteral("1.55e308"), QStringLiteral("-1.6e308"),
  };
  QLineEdit* box = window->Text2[static_cast<std::size_t>(Below(static_cast<int>(kRows)))];
  const QString text = Chance(70) ? Pick(prices) : RandomText(8);
  Note(QStringLiteral("price \"%1\" typed into %2").arg(text, box->objectName()));
  ClickInWindow(box, PointIn(box), Qt::LeftButton, Qt::NoModifier, false);
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  TypeText(box, text);
}

void WindowMonkeyTest::ChangeFocus() {
  QWidget* target = Pick(focusable);
  const int roll = Below(10);
  if (roll == 0) {
    Note(QStringLiteral("clear focus"));
    Focused()->clearFocus();
  } else if (roll == 1) {
    Note(QStringLiteral("activate window"));
    window->activateWindow();
  } else {
    Note(QStringLiteral("focus %1").arg(target->objectName()));
    target->setFocus(Chance(50) ? Qt::OtherFocusReason : Qt::TabFocusReason);
  }
}

void WindowMonkeyTest::TurnWheel() {
  QuantityList* list = window->List1[static_cast<std::size_t>(Below(static_cast<int>(kRows)))];
  const int notches = Below(7) - 3;
  QWidget* viewport = Chance(70) ? list->viewport() : list->verticalScrollBar();
  const QPoint at = PointIn(viewport);
  Note(QStringLiteral("wheel %1 notches on %2").arg(notches).arg(list->objectName()));
  ++mouseActions;
  QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &wheel);
}

void WindowMonkeyTest::ClickProgrammatically() {
  const auto index = static_cast<std::size_t>(Below(2));
  Note(QStringLiteral("%1->click()").arg(window->Command1[index]->objectName()));
  window->Command1[index]->click();
}

// Between actions: a popup the menu handling left open is closed with Esc,
// and the window is active again after a message box.
void WindowMonkeyTest::CloseStrayPopups() {
  for (int guard = 0; guard < 5 && QApplication::activePopupWidget() != nullptr; ++guard) {
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QCoreApplication::processEvents();
  }
  // A message box takes the activation away; the window gets it back (a
  // window that vanished is reported by the checks that follow).
  if (window->isVisible() && QApplication::activeWindow() != window.get()) {
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) {
      Fail(QStringLiteral("the window could not be made active again"));
    }
  }
}

// ---------------------------------------------------------------------------
// Checks

bool WindowMonkeyTest::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (auto* menu = qobject_cast<QMenu*>(widget); menu != nullptr && menu->isWindow()) {
      // A context menu (a scroll bar's runs its own event loop): the user
      // picks an entry with the keyboard or dismisses it.
      const int downs = Chance(40) ? 0 : 1 + Below(8);
      Note(downs == 0 ? QStringLiteral("  menu dismissed with Esc")
                      : QStringLiteral("  menu entry %1 chosen").arg(downs));
      QPointer<QMenu> open(menu);
      QTimer::singleShot(0, menu, [open, downs] {
        if (open == nullptr) {
          return;
        }
        if (downs == 0) {
          QTest::keyClick(open, Qt::Key_Escape);
        } else {
          for (int i = 0; i < downs && open != nullptr; ++i) {
            QTest::keyClick(open, Qt::Key_Down);
          }
          if (open != nullptr) {
            QTest::keyClick(open, Qt::Key_Return);
          }
        }
        if (open != nullptr && open->isVisible()) {
          open->close();
        }
      });
      return QObject::eventFilter(watched, event);
    }
    if (widget->isWindow() && widget != window.get() && widget->isModal()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      pendingMessages << (box != nullptr
                              ? box->text()
                              : QStringLiteral("<modal %1>")
                                    .arg(QLatin1String(widget->metaObject()->className())));
      if (box != nullptr && box->icon() != QMessageBox::Critical) {
        Fail(QStringLiteral("message box is not critical: %1").arg(box->text()));
      }
      // Close it from inside its own event loop, never blocking the run: by
      // a key or its button as a user would, or directly.
      const int how = Below(3);
      QPointer<QWidget> modal(widget);
      QTimer::singleShot(0, widget, [modal, how] {
        if (modal == nullptr) {
          return;
        }
        auto* messageBox = qobject_cast<QMessageBox*>(modal.data());
        if (how == 0) {
          QTest::keyClick(modal, Qt::Key_Escape);
        } else if (how == 1 && messageBox != nullptr && messageBox->defaultButton() != nullptr) {
          messageBox->defaultButton()->click();
        }
        if (modal != nullptr && modal->isVisible()) {
          if (auto* dialog = qobject_cast<QDialog*>(modal.data())) {
            dialog->done(QMessageBox::Ok);
          } else {
            modal->close();
          }
        }
      });
    }
  }
  return QObject::eventFilter(watched, event);
}

Inputs WindowMonkeyTest::CurrentInputs() const {
  Inputs inputs;
  for (std::size_t i = 0; i < kRows; ++i) {
    inputs.index[i] = window->List1[i]->ListIndex();
    inputs.price[i] = window->Text2[i]->text();
  }
  return inputs;
}

void WindowMonkeyTest::Fail(const QString& why) {
  if (failure.isEmpty()) {
    failure = why;
  }
}

// Empty when `text` is report line `line` as FormatAmount writes it.
QString WindowMonkeyTest::CheckLine(int line, const QString& text) const {
  const QString& caption = kCaptions[static_cast<std::size_t>(line)];
  const QString opening = caption + u' ';
  if (!text.startsWith(opening)) {
    return QStringLiteral("line %1 \"%2\" does not start with \"%3\"").arg(line).arg(text, opening);
  }
  const QString amount = text.mid(opening.size());
  const bool plain = plainAmount.match(amount).hasMatch();
  const bool exponent = exponentAmount.match(amount).hasMatch();
  if (!plain && !exponent) {
    return QStringLiteral("line %1 \"%2\": \"%3\" is no amount").arg(line).arg(text, amount);
  }
  if (amount == QStringLiteral("-0")) {
    return QStringLiteral("line %1 \"%2\" shows a negative zero").arg(line).arg(text);
  }
  // At most 15 significant digits; in plain form no more than 15 digits
  // after the separator either.
  QString mantissa = amount;
  mantissa.remove(QRegularExpression(QStringLiteral("E.*$")));
  mantissa.remove(u'-');
  const qsizetype separatorAt = mantissa.indexOf(separator);
  const QString fraction = separatorAt < 0 ? QString() : mantissa.mid(separatorAt + 1);
  QString digits = mantissa;
  digits.remove(separator);
  while (digits.startsWith(u'0') && digits.size() > 1) {
    digits.remove(0, 1);
  }
  if (digits.size() > 15 || fraction.size() > 15) {
    return QStringLiteral("line %1 \"%2\" has too many digits").arg(line).arg(text);
  }
  if (exponent) {
    const int power = amount.mid(amount.indexOf(u'E') + 1).toInt();
    if (power > -1 && power < 15) {
      return QStringLiteral("line %1 \"%2\" uses the exponent form below 1E+15")
          .arg(line)
          .arg(text);
    }
  }
  return {};
}

void WindowMonkeyTest::CheckCalculate(const QString& output, const QStringList& messages) {
  if (messages.size() > 1) {
    Fail(QStringLiteral("Calculate showed %1 messages: %2")
             .arg(messages.size())
             .arg(messages.join(QStringLiteral(" | "))));
    return;
  }
  if (!output.isEmpty() && !output.endsWith(u'\n')) {
    Fail(QStringLiteral("the output does not end with a line break: \"%1\"").arg(output));
    return;
  }
  QStringList lines = output.split(u'\n');
  lines.removeLast();  // after the last line break
  if (lines.size() > kReportLines) {
    Fail(QStringLiteral("the output has %1 lines:\n%2").arg(lines.size()).arg(output));
    return;
  }
  for (int line = 0; line < lines.size(); ++line) {
    const QString wrong = CheckLine(line, lines[line]);
    if (!wrong.isEmpty()) {
      Fail(wrong + QStringLiteral("\noutput:\n") + output);
      return;
    }
  }

  if (messages.isEmpty()) {
    if (lines.size() != kReportLines) {
      Fail(QStringLiteral("Calculate wrote %1 lines and showed no message:\n%2")
               .arg(lines.size())
               .arg(output));
      return;
    }
    ++completeReports;
    return;
  }

  // An overflow: the lines before the failing one, and a message naming it.
  const QString& message = messages.front();
  if (!message.contains(QStringLiteral("Overflow"))) {
    Fail(QStringLiteral("Calculate showed a message that is no overflow: %1").arg(message));
    return;
  }
  if (lines.size() == kReportLines) {
    Fail(QStringLiteral("an overflow was reported after a complete report: %1\n%2")
             .arg(message, output));
    return;
  }
  QString failingLine = kCaptions[static_cast<std::size_t>(lines.size())];
  failingLine.chop(1);  // the colon
  if (!message.contains(failingLine)) {
    Fail(QStringLiteral("the overflow after %1 lines does not name \"%2\": %3")
             .arg(lines.size())
             .arg(failingLine, message));
    return;
  }
  ++overflowsAt[static_cast<std::size_t>(lines.size())];
}

void WindowMonkeyTest::AfterCommand(int index) {
  const QStringList messages = pendingMessages;
  pendingMessages.clear();
  const QString output = window->Text1[0]->toPlainText();
  const Inputs inputs = CurrentInputs();

  if (index == 1) {
    ++clears;
    if (!messages.isEmpty()) {
      Fail(QStringLiteral("Clear showed a message: %1").arg(messages.join(QStringLiteral(" | "))));
    }
    if (!output.isEmpty()) {
      Fail(QStringLiteral("Clear left the output \"%1\"").arg(output.left(200)));
    }
    for (std::size_t i = 0; i < kRows; ++i) {
      QuantityList* list = window->List1[i];
      if (inputs.index[i] != 0 || !inputs.price[i].isEmpty()) {
        Fail(QStringLiteral("Clear left the inputs %1").arg(Describe(inputs)));
      }
      if (list->indexAt(QPoint(2, 2)).row() != 0) {
        Fail(QStringLiteral("after Clear %1 shows entry %2, not the selected first one")
                 .arg(list->objectName())
                 .arg(list->indexAt(QPoint(2, 2)).row()));
      }
    }
    expectedInputs = inputs;
  } else {
    CheckCalculate(output, messages);
    // Calculate reads the inputs and leaves them as they were, overflow or not.
    if (inputs != expectedInputs) {
      Fail(QStringLiteral("Calculate changed the inputs from %1 to %2")
               .arg(Describe(expectedInputs), Describe(inputs)));
    }
  }
  lastOutput = output;
  outputTouched = false;
}

void WindowMonkeyTest::CheckAfterEveryAction() {
  if (!pendingMessages.isEmpty()) {
    Fail(QStringLiteral("a message appeared without a command: %1")
             .arg(pendingMessages.join(QStringLiteral(" | "))));
    pendingMessages.clear();
  }
  if (!window->isVisible()) {
    Fail(QStringLiteral("the window is no longer visible"));
  }
  if (window->Text1[1]->isVisible()) {
    Fail(QStringLiteral("the hidden box Text1_1 became visible"));
  }
  if (QApplication::activeModalWidget() != nullptr) {
    Fail(QStringLiteral("a modal window is still open"));
  }
  for (QuantityList* list : window->List1) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.size() != 1) {
      Fail(QStringLiteral("%1 has %2 selected entries")
               .arg(list->objectName())
               .arg(selected.size()));
    } else if (list->row(selected.front()) != list->ListIndex()) {
      Fail(QStringLiteral("%1 shows entry %2 selected but its index is %3")
               .arg(list->objectName())
               .arg(list->row(selected.front()))
               .arg(list->ListIndex()));
    }
  }
  // Between commands only the user's own editing in the box changes it.
  if (!outputTouched && window->Text1[0]->toPlainText() != lastOutput) {
    Fail(QStringLiteral("the output box changed without a command or an edit in it:\n%1")
             .arg(window->Text1[0]->toPlainText().left(300)));
  }
  // Track what the user entered: only Clear changes it from the outside.
  expectedInputs = CurrentInputs();
}

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  WindowMonkeyTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "monkey_test.moc"
