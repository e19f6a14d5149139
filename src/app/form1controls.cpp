#include "app/form1controls.h"

#include "app/clickablelabel.h"
#include "app/picturebutton.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/readablecolour.h"
#include "resources/resources.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QProxyStyle>
#include <QStyleOptionComplex>
#include <QTimer>
#include <algorithm>
#include <array>
#include <vector>

namespace kelvaron {
namespace {

using K = ControlKind;

// clang-format off
constexpr std::array kControls{
  ControlSpec{"Timer1",          K::Timer,         "",       "",                         0,     0,    0,    0,   -1, false},
  ControlSpec{"Frame5",          K::Frame,         "",       "Speicherort Ausgabedatei", 1320,  840,  5235, 3315, 20, true},
  ControlSpec{"txt_Pfad",        K::TextBox,       "Frame5", "",                         180,   300,  4875, 315,  25, false},
  ControlSpec{"cmd_exitdatei",   K::Button,        "Frame5", "OK",                       3960,  2760, 1095, 435,  23, false},
  ControlSpec{"Drive2",          K::DriveList,     "Frame5", "",                         180,   660,  3675, 315,  22, false},
  ControlSpec{"Dir2",            K::DirList,       "Frame5", "",                         180,   1020, 3675, 2115, 21, false},
  ControlSpec{"Label6",          K::Label,         "Frame5", "txt output file",          180,   60,   1215, 195,  24, false},
  ControlSpec{"Frame4",          K::Frame,         "",       "",                         120,   -120, 7575, 675,  14, false},
  ControlSpec{"cmd_exec",        K::PictureButton, "Frame4", "",                         1920,  120,  495,  495,  27, true},
  ControlSpec{"cmd_opts",        K::PictureButton, "Frame4", "place",                    1320,  120,  495,  495,  19, false},
  ControlSpec{"cmd_file",        K::PictureButton, "Frame4", "file",                     120,   120,  495,  495,  17, false},
  ControlSpec{"cmd_exit",        K::PictureButton, "Frame4", "",                         6960,  120,  495,  495,  16, false},
  ControlSpec{"cmd_info",        K::Button,        "Frame4", "Info",                     720,   120,  495,  495,  15, false},
  ControlSpec{"Label12",         K::Label,         "Frame4", "detecting Parts in Pro/ENGINEER Assemblies", 2520, 120, 4455, 375, 40, false},
  ControlSpec{"Frame3",          K::Frame,         "",       "",                         7800,  600,  7215, 5175, 9,  true},
  ControlSpec{"Frame6",          K::Frame,         "Frame3", "cycle control",            3960,  4080, 1935, 975,  35, false},
  ControlSpec{"combo_zeit",      K::ComboBox,      "Frame6", "keine",                    480,   480,  735,  315,  36, false},
  ControlSpec{"Label11",         K::Label,         "Frame6", "at",                       120,   480,  255,  255,  39, false},
  ControlSpec{"Label10",         K::Label,         "Frame6", "o'clock",                  1320,  480,  615,  255,  38, false},
  ControlSpec{"Label7",          K::Label,         "Frame6", "start time",               360,   240,  1095, 255,  37, false},
  ControlSpec{"cmd_verzeichnis", K::Button,        "Frame3", "search all files in folder and subfolders", 120, 4680, 3135, 315, 28, false},
  ControlSpec{"cmd_close",       K::Button,        "Frame3", "close",                    6120,  120,  855,  315,  18, false},
  ControlSpec{"File1",           K::FileList,      "Frame3", "*.asm.???",                3480,  600,  3615, 3210, 12, false},
  ControlSpec{"Dir1",            K::DirList,       "Frame3", "",                         120,   600,  3255, 3240, 11, false},
  ControlSpec{"Drive1",          K::DriveList,     "Frame3", "",                         120,   240,  3255, 315,  10, false},
  ControlSpec{"Label5",          K::Label,         "Frame3", "single file:",             3480,  360,  1695, 255,  31, false},
  ControlSpec{"lbl_stop",        K::Label,         "Frame3", "0",                        3600,  4200, 195,  255,  30, true},
  ControlSpec{"img_stop",        K::Picture,       "Frame3", "",                         3360,  4560, 480,  450,  -1, false},
  // The clock, beside the cycle control: lbl_time lies beyond the window's
  // right edge at its run-time size.
  ControlSpec{"lbl_clock",       K::Label,         "Frame3", "",                         6000,  4560, 1095, 315,  -1, false},
  ControlSpec{"lbl_Dir",         K::Label,         "Frame3", "",                         120,   3840, 5595, 255,  29, false},
  ControlSpec{"Frame2",          K::Frame,         "",       "",                         120,   480,  7575, 5055, 8,  true},
  ControlSpec{"cmd_partname",    K::Button,        "Frame2", "Strg-V",                   120,   4320, 7215, 615,  34, true},
  ControlSpec{"List_ASM",        K::ListBox,       "Frame2", "",                         120,   240,  7215, 3960, 33, false},
  ControlSpec{"Frame1",          K::Frame,         "",       "Info",                     120,   6720, 7575, 2655, 0,  true},
  ControlSpec{"List1",           K::ListBox,       "Frame1", "",                         120,   1080, 7215, 1425, 41, false},
  ControlSpec{"txt_P1",          K::TextBox,       "Frame1", "txt_P1",                   120,   600,  3855, 285,  6,  false},
  ControlSpec{"P1",              K::TextBox,       "Frame1", "P1",                       120,   240,  3855, 285,  5,  false},
  ControlSpec{"Label1",          K::Label,         "Frame1", "",                         5280,  240,  2055, 255,  4,  false},
  ControlSpec{"Label2",          K::Label,         "Frame1", "",                         5280,  600,  2055, 255,  3,  false},
  ControlSpec{"Label3",          K::Label,         "Frame1", "Fundstelle",               4200,  240,  855,  255,  2,  false},
  ControlSpec{"Label4",          K::Label,         "Frame1", "Endposition",              4200,  600,  975,  255,  1,  false},
  ControlSpec{"Image1",          K::Picture,       "",       "",                         1440,  1680, 4410, 1665, -1, false},
  ControlSpec{"lbl_time",        K::Label,         "",       "Uhrzeit",                  7920,  240,  1095, 255,  32, false},
  ControlSpec{"Pfad",            K::Label,         "",       "",                         120,   5880, 7575, 255,  26, false},
  ControlSpec{"lbl_File",        K::Label,         "",       "",                         120,   5640, 7335, 255,  13, false},
  ControlSpec{"lbl_status",      K::Label,         "",       "STATUS",                   120,   6120, 7455, 255,  7,  false},
};

constexpr std::array kLines{
  LineSpec{"Line5", "Frame5", 5220, 0,    5220, 3300},
  LineSpec{"Line4", "Frame5", 0,    3300, 5220, 3300},
  LineSpec{"Line2", "Frame5", 5220, 0,    0,    0},
  LineSpec{"Line1", "Frame5", 0,    0,    0,    3300},
  LineSpec{"Line8", "Frame3", 0,    0,    0,    5160},
  LineSpec{"Line7", "Frame3", 7200, 0,    7200, 5160},
  LineSpec{"Line6", "Frame3", 0,    5160, 7200, 5160},
  LineSpec{"Line3", "Frame3", 0,    0,    7200, 0},
};
// clang-format on

// Pictures of the window, from the resource file.
struct PictureSpec {
  const char* name;
  const QString* resource;
};
const std::array kPictures{
    PictureSpec{"Image1", &resources::kLogo},        PictureSpec{"cmd_file", &resources::kFileIcon},
    PictureSpec{"cmd_opts", &resources::kPlaceIcon}, PictureSpec{"cmd_exec", &resources::kReportIcon},
    PictureSpec{"cmd_exit", &resources::kExitIcon},  PictureSpec{"img_stop", &resources::kStopPicture},
};

struct ColourSpec {
  const char* name;
  QPalette::ColorRole role;
  QColor colour;
};
const std::array kColours{
    ColourSpec{"Frame5", QPalette::Window, QColor(255, 255, 192)},
    ColourSpec{"Frame3", QPalette::Window, QColor(255, 224, 192)},
    ColourSpec{"Frame6", QPalette::Window, QColor(255, 224, 192)},
    ColourSpec{"lbl_stop", QPalette::Window, QColor(255, 0, 0)},
    ColourSpec{"Pfad", QPalette::WindowText, QColor(128, 128, 128)},
    ColourSpec{"lbl_File", QPalette::WindowText, QColor(128, 128, 128)},
};

// What a control is for, where its caption does not say it. Pictures, lists,
// boxes (whose text is their content) and bare panels get it as their
// accessible name; labels that show a value keep the value as their name and
// get this as their description; buttons with a caption keep it and get this
// as their tooltip.
enum class Describes { Name, NameAndTooltip, Tooltip, Description };
struct DescriptionSpec {
  const char* name;
  const char* text;
  Describes as;
};
using D = Describes;
const std::array kDescriptions{
    DescriptionSpec{"cmd_exec", "open the report", D::NameAndTooltip},
    DescriptionSpec{"cmd_exit", "exit", D::NameAndTooltip},
    DescriptionSpec{"cmd_opts", "report folder", D::Tooltip},
    DescriptionSpec{"cmd_file", "choose an assembly file (Ctrl+O)", D::Tooltip},
    DescriptionSpec{"img_stop", "stop the folder scan (Esc)", D::NameAndTooltip},
    DescriptionSpec{"Image1", "Kelvaron logo", D::Name},
    DescriptionSpec{"Frame2", "result", D::Name},
    DescriptionSpec{"Frame3", "browse", D::Name},
    DescriptionSpec{"Frame4", "toolbar", D::Name},
    DescriptionSpec{"txt_Pfad", "report folder", D::Name},
    DescriptionSpec{"Drive2", "drive of the report folder", D::Name},
    DescriptionSpec{"Dir2", "folders of the report folder", D::Name},
    DescriptionSpec{"combo_zeit", "start hour of the folder scan", D::Name},
    DescriptionSpec{"File1", "assembly files", D::Name},
    DescriptionSpec{"Dir1", "folders", D::Name},
    DescriptionSpec{"Drive1", "drive", D::Name},
    DescriptionSpec{"List_ASM", "parts of the assembly", D::Name},
    DescriptionSpec{"List1", "files found by the folder scan", D::Name},
    DescriptionSpec{"txt_P1", "last part name", D::Name},
    DescriptionSpec{"P1", "P1", D::Name},
    DescriptionSpec{"lbl_stop", "stop clicks", D::Description},
    DescriptionSpec{"lbl_Dir", "current folder", D::Description},
    DescriptionSpec{"lbl_clock", "clock", D::Description},
    DescriptionSpec{"Label1", "position of the last part", D::Description},
    DescriptionSpec{"Label2", "end position of the last part", D::Description},
    DescriptionSpec{"lbl_time", "clock", D::Description},
    DescriptionSpec{"Pfad", "last report file", D::Description},
    DescriptionSpec{"lbl_File", "current assembly file", D::Description},
    DescriptionSpec{"lbl_status", "status", D::Description},
};

// Labels that name a list or box beside them.
const std::array<std::pair<const char*, const char*>, 4> kBuddies{{
    {"Label5", "File1"},
    {"lbl_Dir", "Dir1"},
    {"Label6", "txt_Pfad"},
    {"Label7", "combo_zeit"},
}};

// A combo box style whose drop-down arrow takes 10 pixels, for narrow boxes.
class SlimComboStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget) const override {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control != CC_ComboBox) return r;
    const QRect frame = option->rect.adjusted(1, 1, -1, -1);
    if (sub == SC_ComboBoxArrow) return QRect(frame.right() - 9, frame.top(), 10, frame.height());
    if (sub == SC_ComboBoxEditField) return QRect(frame.left() + 1, frame.top(), frame.width() - 12, frame.height());
    return r;
  }
};

QWidget* makeWidget(const ControlSpec& row, QWidget* parent) {
  const QString caption = QString::fromUtf8(row.caption);
  switch (row.kind) {
    case K::Frame: {
      if (caption.isEmpty()) {
        auto* frame = new QFrame(parent);
        frame->setFrameShape(QFrame::StyledPanel);
        return frame;
      }
      auto* box = new QGroupBox(caption, parent);
      // The caption sits on the top border, as the panel's children expect
      // (they start 240 twips below the panel's top).
      box->setStyleSheet(
          QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 0.5em; }"
                         "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
      return box;
    }
    case K::TextBox:
      return new QLineEdit(caption, parent);
    case K::Button:
      return new QPushButton(caption, parent);
    case K::PictureButton:
      return new PictureButton(caption, parent);
    case K::Label:
      return new ClickableLabel(caption, parent);
    case K::Picture:
      return new ClickableLabel(parent);
    case K::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      // Completing "1" to "10" would arm the wrong hour on Enter.
      combo->setCompleter(nullptr);
      for (int hour = 1; hour <= 24; ++hour)
        combo->addItem(QStringLiteral("%1").arg(hour % 24, 2, 10, QLatin1Char('0')), 0);
      combo->setCurrentIndex(-1);
      combo->setEditText(caption);
      // A slim arrow leaves the narrow box room for its text.
      auto* slim = new SlimComboStyle;
      slim->setParent(combo);
      combo->setStyle(slim);
      combo->lineEdit()->setCursorPosition(0);
      return combo;
    }
    case K::ListBox:
      return new QListWidget(parent);
    case K::DriveList:
      return new widgets::DriveListBox(parent);
    case K::DirList:
      return new widgets::DirListBox(parent);
    case K::FileList: {
      auto* files = new widgets::FileListBox(parent);
      files->setPattern(caption);
      return files;
    }
    case K::Timer:
      break;
  }
  return nullptr;
}

// A caption wider than its control is set in a smaller font rather than cut,
// not below 8 points, which stays readable at every scale; narrower letters
// do the rest (the design's font ran narrower than today's desktop fonts).
void shrinkToFit(QWidget* widget, const QString& text, int room, int height = 1000) {
  QFont font = widget->font();
  auto tooBig = [&] {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(text) > room || metrics.height() > height;
  };
  while (font.pointSizeF() > 8.0 && tooBig()) font.setPointSizeF(font.pointSizeF() - 0.5);
  for (int stretch = 95; stretch >= 80 && tooBig(); stretch -= 5) font.setStretch(stretch);
  if (font != widget->font()) widget->setFont(font);
}

// Lists, text boxes, buttons and panels lie above labels, lines and pictures.
bool liesOnTop(ControlKind kind) { return kind != K::Label && kind != K::Picture && kind != K::Timer; }

}  // namespace

std::span<const ControlSpec> form1Controls() { return kControls; }
std::span<const LineSpec> form1Lines() { return kLines; }

void createForm1Controls(QWidget* form) {
  QHash<QString, QWidget*> byName;
  byName.insert(QString(), form);

  for (const ControlSpec& row : kControls) {
    if (row.kind == K::Timer) {
      auto* timer = new QTimer(form);
      timer->setObjectName(QString::fromUtf8(row.name));
      continue;
    }
    QWidget* parent = byName.value(QString::fromUtf8(row.container));
    QWidget* widget = makeWidget(row, parent);
    widget->setObjectName(QString::fromUtf8(row.name));
    widget->setGeometry(twipsToPixels(row.left), twipsToPixels(row.top), twipsToPixels(row.width),
                        twipsToPixels(row.height));
    widget->setVisible(!row.hidden);
    byName.insert(widget->objectName(), widget);
    const QString caption = QString::fromUtf8(row.caption);
    if (row.kind == K::Button) shrinkToFit(widget, caption, widget->width() - 12);
    if (row.kind == K::Label && !caption.isEmpty())
      shrinkToFit(widget, caption, widget->width() - 2, widget->height() + 1);
    if (row.kind == K::ComboBox) {
      // The box's text in the size that fits "keine"; the hour list, which
      // has room, in the window's own size.
      auto* combo = qobject_cast<QComboBox*>(widget);
      combo->view()->setFont(combo->font());
      shrinkToFit(combo, caption, widget->width() - 20);
      combo->lineEdit()->setFont(combo->font());
    }
  }

  for (const LineSpec& line : kLines) {
    auto* frame = new QFrame(byName.value(QString::fromUtf8(line.container)));
    frame->setObjectName(QString::fromUtf8(line.name));
    frame->setFrameShadow(QFrame::Plain);
    frame->setFrameShape(line.x1 == line.x2 ? QFrame::VLine : QFrame::HLine);
    const int x = twipsToPixels(std::min(line.x1, line.x2));
    const int y = twipsToPixels(std::min(line.y1, line.y2));
    const int w = twipsToPixels(std::abs(line.x2 - line.x1)) + 1;
    const int h = twipsToPixels(std::abs(line.y2 - line.y1)) + 1;
    frame->setGeometry(x, y, w, h);
    frame->lower();
  }

  // Stacking: the first heavy control of the table ends on top (Frame5 above
  // Frame4 above Frame3 ...); labels and pictures go below every sibling.
  for (auto it = kControls.rbegin(); it != kControls.rend(); ++it) {
    QWidget* widget = byName.value(QString::fromUtf8(it->name));
    if (!widget) continue;
    if (liesOnTop(it->kind))
      widget->raise();
    else
      widget->lower();
  }

  resources::initResources();
  for (const PictureSpec& picture : kPictures) {
    QWidget* widget = byName.value(QString::fromUtf8(picture.name));
    const QPixmap pixmap(*picture.resource);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      button->setIcon(QIcon(pixmap));
      button->setIconSize(QSize(16, 16));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setPixmap(pixmap);
      label->setAlignment(Qt::AlignCenter);
    }
  }

  for (const ColourSpec& colour : kColours) {
    QWidget* widget = byName.value(QString::fromUtf8(colour.name));
    QPalette palette = widget->palette();
    if (colour.role == QPalette::Window) {
      // A coloured panel carries its own text colour: a dark theme's white
      // text cannot be read on light orange. Its lists, boxes and buttons
      // keep the theme's colours.
      palette.setColor(QPalette::Window, colour.colour);
      palette.setColor(QPalette::WindowText, Qt::black);
      widget->setAutoFillBackground(true);
    } else {
      // The design's grey, lighter on a dark theme's window.
      palette.setColor(colour.role, widgets::readableColour(colour.colour, palette.color(QPalette::Window), 3.0));
    }
    widget->setPalette(palette);
  }

  byName.value(QStringLiteral("img_stop"))->setCursor(resources::stopCursor());

  // Panels outlined by their lines draw no border of their own; the report
  // folder panel's caption gives way to its label "txt output file".
  qobject_cast<QFrame*>(byName.value(QStringLiteral("Frame3")))->setFrameShape(QFrame::NoFrame);
  byName.value(QStringLiteral("Frame5"))
      ->setStyleSheet(
          QStringLiteral("QGroupBox#Frame5 { border: none; margin: 0; background-color: rgb(255, 255, 192); }"
                         "QGroupBox#Frame5::title { color: transparent; }"));
  // The clock stays out of view at the run-time width, even with a thin frame.
  for (const char* clock : {"lbl_time", "lbl_clock"})
    qobject_cast<QLabel*>(byName.value(QString::fromLatin1(clock)))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  // Inside a panel with a style sheet the labels take their colour from the
  // sheet, not from the panel's palette.
  for (const ColourSpec& colour : kColours)
    if (auto* box = qobject_cast<QGroupBox*>(byName.value(QString::fromUtf8(colour.name)));
        box && colour.role == QPalette::Window)
      box->setStyleSheet(box->styleSheet() + QStringLiteral("QGroupBox, QLabel { color: black; }"));

  // The diagnostics boxes only display text, on the menu's colour.
  const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);
  for (const char* name : {"txt_P1", "P1"}) {
    QWidget* box = byName.value(QString::fromUtf8(name));
    box->setEnabled(false);
    QPalette palette = box->palette();
    palette.setColor(QPalette::All, QPalette::Base, menuColour);
    box->setPalette(palette);
  }

  for (const DescriptionSpec& row : kDescriptions) {
    QWidget* widget = byName.value(QString::fromUtf8(row.name));
    const QString text = QString::fromUtf8(row.text);
    if (row.as == D::Name || row.as == D::NameAndTooltip) widget->setAccessibleName(text);
    if (row.as == D::Tooltip || row.as == D::NameAndTooltip) widget->setToolTip(text);
    if (row.as == D::Description) widget->setAccessibleDescription(text);
  }
  for (const auto& [label, buddy] : kBuddies)
    qobject_cast<QLabel*>(byName.value(QString::fromUtf8(label)))->setBuddy(byName.value(QString::fromUtf8(buddy)));

  // Keyboard order 0..41; controls that take no focus keep their place out of it.
  std::vector<const ControlSpec*> ordered;
  for (const ControlSpec& row : kControls)
    if (row.tab >= 0) ordered.push_back(&row);
  std::sort(ordered.begin(), ordered.end(), [](const ControlSpec* a, const ControlSpec* b) { return a->tab < b->tab; });
  QWidget* previous = nullptr;
  for (const ControlSpec* row : ordered) {
    QWidget* widget = byName.value(QString::fromUtf8(row->name));
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace kelvaron
