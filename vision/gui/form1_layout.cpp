#include "form1_layout.hpp"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <array>

#include "landmark_layout.hpp"

namespace Orvanta {
namespace {

enum class Face { caption, unit, plain };

QFont arial(double points) {
  QFont font("Arial");
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

QFont sansSerif(double points) {
  QFont font("Microsoft Sans Serif");
  font.setPointSizeF(points);
  return font;
}

QLabel* addLabel(QWidget* form, const char* name, const QString& text, int x, int y, Face face) {
  auto* label = new QLabel(text, form);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (face == Face::caption) label->setFont(arial(11.25));
  if (face == Face::unit) label->setFont(arial(9));
  label->move(x, y);
  label->adjustSize();
  return label;
}

QLineEdit* addValueBox(QWidget* form, const char* name, int x, int y) {
  auto* box = new QLineEdit(form);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setGeometry(x, y, 64, 20);
  return box;
}

// The designer's narrow buttons break their text over two lines; QPushButton would clip it.
class WrappingButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const auto group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(palette().color(group, QPalette::ButtonText));
    painter.drawText(rect().adjusted(3, 3, -3, -3), Qt::AlignCenter | Qt::TextWordWrap, text());
  }
};

QPushButton* addButton(QWidget* form, const char* name, const char* text, QRect place) {
  auto* button = new WrappingButton(text, form);
  button->setObjectName(name);
  button->setGeometry(place);
  return button;
}

// The designer names of one ball's row.
struct RowNames {
  const char *title, *titleText;
  std::array<const char*, 3> rgbNames, rgbRanges, rgbBoxes;  // red, green, blue
  std::array<const char*, 3> hsvNames, hsvRanges, hsvBoxes;  // hue, saturation, value
  const char *thresholdName, *thresholdRange, *thresholdBox;
  const char *radiusName, *radiusBox, *distanceName, *distanceBox;
  const char *spacer, *filteredName, *filteredBox, *filteredUnit;
  const char *swatchName, *swatch;
};

constexpr std::array<RowNames, site::kBallCount> kRows = {{
    {"label35",
     "Prva kugla\n\n",
     {"label2", "label3", "label4"},
     {"label9", "label10", "label11"},
     {"textBox1", "textBox2", "textBox3"},
     {"label7", "label6", "label5"},
     {"label12", "label13", "label14"},
     {"textBox6", "textBox5", "textBox4"},
     "label29",
     "label28",
     "textBox13",
     "label31",
     "textBox14",
     "label32",
     "textBox15",
     "label30",
     "label86",
     "textBox39",
     "label87",
     "label27",
     "pictureBox1"},
    {"label39",
     "Druga kugla",
     {"label38", "label37", "label36"},
     {"label25", "label24", "label23"},
     {"textBox19", "textBox18", "textBox17"},
     {"label34", "label33", "label26"},
     {"label22", "label21", "label20"},
     {"textBox16", "textBox12", "textBox11"},
     "label19",
     "label18",
     "textBox10",
     "label17",
     "textBox9",
     "label15",
     "textBox8",
     "label16",
     "label91",
     "textBox40",
     "label88",
     "label40",
     "pictureBox2"},
    {"label41",
     "Treća kugla",
     {"label58", "label57", "label56"},
     {"label52", "label51", "label50"},
     {"textBox28", "textBox27", "textBox26"},
     {"label55", "label54", "label53"},
     {"label49", "label48", "label47"},
     {"textBox25", "textBox24", "textBox23"},
     "label46",
     "label45",
     "textBox22",
     "label44",
     "textBox21",
     "label42",
     "textBox20",
     "label43",
     "label92",
     "textBox41",
     "label90",
     "label59",
     "pictureBox3"},
    {"label60",
     "Četvrta kugla",
     {"label77", "label76", "label75"},
     {"label71", "label70", "label69"},
     {"textBox37", "textBox36", "textBox35"},
     {"label74", "label73", "label72"},
     {"label68", "label67", "label66"},
     {"textBox34", "textBox33", "textBox32"},
     "label65",
     "label64",
     "textBox31",
     "label63",
     "textBox30",
     "label61",
     "textBox29",
     "label62",
     "label93",
     "textBox42",
     "label89",
     "label78",
     "pictureBox4"},
}};

constexpr std::array<int, site::kBallCount> kTitleY = {160, 302, 442, 576};
constexpr std::array<int, site::kBallCount> kRowOffset = {0, 137, 275, 409};
constexpr std::array<int, 3> kLineY = {191, 229, 269};  // the value lines of the first row
constexpr int kLabelDrop = 2;  // labels sit slightly lower than the box they name

void addSwatch(QWidget* form, const char* name, int x, int y) {
  auto* swatch = new QLabel(form);
  swatch->setObjectName(name);
  swatch->setGeometry(x, y, 60, 26);
  swatch->setAutoFillBackground(true);
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, Qt::white);
  swatch->setPalette(palette);
}

void addRow(QWidget* form, const RowNames& row, int index) {
  const int offset = kRowOffset[index];
  const int titleY = kTitleY[index];
  addLabel(form, row.title, row.titleText, 17, titleY, Face::caption);
  const std::array<const char*, 3> rgbTexts = {"Red", "Green", "Blue"};
  const std::array<const char*, 3> hsvTexts = {"Hue", "Saturation", "Value"};
  for (int line = 0; line < 3; ++line) {
    const int y = kLineY[line] + offset;
    addLabel(form, row.rgbNames[line], rgbTexts[line], 41, y + kLabelDrop, Face::caption);
    addValueBox(form, row.rgbBoxes[line], 100, y);
    addLabel(form, row.rgbRanges[line], "0-255", 170, y + kLabelDrop, Face::unit);
    addLabel(form, row.hsvNames[line], hsvTexts[line], 247, y + kLabelDrop, Face::caption);
    addValueBox(form, row.hsvBoxes[line], 334, y);
    addLabel(form, row.hsvRanges[line], "0-255", 414, y + kLabelDrop, Face::unit);
  }
  const int thresholdY = kLineY[0] + offset;
  const int radiusY = kLineY[1] + offset;
  const int distanceY = kLineY[2] + offset;
  addLabel(form, row.thresholdName, "Odabrani prag", 483, thresholdY + kLabelDrop, Face::caption);
  addValueBox(form, row.thresholdBox, 604, thresholdY);
  addLabel(form, row.thresholdRange, "0-255", 668, thresholdY + kLabelDrop, Face::unit);
  addLabel(form, row.radiusName, "Polumjer kruga\n", 483, radiusY + kLabelDrop, Face::caption);
  addValueBox(form, row.radiusBox, 604, radiusY);
  addLabel(form, row.distanceName, "Udaljenost", 483, distanceY + kLabelDrop, Face::caption);
  addValueBox(form, row.distanceBox, 604, distanceY);

  // The empty designer label keeps its place (zero width) left of "filtrirana".
  addLabel(form, row.spacer, "", 686, distanceY - 16, Face::plain)->resize(0, 13);
  addLabel(form, row.filteredName, "filtrirana", 696, distanceY - 16, Face::plain);
  addValueBox(form, row.filteredBox, 686, distanceY);
  addLabel(form, row.filteredUnit, "[m]", 756, distanceY + kLabelDrop, Face::unit);

  // The swatch and its caption share the title's line, clear of the threshold's range label.
  addLabel(form, row.swatchName, "Odabrana boja je", 674, titleY, Face::caption);
  addSwatch(form, row.swatch, 808, titleY - 4);
}

void addPositionBlock(QWidget* form) {
  auto* frame = new QFrame(form);
  frame->setObjectName("rectangleShape1");
  frame->setGeometry(367, 3, 215, 86);
  frame->setStyleSheet("#rectangleShape1 { border: 2px solid red; background: transparent; }");
  addLabel(form, "label82", "Pozicija", 377, 35, Face::caption);
  // The range solver's, beside the precise block: the coarse estimate.
  QLabel* coarse = addLabel(form, "coarseCaption", "gruba procjena", 377, 62, Face::plain);
  coarse->setFont(sansSerif(7));
  const std::array<const char*, 3> boxes = {"textBox43", "textBox44", "textBox45"};
  const std::array<const char*, 3> labels = {"label83", "label84", "label85"};
  const std::array<const char*, 3> texts = {"x [m]", "y [m]", "z [m]"};
  const std::array<int, 3> boxY = {9, 35, 61};
  const std::array<int, 3> labelY = {9, 37, 63};
  for (int i = 0; i < 3; ++i) {
    QLineEdit* box = addValueBox(form, boxes[i], 465, boxY[i]);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Light));
    box->setPalette(palette);
    addLabel(form, labels[i], texts[i], 532, labelY[i], Face::unit);
  }
}

// The precise estimate, what the operator reads first: bigger bold numbers in a green frame.
void addPreciseBlock(QWidget* form) {
  const int x = kPreciseColumnX;
  auto* frame = new QFrame(form);
  frame->setObjectName("preciseFrame");
  frame->setGeometry(x, 3, kPreciseColumnWidth, 128);
  frame->setStyleSheet("#preciseFrame { border: 2px solid #1a8f3a; background: transparent; }");
  addLabel(form, "preciseCaption", "Precizna pozicija", x + 10, 8, Face::caption);
  struct Value {
    const char *box, *label, *text;
    int column, line;
  };
  // The link to the autopilot: messages sent, "greška" when the last could not be.
  const std::array<Value, 6> values = {
      {{"preciseX", "preciseXLabel", "x [m]", 0, 0},
       {"preciseY", "preciseYLabel", "y [m]", 0, 1},
       {"preciseZ", "preciseZLabel", "z [m]", 0, 2},
       {"preciseHeading", "preciseHeadingLabel", "smjer [°]", 1, 0},
       {"preciseRms", "preciseRmsLabel", "greška [px]", 1, 1},
       {"preciseLink", "preciseLinkLabel", "MAVLink", 1, 2}}};
  QFont numbers = form->font();
  numbers.setPointSizeF(10);
  numbers.setBold(true);
  for (const Value& v : values) {
    const int left = x + 10 + 124 * v.column, top = 32 + 25 * v.line;
    QLineEdit* box = addValueBox(form, v.box, left, top);
    box->setGeometry(left, top, 62, 22);
    box->setFont(numbers);
    addLabel(form, v.label, v.text, left + 66, top + 3, Face::unit);
  }
  QLineEdit* status = addValueBox(form, "preciseStatus", x + 10, 106);
  status->setGeometry(x + 10, 106, kPreciseColumnWidth - 20, 20);
}

void addTopStrip(QWidget* form) {
  addButton(form, "button2", "Prikaz videa", {18, 18, 58, 39});
  addButton(form, "button3", "Odabir slike", {82, 18, 58, 39});
  QPushButton* start = addButton(form, "button1", "Start", {223, 18, 82, 39});
  start->setFont(sansSerif(12));
  start->setStyleSheet("#button1 { background-color: red; }");

  addLabel(form, "label81", "Status", 12, 60, Face::caption);
  auto* status = new QPlainTextEdit(form);
  status->setObjectName("textBox7");
  status->setReadOnly(true);
  status->setGeometry(18, 83, 251, 39);
  status->setFont(sansSerif(14));
  QPalette palette = status->palette();
  palette.setColor(QPalette::Text, Qt::red);
  status->setPalette(palette);

  addLabel(form, "label79", "Vrijeme proračuna", 635, 18, Face::caption);
  addValueBox(form, "textBox38", 777, 18);
  addLabel(form, "label80", "[ms]", 844, 18, Face::unit);
}

// What the running activity expects and how it ends, under the position block.
void addHintLine(QWidget* form) {
  auto* hint = new QLabel(form);
  hint->setObjectName("hintLine");
  hint->setGeometry(kHintLine);
  hint->setWordWrap(true);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette palette = hint->palette();
  palette.setColor(QPalette::WindowText, QColor(0x1a, 0x3c, 0x8f));
  hint->setPalette(palette);
}

}  // namespace

void buildForm1Controls(QWidget* form) {
  form->setFont(sansSerif(8.25));
  addPositionBlock(form);  // first, so the frame lies under the boxes it surrounds
  addPreciseBlock(form);
  addTopStrip(form);
  addHintLine(form);
  addLabel(form, "label1", "RGB komponente", 58, 137, Face::caption);
  addLabel(form, "label8", "HSV komponente", 282, 137, Face::caption);
  for (int i = 0; i < site::kBallCount; ++i) addRow(form, kRows[i], i);
}

}  // namespace Orvanta
