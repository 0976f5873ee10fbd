#include "desktop/vostrel_window.h"

#include <QAccessible>
#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QStyleFactory>
#include <QTextCursor>
#include <string>

#include "data/program_icon.h"
#include "desktop/command_button.h"
#include "desktop/legible_text.h"
#include "desktop/price_box.h"
#include "desktop/quantity_list.h"
#include "window/form_procedures.h"
#include "window/window_description.h"

namespace vostrel::desktop {
namespace {

using namespace vostrel::window;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The report's lines end in CR LF; the output box breaks lines on LF alone.
QString ForDisplay(std::string_view text) {
  QString shown = FromUtf8(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return shown;
}

void Place(QWidget* control, const Twips& at) {
  control->setGeometry(Pixels(at.left), Pixels(at.top), Pixels(at.width), Pixels(at.height));
}

QColor ToColour(const Rgb& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

QString NameOf(std::string_view group, std::size_t index) {
  return QString::fromStdString(window::NameOf({group, index}));
}

}  // namespace

Vostrel::Vostrel(QWidget* parent) : QWidget(parent) {
  SetUpWindow();
  CreateControls();
  ApplyLook();
  SetTabOrder();
  Connect();
  window::Form_Load(*this);
  Text1[0]->setFocus();  // the output box holds the focus when the window opens
}

// The window's font and colour are set before any control exists, so that
// each control inherits them as it is built: set afterwards, they would reach
// every control as a change and make each lay out its text anew.
void Vostrel::SetUpWindow() {
  setObjectName(QStringLiteral("Vostrel"));
  setWindowTitle(FromUtf8(kCaption));
  setFixedSize(Pixels(kClientWidth), Pixels(kClientHeight));
  setWindowIcon(ProgramIcon());
  QFont font(FromUtf8(kFontFamily));
  font.setPointSizeF(kFontPoints);
  setFont(font);
  PaintFixedBackground(this, QPalette::Window, QPalette::WindowText, ToColour(kWindowColour));
}

void Vostrel::CreateControls() {
  for (std::size_t i = 0; i < Label1.size(); ++i) {
    Label1[i] = new QLabel(FromUtf8(kHeadingTexts[i]), this);
    Label1[i]->setObjectName(NameOf(kLabel1, i));
    Label1[i]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Place(Label1[i], kHeadingGeometry[i]);
  }

  // The price boxes get their smaller font before their text, which is then
  // laid out once.
  QFont priceFont = font();
  priceFont.setPointSizeF(kPriceFontPoints);
  const auto& sheet = RateSheet();
  for (std::size_t i = 0; i < sheet.size(); ++i) {
    const RateRow& row = sheet[i];
    const QString caption = FromUtf8(row.caption);

    Label2[i] = new QLabel(caption, this);
    Label2[i]->setObjectName(NameOf(kLabel2, i));
    Label2[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(Label2[i], kCaptionGeometry[i]);

    List1[i] = new QuantityList(this);
    List1[i]->setObjectName(NameOf(kList1, i));
    QStringList choices;
    for (const std::string_view choice : row.choices) {
      choices.append(FromUtf8(choice));
    }
    List1[i]->addItems(choices);
    List1[i]->setAccessibleName(caption + u' ' + FromUtf8(kHeadingTexts[kQuantityHeading]));
    Place(List1[i], kQuantityGeometry[i]);

    Text2[i] = new PriceBox(this);
    Text2[i]->setFont(priceFont);
    Text2[i]->setText(FromUtf8(row.defaultUnitPrice));
    Text2[i]->setObjectName(NameOf(kText2, i));
    Text2[i]->setAccessibleName(caption + u' ' + FromUtf8(kHeadingTexts[kPriceHeading]));
    // A screen reader that finds a label says it in place of the name, so the
    // column heading rides along as the description. Qt's item views report
    // no label relations, which is why the caption's buddy is the price box.
    Text2[i]->setAccessibleDescription(FromUtf8(kHeadingTexts[kPriceHeading]));
    Label2[i]->setBuddy(Text2[i]);
    Place(Text2[i], kPriceGeometry[i]);
  }

  for (std::size_t i = 0; i < Command1.size(); ++i) {
    Command1[i] = new CommandButton(FromUtf8(kCommandTexts[i]), this);
    Command1[i]->setObjectName(NameOf(kCommand1, i));
    Place(Command1[i], kCommandGeometry[i]);
  }

  for (std::size_t i = 0; i < Text1.size(); ++i) {
    Text1[i] = new QPlainTextEdit(this);
    Text1[i]->setObjectName(NameOf(kText1, i));
    Text1[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1[i]->setTabChangesFocus(true);
    Place(Text1[i], kTextBoxGeometry[i]);
  }
  Text1[0]->setPlainText(ForDisplay(kTaskStatement));
  Text1[0]->setAccessibleName(FromUtf8(kReportName));
  Text1[1]->setPlainText(ForDisplay(kAphorism));
  Text1[1]->hide();
}

void Vostrel::ApplyLook() {
  // The classic style fills a button's face with its palette colour, solid,
  // where the desktop style would draw a gradient over it. A Qt built without
  // it still shows coloured, if shaded, faces.
  if (QStyle* solidFaces = QStyleFactory::create(QStringLiteral("Windows"))) {
    solidFaces->setParent(this);
    for (QPushButton* command : Command1) {
      command->setStyle(solidFaces);
    }
  }
  PaintControls();
  QCoreApplication::instance()->installEventFilter(this);
}

void Vostrel::PaintControls() {
  for (QLabel* heading : Label1) {
    PaintFixedBackground(heading, QPalette::Window, QPalette::WindowText, ToColour(kHeadingColour));
  }
  for (QLabel* caption : Label2) {
    PaintFixedBackground(caption, QPalette::Window, QPalette::WindowText, ToColour(kCaptionColour));
  }
  for (std::size_t i = 0; i < Command1.size(); ++i) {
    PaintFixedBackground(Command1[i], QPalette::Button, QPalette::ButtonText,
                         ToColour(kCommandColours[i]));
  }
}

// A new colour scheme brings new text colours, which must be checked against
// the fixed backgrounds again. The application hears of the change for sure;
// widgets with palettes of their own do not all do.
bool Vostrel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == QCoreApplication::instance() &&
      event->type() == QEvent::ApplicationPaletteChange) {
    PaintFixedBackground(this, QPalette::Window, QPalette::WindowText, ToColour(kWindowColour));
    PaintControls();
  }
  return QWidget::eventFilter(watched, event);
}

void Vostrel::SetTabOrder() {
  QWidget* previous = nullptr;
  for (const ControlName& next : kTabOrder) {
    auto* control = findChild<QWidget*>(NameOf(next.group, next.index));
    if (previous != nullptr) {
      setTabOrder(previous, control);
    }
    previous = control;
  }
}

void Vostrel::Connect() {
  for (std::size_t i = 0; i < Command1.size(); ++i) {
    connect(Command1[i], &QPushButton::clicked, this,
            [this, i] { window::Command1_Click(*this, static_cast<int>(i)); });
  }
}

int Vostrel::ListIndex(std::size_t row) const {
  return List1[row]->ListIndex();
}

void Vostrel::SetListIndex(std::size_t row, int index) {
  List1[row]->SetListIndex(index);
}

std::string Vostrel::List(std::size_t row, int entry) const {
  const QListWidgetItem* item = List1[row]->item(entry);
  return item != nullptr ? item->text().toStdString() : std::string();
}

std::string Vostrel::Caption(std::size_t row) const {
  return Label2[row]->text().toStdString();
}

std::string Vostrel::PriceText(std::size_t row) const {
  return Text2[row]->text().toStdString();
}

void Vostrel::SetPriceText(std::size_t row, std::string_view text) {
  Text2[row]->setText(FromUtf8(text));
}

std::string Vostrel::OutputText() const {
  return Text1[0]->toPlainText().toStdString();
}

// A write that only adds to the end, as each report line does, is inserted
// there: assistive technology then hears of the new line, not of a new box.
void Vostrel::SetOutputText(std::string_view text) {
  const QString shown = ForDisplay(text);
  const QString current = Text1[0]->toPlainText();
  if (!current.isEmpty() && shown.startsWith(current)) {
    QTextCursor end(Text1[0]->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown.mid(current.size()));
  } else {
    Text1[0]->setPlainText(shown);
  }
  Text1[0]->moveCursor(QTextCursor::Start);
}

void Vostrel::ReportOverflow(std::string_view message) {
  QMessageBox::critical(this, FromUtf8(kCaption), FromUtf8(message));
}

void Vostrel::Announce([[maybe_unused]] std::string_view text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  QAccessibleAnnouncementEvent announcement(Text1[0], FromUtf8(text));
  announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
  QAccessible::updateAccessibility(&announcement);
#endif
}

std::string Vostrel::DecimalSeparator() const {
  return QLocale::system().decimalPoint().toStdString();
}

}  // namespace vostrel::desktop
