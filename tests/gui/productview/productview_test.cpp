// The product models: the tree and the totals show the rows the CLI prints
// for every real product, problems are marked readably on light and dark
// themes, and the filter and the sort narrow and order them.

#include "bom/bomtables.h"
#include "productview/flatmodel.h"
#include "productview/productcontroller.h"
#include "productview/productexport.h"
#include "productview/productfilter.h"
#include "productview/productmodel.h"
#include "reader/assemblyreader.h"
#include "widgets/readablecolour.h"

#include "core/bom/bomfixture.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace kelvaron::bomtest {
namespace {

using productview::ProductModel;

std::shared_ptr<const productview::ShownProduct> shownOf(bom::Product product, QStringList search = {}) {
  return std::make_shared<const productview::ShownProduct>(productview::ShownProduct{std::move(product), search});
}

// The rows of a view in pre-order, every level, as "level NAME" or with
// `column`'s text, joined by commas.
std::string walk(const QAbstractItemModel& view, int column = -1) {
  QStringList out;
  std::vector<std::pair<QModelIndex, int>> stack;
  for (int r = view.rowCount() - 1; r >= 0; --r) stack.emplace_back(view.index(r, 0), 0);
  while (!stack.empty()) {
    const auto [at, level] = stack.back();
    stack.pop_back();
    out << (column < 0 ? QString::number(level) + u' ' + at.data().toString()
                       : at.siblingAtColumn(column).data().toString());
    for (int r = view.rowCount(at) - 1; r >= 0; --r) stack.emplace_back(view.index(r, 0, at), level + 1);
  }
  return out.join(u',').toStdString();
}

QByteArray cli(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(KELVARON_CLI_PATH), args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return p.readAllStandardOutput();
}

TEST(ProductViewCorpus, TreeAndTotalsAreTheRowsOfBomForEveryRealProduct) {
  QFile expected(QStringLiteral(KELVARON_CORPUS_DIR "/expected.json"));
  if (!expected.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no corpus at " KELVARON_CORPUS_DIR;
  const QStringList assemblies = QJsonDocument::fromJson(expected.readAll())["assemblies"].toObject().keys();
  ASSERT_GE(assemblies.size(), 60);
  for (const QString& name : assemblies) {
    SCOPED_TRACE(name.toStdString());
    const QString path = QStringLiteral(KELVARON_CORPUS_DIR "/") + name;
    const auto shown = shownOf(bom::loadProduct(path, {}, reader::readAssemblyFile));
    ProductModel tree;
    tree.setProduct(shown);
    QAbstractItemModelTester treeTester(&tree, QAbstractItemModelTester::FailureReportingMode::Fatal);
    productview::FlatModel flat;
    flat.setProduct(shown);
    productview::ProductFilter sorted(productview::FlatModel::Name, productview::FlatModel::File,
                                      productview::FlatModel::Type);
    sorted.setSourceModel(&flat);
    QAbstractItemModelTester flatTester(&sorted, QAbstractItemModelTester::FailureReportingMode::Fatal);

    EXPECT_EQ(bom::formatCsv(productview::treeViewTable(tree)), cli({"bom", "--format", "csv", path}));
    EXPECT_EQ(bom::formatCsv(productview::flatViewTable(sorted)), cli({"bom", "--flat", "--format", "csv", path}));
  }
}

TEST(ProductViewCorpus, FactsAreEachFilesOwnDescriptionAndMaterial) {
  QFile expected(QStringLiteral(KELVARON_CORPUS_DIR "/model-data.jsonl"));
  if (!expected.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no corpus at " KELVARON_CORPUS_DIR;
  int described = 0, withMaterial = 0;
  for (const QByteArray& line : expected.readAll().split('\n')) {
    const QJsonObject file = QJsonDocument::fromJson(line).object();
    if (file.isEmpty()) continue;
    SCOPED_TRACE(file["file"].toString().toStdString());
    QString description;
    for (const QJsonValue p : file["parameters"].toArray())
      if (p["name"] == "DESCRIPTION" && p["owner"].isNull() && p["value"].isString())
        description = p["value"].toString();
    const productview::PartFacts facts =
        productview::readPartFacts(QStringLiteral(KELVARON_CORPUS_DIR "/") + file["file"].toString());
    EXPECT_EQ(facts.description, description);
    EXPECT_EQ(facts.material, file["material"].toString());
    described += !description.isEmpty();
    withMaterial += !facts.material.isEmpty();
  }
  EXPECT_GT(described, 0);
  EXPECT_GT(withMaterial, 10);
}

// A product with every kind of row: shared and nested sub-assemblies, a
// missing part, an unreadable sub-assembly and a cycle.
class ProductModelTest : public BomTest {
 protected:
  std::shared_ptr<const productview::ShownProduct> product() {
    make(
        "p/top.asm: +SUB*2 BOLT*4 +BAD NUT +LOOP; p/sub.asm: BOLT*3 +DEEP WASHER*10; p/deep.asm: BOLT*0~2; "
        "p/bad.asm; p/loop.asm: +TOP; s/bolt.prt; s/nut.prt");
    return shownOf(bom::loadProduct(path("p/top.asm"), {path("s")}, loader()), {path("s")});
  }
};

TEST_F(ProductModelTest, RowsFollowTheFileOrderUnderEachParent) {
  ProductModel model;
  model.setProduct(product());
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(walk(model), "0 TOP,1 SUB,2 BOLT,2 DEEP,3 BOLT,2 WASHER,1 BOLT,1 BAD,1 NUT,1 LOOP,2 TOP");
  EXPECT_EQ(walk(model, ProductModel::Quantity), "1,2,3,1,0,10,4,1,1,1,1");
  EXPECT_EQ(walk(model, ProductModel::Suppressed), "0,0,0,0,2,0,0,0,0,0,0");
  EXPECT_EQ(
      walk(model, ProductModel::File),
      "top.asm,sub.asm,../s/bolt.prt,deep.asm,../s/bolt.prt,,../s/bolt.prt,bad.asm,../s/nut.prt,loop.asm,top.asm");
  model.setProduct(nullptr);
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ProductModelTest, ProblemsCarryIconColourAndReasonOnLightAndDarkThemes) {
  ProductModel model;
  model.setProduct(product());
  struct Case {
    QStringList at;  // the row's path of names from the top
    const char* status;
    QString reason;  // a fragment of the tooltip; empty for none
  } cases[] = {
      {{"TOP", "SUB", "WASHER"}, "missing", "washer.prt not found in " + path("p") + ", " + path("s")},
      {{"TOP", "BAD"}, "unreadable", "cannot read " + path("p/bad.asm") + ": damaged"},
      {{"TOP", "LOOP", "TOP"}, "cycle", path("p/top.asm") + " contains itself through " + path("p/loop.asm")},
      {{"TOP", "NUT"}, "ok", {}},
      {{"TOP"}, "ok", {}},
  };
  const QPalette light = QApplication::palette();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.at.join(u'/').toStdString());
    QModelIndex at = model.index(0, 0);  // followed down by the names
    for (qsizetype i = 1; i < c.at.size(); ++i) {
      QModelIndex next;
      for (int r = 0; r < model.rowCount(at) && !next.isValid(); ++r)
        if (model.index(r, 0, at).data().toString() == c.at[i]) next = model.index(r, 0, at);
      ASSERT_TRUE(next.isValid());
      at = next;
    }
    const QModelIndex status = at.siblingAtColumn(ProductModel::Status);
    EXPECT_EQ(status.data().toString(), c.status);
    EXPECT_EQ(at.data(Qt::ToolTipRole).toString(), c.reason);
    const bool marked = c.reason.size() > 0;
    EXPECT_EQ(!status.data(Qt::DecorationRole).value<QIcon>().isNull(), marked);
    for (const QPalette& palette : {light, widgets::darkPalette()}) {
      QApplication::setPalette(palette);
      const QVariant colour = at.data(Qt::ForegroundRole);
      EXPECT_EQ(colour.isValid(), marked);
      if (marked) {
        EXPECT_GE(widgets::contrastRatio(colour.value<QColor>(), palette.color(QPalette::Base)), 4.5);
      }
    }
    QApplication::setPalette(light);
  }
}

TEST_F(ProductModelTest, FilterKeepsMatchesWithTheAssembliesAboveThem) {
  ProductModel model;
  model.setProduct(product());
  productview::ProductFilter filter(ProductModel::Name, ProductModel::File, ProductModel::Type);
  filter.setSourceModel(&model);
  QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
  struct Case {
    const char* text;
    std::optional<ComponentType> type;
    const char* rows;
  } cases[] = {
      {"", std::nullopt, "0 TOP,1 SUB,2 BOLT,2 DEEP,3 BOLT,2 WASHER,1 BOLT,1 BAD,1 NUT,1 LOOP,2 TOP"},
      {"wash", std::nullopt, "0 TOP,1 SUB,2 WASHER"},
      {"s/NUT", std::nullopt, "0 TOP,1 NUT"},  // the file column, case ignored
      {"", ComponentType::Assembly, "0 TOP,1 SUB,2 DEEP,1 BAD,1 LOOP,2 TOP"},
      {"bolt", ComponentType::Part, "0 TOP,1 SUB,2 BOLT,2 DEEP,3 BOLT,1 BOLT"},
      {"bolt", ComponentType::Assembly, ""},
      {"nothing like it", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    filter.setText(QString::fromUtf8(c.text));
    filter.setType(c.type);
    EXPECT_EQ(walk(filter), c.rows);
  }
}

TEST_F(ProductModelTest, TotalsSortByNumberAndNameAndExportAsShown) {
  make("q/top.asm: A*9 b*100 C*10 +S; q/s.asm: A*2 D; q/a.prt; q/b.prt; q/c.prt; q/d.prt");
  productview::FlatModel flat;
  flat.setProduct(shownOf(bom::loadProduct(path("q/top.asm"), {}, loader())));
  productview::ProductFilter sorted(productview::FlatModel::Name, productview::FlatModel::File,
                                    productview::FlatModel::Type);
  sorted.setSourceModel(&flat);
  struct Case {
    int column;
    Qt::SortOrder order;
    const char* names;
  } cases[] = {
      {productview::FlatModel::Quantity, Qt::AscendingOrder, "D S C A b"},  // 1 1 10 11 100
      {productview::FlatModel::Quantity, Qt::DescendingOrder, "b A C"},
      {productview::FlatModel::Name, Qt::AscendingOrder, "A b C D S"},
      {productview::FlatModel::Parents, Qt::DescendingOrder, "A"},
  };
  for (const Case& c : cases) {
    sorted.sort(c.column, c.order);
    QStringList names;
    for (int r = 0; r < sorted.rowCount(); ++r) names << sorted.index(r, 0).data().toString();
    EXPECT_TRUE(names.join(u' ').startsWith(c.names)) << names.join(u' ').toStdString();
    const bom::Table table = productview::flatViewTable(sorted);
    ASSERT_EQ(table.rows.size(), static_cast<std::size_t>(sorted.rowCount()));
    EXPECT_EQ(std::get<QString>(table.rows.front()[4]), names.front()) << "the export keeps the shown order";
  }
  sorted.setText(QStringLiteral("c"));
  EXPECT_EQ(productview::flatViewTable(sorted).rows.size(), 1u) << "the export keeps the shown rows only";
}

}  // namespace
}  // namespace kelvaron::bomtest
