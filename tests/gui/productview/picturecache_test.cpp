// Pictures: read off the UI thread once per file, newest request first, shown
// in the rows and the preview, with a placeholder of the type where a file
// has none.

#include "productview/picturecache.h"
#include "productview/productmodel.h"
#include "productview/productview.h"

#include "core/bom/bomfixture.h"
#include "gui/productview/waitfor.h"

#include <QAbstractProxyModel>
#include <QBuffer>
#include <QLabel>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>
#include <condition_variable>

namespace kelvaron::bomtest {
namespace {

using productview::PictureCache;

// A JPEG of one colour, as model files store their pictures.
QByteArray jpeg(QColor colour) {
  QImage image(256, 256, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG");
  return bytes;
}

// Whether `image` is about `colour` in its middle.
bool near(const QImage& image, QColor colour) {
  const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
  return std::abs(c.red() - colour.red()) < 24 && std::abs(c.green() - colour.green()) < 24 &&
         std::abs(c.blue() - colour.blue()) < 24;
}

// A picture reader over a table, counting reads; it can be held shut. The
// reads are taken on the cache's worker: the test looks at them through read().
struct Pictures {
  QHash<QString, QByteArray> files;
  QStringList reads;  ///< guarded by mutex
  std::mutex mutex;
  std::condition_variable cv;
  bool shut = false;
  std::atomic<int> asked{0};  ///< calls begun, held or not

  productview::PictureReader reader() {
    return [this](const QString& path) {
      ++asked;
      std::unique_lock<std::mutex> lock(mutex);
      cv.wait(lock, [&] { return !shut; });
      reads << path;
      return files.value(path);
    };
  }
  QStringList read() {
    const std::lock_guard<std::mutex> lock(mutex);
    return reads;
  }
  void hold(bool closed) {
    const std::lock_guard<std::mutex> lock(mutex);
    shut = closed;
    cv.notify_all();
  }
};

TEST(PictureCache, ReadsEachFileOnceNewestFirstAndForgetsOnClear) {
  Pictures files;
  files.files = {{"/red.prt", jpeg(Qt::red)}, {"/blue.prt", jpeg(Qt::blue)}, {"/green.prt", jpeg(Qt::green)}};
  files.shut = true;
  PictureCache cache(files.reader(), 48);
  QSignalSpy ready(&cache, &PictureCache::ready);
  for (const char* path : {"/red.prt", "/blue.prt", "/green.prt", "/none.prt", "/blue.prt"})
    EXPECT_TRUE(cache.small(QString::fromLatin1(path)).isNull()) << "nothing before it is read";
  files.hold(false);
  ASSERT_TRUE(waitFor([&] { return ready.size() == 4; }));
  // The first request may have been taken before the rest arrived; the rest go newest first.
  QStringList order = files.read();
  order.removeOne("/red.prt");
  EXPECT_EQ(order.join(u' '), "/none.prt /green.prt /blue.prt");

  EXPECT_EQ(cache.small("/red.prt").size(), QSize(48, 48));
  EXPECT_TRUE(near(cache.small("/red.prt"), Qt::red));
  EXPECT_TRUE(near(cache.full("/blue.prt"), Qt::blue));
  EXPECT_EQ(cache.full("/blue.prt").size(), QSize(256, 256));
  EXPECT_TRUE(cache.hasNone("/none.prt"));
  EXPECT_TRUE(cache.small("/none.prt").isNull());
  QTest::qWait(50);
  EXPECT_EQ(files.read().size(), 4) << "known pictures and known absences are not read again";

  files.hold(true);
  EXPECT_FALSE(cache.small("/green.prt").isNull());
  cache.clear();
  EXPECT_TRUE(cache.small("/green.prt").isNull()) << "cleared";
  ASSERT_TRUE(waitFor([&] { return files.asked.load() == 5; }));
  cache.clear();  // the file being read when this comes is not delivered
  ready.clear();
  files.hold(false);
  QTest::qWait(100);
  EXPECT_EQ(ready.size(), 0);
}

TEST(PictureCache, TheWindowsReaderGivesTheFilesOwnPictures) {
  struct Case {
    const char* file;
    QSize size;  // 0 x 0: the file holds none
  } cases[] = {
      {"starspeaker/cup.prt.1", {256, 256}},
      {"starspeaker/cap.prt.9", {256, 256}},
      {"starspeaker/starspeaker.asm.2", {256, 256}},
      {"gearbox.asm.3", {0, 0}},  // the legacy text layout carries no picture
      {"no-such-file.prt", {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const QImage image =
        QImage::fromData(productview::readPictureBytes(QStringLiteral(KELVARON_EXAMPLES_DIR "/") + c.file));
    EXPECT_EQ(image.size(), c.size);
  }
}

class PictureViewTest : public BomTest {
 protected:
  void SetUp() override {
    BomTest::SetUp();
    QStandardPaths::setTestModeEnabled(true);
    make("p/top.asm: BOLT NUT GEAR +SUB; p/sub.asm: BOLT; p/bolt.prt; p/nut.prt");
    m_files.files = {{path("p/bolt.prt"), jpeg(Qt::red)}, {path("p/sub.asm"), jpeg(Qt::blue)}};
  }
  Pictures m_files;
};

TEST_F(PictureViewTest, RowsShowPicturesOrTheirTypeAndThePreviewNamesTheRow) {
  productview::ProductView view({loader(), m_files.reader(), [](const QString&) { return productview::PartFacts{}; }});
  view.resize(900, 600);
  view.show();
  QSignalSpy shown(&view, &productview::ProductView::productShown);
  view.open(path("p/top.asm"));
  ASSERT_TRUE(shown.wait(20000));
  QTreeView* tree = view.tree();
  // The tree's own model: its indexes stay valid while the filter above it rebuilds.
  QSignalSpy changed(qobject_cast<QAbstractProxyModel*>(tree->model())->sourceModel(),
                     &QAbstractItemModel::dataChanged);
  view.tree()->expandAll();
  auto row = [&](const char* name) {
    QModelIndex at = tree->model()->index(0, 0);
    while (at.isValid() && at.data().toString() != name) at = tree->indexBelow(at);
    return at;
  };
  // Each file is read once, whatever the number of rows that show it.
  ASSERT_TRUE(waitFor([&] { return m_files.read().contains(path("p/bolt.prt")); }));
  ASSERT_TRUE(waitFor([&] {
    return !row("BOLT").data(Qt::DecorationRole).value<QImage>().isNull() &&
           near(row("BOLT").data(Qt::DecorationRole).value<QImage>(), Qt::red);
  }));
  ASSERT_TRUE(waitFor([&] {
    return std::any_of(changed.begin(), changed.end(),
                       [&](const QList<QVariant>& args) { return args[0].toModelIndex().data() == "BOLT"; });
  }));  // the view learns that the row's picture came
  struct Case {
    const char* name;
    QColor colour;  // the picture's, or none for a placeholder
  } cases[] = {
      {"BOLT", Qt::red},
      {"SUB", Qt::blue},
      {"NUT", {}},   // a file without a picture
      {"GEAR", {}},  // a missing file
  };
  const QImage partPlaceholder = productview::typePlaceholder(reader::ComponentType::Part, 256);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QModelIndex at = row(c.name);
    ASSERT_TRUE(waitFor([&] { return !at.data(Qt::DecorationRole).value<QImage>().isNull(); }));
    const QImage small = at.data(Qt::DecorationRole).value<QImage>();
    EXPECT_EQ(small.deviceIndependentSize().toSize(), QSize(24, 24));
    if (c.colour.isValid()) {
      ASSERT_TRUE(waitFor([&] { return near(at.data(Qt::DecorationRole).value<QImage>(), c.colour); }))
          << "files read: " << m_files.read().join(u' ').toStdString();
    }

    tree->setCurrentIndex(at);
    QLabel* preview = nullptr;
    for (QLabel* l : view.findChildren<QLabel*>())
      if (l->accessibleName() == QStringLiteral("picture of %1").arg(c.name)) preview = l;
    ASSERT_TRUE(preview) << "the preview is named after the row";
    ASSERT_TRUE(waitFor([&] {
      return near(preview->pixmap().toImage(), c.colour.isValid() ? c.colour : partPlaceholder.pixelColor(128, 128));
    }));
  }
  EXPECT_EQ(m_files.read().count(path("p/bolt.prt")), 1);
  EXPECT_FALSE(m_files.read().contains(QString())) << "a missing file is not read";
}

}  // namespace
}  // namespace kelvaron::bomtest
