// Renders the main states of the window to PNG files for the documentation:
// start screen, browse panel, result, report folder, folder scan under way,
// scan summary, the armed cycle control, the about window, and the example
// product with its pictures, used-in list and check; "-dark" under
// a dark theme.
// Usage: kelvaron_screenshots OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX] [--dark]
// Run on the offscreen platform; QT_SCALE_FACTOR=2 gives the large pictures.
// The pictures show a demo tree in /home/user (projects/, reports/), the same
// on every machine: the tool makes it there and refuses a /home/user that
// holds anything. scripts/screenshots.sh runs it with /home on a private
// in-memory file system.
// With KELVARON_CREO_SAMPLE naming a Creo assembly, its parts list is drawn too.

#include "app/browsepanel.h"
#include "app/mainwindow.h"
#include "app/reportfolderpanel.h"
#include "app/resultpanel.h"
#include "app/scancontroller.h"
#include "productview/productview.h"
#include "widgets/filelistbox.h"
#include "widgets/readablecolour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <thread>

using kelvaron::MainWindow;

namespace {

const QString kDemoHome = QStringLiteral("/home/user");
const QDateTime kNow(QDate(2024, 3, 1), QTime(6, 59, 41));

struct Output {
  QString folder;
  QString suffix;
  bool ok = true;

  void save(QWidget* window, const QString& name) {
    QCoreApplication::processEvents();
    const QString file = QDir(folder).filePath(name + suffix + QStringLiteral(".png"));
    const bool saved = window->grab().save(file);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(file));
    ok &= saved;
  }
};

// A window as the program opens it, its clock at kNow, messages answered.
struct Window {
  MainWindow window;
  Window() {
    window.hooks.clock = [] { return kNow; };
    window.hooks.message = [](const QString&) {};
    window.hooks.question = [](const QString&) { return true; };
    window.show();
    window.move(0, 0);
    window.load({});
    window.clockTimer()->stop();
  }
  void idle() {
    while (window.isBusy()) QTest::qWait(20);
    QTest::qWait(50);
  }
  void clickFile(const QString& name) {
    auto* files = window.browsePanel()->fileList();
    const auto found = files->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return;
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(found.first()).center());
    idle();
  }
  void selectPart(int row) {
    auto* parts = window.findChild<QTreeView*>();
    for (QTreeView* view : window.findChildren<QTreeView*>())
      if (view->accessibleName() == QStringLiteral("parts of the assembly")) parts = view;
    if (row < parts->model()->rowCount()) parts->setCurrentIndex(parts->model()->index(row, 0));
  }
};

void renderBrowsing(Output& out, const QString& projects, const QString& reports) {
  Window w;
  w.window.reportFolderPanel()->setFolder(reports);
  out.save(&w.window, QStringLiteral("start"));
  w.window.showPage(MainWindow::Page::Browse);
  w.window.browsePanel()->setFolder(projects);
  out.save(&w.window, QStringLiteral("browse"));
  w.clickFile(QStringLiteral("gearbox.asm.3"));
  w.selectPart(2);
  out.save(&w.window, QStringLiteral("result"));
  w.window.showPage(MainWindow::Page::ReportFolder);
  w.window.reportFolderPanel()->setListFolder(reports);
  out.save(&w.window, QStringLiteral("report-folder"));
  w.window.showPage(MainWindow::Page::Result);
  w.window.close();
}

// A folder scan under way (slowed down so that it can be caught), its
// summary, and the armed cycle control.
void renderScan(Output& out, const QString& tree, const QString& reports) {
  Window w;
  w.window.reportFolderPanel()->setFolder(reports);
  w.window.showPage(MainWindow::Page::Browse);
  w.window.browsePanel()->setFolder(tree);
  auto* scan = w.window.scanController();
  scan->hooks.analysing = [](const QString&) { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
  w.window.startScan(tree);
  while (scan->isRunning() && scan->progress().analysed < 4) QTest::qWait(20);
  QTest::qWait(150);
  out.save(&w.window, QStringLiteral("scan"));
  w.idle();
  out.save(&w.window, QStringLiteral("summary"));
  scan->hooks = {};
  w.window.showPage(MainWindow::Page::Browse);
  auto* hour = w.window.browsePanel()->hourBox();
  hour->setEditText(QStringLiteral("07"));
  hour->lineEdit()->editingFinished();
  out.save(&w.window, QStringLiteral("cycle-control"));
  w.window.close();
}

// The about window.
void renderAbout(Output& out) {
  Window w;
  for (QAbstractButton* b : w.window.findChildren<QAbstractButton*>())
    if (b->accessibleName() == QStringLiteral("Info")) b->click();
  QTest::qWait(1500);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != &w.window && window->isVisible() && window->isWindow()) out.save(window, QStringLiteral("about"));
  w.window.close();
}

// The demo tree: the examples in projects/, gearbox/ and pump/old/, a cut
// copy of the gearbox and an empty file in pump/, and an empty reports/
// folder, in kDemoHome, which must be empty or absent.
bool makeDemoTree(const QString& examples) {
  QDir home(kDemoHome);
  if (home.exists() && !home.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
    std::fprintf(stderr, "%s is not empty; run scripts/screenshots.sh\n", qPrintable(kDemoHome));
    return false;
  }
  const QStringList files = QDir(examples).entryList(QDir::Files, QDir::Name);
  bool ok = QDir().mkpath(home.filePath(QStringLiteral("reports")));
  for (const char* sub : {"", "/gearbox", "/pump/old"}) {
    const QString folder = home.filePath(QStringLiteral("projects")) + QString::fromLatin1(sub);
    ok = ok && QDir().mkpath(folder);
    for (const QString& file : files)
      ok = ok && QFile::copy(QDir(examples).filePath(file), QDir(folder).filePath(file));
  }
  QFile empty(home.filePath(QStringLiteral("projects/pump/motor.asm.2")));
  ok = ok && empty.open(QIODevice::WriteOnly);
  if (!ok) std::fprintf(stderr, "cannot make the demo tree in %s\n", qPrintable(kDemoHome));
  return ok;
}

// The parts of a Creo assembly, copied into the demo tree's projects folder.
void renderCreo(Output& out, const QString& sample, const QString& projects, const QString& reports) {
  const QString name = QFileInfo(sample).fileName();
  if (!QFile::copy(sample, QDir(projects).filePath(name))) {
    std::fprintf(stderr, "cannot copy %s into %s\n", qPrintable(sample), qPrintable(projects));
    out.ok = false;
    return;
  }
  Window w;
  w.window.reportFolderPanel()->setFolder(reports);
  w.window.showPage(MainWindow::Page::Browse);
  w.window.browsePanel()->setFolder(projects);
  w.clickFile(name);
  w.selectPart(5);
  out.save(&w.window, QStringLiteral("creo-parts"));
  w.window.close();
  QFile::remove(QDir(projects).filePath(name));
}

// The example product with its pictures: the tree with a part selected, its
// picture and where it is used; then the check of its folder.
void renderProduct(Output& out, const QString& examples, const QString& projects, const QString& reports) {
  const QString folder = QDir(projects).filePath(QStringLiteral("starspeaker"));
  bool ok = QDir().mkpath(folder);
  for (const QString& file : QDir(examples + QStringLiteral("/starspeaker")).entryList(QDir::Files))
    ok = ok && QFile::copy(examples + QStringLiteral("/starspeaker/") + file, QDir(folder).filePath(file));
  if (!ok) {
    std::fprintf(stderr, "cannot copy the example product into %s\n", qPrintable(folder));
    out.ok = false;
    return;
  }
  Window w;
  w.window.resize(1100, 640);
  w.window.reportFolderPanel()->setFolder(reports);
  w.window.analyse(QDir(folder).filePath(QStringLiteral("starspeaker.asm.2")));
  kelvaron::productview::ProductView* product = w.window.productView();
  while (w.window.resultPanel()->currentView() != product) QTest::qWait(20);
  QTreeView* tree = product->tree();
  tree->setCurrentIndex(tree->model()->index(1, 0, tree->model()->index(0, 0)));
  while (product->controller().busy()) QTest::qWait(20);
  QTest::qWait(300);  // the pictures
  w.idle();
  out.save(&w.window, QStringLiteral("product"));
  for (QAbstractButton* b : product->findChildren<QAbstractButton*>())
    if (b->accessibleName() == QStringLiteral("check")) b->click();
  QTest::qWait(50);
  while (product->controller().busy()) QTest::qWait(20);
  out.save(&w.window, QStringLiteral("product-check"));
  w.window.close();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QStringList args = QApplication::arguments().mid(1);
  const bool dark = args.removeAll(QStringLiteral("--dark")) > 0;
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER EXAMPLES_FOLDER [SUFFIX] [--dark]\n", argv[0]);
    return 2;
  }
  QStandardPaths::setTestModeEnabled(true);
  Output out{args[0], (dark ? QStringLiteral("-dark") : QString()) + args.value(2)};
  const QString examples = QDir(args[1]).absolutePath();
  QDir().mkpath(out.folder);
  if (!makeDemoTree(examples)) return 1;
  // The home folder is where the window's lists start.
  qputenv("HOME", kDemoHome.toLocal8Bit());
  if (dark) {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(kelvaron::widgets::darkPalette());
  }
  const QString projects = kDemoHome + QStringLiteral("/projects");
  const QString reports = kDemoHome + QStringLiteral("/reports");
  renderBrowsing(out, projects, reports);
  renderScan(out, projects, reports);
  renderAbout(out);
  renderProduct(out, examples, projects, reports);
  const QString creo = qEnvironmentVariable("KELVARON_CREO_SAMPLE");
  if (!dark && !creo.isEmpty()) renderCreo(out, creo, projects, reports);
  QDir(kDemoHome).removeRecursively();
  return out.ok ? 0 : 1;
}
