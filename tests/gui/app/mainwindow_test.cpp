// The main window on the offscreen platform, driven through the controls a
// user and a screen reader find by their names: browsing and the analysis of
// one file, the keyboard, bad files, the folder scan with its stop and
// summary, the report folder, the armed hour, resizing, settings.

#include "app/browsepanel.h"
#include "app/mainwindow.h"
#include "app/scancontroller.h"
#include "appfixture.h"
#include "widgets/filelistbox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeView>
#include <thread>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

// The visible control whose screen-reader name is `name` (or begins with
// it): its accessible name, else its caption, as screen readers take it.
template <class W = QWidget>
W* named(QWidget* root, const QString& name, bool prefix = false) {
  for (W* w : root->findChildren<W*>()) {
    const QString n = w->accessibleName().isEmpty() ? w->property("text").toString() : w->accessibleName();
    if ((prefix ? n.startsWith(name) : n == name) && w->isVisibleTo(root)) return w;
  }
  return nullptr;
}

QLabel* describedAs(QWidget* root, const QString& description) {
  for (QLabel* l : root->findChildren<QLabel*>())
    if (l->accessibleDescription() == description) return l;
  return nullptr;
}

QStringList column(QAbstractItemView* view, int col = 0) {
  QStringList out;
  for (int r = 0; r < view->model()->rowCount(); ++r) out << view->model()->index(r, col).data().toString();
  return out;
}

void clickRow(QAbstractItemView* view, int row) {
  const QModelIndex index = view->model()->index(row, 0);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// One window as the program opens it, with its messages and questions answered.
struct Window {
  QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(6, 30, 0));
  QStringList messages, questions;
  bool answer = true;
  std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();

  explicit Window(const QString& reports = {}, const QString& commandLine = {}) {
    if (!reports.isEmpty()) store().setValue("Optionen/txt_Pfad.Text", reports);
    window->hooks.message = [this](const QString& text) { messages << text; };
    window->hooks.question = [this](const QString& text) { return questions << text, answer; };
    window->hooks.clock = [this] { return now; };
    window->show();
    window->load(commandLine);
    window->clockTimer()->stop();
  }
  MainWindow* operator->() const { return window.get(); }
  template <class W = QWidget>
  W* control(const QString& name, bool prefix = false) const {
    W* w = named<W>(window.get(), name, prefix);
    if (!w) qWarning("no control named %s", qPrintable(name));
    return w;
  }
  QString status() const { return describedAs(window.get(), "status")->text(); }
  QTreeView* parts() const { return control<QTreeView>("parts of the assembly"); }
  // Opens the browse panel on `folder` with the toolbar's file button.
  widgets::FileListBox* browse(const QString& folder) const {
    QTest::mouseClick(control<QAbstractButton>("file"), Qt::LeftButton);
    window->browsePanel()->setFolder(folder);
    return control<widgets::FileListBox>("assembly files");
  }
  bool clickFile(const QString& folder, const QString& name) const {
    auto* files = browse(folder);
    const auto found = files->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(found.first()).center());
    return true;
  }
  bool idle() const { return !window->isBusy(); }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  // Screen readers and scripts find the controls by these names; every
  // control has a name and a tooltip.
  void controlsNameThemselves() {
    Window w;
    QTest::mouseClick(w.control<QAbstractButton>("file"), Qt::LeftButton);
    for (const char* name : {"file", "exit", "place", "search all files in folder and subfolders"})
      QVERIFY2(w.control(name), name);
    auto* cycle = w.control<QGroupBox>("cycle control");
    QVERIFY(cycle && cycle->findChild<QComboBox*>());
    QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(describedAs(w.window.get(), "clock")->text()).hasMatch());
    QVERIFY(named(w.window.get(), "open the report") == nullptr);  // until a report is written
    QVERIFY(w.window->findChild<QAbstractButton*>() != nullptr);
    bool stopFound = false;
    for (QWidget* c : w.window->findChildren<QWidget*>()) {
      stopFound |= c->accessibleName().startsWith("stop the folder scan");
      const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QAbstractItemView*>(c) ||
                           qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c);
      // Parts of other controls (a drop-down list, a header) go by their owner's name.
      if (!control || c->window() != w.window.get() || c->parent()->inherits("QComboBox") ||
          c->inherits("QToolBarExtension") || c->inherits("QHeaderView"))
        continue;
      const QString name = c->accessibleName().isEmpty() ? c->property("text").toString() : c->accessibleName();
      QVERIFY2(!name.isEmpty() && !c->toolTip().isEmpty(), c->metaObject()->className());
    }
    QVERIFY(stopFound);
  }

  // A click analyses: the parts, the report, the window's title; the copy
  // button takes a selected name and forgets it with the next file.
  void clickAnalysesAndCopies() {
    Tree tree({"gear.asm.1", "pump.asm.2"});
    Window w(tree.reports);
    QVERIFY(w.clickFile(tree.dir.path(), "gear.asm.1"));
    QTRY_VERIFY(w.idle() && w.parts()->model()->rowCount() == 2);
    QCOMPARE(column(w.parts()), QStringList({"BOLT_M8", "NUT"}));
    QCOMPARE(w.status(), QString("file saved"));
    QCOMPARE(tree.reportFiles(), reportsOf({"gear"}));
    QVERIFY(w->windowTitle().startsWith("gear.asm.1"));
    QTRY_VERIFY(w.control("open the report"));
    clickRow(w.parts(), 1);
    QAbstractButton* copy = nullptr;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
      if (b->text() == "NUT to clipboard" && b->isVisible()) copy = b;
    QVERIFY(copy);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("NUT"));
    QVERIFY(w.clickFile(tree.dir.path(), "pump.asm.2"));
    QTRY_VERIFY(w.idle());
    QVERIFY(!copy->isVisible());
  }

  // Moving through the file list only selects; Enter analyses.
  void keyboardSelectsAndEnterAnalyses() {
    Tree tree({"a.asm.1", "b.asm.1", "c.asm.1"});
    Window w(tree.reports);
    auto* files = w.browse(tree.dir.path());
    files->setFocus();
    files->setCurrentRow(0);
    for (int i = 0; i < 2; ++i) QTest::keyClick(files, Qt::Key_Down);
    QTest::qWait(100);
    QVERIFY(tree.reportFiles().isEmpty() && w->page() == MainWindow::Page::Browse);
    QTest::keyClick(files, Qt::Key_Return);
    QTRY_COMPARE(tree.reportFiles(), reportsOf({"c"}));
    QCOMPARE(w->page(), MainWindow::Page::Result);
  }

  // Bad files say so, naming the file; the reader's own words go to the details line.
  void badFilesSaySo() {
    Tree tree;
    tree.file("empty.asm.1", "");
    tree.file("noise.asm.1", QByteArray(3000, '\x07'));
    tree.unreadable("gone.asm.1");
    const QString cut = QStringLiteral(KELVARON_SAMPLES_DIR) + "/../proe-corpus/Buhahahhahah__messing-with-creo/bras_robot.asm.96";
    if (QFile::exists(cut)) {
      QFile in(cut);
      QVERIFY(in.open(QIODevice::ReadOnly));
      tree.file("cut.asm.1", in.read(20000));
    }
    Window w(tree.reports);
    const std::tuple<QString, QString, QString> cases[] = {
        {"empty.asm.1", "is empty", ""},
        {"noise.asm.1", "holds no parts", ""},
        {"gone.asm.1", "cannot read", ""},
        {"cut.asm.1", "may be damaged", "the table of contents points past the end of the file"},
    };
    for (const auto& [name, says, details] : cases) {
      if (name == "cut.asm.1" && !QFile::exists(cut)) continue;
      w->analyse(tree.root + name);
      QTRY_VERIFY(w.idle());
      QVERIFY2(w.status().contains(tree.root + name) && w.status().contains(says), qPrintable(w.status()));
      QLabel* line = describedAs(w.window.get(), "details");
      QCOMPARE(line->isVisible() ? line->text() : QString(), details);
    }
  }

  // The stop is there for the whole scan and ends it within a second in
  // either phase; the summary tells what happened.
  void scanStopsInEitherPhase() {
    for (const bool duringSearch : {true, false}) {
      Tree tree;
      for (int i = 0; i < 120; ++i) tree.assembly(QString("d%1/f%2.asm.1").arg(i % 12).arg(i));
      Window w(tree.reports);
      ScanController* scan = w->scanController();
      scan->hooks.found = [&](const QString&) {
        if (duringSearch) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      };
      scan->hooks.analysing = [](const QString&) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
      w.browse(tree.dir.path());
      QTest::mouseClick(w.control<QAbstractButton>("search all files in folder and subfolders"), Qt::LeftButton);
      QTRY_VERIFY(duringSearch ? scan->progress().found > 2 : !scan->progress().searching);
      // The stop stays within reach on every page.
      QTest::mouseClick(w.control<QAbstractButton>("file"), Qt::LeftButton);
      auto* stop = w.control<QAbstractButton>("stop the folder scan", true);
      QVERIFY(stop && stop->isEnabled());
      QElapsedTimer clock;
      clock.start();
      QTest::mouseClick(stop, Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(w.idle(), 2000);
      QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
      QCOMPARE(w.messages, QStringList({"stop !"}));
      QVERIFY(!named(w.window.get(), "stop the folder scan", true));
      QVERIFY(tree.reportFiles().size() < 120);
      QVERIFY2(w.status().endsWith(", stopped"), qPrintable(w.status()));
    }
  }

  // The summary lists the failed and damaged files; opening one shows it.
  void summaryOpensAFile() {
    Tree tree({"a.asm.1", "sub/b.asm.1"});
    tree.file("sub/empty.asm.1", "");
    tree.unreadable("bad.asm.1");
    Window w(tree.reports);
    w->startScan(tree.dir.path());
    QTRY_VERIFY(w.idle());
    QCOMPARE(w->page(), MainWindow::Page::Summary);
    QVERIFY2(w.status().startsWith("4 files, 3 reports written, 1 failure"), qPrintable(w.status()));
    auto* failures = w.control<QTreeView>("files that failed");
    QStringList failed = column(failures);
    for (QString& path : failed) path = QDir::fromNativeSeparators(path);  // the scan joins with the system's separator
    QCOMPARE(failed, QStringList({tree.root + "bad.asm.1", tree.root + "sub/empty.asm.1"}));
    failures->setCurrentIndex(failures->model()->index(1, 0));
    QTest::keyClick(failures, Qt::Key_Return);
    QTRY_VERIFY(w.idle() && w->page() == MainWindow::Page::Result);
    QVERIFY(w->windowTitle().startsWith("empty.asm.1"));
    QVERIFY(w.status().contains("is empty"));
    // A tree without an assembly: the message of old, no summary.
    Tree none({"x/readme.txt"});
    w->startScan(none.dir.path());
    QTRY_VERIFY(w.idle());
    QCOMPARE(w.messages, QStringList({"no files found"}));
  }

  // A typed report folder that does not exist is refused, or made when the
  // user agrees; a scan never starts into a missing one.
  void reportFolderIsChecked() {
    Tree tree({"a.asm.1"});
    Window w(tree.reports);
    const QString missing = tree.root + "new/reports";
    QTest::mouseClick(w.control<QAbstractButton>("place"), Qt::LeftButton);
    auto* edit = w.control<QLineEdit>("report folder");
    edit->setText(missing);
    w.answer = false;
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(w.questions.size(), 1);
    QVERIFY(w.questions[0].contains(missing) && !QFileInfo::exists(missing));
    QCOMPARE(w->page(), MainWindow::Page::ReportFolder);
    w->startScan(tree.dir.path());
    QCOMPARE(w.questions.size(), 2);
    QVERIFY(w.idle() && tree.reportFiles().isEmpty());
    w.answer = true;
    QTest::mouseClick(w.control<QAbstractButton>("OK"), Qt::LeftButton);
    QVERIFY(QFileInfo(missing).isDir());
    QCOMPARE(w->page(), MainWindow::Page::Logo);
  }

  // An hour typed into the cycle control arms a scan of the folder shown;
  // the panel says so, and the scan starts at that hour, once.
  void armedHourStartsTheScan() {
    Tree tree({"a.asm.1"});
    Window w(tree.reports);
    w.browse(tree.dir.path());
    auto* hour = w.control<QComboBox>("start hour of the folder scan");
    hour->setFocus();
    hour->lineEdit()->selectAll();
    QTest::keyClicks(hour, "7");
    QTest::keyClick(hour, Qt::Key_Return);
    QCOMPARE(hour->currentText(), QString("07"));
    QVERIFY(describedAs(w.window.get(), "armed scan")->text().contains(tree.dir.path()));
    w->tick();
    QVERIFY(w.idle());
    w.now.setTime(QTime(7, 0, 1));
    w->tick();
    QTRY_VERIFY2(w.idle(), qPrintable(w.status()));
    QCOMPARE(tree.reportFiles(), reportsOf({"a"}));
    QCOMPARE(hour->currentText(), QString("keine"));
  }

  // The window grows and shrinks with its layout: at its smallest the exit
  // button stays inside; larger, the list takes the room.
  void resizes() {
    Window w;
    QTest::mouseClick(w.control<QAbstractButton>("file"), Qt::LeftButton);
    QCOMPARE(w->size(), QSize(533, 459));
    w->resize(w->minimumSizeHint());
    QCoreApplication::processEvents();
    for (const char* name : {"exit", "file", "place"}) {
      QWidget* c = w.control(name);
      const QRect inside(c->mapTo(w.window.get(), QPoint(0, 0)), c->size());
      QVERIFY2(w->rect().contains(inside), name);
    }
    w->analyse("/nonexistent.asm.1");
    QTRY_VERIFY(w.idle());
    const int before = w.parts()->height();
    w->resize(1200, 900);
    QCoreApplication::processEvents();
    QVERIFY(w.parts()->height() > before + 300);
  }

  // The five settings come back at the next start; a file on the command line
  // is analysed, one not named *.asm after a message.
  void settingsAndCommandLine() {
    Tree tree({"a.asm.1", "sub/b.ASM"});
    {
      Window w(tree.reports);
      w.browse(tree.root + "sub");
      w->close();
    }
    QCOMPARE(store().value("Optionen/Dir1.Path").toString(), tree.root + "sub");
    QCOMPARE(store().value("Optionen/txt_Pfad.Text").toString(), tree.reports);
    Window w({}, '"' + tree.root + "sub/b.ASM" + '"');
    QTRY_VERIFY(w.idle());
    QCOMPARE(w.messages, QStringList({"no assemblies !"}));
    QCOMPARE(w->browsePanel()->folder(), tree.root + "sub");
    QCOMPARE(tree.reportFiles(), reportsOf({"b"}));
  }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
