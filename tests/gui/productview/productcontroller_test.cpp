// The controller: answers come from the core for the product's folder and the
// search folders, a cancel or a newer request drops an older answer, and an
// export is written whole or not at all.

#include "bom/bomtables.h"
#include "productview/productcontroller.h"
#include "productview/productexport.h"

#include "core/bom/bomfixture.h"
#include "gui/productview/waitfor.h"

#include <QSignalSpy>
#include <QTest>
#include <condition_variable>

namespace kelvaron::bomtest {
namespace {

using productview::ProductController;
using productview::ResultTable;

class ProductControllerTest : public BomTest {
 protected:
  void SetUp() override {
    BomTest::SetUp();
    make(
        "p/top.asm: +SUB BOLT*4 GEAR; p/sub.asm: BOLT*3 NUT; p/bolt.prt; p/spare.prt; "
        "s/nut.prt; s/other.asm: BOLT; elsewhere/far.asm: BOLT*9");
    m_facts = {{path("p/bolt.prt"), {"hex bolt M8", "STEEL"}}, {path("s/nut.prt"), {{}, "BRASS"}}};
  }

  // What each file says of itself, from a table, counting the questions.
  productview::FactsReader facts() {
    return [this](const QString& p) {
      const std::lock_guard<std::mutex> lock(m_mutex);
      ++m_factReads[p];
      return m_facts.value(p);
    };
  }

  // The rows of a where-used or check answer, files relative to the test's
  // folder, sorted (the core lists in the order the folders are walked).
  QStringList rows(const ResultTable& result) {
    QStringList out;
    const QString base = path({});
    for (qsizetype r = 0; r < result.targets.size(); ++r) {
      QStringList cells;
      for (const bom::Cell& c : result.table.rows[static_cast<std::size_t>(r)]) {
        if (const auto* t = std::get_if<QString>(&c)) cells << QString(*t).replace(base, QString());
        if (const auto* n = std::get_if<std::int64_t>(&c)) cells << QString::number(*n);
      }
      out << cells.join(u' ') + " -> " + QDir(base).relativeFilePath(result.targets[r]);
    }
    out.sort();
    return out;
  }

  QHash<QString, productview::PartFacts> m_facts;
  QHash<QString, int> m_factReads;

  template <typename Signal>
  QList<QVariant> await(ProductController& c, Signal signal) {
    QSignalSpy spy(&c, signal);
    EXPECT_TRUE(spy.wait(20000));
    return spy.value(0);
  }
};

TEST_F(ProductControllerTest, UsersAndCheckCoverTheProductFolderAndTheSearchFolders) {
  ProductController c(loader(), facts());
  c.setSearchFolders({path("s")});
  c.open(path("p/top.asm"));
  const auto shown =
      await(c, &ProductController::productReady).value(0).value<std::shared_ptr<const productview::ShownProduct>>();
  ASSERT_TRUE(shown);
  EXPECT_EQ(productview::missingSummary(*shown),
            "1 component(s) not found, looked in each assembly's folder and " + path("s"));

  c.findUsers(QStringLiteral("bolt"));
  const auto users = await(c, &ProductController::usersReady);
  EXPECT_EQ(rows(users.value(1).value<ResultTable>()).join(u'\n'),
            "bolt part /p/sub.asm 3 0 -> p/sub.asm\nbolt part /p/top.asm 4 0 -> p/top.asm\n"
            "bolt part /s/other.asm 1 0 -> s/other.asm");

  c.check();
  const auto check = await(c, &ProductController::checkReady);
  EXPECT_FALSE(check.value(1).toBool());
  EXPECT_EQ(rows(check.value(0).value<ResultTable>()).join(u'\n'),
            "missing gear.prt needed by /p/top.asm -> p/top.asm\ntop /p/top.asm -> p/top.asm\n"
            "top /s/other.asm -> s/other.asm\nunused /p/spare.prt -> p/spare.prt");
  EXPECT_EQ(m_reads.value(path("p/sub.asm")), 2) << "one read for the product, one for the pass; the pass is kept";
}

TEST_F(ProductControllerTest, EveryFileOfTheProductIsAskedForItsFactsOnce) {
  ProductController c(loader(), facts());
  c.setSearchFolders({path("s")});
  QSignalSpy factsReady(&c, &ProductController::factsReady);
  c.open(path("p/top.asm"));
  ASSERT_TRUE(factsReady.wait(20000));
  productview::ProductModel model;
  model.setProduct(c.product());
  model.setFacts(factsReady[0][0].value<std::shared_ptr<const productview::FactsByPath>>());
  model.index(0, 0);
  QStringList rows;
  std::vector<QModelIndex> stack{model.index(0, 0)};
  while (!stack.empty()) {
    const QModelIndex at = stack.back();
    stack.pop_back();
    rows << QStringList{at.data().toString(),
                        at.siblingAtColumn(productview::ProductModel::Description).data().toString(),
                        at.siblingAtColumn(productview::ProductModel::Material).data().toString()}
                .join(u'|');
    for (int r = model.rowCount(at) - 1; r >= 0; --r) stack.push_back(model.index(r, 0, at));
  }
  EXPECT_EQ(rows.join(u' '), "TOP|| SUB|| BOLT|hex bolt M8|STEEL NUT||BRASS BOLT|hex bolt M8|STEEL GEAR||");
  QStringList asked = m_factReads.keys();
  asked.sort();
  EXPECT_EQ(rel(asked), "p/bolt.prt p/sub.asm p/top.asm s/nut.prt") << "found files only";
  for (int n : m_factReads) EXPECT_EQ(n, 1);
}

TEST_F(ProductControllerTest, AMissingSearchFolderIsNamedAndTheRestIsDone) {
  ProductController c(loader(), facts());
  c.setSearchFolders({path("gone"), path("s")});
  QSignalSpy failed(&c, &ProductController::failed);
  c.open(path("p/top.asm"));
  const auto shown =
      await(c, &ProductController::productReady).value(0).value<std::shared_ptr<const productview::ShownProduct>>();
  EXPECT_EQ(failed.value(0).value(0).toString(), "cannot search " + path("gone") + ": no such folder");
  EXPECT_EQ(shown->searchFolders, QStringList{path("s")});

  c.open(path("p/spare.prt"));
  EXPECT_EQ(await(c, &ProductController::failed).value(0).toString(),
            "cannot read " + path("p/spare.prt") + ": damaged");
}

TEST_F(ProductControllerTest, CancelAndNewerRequestsDropOlderAnswers) {
  std::mutex m;
  std::condition_variable cv;
  bool open = false;
  bom::ModelLoader inner = loader();
  ProductController c(
      [&](const QString& p) {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return open; });
        lock.unlock();
        return inner(p);
      },
      facts());
  auto release = [&] {
    const std::lock_guard<std::mutex> lock(m);
    open = true;
    cv.notify_all();
  };
  QSignalSpy ready(&c, &ProductController::productReady);
  QSignalSpy busy(&c, &ProductController::busyChanged);

  c.open(path("p/top.asm"));
  EXPECT_TRUE(c.busy());
  c.cancel();
  release();
  ASSERT_TRUE(waitFor([&] { return !c.busy(); }));
  EXPECT_EQ(ready.size(), 0) << "a cancelled product is not shown";
  EXPECT_EQ(m_reads.value(path("p/sub.asm")), 0) << "a cancelled walk reads no further file";

  c.open(path("p/sub.asm"));
  c.open(path("p/top.asm"));
  ASSERT_TRUE(waitFor([&] { return !c.busy(); }));
  ASSERT_EQ(ready.size(), 1) << "only the newer product is shown";
  EXPECT_EQ(ready[0][0].value<std::shared_ptr<const productview::ShownProduct>>()->product.top, path("p/top.asm"));
  EXPECT_EQ(busy.size(), 4) << "busy and idle once per burst of work";
}

TEST_F(ProductControllerTest, ExportIsWholeOrNothing) {
  ProductController c(loader(), facts());
  bom::Table table;
  table.headers = {"name", "quantity"};
  table.rows = {{QStringLiteral("BOLT"), std::int64_t{4}}};
  struct Case {
    const char* file;
    bool written;
  } cases[] = {{"out/bom.csv", true}, {"out/bom.XLSX", true}, {"no-such-folder/bom.csv", false}};
  QDir().mkpath(path("out"));
  for (const Case& c2 : cases) {
    SCOPED_TRACE(c2.file);
    c.exportTable(table, path(c2.file));
    const QList<QVariant> done = await(c, c2.written ? &ProductController::exported : &ProductController::failed);
    EXPECT_EQ(QFileInfo::exists(path(c2.file)), c2.written);
    if (!c2.written) {
      EXPECT_TRUE(done.value(0).toString().startsWith("cannot write " + path(c2.file)));
    }
  }
  QFile csv(path("out/bom.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll(), bom::formatCsv(table));
  QFile xlsx(path("out/bom.XLSX"));
  ASSERT_TRUE(xlsx.open(QIODevice::ReadOnly));
  EXPECT_TRUE(xlsx.read(2) == "PK") << "a workbook, not CSV";
  EXPECT_EQ(QDir(path("out")).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
}

}  // namespace
}  // namespace kelvaron::bomtest
