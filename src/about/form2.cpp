#include "about/form2.h"

#include "version.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "about/aboutplacement.h"
#include "resources/resources.h"
#include "widgets/readablecolour.h"

namespace kelvaron {

const QString Form2::kDownloadUrl = QStringLiteral("https://kelvaron.example/downloads/Kelvaron.html");
const QString Form2::kMailAddress = QStringLiteral("support@kelvaron.example");

namespace {

constexpr int kTwipsPerPx = 15;  // at 96 dots per inch

constexpr int px(int twips) { return twips / kTwipsPerPx; }

QRect pixels(int left, int top, int width, int height) { return {px(left), px(top), px(width), px(height)}; }

const char* const kTerms =
    "Terms of use\n\n"
    "Kelvaron lists the parts built into Pro/ENGINEER assembly files. It only "
    "reads the assembly files and never changes them; each parts report is "
    "written into the report folder you choose.\n\n"
    "You may use Kelvaron at work and at home and pass on unchanged copies of it.\n\n"
    "Kelvaron comes as it is, without any warranty. Check results that matter "
    "against your CAD system before you rely on them.";

// The links' font: underlined 8.25 point, or a little smaller where the
// desktop's font runs wider than the design's, so every address stays whole
// on its one line of `width` pixels.
QFont linkFont(QFont font, const QStringList& texts, int width) {
  font.setPointSizeF(8.25);
  font.setUnderline(true);
  auto widest = [&texts](const QFont& f) {
    int widest = 0;
    for (const QString& text : texts) widest = qMax(widest, QFontMetrics(f).horizontalAdvance(text));
    return widest;
  };
  while (font.pointSizeF() > 6.0 && widest(font) > width) font.setPointSizeF(font.pointSizeF() - 0.25);
  return font;
}

QLabel* makeLink(QWidget* parent, const char* name, const QString& text, const QRect& geometry, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  label->setFont(font);
  QPalette palette = label->palette();
  // The design's blue, made lighter where a dark theme puts it on dark grey.
  palette.setColor(QPalette::WindowText, widgets::readableColour(QColor(0, 0, 255), palette.color(QPalette::Window)));
  label->setPalette(palette);
  label->setCursor(resources::linkCursor());
  label->setToolTip(text);
  // Reachable by Tab and opened by Enter or Space, framed while it has the
  // focus (see eventFilter).
  label->setFocusPolicy(Qt::StrongFocus);
  label->setAccessibleName(text);
  return label;
}

}  // namespace

Form2::Form2(QWidget* mainWindow) : QWidget(nullptr, Qt::Window), m_mainWindow(mainWindow) {
  resources::initResources();
  setObjectName(QStringLiteral("Form2"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Info Kelvaron %1").arg(QLatin1String(kVersion)));
  setWindowIcon(resources::windowIcon());
  resize(px(kDesignWidthTwips), px(kDesignHeightTwips));

  m_image = new QLabel(this);
  m_image->setObjectName(QStringLiteral("Image1"));
  m_image->setGeometry(pixels(120, 120, 1500, 1185));
  m_image->setPixmap(QPixmap(resources::kLogoSmall));

  m_title = new QLabel(QStringLiteral("Kelvaron %1").arg(QLatin1String(kVersion)), this);
  m_title->setObjectName(QStringLiteral("lbl_version"));
  m_title->setGeometry(pixels(1800, 150, 2340, 390));
  QFont titleFont = m_title->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  m_title->setFont(titleFont);

  m_description = new QLabel(QStringLiteral("detecting Parts in Pro/ENGINEER Assemblies"), this);
  m_description->setObjectName(QStringLiteral("Label1"));
  m_description->setGeometry(pixels(1800, 570, 2940, 540));
  m_description->setWordWrap(true);
  m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  m_exit = new QPushButton(this);
  m_exit->setObjectName(QStringLiteral("cmd_exit"));
  m_exit->setGeometry(pixels(4260, 120, 495, 495));
  m_exit->setIcon(QIcon(resources::kExitIcon));
  m_exit->setIconSize(QSize(16, 16));
  m_exit->setToolTip(QStringLiteral("close"));
  m_exit->setAccessibleName(m_exit->toolTip());
  connect(m_exit, &QPushButton::clicked, this, &Form2::cmd_exit_Click);

  m_terms = new QPlainTextEdit(QString::fromUtf8(kTerms), this);
  m_terms->setObjectName(QStringLiteral("txt_terms"));
  m_terms->setGeometry(pixels(120, 1380, 4635, 1170));
  m_terms->setReadOnly(true);
  // Tab goes on to the links rather than into the text.
  m_terms->setTabChangesFocus(true);

  QString shownUrl = kDownloadUrl;
  shownUrl.remove(QStringLiteral("https://"));
  const QFont font = linkFont(this->font(), {kMailAddress, shownUrl}, px(3315) - 2);
  m_mailLink = makeLink(this, "Label11", kMailAddress, pixels(960, 2610, 3315, 255), font);
  m_downloadLink = makeLink(this, "Label10", shownUrl, pixels(960, 2880, 3315, 255), font);
  m_mailLink->installEventFilter(this);
  m_downloadLink->installEventFilter(this);

  m_slideTimer = new QTimer(this);
  m_slideTimer->setInterval(kSlideIntervalMs);
  connect(m_slideTimer, &QTimer::timeout, this, &Form2::slideStep);
}

void Form2::Form_Load() {
  QScreen* screen = m_mainWindow ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen->geometry();
  const QPoint origin = area.topLeft();
  QRect main;
  if (m_mainWindow) {
    const QRect frame = m_mainWindow->frameGeometry();
    main = QRect((frame.x() - origin.x()) * kTwipsPerPx, (frame.y() - origin.y()) * kTwipsPerPx,
                 frame.width() * kTwipsPerPx, frame.height() * kTwipsPerPx);
  }
  const QPoint at = aboutWindowPosition(main, kDesignWidthTwips, area.size() * kTwipsPerPx);
  const QPoint target = origin + at / kTwipsPerPx;

  m_widthTwips = 0;
  setMinimumWidth(0);
  resize(0, px(kDesignHeightTwips));
  move(target);
  show();
  // The frame is known once the window is shown; the position is the frame's.
  move(target);
  m_slideTimer->start();
}

bool Form2::isSliding() const { return m_slideTimer->isActive(); }

void Form2::slideStep() {
  // The last step may pass the design width by up to 199 twips; it stays so.
  m_widthTwips += kSlideStepTwips;
  resize(px(m_widthTwips), height());
  repaint();
  if (m_widthTwips >= kDesignWidthTwips) m_slideTimer->stop();
}

void Form2::cmd_exit_Click() { close(); }

void Form2::Label10_Click() { ShellExec(kDownloadUrl); }

void Form2::Label11_Click() { ShellExec(QStringLiteral("mailto:") + kMailAddress); }

bool Form2::ShellExec(const QString& Path) { return QDesktopServices::openUrl(QUrl(Path)); }

bool Form2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    if (auto* link = qobject_cast<QLabel*>(watched))
      link->setFrameShape(event->type() == QEvent::FocusIn ? QFrame::Box : QFrame::NoFrame);
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool activates = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (activates && (watched == m_downloadLink || watched == m_mailLink)) {
      watched == m_downloadLink ? Label10_Click() : Label11_Click();
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == m_downloadLink) {
      Label10_Click();
      return true;
    }
    if (watched == m_mailLink) {
      Label11_Click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelvaron
