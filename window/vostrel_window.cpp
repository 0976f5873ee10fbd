#include "window/vostrel_window.h"

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
#include "window/command_button.h"
#include "window/legible_text.h"
#include "window/overflow_message.h"
#include "window/price_box.h"
#include "window/quantity_list.h"
#include "window/window_description.h"

namespace vostrel::window {
namespace {

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

QString Indexed(const char* group, std::size_t index) {
  return QStringLiteral("%1_%2").arg(QLatin1String(group)).arg(index);
}

}  // namespace

Vostrel::Vostrel(QWidget* parent) : QWidget(parent) {
  SetUpWindow();
  CreateControls();
  ApplyLook();
  SetTabOrder();
  Connect();
  Form_Load();
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
    Label1[i]->setObjectName(Indexed("Label1", i));
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
    Label2[i]->setObjectName(Indexed("Label2", i));
    Label2[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(Label2[i], kCaptionGeometry[i]);

    List1[i] = new QuantityList(this);
    List1[i]->setObjectName(Indexed("List1", i));
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
    Text2[i]->setObjectName(Indexed("Text2", i));
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
    Command1[i]->setObjectName(Indexed("Command1", i));
    Place(Command1[i], kCommandGeometry[i]);
  }

  for (std::size_t i = 0; i < Text1.size(); ++i) {
    Text1[i] = new QPlainTextEdit(this);
    Text1[i]->setObjectName(Indexed("Text1", i));
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
  QWidget* previous = Text1[0];
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    setTabOrder(previous, List1[i]);
    setTabOrder(List1[i], Text2[i]);
    previous = Text2[i];
  }
  setTabOrder(previous, Command1[0]);
  setTabOrder(Command1[0], Command1[1]);
}

void Vostrel::Connect() {
  for (std::size_t i = 0; i < Command1.size(); ++i) {
    connect(Command1[i], &QPushButton::clicked, this,
            [this, i] { Command1_Click(static_cast<int>(i)); });
  }
}

void Vostrel::Form_Load() {
  for (QuantityList* list : List1) {
    list->SetListIndex(0);
  }
}

void Vostrel::Command1_Click(int index) {
  Text1[0]->clear();
  if (index == kCalculate) {
    Calculate();
  } else if (index == kClear) {
    Clear();
  }
}

void Vostrel::Calculate() {
  // The texts must outlive the report, which only views them.
  std::array<std::string, kRateRowCount> choices;
  std::array<std::string, kRateRowCount> prices;
  std::array<std::string, kRateRowCount> captions;
  std::array<RowInput, kRateRowCount> rows;
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    const QListWidgetItem* selected = List1[i]->item(List1[i]->ListIndex());
    choices[i] = selected != nullptr ? selected->text().toStdString() : std::string();
    prices[i] = Text2[i]->text().toStdString();
    captions[i] = Label2[i]->text().toStdString();
    rows[i] = {captions[i], choices[i], prices[i]};
  }

  const std::string separator = QLocale::system().decimalPoint().toStdString();
  std::string lastLine;
  const ReportOutcome outcome =
      BuildFeeReport(rows, separator, [this, &lastLine](std::string_view line) {
        AppendToOutput(line);
        lastLine = line;
      });
  if (!outcome.complete()) {
    ReportOverflow(*outcome.overflowAt);
    return;
  }
  // The report's last line is the amount payable. A screen reader says it
  // as soon as it is written, without the user moving to the output box.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  QAccessibleAnnouncementEvent announcement(Text1[0], ForDisplay(lastLine).trimmed());
  announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
  QAccessible::updateAccessibility(&announcement);
#endif
}

void Vostrel::Clear() {
  for (std::size_t i = 0; i < kRateRowCount; ++i) {
    List1[i]->SetListIndex(0);
    Text2[i]->setText(QString());
  }
}

void Vostrel::AppendToOutput(std::string_view line) {
  QTextCursor end(Text1[0]->document());
  end.movePosition(QTextCursor::End);
  end.insertText(ForDisplay(line));
  // The caret stands at the start, as after setting a box's text, so that a
  // screen reader moving to the box reads the report from its first line.
  Text1[0]->moveCursor(QTextCursor::Start);
}

void Vostrel::ReportOverflow(ReportLine line) {
  const auto row = static_cast<std::size_t>(line);
  const std::string caption =
      row < kRateRowCount ? Label2[row]->text().toStdString() : std::string();
  QMessageBox::critical(this, FromUtf8(kCaption), FromUtf8(OverflowMessage(line, caption)));
}

}  // namespace vostrel::window
