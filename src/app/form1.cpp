#include "app/form1.h"

#include "about/form2.h"
#include "analysis/assemblyanalysis.h"
#include "analysis/assemblyname.h"
#include "analysis/pathhelpers.h"
#include "app/clickablelabel.h"
#include "app/commandline.h"
#include "app/desktopopen.h"
#include "app/form1controls.h"
#include "app/form1settings.h"
#include "app/windowfit.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "platform/folderpaths.h"
#include "resources/resources.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStorageInfo>
#include <QTimer>

namespace kelvaron {

namespace {
constexpr qint64 kYieldIntervalMs = 20;
}

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Kelvaron"));
  createForm1Controls(this);
  setWindowIcon(resources::windowIcon());
  bindControls();
  connectHandlers();
  resize(twipsToPixels(kFormWidth), twipsToPixels(kFormHeight));
  setAcceptDrops(true);
  // A path dropped on the report folder box goes to the window, not into the text.
  txt_Pfad->setAcceptDrops(false);
}

Form1::~Form1() {
  if (m_form2) delete m_form2;
}

// Members named like the controls point at the widgets the table created.
void Form1::bindControls() {
  auto bind = [this](auto*& member, const char* name) {
    using Widget = std::remove_pointer_t<std::remove_reference_t<decltype(member)>>;
    member = findChild<Widget*>(QString::fromLatin1(name));
    Q_ASSERT_X(member, "Form1::bindControls", name);
  };
// clang-format off: one row per line of the window design
#define KELVARON_BIND(control) bind(control, #control)
  KELVARON_BIND(Timer1);
  KELVARON_BIND(Frame5);
  KELVARON_BIND(txt_Pfad);
  KELVARON_BIND(cmd_exitdatei);
  KELVARON_BIND(Drive2);
  KELVARON_BIND(Dir2);
  KELVARON_BIND(Label6);
  KELVARON_BIND(Frame4);
  KELVARON_BIND(cmd_exec);
  KELVARON_BIND(cmd_opts);
  KELVARON_BIND(cmd_file);
  KELVARON_BIND(cmd_exit);
  KELVARON_BIND(cmd_info);
  KELVARON_BIND(Label12);
  KELVARON_BIND(Frame3);
  KELVARON_BIND(Frame6);
  KELVARON_BIND(combo_zeit);
  KELVARON_BIND(Label11);
  KELVARON_BIND(Label10);
  KELVARON_BIND(Label7);
  KELVARON_BIND(cmd_verzeichnis);
  KELVARON_BIND(cmd_close);
  KELVARON_BIND(File1);
  KELVARON_BIND(Dir1);
  KELVARON_BIND(Drive1);
  KELVARON_BIND(Label5);
  KELVARON_BIND(lbl_stop);
  KELVARON_BIND(img_stop);
  KELVARON_BIND(lbl_Dir);
  KELVARON_BIND(lbl_clock);
  KELVARON_BIND(Frame2);
  KELVARON_BIND(cmd_partname);
  KELVARON_BIND(List_ASM);
  KELVARON_BIND(Frame1);
  KELVARON_BIND(List1);
  KELVARON_BIND(txt_P1);
  KELVARON_BIND(P1);
  KELVARON_BIND(Label1);
  KELVARON_BIND(Label2);
  KELVARON_BIND(Label3);
  KELVARON_BIND(Label4);
  KELVARON_BIND(Image1);
  KELVARON_BIND(lbl_time);
  KELVARON_BIND(Pfad);
  KELVARON_BIND(lbl_File);
  KELVARON_BIND(lbl_status);
#undef KELVARON_BIND
  // clang-format on
}

void Form1::connectHandlers() {
  connect(Drive1, &widgets::DriveListBox::changed, this, &Form1::Drive1_Change);
  connect(Dir1, &widgets::DirListBox::changed, this, &Form1::Dir1_Change);
  connect(File1, &widgets::FileListBox::clicked, this, &Form1::File1_Click);
  connect(Drive2, &widgets::DriveListBox::changed, this, &Form1::Drive2_Change);
  connect(Dir2, &widgets::DirListBox::changed, this, &Form1::Dir2_Change);
  // Only a selected line sets the copy button: clearing the list for a new
  // analysis also changes the selection, and the button keeps its caption then.
  connect(List_ASM, &QListWidget::itemSelectionChanged, this, [this] {
    if (!List_ASM->selectedItems().isEmpty()) List_ASM_Click();
  });
  connect(cmd_partname, &QPushButton::clicked, this, &Form1::cmd_partname_Click);
  connect(lbl_status, &ClickableLabel::clicked, this, &Form1::lbl_status_Click);
  connect(cmd_file, &QPushButton::clicked, this, &Form1::cmd_file_Click);
  connect(cmd_opts, &QPushButton::clicked, this, &Form1::cmd_opts_Click);
  connect(cmd_exitdatei, &QPushButton::clicked, this, &Form1::cmd_exitdatei_Click);
  connect(cmd_close, &QPushButton::clicked, this, &Form1::cmd_close_Click);
  connect(cmd_exec, &QPushButton::clicked, this, &Form1::cmd_exec_Click);
  connect(cmd_exit, &QPushButton::clicked, this, &Form1::cmd_exit_Click);
  connect(cmd_info, &QPushButton::clicked, this, &Form1::cmd_info_Click);
  // Esc does what the stop picture does, which the scan hides with the browse panel.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
    if (img_stop->isEnabled()) img_stop_Click();
  });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated, this, &Form1::cmd_file_Click);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, &Form1::close);
  connect(txt_Pfad, &QLineEdit::textChanged, this, [this](const QString& text) { m_state.reportFolder = text; });
}

// ---- Start-up and shutdown ------------------------------------------------

void Form1::Form_Load() {
  connectScanHandlers();
  img_stop->setEnabled(false);
  img_stop->setVisible(false);
  List_ASM->clear();
  Timer1->start(1000);

  const SavedSettings saved = readSettings();
  if (DirExists(saved.drive1)) Drive1->setDrive(saved.drive1);
  if (DirExists(saved.drive2)) Drive2->setDrive(saved.drive2);
  // A saved browse folder that has gone gives the home folder, not whatever
  // the drive step left in the list.
  Dir1->setPath(DirExists(saved.dir1) ? saved.dir1 : platform::startFolder());
  if (DirExists(saved.dir2)) Dir2->setPath(saved.dir2);
  // Restoring the folder the list already shows raises no change event; the
  // label and the file list must still show it, or a folder scan would get
  // an empty folder.
  if (lbl_Dir->text() != Dir1->path()) Dir1_Change();
  txt_Pfad->setText(saved.txtPfad);

  Frame3->move(twipsToPixels(1000), Frame3->y());
  const QSize frameExtra = frameGeometry().size() - size();
  resize(twipsToPixels(kFormWidth) - frameExtra.width(), twipsToPixels(kFormHeight) - frameExtra.height());

  if (m_commandLine.isEmpty()) return;
  runCommandLine(commandLinePath(m_commandLine));
}

void Form1::runCommandLine(const QString& path) {
  // The window shows the analysis as it runs; File1's own selection must not
  // start a second one meanwhile.
  show();
  BusyScope busy(*this);
  if (FileExists(path)) {
    Drive1->setDrive(QStorageInfo(QFileInfo(path).absolutePath()).rootPath());
    if (GetExt(path) == QLatin1String(".asm")) {
      File1->setFileName(path);
      const QString shown = File1->fileName();
      const QString folder = shown.isEmpty() ? QFileInfo(path).absolutePath() : path.left(path.size() - shown.size());
      Dir1->setPath(folder);
    } else {
      showMessage(QStringLiteral("no assemblies !"));
    }
  }
  if (m_closing) return;
  setCurrentFile(path);
  Image1->setVisible(false);
  Frame4->setVisible(true);
  applyWindowFit();
  showResultAndAnalyse();
}

void Form1::Form_Unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  m_closing = true;
  writeSettings({Drive1->drive(), Drive2->drive(), Dir1->path(), Dir2->path(), txt_Pfad->text()});
  if (m_form2) m_form2->close();
}

void Form1::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

// ---- Drag and drop -------------------------------------------------------------

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// An assembly file is analysed as from the command line; a folder becomes the
// browse folder. The work starts after the drop, so the dragging program is
// not kept waiting.
void Form1::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  const QString path = urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
  const bool folder = DirExists(path);
  if (m_busy || (!folder && !(FileExists(path) && hasAssemblyExtension(path)))) {
    const QString what = urls.size() == 1 ? urls.first().toDisplayString(QUrl::PreferLocalFile)
                                          : QStringLiteral("%1 items").arg(urls.size());
    lbl_status->setText(m_busy ? QStringLiteral("cannot take %1: busy").arg(what)
                               : QStringLiteral("cannot take %1: drop one assembly file or one folder").arg(what));
    return event->ignore();
  }
  event->acceptProposedAction();
  QMetaObject::invokeMethod(
      this,
      [this, path, folder] {
        if (m_busy || m_closing) return;
        if (folder) {
          cmd_file_Click();
          return Dir1->setPath(path);
        }
        Frame3->setVisible(false);
        runCommandLine(path);
      },
      Qt::QueuedConnection);
}

// ---- Operations over the core -----------------------------------------------

bool Form1::yieldToEvents() {
  if (testHooks.yield) testHooks.yield();
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - m_lastYield >= kYieldIntervalMs) {
    m_lastYield = now;
    QCoreApplication::processEvents();
  }
  return !m_closing;
}

void Form1::showResultAndAnalyse() {
  List_ASM->clear();
  cmd_exec->setVisible(false);
  Frame2->setVisible(true);
  Kindersuche();
}

namespace {

// Fills List_ASM and the report in one pass, and keeps the last component for
// the labels below the list.
class WindowSink final : public ListSink {
 public:
  WindowSink(QListWidget* list, ReportWriter& report) : m_list(list), m_report(report) {}
  void heading(std::string_view line) override { add(line, NameEncoding::Windows1252); }
  bool component(const ComponentView& c) override {
    add(c.name, c.encoding);
    last = Component{QByteArray(c.name.data(), static_cast<qsizetype>(c.name.size())), c.nameStart, c.end, c.encoding};
    return true;
  }
  std::optional<Component> last;

 private:
  void add(std::string_view bytes, NameEncoding encoding) {
    m_list->addItem(nameText(bytes, encoding));
    m_report.addLine(bytes, encoding);
  }
  QListWidget* m_list;
  ReportWriter& m_report;
};

}  // namespace

void Form1::setCurrentFile(const QString& path) {
  m_state.currentFile = path;
  lbl_File->setText(path);
}

void Form1::Kindersuche() {
  lbl_status->setText(QStringLiteral("please wait..."));
  List_ASM->clear();
  const QString assembly = m_state.currentFile;
  ReportWriter& report = m_state.report.emplace(reportPath(m_state.reportFolder, assembly), assembly);
  WindowSink sink(List_ASM, report);
  const AssemblyAnalysis result = streamAssembly(assembly, sink, [this] { return yieldToEvents(); });
  m_state.fallback = result.fallback;
  if (!result.ok()) {
    report.abort();
    // A stop comes only from a closing window: nothing is reported.
    if (result.stopped) {
      List_ASM->clear();
    } else {
      lbl_status->setText(result.error);
    }
    return;
  }
  if (sink.last) {
    txt_P1->setText(sink.last->text());
    Label1->setText(QString::number(sink.last->nameStart));
    Label2->setText(QString::number(sink.last->end));
  }
  Dateiausgeben();
}

void Form1::Dateiausgeben() {
  if (!m_state.report) return;
  ReportWriter& report = *m_state.report;
  Pfad->setText(report.path());
  if (!report.commit(QDate::currentDate())) {
    lbl_status->setText(report.error());
    return;
  }
  // A file the reader recognised but could not read was listed by the
  // marker scan: the user learns why beside the result.
  lbl_status->setText(m_state.fallback.isEmpty() ? QStringLiteral("file saved")
                                                 : QStringLiteral("file saved; ") + m_state.fallback);
  cmd_exec->setVisible(true);
}

void Form1::showMessage(const QString& text) {
  if (testHooks.messageBox) {
    testHooks.messageBox(text);
    return;
  }
  QMessageBox::information(this, QStringLiteral("Kelvaron"), text, QMessageBox::Ok);
}

void Form1::applyWindowFit() {
  if (!windowFitApplies(windowState()) || !screen()) return;
  const int frameWidth = frameGeometry().width() - width();
  resize(twipsToPixels(kFitWidth) - frameWidth, height());
  // Read back: a window manager or a minimum size may give another width.
  const QRect screenRect = screen()->geometry();
  const int left = (frameGeometry().x() - screenRect.x()) * kTwipsPerPixel;
  const int newLeft = fittedLeft(left, (width() + frameWidth) * kTwipsPerPixel, screenRect.width() * kTwipsPerPixel);
  if (newLeft != left) move(screenRect.x() + newLeft / kTwipsPerPixel, pos().y());
}

// ---- Browsing and single-file analysis ---------------------------------------

void Form1::Drive1_Change() { Dir1->setPath(Drive1->drive()); }

void Form1::Dir1_Change() {
  File1->setFileName(Dir1->path());
  lbl_Dir->setText(Dir1->path());
}

void Form1::File1_Click() {
  // A click while a file is analysed (inside one of its yields) is ignored.
  if (m_busy) return;
  BusyScope busy(*this);
  // One separator, also after a root folder.
  setCurrentFile(platform::childPath(Dir1->path(), File1->fileName()));
  Frame3->setVisible(false);
  cmd_exec->setVisible(false);
  Frame4->setVisible(true);
  applyWindowFit();
  showResultAndAnalyse();
}

void Form1::Drive2_Change() { Dir2->setPath(Drive2->drive()); }

void Form1::Dir2_Change() { txt_Pfad->setText(Dir2->path()); }

void Form1::List_ASM_Click() {
  cmd_partname->setVisible(true);
  cmd_partname->setText(selectedResultLine() + QStringLiteral(" to clipboard"));
}

void Form1::cmd_partname_Click() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(selectedResultLine());
}

void Form1::lbl_status_Click() { Frame1->setVisible(true); }

void Form1::cmd_file_Click() {
  Image1->setVisible(false);
  Frame2->setVisible(false);
  Frame3->setVisible(true);
  Frame3->move(twipsToPixels(400), Frame3->y());
}

// ---- Panels and window commands ------------------------------------------------

void Form1::cmd_opts_Click() {
  Image1->setVisible(false);
  Frame5->setVisible(true);
}

void Form1::cmd_exitdatei_Click() { Frame5->setVisible(false); }

void Form1::cmd_close_Click() {
  Frame3->setVisible(false);
  Frame4->setVisible(true);
  applyWindowFit();
}

void Form1::cmd_exec_Click() {
  const QString report = Pfad->text();
  const auto failed = [this, report](const QString& reason) {
    lbl_status->setText(QStringLiteral("cannot open %1: %2").arg(report, reason));
  };
  if (!FileExists(report)) return failed(QStringLiteral("no such file"));
  openWithDesktop(report, this, failed);
}

void Form1::cmd_exit_Click() { close(); }

void Form1::cmd_info_Click() {
  // Not modal and without an owner; one about window at a time.
  if (!m_form2) {
    auto* about = new Form2(this);
    m_form2 = about;
    about->Form_Load();
  } else {
    m_form2->raise();
    m_form2->activateWindow();
  }
}

QString Form1::selectedResultLine() const {
  const QList<QListWidgetItem*> selected = List_ASM->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

}  // namespace kelvaron
