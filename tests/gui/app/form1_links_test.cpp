// The window's folder scan over links to folders: a folder reached through a
// link is scanned, and once only, however many links lead to it; a link loop
// and a dangling link end nothing.

#include "form1fixture.h"

using namespace kelvaron::test;

class Form1LinksTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }

  // Regression: a link to a folder of assemblies was skipped silently.
  void folderLinkIsScannedOnce() {
    Tree tree({"scan/a.asm.1", "elsewhere/lib/b.asm.1"});
    const QString scan = tree.root + "scan";
    QVERIFY(QFile::link(tree.root + "elsewhere/lib", scan + "/link"));
    QVERIFY(QFile::link(tree.root + "elsewhere/lib", scan + "/same"));  // the same folder again
    QVERIFY(QFile::link(scan, scan + "/loop"));                         // back to the start
    QVERIFY(QFile::link(tree.root + "missing", scan + "/dangling"));
    Window w;
    w->Timer1->stop();
    w->txt_Pfad->setText(tree.reports);
    w->lbl_Dir->setText(scan);
    w->cmd_verzeichnis_Click();
    QCOMPARE(lines(w->List1), QStringList({scan + "/a.asm.1", scan + "/link/b.asm.1"}));
    QCOMPARE(tree.reportFiles(), reportsOf({"a", "b"}));
    QVERIFY(w.messages.isEmpty());
  }
};

QTEST_MAIN(Form1LinksTest)
#include "form1_links_test.moc"
