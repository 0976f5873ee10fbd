// The yardstick for the program's start-up: a plain top-level window of the
// program's size holding one control of each kind the program shows, a word
// of text each, in the program's font, shown the way the program shows its
// window. Whatever the program spends beyond this is its own doing.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);

  QWidget window;
  window.setWindowTitle(QStringLiteral("startup_bare"));
  window.setFixedSize(461, 345);
  QFont font(QStringLiteral("Times New Roman"));
  font.setPointSizeF(12);
  window.setFont(font);

  auto* label = new QLabel(QStringLiteral("Размер"), &window);
  label->setGeometry(8, 8, 201, 23);
  auto* list = new QListWidget(&window);
  list->addItem(QStringLiteral("10"));
  list->setGeometry(216, 8, 81, 23);
  auto* edit = new QLineEdit(QStringLiteral("0.1"), &window);
  edit->setGeometry(312, 8, 65, 21);
  auto* button = new QPushButton(QStringLiteral("Изчисли"), &window);
  button->setGeometry(56, 40, 113, 25);
  auto* box = new QPlainTextEdit(QStringLiteral("Отчет"), &window);
  box->setGeometry(8, 80, 449, 121);

  window.show();
  return QApplication::exec();
}
