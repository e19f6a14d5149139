// The about window: where it opens, how it slides open, its links by mouse
// and keyboard, and their colours under light and dark themes.

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <tuple>

#include "about/aboutplacement.h"
#include "about/form2.h"
#include "widgets/readablecolour.h"

using kelvaron::Form2;

// How narrow the window is as it starts to slide open: a few pixels; Windows
// keeps a framed window some hundred pixels wide (160 under Wine), still well
// short of the design width.
#ifdef _WIN32
const int kNarrowest = Form2::kDesignWidthTwips / 15 * 2 / 3;
#else
const int kNarrowest = 4;
#endif

// Receives the URLs the about window hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QStringList urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls << url.scheme() + ":" + url.path(); }
};

class TestAbout : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void placement() {
    // Screen, main window left and width, position; all in twips (the about window is 4875 wide).
    const std::tuple<QSize, int, int, QPoint> cases[] = {
        {{12000, 9000}, 1500, 8000, {0, 0}},         // 800 x 600: corner
        {{15345, 11520}, 1500, 8000, {0, 0}},        // 1023 wide: corner
        {{15360, 11505}, 1500, 8000, {0, 0}},        // 767 high: corner
        {{15360, 11520}, 1500, 8000, {9500, 900}},   // 1024 x 768: right of it
        {{19200, 14400}, 6325, 8000, {14325, 900}},  // ends on the edge: right of it
        {{19200, 14400}, 6326, 8000, {1451, 900}},   // one twip over: left of it
        {{19200, 14400}, 3000, 14000, {0, 900}},     // no room either side: left 0
    };
    for (const auto& [screen, mainLeft, mainWidth, expected] : cases)
      QCOMPARE(kelvaron::aboutWindowPosition({mainLeft, 900, mainWidth, 6885}, Form2::kDesignWidthTwips, screen),
               expected);
  }

  // On this run's screen (ctest runs it on a small and on a large one): beside
  // the main window when the screen has at least 1024 x 768 pixels, else at
  // the corner; then it slides open from width 0 in 200-twip steps. Under a
  // light and a dark theme (regression: the links were blue on dark grey) its
  // links are readable, fit their labels, open by click, Enter or Space, and
  // Tab reaches them.
  void opensSlidesOpenAndLinks() {
    UrlCatcher catcher;
    for (const char* scheme : {"https", "mailto"}) QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    const QPalette light = QApplication::palette();
    for (const bool nearRightEdge : {false, true}) {
      QApplication::setPalette(nearRightEdge ? kelvaron::widgets::darkPalette() : light);
      QWidget main;
      const QRect screen = main.screen()->geometry();
      main.setGeometry(nearRightEdge ? screen.width() - 560 : 60, 40, 533, 459);
      main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&main));
      QPointer<Form2> about = new Form2(&main);
      about->Form_Load();
      QVERIFY2(about->isVisible() && about->isSliding() && about->width() <= kNarrowest,
               qPrintable(QString::number(about->width())));
      const QRect frame = main.frameGeometry();
      // Left of the main window, it ends at its left edge at the design width.
      const QPoint beside(nearRightEdge ? frame.left() - Form2::kDesignWidthTwips / 15 : frame.right() + 1, frame.y());
      QCOMPARE(about->pos(), screen.width() >= 1024 && screen.height() >= 768 ? beside : QPoint(0, 0));
      QTRY_VERIFY(!about->isSliding());
      // 25 steps of 200 twips: 5000 twips, 125 past the design width.
      QCOMPARE(about->size(), QSize(5000 / 15, Form2::kDesignHeightTwips / 15));

      for (const char* name : {"Label10", "Label11"}) {
        auto* link = about->findChild<QLabel*>(name);
        const QPalette colours = link->palette();
        QVERIFY2(link->fontMetrics().horizontalAdvance(link->text()) <= link->width(), name);
        QVERIFY2(kelvaron::widgets::contrastRatio(colours.color(QPalette::WindowText),
                                                  colours.color(QPalette::Window)) >= 4.5,
                 name);
        QTest::mouseClick(link, Qt::LeftButton);
      }
      QApplication::setActiveWindow(about);
      QVERIFY(QTest::qWaitForWindowActive(about));
      QTest::keyClick(about->findChild<QLabel*>("Label10"), Qt::Key_Return);
      QTest::keyClick(about->findChild<QLabel*>("Label11"), Qt::Key_Space);
      about->findChild<QWidget*>("cmd_exit")->setFocus();
      QStringList reached;
      for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
      }
      QVERIFY2(reached.contains("Label10") && reached.contains("Label11"), qPrintable(reached.join(' ')));
      QTest::mouseClick(about->findChild<QPushButton*>("cmd_exit"), Qt::LeftButton);
      QTRY_VERIFY(about.isNull());
    }
    QApplication::setPalette(light);
    for (const char* scheme : {"https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
    const QString download = "https:/downloads/Kelvaron.html", mail = "mailto:" + Form2::kMailAddress;
    QCOMPARE(catcher.urls, QStringList({download, mail, download, mail, download, mail, download, mail}));
  }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
