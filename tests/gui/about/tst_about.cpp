// The about window: where it opens, how it slides open, its controls and links.

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>

#include "about/aboutplacement.h"
#include "about/form2.h"

using kelvaron::Form2;

// Receives the URLs the about window hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls.append(url); }
};

class TestAbout : public QObject {
  Q_OBJECT

 private:
  UrlCatcher m_catcher;

 private Q_SLOTS:
  void initTestCase() {
    QDesktopServices::setUrlHandler("https", &m_catcher, "open");
    QDesktopServices::setUrlHandler("mailto", &m_catcher, "open");
  }
  void cleanupTestCase() {
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
  }

  void placement_data() {
    // All in twips; the about window is 4875 wide.
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("mainWindow");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("800 x 600: corner") << QSize(12000, 9000) << QRect(1500, 900, 8000, 6885) << QPoint(0, 0);
    QTest::newRow("1023 wide: corner") << QSize(15345, 11520) << QRect(1500, 900, 8000, 6885) << QPoint(0, 0);
    QTest::newRow("767 high: corner") << QSize(15360, 11505) << QRect(1500, 900, 8000, 6885) << QPoint(0, 0);
    QTest::newRow("1024 x 768: right of it") << QSize(15360, 11520) << QRect(1500, 900, 8000, 6885) << QPoint(9500, 900);
    QTest::newRow("ends on the edge: right of it") << QSize(19200, 14400) << QRect(6325, 600, 8000, 6885) << QPoint(14325, 600);
    QTest::newRow("one twip over: left of it") << QSize(19200, 14400) << QRect(6326, 600, 8000, 6885) << QPoint(1451, 600);
    QTest::newRow("near the right edge: left of it") << QSize(19200, 14400) << QRect(11000, 300, 8000, 6885) << QPoint(6125, 300);
    QTest::newRow("no room either side: left 0") << QSize(19200, 14400) << QRect(3000, 450, 14000, 9000) << QPoint(0, 450);
  }
  void placement() {
    QFETCH(QSize, screen);
    QFETCH(QRect, mainWindow);
    QFETCH(QPoint, expected);
    QCOMPARE(kelvaron::aboutWindowPosition(mainWindow, Form2::kDesignWidthTwips, screen), expected);
  }

  void opensBesideTheMainWindow_data() {
    QTest::addColumn<bool>("nearRightEdge");
    QTest::newRow("main window at the left") << false;
    QTest::newRow("main window near the right edge") << true;
  }
  void opensBesideTheMainWindow() {
    // On this run's screen: beside the main window when the screen has at
    // least 1024 x 768 pixels, else at the corner.
    QFETCH(bool, nearRightEdge);
    QWidget main;
    const QRect screen = main.screen()->geometry();
    const bool large = screen.width() >= 1024 && screen.height() >= 768;
    main.setGeometry(nearRightEdge ? screen.width() - 560 : 60, 40, 533, 459);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    QPointer<Form2> about = new Form2(&main);
    about->Form_Load();
    QVERIFY(about->isVisible());
    const QRect frame = main.frameGeometry();
    if (!large) {
      QCOMPARE(about->pos(), QPoint(0, 0));
    } else if (nearRightEdge) {
      // Ends at the main window's left edge at its design width.
      QCOMPARE(about->x() + Form2::kDesignWidthTwips / 15, frame.left());
      QCOMPARE(about->y(), frame.y());
    } else {
      QCOMPARE(about->x(), frame.right() + 1);
      QCOMPARE(about->y(), frame.y());
    }
    about->close();
  }

  void slidesOpenFromWidthZero() {
    QWidget main;
    auto* about = new Form2(&main);
    about->Form_Load();
    QVERIFY(about->isSliding());
    QVERIFY(about->width() < 5);
    QTRY_VERIFY(!about->isSliding());
    // 25 steps of 200 twips: 5000 twips, 125 past the design width.
    QCOMPARE(about->width(), 5000 / 15);
    QCOMPARE(about->height(), Form2::kDesignHeightTwips / 15);
    about->close();
  }

  void controlsAndTexts() {
    QWidget main;
    Form2 about(&main);
    QCOMPARE(about.windowTitle(), QString("Info Kelvaron 2.1"));
    QCOMPARE(about.size(), QSize(325, 216));
    auto* description = about.findChild<QLabel*>("Label1");
    QVERIFY(description);
    QCOMPARE(description->text(), QString("detecting Parts in Pro/ENGINEER Assemblies"));
    auto* logo = about.findChild<QLabel*>("Image1");
    QVERIFY(logo);
    QCOMPARE(logo->pixmap().size(), QSize(100, 79));
    auto* exit = about.findChild<QPushButton*>("cmd_exit");
    QVERIFY(exit);
    QVERIFY(!exit->icon().isNull());
    QVERIFY(exit->text().isEmpty());
    auto* terms = about.findChild<QPlainTextEdit*>("txt_terms");
    QVERIFY(terms && terms->isReadOnly());
    QVERIFY(terms->toPlainText().startsWith("Terms of use"));

    for (const char* name : {"Label10", "Label11"}) {
      auto* link = about.findChild<QLabel*>(name);
      QVERIFY2(link, name);
      QVERIFY(link->font().underline());
      QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
      QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
      // The whole address is readable inside the label.
      QVERIFY2(link->fontMetrics().horizontalAdvance(link->text()) <= link->width(), name);
    }
    QCOMPARE(about.findChild<QLabel*>("Label10")->geometry(), QRect(64, 192, 221, 17));
  }

  void linksOpenThroughTheDesktop() {
    QWidget main;
    Form2 about(&main);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    m_catcher.urls.clear();
    QTest::mouseClick(about.findChild<QLabel*>("Label10"), Qt::LeftButton);
    QTest::mouseClick(about.findChild<QLabel*>("Label11"), Qt::LeftButton);
    QCOMPARE(m_catcher.urls.size(), 2);
    QCOMPARE(m_catcher.urls[0].path(), QString("/downloads/Kelvaron.html"));
    QCOMPARE(m_catcher.urls[0].scheme(), QString("https"));
    QCOMPARE(m_catcher.urls[1].toString(), "mailto:" + Form2::kMailAddress);
  }

  void exitButtonClosesAndDeletes() {
    QWidget main;
    QPointer<Form2> about = new Form2(&main);
    about->Form_Load();
    QTest::mouseClick(about->findChild<QPushButton*>("cmd_exit"), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
  }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
