// The window in the conditions of a user's desktop: any colour scheme, the
// toolkit's texts in the user's language, the keys users press. Runs on the
// offscreen platform; the locale comes from the environment CTest sets.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "desktop/legible_text.h"
#include "desktop/quantity_list.h"
#include "desktop/toolkit_language.h"
#include "desktop/vostrel_window.h"
#include "tests/support/ink_contrast.h"

using vostrel::desktop::ContrastRatio;
using vostrel::desktop::kMinimumTextContrast;
using vostrel::desktop::Vostrel;

namespace {

// A dark scheme as a desktop hands it over: light text on dark surfaces.
QPalette DarkScheme() {
  QPalette dark(QColor(53, 53, 53), QColor(36, 31, 49));
  for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
    dark.setColor(role, QColor(238, 238, 236));
  }
  dark.setColor(QPalette::Base, QColor(45, 45, 45));
  return dark;
}

// Light text colours are seldom pure black; this one is too faint for red.
QPalette LightScheme() {
  QPalette light(QColor(239, 239, 239));
  light.setColor(QPalette::WindowText, QColor(46, 52, 54));
  light.setColor(QPalette::ButtonText, QColor(46, 52, 54));
  return light;
}

QString WithoutMnemonic(QString text) {
  return text.remove(u'&').section(u'\t', 0, 0);
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QApplication::setPalette(original); }
  void cleanup() { window.reset(); }

  void textLegibleUnderAnyScheme_data();
  void textLegibleUnderAnyScheme();
  void toolkitSpeaksTheUsersLanguage();
  void enterOrSpacePressesTheFocusedButton_data();
  void enterOrSpacePressesTheFocusedButton();
  void enterAndEscapeInertElsewhere_data();
  void enterAndEscapeInertElsewhere();

 private:
  void Open() {
    window = std::make_unique<Vostrel>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  QString Output() const { return window->Text1[0]->toPlainText(); }

  const QPalette original = QApplication::palette();
  std::unique_ptr<Vostrel> window;
};

void DesktopTest::textLegibleUnderAnyScheme_data() {
  QTest::addColumn<QPalette>("scheme");
  QTest::addColumn<bool>("switchedWhileOpen");
  QTest::newRow("light") << LightScheme() << false;
  QTest::newRow("dark") << DarkScheme() << false;
  QTest::newRow("dark, switched to while open") << DarkScheme() << true;
  QTest::newRow("light, switched back from dark") << LightScheme() << true;
}

// Every fixed background keeps legible text; a scheme whose text is already
// legible there is left as it is, so the light default looks as before.
void DesktopTest::textLegibleUnderAnyScheme() {
  QFETCH(QPalette, scheme);
  QFETCH(bool, switchedWhileOpen);
  if (switchedWhileOpen) {
    QApplication::setPalette(scheme == DarkScheme() ? LightScheme() : DarkScheme());
    Open();
    QApplication::setPalette(scheme);
  } else {
    QApplication::setPalette(scheme);
    Open();
  }

  const QImage picture = window->grab().toImage();
  for (const auto& fixed : vostrel::testing::FixedBackgrounds()) {
    auto* control = window->findChild<QWidget*>(fixed.name);
    QVERIFY(control != nullptr);
    const QColor text = control->palette().color(control->foregroundRole());
    QVERIFY2(ContrastRatio(text, fixed.colour) >= kMinimumTextContrast, qPrintable(fixed.name));
    const QColor schemeText = scheme.color(control->foregroundRole());
    if (ContrastRatio(schemeText, fixed.colour) >= kMinimumTextContrast) {
      QCOMPARE(text, schemeText);
    }
    const double ink = vostrel::testing::StrongestInk(picture, fixed.area, fixed.colour);
    QVERIFY2(ink >= kMinimumTextContrast,
             qPrintable(QStringLiteral("%1: %2:1").arg(fixed.name).arg(ink)));
  }
  // What the program leaves to the scheme still follows it.
  QCOMPARE(window->Text1[0]->palette().color(QPalette::Text), scheme.color(QPalette::Text));
}

void DesktopTest::toolkitSpeaksTheUsersLanguage() {
  Open();
  const bool bulgarian = QLocale::system().language() == QLocale::Bulgarian;
  const std::unique_ptr<QMenu> menu(window->Text2[0]->createStandardContextMenu());
  QStringList entries;
  for (const QAction* action : menu->actions()) {
    entries << WithoutMnemonic(action->text());
  }
  QVERIFY2(entries.contains(bulgarian ? QStringLiteral("Избиране на всичко")
                                      : QStringLiteral("Select All")),
           qPrintable(entries.join(u'|')));

  QMessageBox message(QMessageBox::Critical, QString(), QString(), QMessageBox::Ok, window.get());
  QCOMPARE(WithoutMnemonic(message.button(QMessageBox::Ok)->text()),
           bulgarian ? QStringLiteral("Добре") : QStringLiteral("OK"));
}

void DesktopTest::enterOrSpacePressesTheFocusedButton_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<int>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<bool>("reportWritten");
  QTest::newRow("Enter on Calculate")
      << 0 << int(Qt::Key_Return) << Qt::KeyboardModifiers() << true;
  QTest::newRow("keypad Enter on Calculate")
      << 0 << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
  QTest::newRow("Space on Calculate") << 0 << int(Qt::Key_Space) << Qt::KeyboardModifiers() << true;
  QTest::newRow("Enter on Clear") << 1 << int(Qt::Key_Return) << Qt::KeyboardModifiers() << false;
  QTest::newRow("Space on Clear") << 1 << int(Qt::Key_Space) << Qt::KeyboardModifiers() << false;
}

void DesktopTest::enterOrSpacePressesTheFocusedButton() {
  QFETCH(int, command);
  QFETCH(int, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(bool, reportWritten);
  Open();
  window->Text2[3]->setText(QStringLiteral("7"));
  QPushButton* button = window->Command1[static_cast<std::size_t>(command)];
  button->setFocus();
  QTest::keyClick(button, static_cast<Qt::Key>(key), modifiers);
  if (reportWritten) {
    QVERIFY2(Output().contains(QStringLiteral("Период на обслужване [м]: 7\n")),
             qPrintable(Output()));
    QCOMPARE(Output().count(u'\n'), 7);
  } else {
    QCOMPARE(Output(), QString());
    QCOMPARE(window->Text2[3]->text(), QString());
  }
}

void DesktopTest::enterAndEscapeInertElsewhere_data() {
  QTest::addColumn<QString>("control");
  QTest::newRow("quantity list") << QStringLiteral("List1_1");
  QTest::newRow("price box") << QStringLiteral("Text2_2");
  QTest::newRow("output box") << QStringLiteral("Text1_0");
}

void DesktopTest::enterAndEscapeInertElsewhere() {
  QFETCH(QString, control);
  Open();
  auto* focused = window->findChild<QWidget*>(control);
  QVERIFY(focused != nullptr);
  focused->setFocus();
  const QString before = Output();
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QTest::keyClick(focused, key);
  }
  // The output box takes Enter as a new line, which is the user's to type.
  if (focused != window->Text1[0]) {
    QCOMPARE(Output(), before);
  }
  QCOMPARE(window->Text2[2]->text(), QStringLiteral("0.5"));
  QCOMPARE(window->List1[1]->ListIndex(), 0);
  QVERIFY(window->isVisible());
}

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  vostrel::desktop::UseToolkitTranslation(app);
  DesktopTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "desktop_test.moc"
