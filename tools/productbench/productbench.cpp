// Opens one assembly in the product view as the window does and prints, one
// "key value" a line: the seconds from the request to the tree painted with
// its first level open, the longest stall of the UI thread until the work
// behind it (descriptions and materials) ended, the
// peak memory, the seconds to expand every row and paint, and the rows.
// With --pictures it pages down through the first level instead and prints
// the seconds until every row's picture came and the longest stall.
//   kelvaron_productbench [--pictures] ASSEMBLY

#include "productview/productview.h"
#include "reader/assemblyreader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int rows(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
  int n = model.rowCount(parent);
  for (int r = 0, count = n; r < count; ++r) n += rows(model, model.index(r, 0, parent));
  return n;
}

// Opens `assembly`; false when it cannot be shown.
bool open(kelvaron::productview::ProductView& view, const QString& assembly) {
  QEventLoop shown;
  bool ok = true;
  QObject::connect(&view, &kelvaron::productview::ProductView::productShown, &shown, &QEventLoop::quit);
  QObject::connect(&view, &kelvaron::productview::ProductView::problem, &shown, [&](const QString& m) {
    std::fprintf(stderr, "%s\n", qPrintable(m));
    ok = !m.startsWith(QStringLiteral("cannot read"));
    if (!ok) shown.quit();
  });
  view.open(assembly);
  shown.exec();
  view.tree()->viewport()->repaint();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const bool pictures = args.value(0) == QLatin1String("--pictures");
  if (args.size() != (pictures ? 2 : 1)) {
    std::fprintf(stderr, "usage: kelvaron_productbench [--pictures] ASSEMBLY\n");
    return 2;
  }
  kelvaron::productview::ProductView view;
  view.controller().setSearchFolders({});
  view.resize(1280, 800);
  view.show();
  app.processEvents();

  // A 10 ms tick on the UI thread: the longest gap between ticks is the
  // longest time the window could not answer.
  QElapsedTimer tick;
  qint64 stall = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] { stall = std::max(stall, tick.restart()); });
  QElapsedTimer clock;
  clock.start();
  tick.start();
  ticker.start();
  if (!open(view, args.last())) return 1;

  if (pictures) {
    // Scrolls a page every 50 ms from top to bottom, as a user paging down,
    // until every row's picture has come.
    int read = 0;
    QObject::connect(&view.pictures(), &kelvaron::productview::PictureCache::ready, [&] { ++read; });
    const int files = view.tree()->model()->rowCount(view.tree()->model()->index(0, 0));
    QTimer pager;
    pager.setInterval(50);
    QScrollBar* bar = view.tree()->verticalScrollBar();
    QObject::connect(&pager, &QTimer::timeout, [&] { bar->setValue(bar->value() + bar->pageStep()); });
    QEventLoop done;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, [&] {
      if (read >= files) done.quit();
    });
    clock.restart();
    stall = 0;
    tick.restart();
    pager.start();
    check.start();
    done.exec();
    const double all = clock.nsecsElapsed() / 1e9;
    stall = std::max(stall, tick.restart());
    std::printf("pictures %d\npictures_all %.3f\npictures_stall %.3f\n", files, all, stall / 1e3);
    return 0;
  }

  const double opened = clock.nsecsElapsed() / 1e9;
  // The descriptions and materials come after the tree; the stall counts them.
  while (view.controller().busy()) app.processEvents(QEventLoop::WaitForMoreEvents);
  stall = std::max(stall, tick.restart());
  ticker.stop();
  const long openPeak = peakKilobytes();

  clock.restart();
  view.tree()->expandAll();
  view.tree()->viewport()->repaint();
  const double expand = clock.nsecsElapsed() / 1e9;

  std::printf("open %.3f\nstall %.3f\npeak_kb %ld\nexpand_all %.3f\nrows %d\n", opened, stall / 1e3, openPeak, expand,
              rows(*view.tree()->model()));
  return 0;
}
