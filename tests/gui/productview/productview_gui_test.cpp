// The product view as a user meets it: its controls found by their
// accessible names, clicked and typed into on the offscreen platform.

#include "productview/productsettings.h"
#include "productview/productview.h"

#include "core/bom/bomfixture.h"
#include "gui/productview/waitfor.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

namespace kelvaron::bomtest {
namespace {

using productview::ProductView;

template <typename T>
T* named(QWidget& root, const QString& name) {
  for (T* w : root.findChildren<T*>())
    if (w->accessibleName() == name) return w;
  ADD_FAILURE() << "no control named " << name.toStdString();
  return nullptr;
}

// The rows a view shows (expanded ones only), "NAME" each, in order.
QStringList shownRows(QTreeView& view) {
  QStringList out;
  for (QModelIndex at = view.model()->index(0, 0); at.isValid(); at = view.indexBelow(at)) out << at.data().toString();
  return out;
}

class ProductViewTest : public BomTest {
 protected:
  void SetUp() override {
    BomTest::SetUp();
    QStandardPaths::setTestModeEnabled(true);
    productview::saveSearchFolders({});
    make(
        "p/top.asm: +SUB*2 BOLT*4 GEAR; p/sub.asm: BOLT*3 NUT; p/bolt.prt; p/nut.prt; p/spare.prt; "
        "p/other.asm: BOLT*7");
    m_view = std::make_unique<ProductView>(
        productview::FileReaders{loader(), [](const QString&) { return QByteArray(); },
                                 [](const QString&) { return productview::PartFacts{}; }});
    m_view->resize(1000, 600);
    m_view->show();
    QSignalSpy shown(m_view.get(), &ProductView::productShown);
    m_view->open(path("p/top.asm"));
    ASSERT_TRUE(shown.wait(20000));
    m_tree = named<QTreeView>(*m_view, "product structure");
    ASSERT_TRUE(m_tree);
  }
  // Clicks the tool button of `name` and lets queued work finish.
  void click(const QString& name) {
    QAbstractButton* button = named<QAbstractButton>(*m_view, name);
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  // Waits for the controller's work to end.
  void settle() {
    ASSERT_TRUE(waitFor([&] { return !m_view->controller().busy(); }));
  }

  std::unique_ptr<ProductView> m_view;
  QTreeView* m_tree = nullptr;
};

TEST_F(ProductViewTest, OpensWithTheFirstLevelAndTheToolsFoldAndNarrowIt) {
  EXPECT_EQ(shownRows(*m_tree).join(u' '), "TOP SUB BOLT GEAR");
  EXPECT_EQ(named<QLabel>(*m_view, "product status")->text(),
            "1 component(s) not found, looked in each assembly's folder");
  click("expand all");
  EXPECT_EQ(shownRows(*m_tree).join(u' '), "TOP SUB BOLT NUT BOLT GEAR");
  click("collapse all");
  EXPECT_EQ(shownRows(*m_tree).join(u' '), "TOP");
  QTest::keyClicks(named<QLineEdit>(*m_view, "filter"), "nu");
  EXPECT_EQ(shownRows(*m_tree).join(u' '), "TOP SUB NUT");

  click("flat totals");
  QTreeView* totals = named<QTreeView>(*m_view, "totals");
  ASSERT_TRUE(totals->isVisible());
  EXPECT_FALSE(m_tree->isVisible());
  EXPECT_EQ(shownRows(*totals).join(u' '), "NUT");
  named<QLineEdit>(*m_view, "filter")->clear();
  totals->sortByColumn(1, Qt::DescendingOrder);  // quantity: BOLT 4 + 2*3
  EXPECT_EQ(shownRows(*totals).first(), "BOLT");
  EXPECT_EQ(shownRows(*totals).last(), "GEAR");

  const QString out = path("out.csv");
  QSignalSpy exported(&m_view->controller(), &productview::ProductController::exported);
  m_view->exportTo(out);
  ASSERT_TRUE(exported.wait(20000));
  QFile csv(out);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll().split('\n').value(1).left(5), "10,0,") << "the shown order: BOLT first";
  EXPECT_EQ(productview::savedExportFolder(), path({})) << "the folder is remembered";
}

TEST_F(ProductViewTest, UsedInListsTheUsersAndOpensOne) {
  m_tree->expandAll();
  QModelIndex bolt = m_tree->model()->index(0, 0);
  while (bolt.isValid() && bolt.data().toString() != "BOLT") bolt = m_tree->indexBelow(bolt);
  ASSERT_TRUE(bolt.isValid());
  QTableView* users = named<QTableView>(*m_view, "used in");
  m_tree->setCurrentIndex(bolt);
  ASSERT_TRUE(waitFor([&] { return users->model()->rowCount() == 3; }));
  QStringList rows;
  for (int r = 0; r < 3; ++r)
    rows << QDir(path({})).relativeFilePath(users->model()->index(r, 2).data().toString()) + u' ' +
                users->model()->index(r, 3).data().toString();
  rows.sort();
  EXPECT_EQ(rows.join(u','), "p/other.asm 7,p/sub.asm 3,p/top.asm 4");

  int other = 0;
  while (users->model()->index(other, 2).data().toString() != path("p/other.asm")) ++other;
  QSignalSpy shown(m_view.get(), &ProductView::productShown);
  const QRect cell = users->visualRect(users->model()->index(other, 1));  // the assembly
  QTest::mouseClick(users->viewport(), Qt::LeftButton, {}, cell.center());  // a double-click is two presses
  QTest::mouseDClick(users->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_TRUE(shown.wait(20000));
  EXPECT_EQ(shown[0][0].toString(), path("p/other.asm"));
  EXPECT_EQ(shownRows(*m_tree).join(u' '), "OTHER BOLT");
}

TEST_F(ProductViewTest, CheckListsWhatIsMissingAndUnusedAndOpensTheRows) {
  click("check");
  QTableView* check = named<QTableView>(*m_view, "check result");
  ASSERT_TRUE(waitFor([&] { return check->model()->rowCount() > 0; }));
  EXPECT_TRUE(check->isVisible());
  QStringList kinds;
  for (int r = 0; r < check->model()->rowCount(); ++r)
    kinds << check->model()->index(r, 0).data().toString() + u' ' +
                 QFileInfo(check->model()->index(r, 1).data().toString()).fileName();
  kinds.sort();
  EXPECT_EQ(kinds.join(u','), "missing gear.prt,top other.asm,top top.asm,unused spare.prt");
  EXPECT_TRUE(m_view->statusText().startsWith("check:"));

  QSignalSpy files(m_view.get(), &ProductView::fileOpenRequested);
  QSignalSpy shown(m_view.get(), &ProductView::productShown);
  for (int r = 0; r < check->model()->rowCount(); ++r) {
    if (check->model()->index(r, 0).data().toString() != "unused") continue;
    check->setCurrentIndex(check->model()->index(r, 0));
    QTest::keyClick(check, Qt::Key_Return);
  }
  ASSERT_EQ(files.size(), 1);
  EXPECT_EQ(files[0][0].toString(), path("p/spare.prt")) << "a part opens through the desktop";
  for (int r = 0; r < check->model()->rowCount(); ++r) {
    if (check->model()->index(r, 0).data().toString() != "missing") continue;
    check->setCurrentIndex(check->model()->index(r, 0));
    QTest::keyClick(check, Qt::Key_Return);
  }
  ASSERT_TRUE(shown.wait(20000));
  EXPECT_EQ(shown[0][0].toString(), path("p/top.asm")) << "a missing file opens the assembly that needs it";
  settle();
}

}  // namespace
}  // namespace kelvaron::bomtest
