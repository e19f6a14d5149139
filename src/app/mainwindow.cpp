#include "app/mainwindow.h"

#include "about/form2.h"
#include "platform/assemblyname.h"
#include "platform/pathhelpers.h"
#include "app/analysiscontroller.h"
#include "app/browsepanel.h"
#include "app/clock.h"
#include "app/commandline.h"
#include "app/desktopopen.h"
#include "app/problemmodel.h"
#include "app/reportfolderpanel.h"
#include "app/resultmodel.h"
#include "app/resultpanel.h"
#include "app/scanbar.h"
#include "app/scancontroller.h"
#include "app/summarypanel.h"
#include "app/uitexts.h"
#include "app/windowsettings.h"
#include "platform/folderpaths.h"
#include "platform/nativepath.h"
#include "bom/fileindex.h"
#include "bom/projectscan.h"
#include "productview/productview.h"
#include "widgets/filelistbox.h"
#include "resources/resources.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvaron {

namespace {

QString text(const char* t) { return QString::fromUtf8(t); }

// The window opens at 8000 x 6885 twips, 15 twips to a pixel.
constexpr QSize kOpeningSize(8000 / 15, 6885 / 15);

QToolButton* toolButton(QWidget* parent, const QString& icon, const char* caption, const char* name, const char* tip) {
  auto* button = new QToolButton(parent);
  button->setIcon(QIcon(icon));
  button->setText(text(caption));
  button->setAccessibleName(text(name));
  button->setToolTip(text(tip));
  button->setToolButtonStyle(*caption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
  button->setAutoRaise(true);
  return button;
}

// The tagline between the toolbar's buttons: it takes the room there is and
// wraps, and asks for little, so the buttons never move into the toolbar's
// overflow menu.
class Tagline : public QLabel {
 public:
  using QLabel::QLabel;
  QSize sizeHint() const override { return {fontMetrics().averageCharWidth() * 12, QLabel::sizeHint().height()}; }
};

// A line at the bottom: grey, wrapped rather than cut, its text selectable.
QLabel* bottomLine(QWidget* parent, const char* description, bool grey) {
  auto* label = new QLabel(parent);
  label->setAccessibleDescription(text(description));
  label->setToolTip(text(description));
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setTextFormat(Qt::PlainText);
  if (grey) label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      m_resultModel(new ResultModel(this)),
      m_problemModel(new ProblemModel(this)),
      m_scan(new ScanController(this)),
      m_analysis(new AnalysisController(this)),
      m_timer(new QTimer(this)) {
  resources::initResources();
  setWindowTitle(text(texts::kTitle));
  setWindowIcon(resources::windowIcon());
  buildToolBar();
  buildContent();
  connectParts();
  setAcceptDrops(true);
  resize(kOpeningSize);
}

MainWindow::~MainWindow() {
  // The controllers' threads end before the models they report to.
  m_scan->abandon();
  m_analysis->stop();
  delete m_about;
}

void MainWindow::buildToolBar() {
  auto* bar = new QToolBar(text(texts::kToolbar), this);
  bar->setAccessibleName(text(texts::kToolbar));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->toggleViewAction()->setVisible(false);
  m_fileButton = toolButton(bar, resources::kFileIcon, texts::kFile, texts::kFile, texts::kFileTip);
  m_infoButton = toolButton(bar, QString(), texts::kInfo, texts::kInfo, texts::kInfoTip);
  m_infoButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
  m_placeButton = toolButton(bar, resources::kPlaceIcon, texts::kPlace, texts::kPlace, texts::kPlaceTip);
  m_reportButton = toolButton(bar, resources::kReportIcon, "", texts::kOpenReport, texts::kOpenReport);
  m_productButton = toolButton(bar, QString(), texts::kProduct, texts::kProductStructure, texts::kProductTip);
  m_productButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
  m_productButton->setEnabled(false);
  m_exitButton = toolButton(bar, resources::kExitIcon, "", texts::kExit, texts::kExitTip);
  auto* tagline = new Tagline(text(texts::kTagline), bar);
  tagline->setWordWrap(true);
  tagline->setAlignment(Qt::AlignCenter);
  tagline->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  m_clock = new QLabel(bar);
  m_clock->setAccessibleDescription(text(texts::kClock));
  m_clock->setToolTip(text(texts::kClock));
  m_armed = new QLabel(bar);
  m_armed->setAccessibleDescription(text(texts::kArmedHour));
  m_armed->setVisible(false);
  auto* clocks = new QWidget(bar);
  auto* clockLayout = new QVBoxLayout(clocks);
  clockLayout->setContentsMargins(4, 0, 4, 0);
  clockLayout->addWidget(m_clock, 0, Qt::AlignRight);
  clockLayout->addWidget(m_armed, 0, Qt::AlignRight);
  bar->addWidget(m_fileButton);
  bar->addWidget(m_infoButton);
  bar->addWidget(m_placeButton);
  bar->addWidget(m_productButton);
  m_reportAction = bar->addWidget(m_reportButton);
  m_reportAction->setVisible(false);
  bar->addWidget(tagline);
  bar->addWidget(clocks);
  bar->addWidget(m_exitButton);
  addToolBar(Qt::TopToolBarArea, bar);
}

void MainWindow::buildContent() {
  auto* central = new QWidget(this);
  m_pages = new QStackedWidget(central);
  m_logo = new QLabel(m_pages);
  m_logo->setPixmap(QPixmap(resources::kLogo));
  m_logo->setAlignment(Qt::AlignCenter);
  m_logo->setAccessibleName(text(texts::kLogo));
  // The logo's dark letters on their own light ground, whatever the theme.
  m_logo->setStyleSheet(QStringLiteral("QLabel { background: white; border-radius: 6px; padding: 12px; }"));
  auto* logoPage = new QWidget(m_pages);
  auto* logoLayout = new QVBoxLayout(logoPage);
  logoLayout->addStretch(1);
  logoLayout->addWidget(m_logo, 0, Qt::AlignCenter);
  logoLayout->addStretch(1);
  m_browse = new BrowsePanel(m_pages);
  m_result = new ResultPanel(m_resultModel, m_pages);
  m_product = new productview::ProductView({}, m_result);
  m_result->addView(m_product);
  m_reportFolder = new ReportFolderPanel(m_pages);
  m_summary = new SummaryPanel(m_problemModel, m_pages);
  // In the order of Page.
  for (QWidget* page : std::initializer_list<QWidget*>{logoPage, m_browse, m_result, m_reportFolder, m_summary})
    m_pages->addWidget(page);

  m_scanBar = new ScanBar(central);
  m_scanBar->setVisible(false);
  m_currentFile = bottomLine(central, texts::kCurrentFile, true);
  m_lastReport = bottomLine(central, texts::kLastReport, true);
  m_status = bottomLine(central, texts::kStatus, false);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(m_pages, 1);
  layout->addWidget(m_scanBar);
  layout->addWidget(m_currentFile);
  layout->addWidget(m_lastReport);
  layout->addWidget(m_status);
  setCentralWidget(central);
}

void MainWindow::connectParts() {
  connect(m_fileButton, &QToolButton::clicked, this, [this] { showPage(Page::Browse); });
  connect(m_placeButton, &QToolButton::clicked, this, [this] { showPage(Page::ReportFolder); });
  connect(m_reportButton, &QToolButton::clicked, this, &MainWindow::openReport);
  connect(m_infoButton, &QToolButton::clicked, this, &MainWindow::showAbout);
  connect(m_exitButton, &QToolButton::clicked, this, &MainWindow::close);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated, this,
          [this] { showPage(Page::Browse); });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, &MainWindow::close);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
    if (m_scan->isRunning()) stopScan();
  });

  connect(m_browse, &BrowsePanel::fileChosen, this, &MainWindow::analyse);
  connect(m_browse, &BrowsePanel::scanRequested, this, [this] { startScan(m_browse->folder()); });
  connect(m_browse, &BrowsePanel::closeRequested, this, [this] { showPage(m_content); });
  connect(m_browse, &BrowsePanel::hourEdited, this, &MainWindow::onHourEdited);
  connect(m_reportFolder, &ReportFolderPanel::done, this, &MainWindow::closeReportFolder);
  connect(m_summary, &SummaryPanel::openRequested, this, [this](const QString& path) {
    if (QFileInfo(path).isDir()) {
      m_browse->setFolder(path);
      showPage(Page::Browse);
    } else {
      analyse(path);
    }
  });

  connect(m_analysis, &AnalysisController::finished, this, &MainWindow::onAnalysed);
  connect(m_productButton, &QToolButton::clicked, this, [this] {
    showPage(Page::Result);
    m_result->showView(m_product);
  });
  // The product takes the list's place once read; one opened from its own
  // lists (used in, check) is analysed too, so the heading, the copy button
  // and the report follow it.
  connect(m_product, &productview::ProductView::productShown, this, [this](const QString& top) {
    if (top != m_analysed) return analyse(top);
    m_productButton->setEnabled(true);
    m_result->showView(m_product);
  });
  connect(m_product, &productview::ProductView::componentSelected, m_result, &ResultPanel::offerName);
  connect(m_product, &productview::ProductView::fileOpenRequested, this, [this](const QString& path) {
    openWithDesktop(path, this, [this, path](const QString& reason) {
      setStatus(QStringLiteral("cannot open %1: %2").arg(platform::displayPath(path), reason));
    });
  });
  connect(m_scan, &ScanController::progressed, m_scanBar, &ScanBar::setProgress);
  connect(m_scan, &ScanController::finished, this, &MainWindow::onScanFinished);
  connect(m_scan, &ScanController::armedChanged, this, &MainWindow::showArmed);
  connect(m_scanBar, &ScanBar::stopClicked, this, &MainWindow::stopScan);
  connect(m_timer, &QTimer::timeout, this, &MainWindow::tick);
}

void MainWindow::load(const QString& commandLine) {
  const SavedSettings saved = readSettings();
  if (DirExists(saved.browseDrive)) m_browse->setDrive(saved.browseDrive);
  if (DirExists(saved.reportDrive)) m_reportFolder->setDrive(saved.reportDrive);
  // A saved browse folder that has gone gives the start folder, not whatever
  // the drive step left in the list.
  m_browse->setFolder(DirExists(saved.browseFolder) ? saved.browseFolder : platform::startFolder());
  if (DirExists(saved.reportList)) m_reportFolder->setListFolder(saved.reportList);
  // The typed report folder wins over the one the list wrote into the box.
  m_reportFolder->setFolder(saved.reportFolder);
  m_timer->start(1000);
  tick();
  if (!commandLine.isEmpty()) runCommandLine(commandLinePath(commandLine));
}

void MainWindow::runCommandLine(const QString& path) {
  if (FileExists(path)) {
    m_browse->setDrive(QStorageInfo(QFileInfo(path).absolutePath()).rootPath());
    if (GetExt(path) == QLatin1String(".asm")) {
      m_browse->selectFile(path);
    } else {
      showMessage(text(texts::kNoAssemblies));
    }
  }
  analyse(path);
}

MainWindow::Page MainWindow::page() const { return static_cast<Page>(m_pages->currentIndex()); }

void MainWindow::showPage(Page page) {
  if (page == Page::ReportFolder && this->page() != Page::ReportFolder) m_beforeReportFolder = this->page();
  if (page == Page::Result || page == Page::Summary) m_content = page;
  m_pages->setCurrentIndex(static_cast<int>(page));
  if (page == Page::Browse) m_browse->fileList()->setFocus();
  if (page == Page::Result) m_result->partsView()->setFocus();
  if (page == Page::ReportFolder) m_reportFolder->folderEdit()->setFocus();
}

bool MainWindow::isBusy() const { return m_scan->isRunning() || m_analysis->isRunning(); }

void MainWindow::setStatus(const QString& status) { m_status->setText(status); }

void MainWindow::setCurrentFile(const QString& path) {
  m_currentFile->setText(platform::displayPath(path));
  const QString name = QFileInfo(path).fileName();
  setWindowTitle(name.isEmpty() ? text(texts::kTitle) : name + QStringLiteral(" – ") + text(texts::kTitle));
}

void MainWindow::showMessage(const QString& message) {
  if (hooks.message) return hooks.message(message);
  QMessageBox::information(this, text(texts::kTitle), message, QMessageBox::Ok);
}

bool MainWindow::ask(const QString& question) {
  if (hooks.question) return hooks.question(question);
  return QMessageBox::question(this, text(texts::kTitle), question) == QMessageBox::Yes;
}

QDateTime MainWindow::now() const { return hooks.clock ? hooks.clock() : QDateTime::currentDateTime(); }

// ---- Single file ---------------------------------------------------------------

void MainWindow::analyse(const QString& path) {
  if (m_scan->isRunning()) {
    setStatus(QStringLiteral("cannot analyse %1 while the folder scan runs").arg(platform::displayPath(path)));
    return;
  }
  setCurrentFile(path);
  m_analysed = bom::indexedPath(path);
  m_result->showView(m_result->partsView());
  m_productButton->setEnabled(false);
  // An assembly's product is read beside the analysis; a file of no known
  // layout never shows one and keeps its list.
  if (bom::isAssemblyFile(QFileInfo(path).fileName()))
    m_product->open(m_analysed);
  else
    m_product->controller().cancel();
  m_resultModel->clear();
  m_result->setDetails({});
  m_reportAction->setVisible(false);
  setStatus(text(texts::kPleaseWait));
  showPage(Page::Result);
  m_analysis->analyse(path, m_reportFolder->folder());
}

void MainWindow::onAnalysed(const AnalysisResult& result) {
  m_resultModel->setResult(result.heading, result.names, result.analysis);
  m_result->setDetails(result.verdict.details);
  const bool saved = !result.outcome.reportPath.isEmpty();
  setStatus(saved && result.verdict.kind != FileVerdict::Kind::Fine
                ? text(texts::kFileSaved) + QStringLiteral("; ") + result.verdict.status
                : result.verdict.status);
  if (saved) {
    m_reportPath = result.outcome.reportPath;
    m_lastReport->setText(platform::displayPath(m_reportPath));
    m_reportAction->setVisible(true);
  }
}

void MainWindow::openReport() {
  const QString report = m_reportPath;
  const auto failed = [this, report](const QString& reason) {
    setStatus(QStringLiteral("cannot open %1: %2").arg(platform::displayPath(report), reason));
  };
  if (!FileExists(report)) return failed(QStringLiteral("no such file"));
  openWithDesktop(report, this, failed);
}

// ---- Report folder ------------------------------------------------------------

bool MainWindow::ensureReportFolder() {
  const QString folder = m_reportFolder->folder();
  if (folder.isEmpty()) {
    showMessage(QStringLiteral("no report folder: type or choose the folder the reports go to"));
    return false;
  }
  const QFileInfo info(folder);
  if (info.isDir()) return true;
  if (info.exists()) {
    showMessage(QStringLiteral("%1 is a file, not a folder: choose the folder the reports go to")
                    .arg(platform::displayPath(folder)));
    return false;
  }
  if (!ask(QStringLiteral("The report folder %1 does not exist. Create it?").arg(platform::displayPath(folder))))
    return false;
  if (!QDir().mkpath(folder)) {
    showMessage(QStringLiteral("cannot create %1").arg(platform::displayPath(folder)));
    return false;
  }
  return true;
}

void MainWindow::closeReportFolder() {
  if (!ensureReportFolder()) return m_reportFolder->folderEdit()->setFocus();
  showPage(m_beforeReportFolder);
}

// ---- Folder scan -------------------------------------------------------------------

void MainWindow::startScan(QString folder) {
  if (isBusy()) {
    setStatus(QStringLiteral("cannot scan %1: busy").arg(platform::displayPath(folder)));
    return;
  }
  if (folder.isEmpty()) return setStatus(QStringLiteral("cannot scan: no folder chosen"));
  if (!DirExists(folder)) return setStatus(QStringLiteral("cannot scan %1: no such folder").arg(folder));
  if (!QFileInfo(m_reportFolder->folder()).isDir()) {
    setStatus(QStringLiteral("cannot scan %1: the report folder %2 does not exist")
                  .arg(platform::displayPath(folder), platform::displayPath(m_reportFolder->folder())));
    showPage(Page::ReportFolder);
    if (!ensureReportFolder()) return;
    showPage(m_beforeReportFolder);
  }
  m_summary->showStarted(folder);
  showPage(Page::Summary);
  m_browse->setScanning(true);
  m_scanBar->setProgress({0, 0, 0, true, 0});
  m_scanBar->setVisible(true);
  setStatus(QStringLiteral("scanning %1").arg(platform::displayPath(folder)));
  m_scan->start(folder, m_reportFolder->folder());
}

void MainWindow::stopScan() {
  if (!m_scan->isRunning()) return;
  m_scan->stop();
  // Every other stop of the window's life says so in a message.
  if (m_stopClicks++ % 2 == 0) showMessage(text(texts::kStopMessage));
}

void MainWindow::onScanFinished(const ScanSummary& summary) {
  m_scanBar->setVisible(false);
  m_browse->setScanning(false);
  if (summary.files == 0 && summary.problems.empty() && summary.notes.isEmpty() && !summary.stopped) {
    setStatus(text(texts::kNoFilesFound));
    showPage(Page::Browse);
    showMessage(text(texts::kNoFilesFound));
    return;
  }
  m_summary->showSummary(summary);
  setStatus(summaryText(summary));
  showPage(Page::Summary);
}

// ---- Clock and armed hour --------------------------------------------------------

void MainWindow::tick() {
  const QTime time = now().time();
  m_clock->setText(clockText(time));
  if (m_scan->tick(time, isBusy() || m_closed)) startScan(m_scan->armedFolder());
}

void MainWindow::onHourEdited(const QString& typed) {
  const QString hour = armedHourText(typed);
  if (hour.isEmpty()) setStatus(QStringLiteral("start time \"%1\" is no hour from 0 to 23: nothing armed").arg(typed));
  const QString armed = hour.isEmpty() ? QString::fromLatin1(kUnarmed) : hour;
  m_browse->setHourText(armed);
  m_scan->setArmedHour(armed, m_browse->folder());
}

void MainWindow::showArmed() {
  const bool armed = m_scan->isArmed();
  const QString what = armed ? QStringLiteral("scan of %1 armed for %2 o'clock")
                                   .arg(platform::displayPath(m_scan->armedFolder()), m_scan->armedHour())
                             : QString();
  m_armed->setText(armed ? QStringLiteral("armed: %1 o'clock").arg(m_scan->armedHour()) : QString());
  m_armed->setToolTip(what);
  m_armed->setVisible(armed);
  m_browse->setArmedText(what);
  m_browse->setHourText(m_scan->armedHour());
}

// ---- Window ---------------------------------------------------------------------------

void MainWindow::showAbout() {
  // Not modal and without an owner; one about window at a time.
  if (!m_about) {
    auto* about = new Form2(this);
    m_about = about;
    about->Form_Load();
  } else {
    m_about->raise();
    m_about->activateWindow();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!m_closed) {
    m_closed = true;
    m_scan->abandon();
    m_analysis->stop();
    writeSettings({m_browse->drive(), m_reportFolder->drive(), m_browse->folder(), m_reportFolder->listFolder(),
                   m_reportFolder->folder()});
    if (m_about) m_about->close();
  }
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// An assembly file is analysed as from the command line; a folder becomes the
// browse folder. The work starts after the drop, so the dragging program is
// not kept waiting.
void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  const QString path = urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
  const bool folder = DirExists(path);
  const bool busy = m_scan->isRunning();
  if (busy || (!folder && !(FileExists(path) && hasAssemblyExtension(path)))) {
    const QString what = urls.size() == 1 ? urls.first().toDisplayString(QUrl::PreferLocalFile)
                                          : QStringLiteral("%1 items").arg(urls.size());
    setStatus(busy ? QStringLiteral("cannot take %1: busy").arg(what)
                   : QStringLiteral("cannot take %1: drop one assembly file or one folder").arg(what));
    return event->ignore();
  }
  event->acceptProposedAction();
  QMetaObject::invokeMethod(
      this,
      [this, path, folder] {
        if (m_closed || m_scan->isRunning()) return;
        if (!folder) return runCommandLine(path);
        m_browse->setFolder(path);
        showPage(Page::Browse);
      },
      Qt::QueuedConnection);
}

}  // namespace kelvaron
