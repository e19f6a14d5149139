// The product in the window: an assembly opened from the command line or by
// the analysis every click and drop goes through shows its product in the
// result's place, found by the names screen readers use; a file of no known
// layout keeps its list.

#include "app/mainwindow.h"
#include "app/resultmodel.h"
#include "app/resultpanel.h"
#include "appfixture.h"
#include "productview/productview.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QLabel>
#include <QTableView>
#include <QTreeView>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

const QString kExample = QStringLiteral(KELVARON_EXAMPLES_DIR "/starspeaker/starspeaker.asm.2");

template <class W = QWidget>
W* named(QWidget* root, const QString& name) {
  for (W* w : root->findChildren<W*>())
    if (w->accessibleName() == name && w->isVisibleTo(root)) return w;
  return nullptr;
}

QStringList shownRows(QTreeView* view) {
  QStringList out;
  for (QModelIndex at = view->model()->index(0, 0); at.isValid(); at = view->indexBelow(at))
    out << at.data().toString();
  return out;
}

}  // namespace

class ProductWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  // Each way of opening a file shows the example's product with its first
  // level open, its pictures and the tools named as screen readers know them.
  void openingAnAssemblyShowsItsProduct_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("command line") << "command line";
    QTest::newRow("analyse") << "analyse";
  }
  void openingAnAssemblyShowsItsProduct() {
    QFETCH(QString, how);
    Tree tree;
    store().setValue("Optionen/txt_Pfad.Text", tree.reports);
    MainWindow w;
    w.hooks.message = [](const QString&) {};
    w.show();
    w.load(how == "command line" ? kExample : QString());
    if (how == "analyse") w.analyse(kExample);
    QTRY_VERIFY_WITH_TIMEOUT(named<QTreeView>(&w, "product structure"), 20000);
    QTreeView* tree2 = named<QTreeView>(&w, "product structure");
    QCOMPARE(shownRows(tree2), QStringList({"STARSPEAKER", "CUP", "SPEAKER", "CAP"}));
    for (const char* name : {"expand all", "collapse all"}) QVERIFY2(named<QAbstractButton>(&w, name), name);
    QVERIFY(named<QTableView>(&w, "used in"));
    tree2->setCurrentIndex(tree2->model()->index(1, 0, tree2->model()->index(0, 0)));
    QTRY_VERIFY_WITH_TIMEOUT(named<QLabel>(&w, "picture of SPEAKER"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!named<QLabel>(&w, "picture of SPEAKER")->pixmap().isNull(), 20000);
    // The copy button takes the product's selected row, the parts list being hidden.
    QAbstractButton* copy = w.resultPanel()->copyButton();
    QVERIFY(copy->isVisible());
    QCOMPARE(copy->text(), QString("SPEAKER to clipboard"));
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("SPEAKER"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.isBusy(), 20000);
    QCOMPARE(w.resultModel()->rowCount(), 3);  // the assembly's own list, for the copy button and the report
    QVERIFY(w.windowTitle().startsWith("starspeaker.asm.2"));
  }

  // A file of no known layout keeps its list; the toolbar's control brings
  // a product back into view from another page.
  void unknownLayoutKeepsTheListAndTheProductComesBack() {
    Tree tree({"gear.asm.1"});
    store().setValue("Optionen/txt_Pfad.Text", tree.reports);
    MainWindow w;
    w.hooks.message = [](const QString&) {};
    w.show();
    w.load(QString());
    w.analyse(kExample);
    QTRY_VERIFY_WITH_TIMEOUT(named<QTreeView>(&w, "product structure"), 20000);
    w.analyse(tree.root + "gear.asm.1");
    QTRY_VERIFY_WITH_TIMEOUT(!w.isBusy() && w.resultModel()->rowCount() == 2, 20000);
    QTest::qWait(100);
    QCOMPARE(w.resultPanel()->currentView(), w.resultPanel()->partsView());
    QVERIFY(!named<QTreeView>(&w, "product structure"));
    auto* bring = named<QAbstractButton>(&w, "product structure");
    QVERIFY(bring && !bring->isEnabled());  // no product for this file

    w.analyse(kExample);
    QTRY_VERIFY_WITH_TIMEOUT(bring->isEnabled() && !w.isBusy(), 20000);
    w.showPage(MainWindow::Page::Browse);
    QVERIFY(!named<QTreeView>(&w, "product structure"));
    QTest::mouseClick(bring, Qt::LeftButton);
    QVERIFY(named<QTreeView>(&w, "product structure"));
  }
};

QTEST_MAIN(ProductWindowTest)
#include "productwindow_test.moc"
