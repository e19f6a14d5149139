// Opens one assembly in the product view as the window does and prints, one
// "key value" a line: the seconds from the request to the tree painted with
// its first level open, the longest stall of the UI thread meanwhile, the
// peak memory, the seconds to expand every row and paint, and the rows.
//   kelvaron_productbench ASSEMBLY

#include "productview/productview.h"
#include "reader/assemblyreader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kelvaron_productbench ASSEMBLY\n");
    return 2;
  }
  kelvaron::productview::ProductView view(kelvaron::reader::readAssemblyFile);
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
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    stall = std::max(stall, tick.restart());
  });

  QEventLoop shown;
  QObject::connect(&view, &kelvaron::productview::ProductView::productShown, &shown, &QEventLoop::quit);
  QObject::connect(&view, &kelvaron::productview::ProductView::problem, [](const QString& m) {
    std::fprintf(stderr, "%s\n", qPrintable(m));
  });
  QElapsedTimer clock;
  clock.start();
  tick.start();
  ticker.start();
  view.open(QString::fromLocal8Bit(argv[1]));
  shown.exec();
  view.tree()->viewport()->repaint();
  const double open = clock.nsecsElapsed() / 1e9;
  stall = std::max(stall, tick.restart());
  ticker.stop();
  const long openPeak = peakKilobytes();

  clock.restart();
  view.tree()->expandAll();
  view.tree()->viewport()->repaint();
  const double expand = clock.nsecsElapsed() / 1e9;

  std::printf("open %.3f\nstall %.3f\npeak_kb %ld\nexpand_all %.3f\nrows %d\n", open, stall / 1e3, openPeak, expand,
              rows(*view.tree()->model()));
  return 0;
}
