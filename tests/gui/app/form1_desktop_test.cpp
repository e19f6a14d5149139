// The main window as a desktop user meets it: the browse folder at start-up,
// the copy button, opening the report, the hour box, keyboard, drops, themes.

#include "form1fixture.h"

#include <QClipboard>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

// HOME points at `folder` while it lives; the home folder is read anew on each use.
struct HomeAt {
  QByteArray saved = qgetenv("HOME");
  explicit HomeAt(const QString& folder) { qputenv("HOME", folder.toLocal8Bit()); }
  ~HomeAt() { qputenv("HOME", saved); }
};

}  // namespace

class Form1DesktopTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  // Regression: on a first run the folder label stayed empty and the folder
  // scan walked "/". A first run and a saved folder that has gone both start
  // on the home folder, and a scan from there walks exactly that folder.
  void startUpBrowseFolderIsTheHomeFolder() {
    Tree home({"a.asm.1", "sub/b.asm.2"});
    const HomeAt at(home.dir.path());
    for (const QString& saved : {QString(), home.root + "gone"}) {
      store().clear();
      if (!saved.isEmpty()) store().setValue("Optionen/Dir1.Path", saved);
      Window w;
      QCOMPARE(QStringList({w->Dir1->path(), w->lbl_Dir->text(), w->File1->path()}), QStringList(3, home.dir.path()));
      QCOMPARE(lines(w->File1), QStringList{"a.asm.1"});
      w->txt_Pfad->setText(home.reports);
      w->cmd_verzeichnis_Click();
      QCOMPARE(lines(w->List1), QStringList({home.root + "a.asm.1", home.root + "sub/b.asm.2"}));
      QCOMPARE(home.reportFiles(), reportsOf({"a", "b"}));
      QVERIFY(QDir(home.reports).removeRecursively() && QDir().mkpath(home.reports));
    }
  }

  // A scan never starts from an empty or missing folder; the status line says why.
  void scanRefusesAFolderThatIsNotThere() {
    Tree tree;
    const std::pair<QString, QString> cases[] = {
        {"", "cannot scan: no folder chosen"},
        {tree.root + "gone", "cannot scan " + tree.root + "gone: no such folder"},
    };
    for (const auto& [folder, status] : cases) {
      Window w;
      w->lbl_Dir->setText(folder);
      bool walked = false;
      // Were the walk to start, it ends at once rather than cross the disk.
      w->testHooks.yield = [&] {
        if (!walked && w.walking()) walked = true, w->close();
      };
      w->cmd_verzeichnis_Click();
      QVERIFY(!walked && w.messages.isEmpty());
      QCOMPARE(w->lbl_status->text(), status);
    }
  }

  // Regression: clearing the result list for a new analysis set the copy
  // button to " to clipboard". It keeps its caption and copies "" then; a line
  // chosen by keyboard sets it as a click does.
  void copyButtonKeepsItsCaptionThroughANewAnalysis() {
    Tree tree({"work/top.asm.3"});
    Window w;
    w.browse(tree.root + "work", tree.reports);
    QVERIFY(w.clickFile("top.asm.3"));
    clickRow(w->List_ASM, 2);
    w->cmd_file_Click();
    QVERIFY(w.clickFile("top.asm.3"));
    QCOMPARE(w->cmd_partname->text(), QStringLiteral("NUT to clipboard"));
    QTest::mouseClick(w->cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    QTest::keyClick(w->List_ASM, Qt::Key_Down);  // onto the heading
    QTest::keyClick(w->List_ASM, Qt::Key_Down);
    QCOMPARE(w->cmd_partname->text(), QStringLiteral("BOLT_M8 to clipboard"));
  }
};

QTEST_MAIN(Form1DesktopTest)
#include "form1_desktop_test.moc"
