// The about window for keyboard users and under light and dark themes.

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "about/form2.h"
#include "widgets/readablecolour.h"

using kelvaron::Form2;

namespace {

class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls.append(url); }
};

}  // namespace

class TestAboutDesktop : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Tab reaches both links; Enter and Space open them.
  void linksByKeyboard() {
    UrlCatcher catcher;
    for (const char* scheme : {"https", "mailto"}) QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    QWidget main;
    Form2 about(&main);
    about.show();
    QApplication::setActiveWindow(&about);
    QVERIFY(QTest::qWaitForWindowActive(&about));
    about.findChild<QWidget*>("cmd_exit")->setFocus();
    QStringList reached;
    for (int i = 0; i < 4; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      reached << QApplication::focusWidget()->objectName();
    }
    QVERIFY2(reached.contains("Label10") && reached.contains("Label11"), qPrintable(reached.join(' ')));
    QTest::keyClick(about.findChild<QLabel*>("Label10"), Qt::Key_Return);
    QTest::keyClick(about.findChild<QLabel*>("Label11"), Qt::Key_Space);
    for (const char* scheme : {"https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[0].scheme() + catcher.urls[1].scheme(), QStringLiteral("httpsmailto"));
  }

  // Regression: the links were blue on a dark theme's dark grey.
  void linksReadableInLightAndDarkThemes() {
    const QPalette light = QApplication::palette();
    for (const QPalette& theme : {light, kelvaron::widgets::darkPalette()}) {
      QApplication::setPalette(theme);
      QWidget main;
      Form2 about(&main);
      for (const char* name : {"Label10", "Label11"}) {
        const QPalette link = about.findChild<QLabel*>(name)->palette();
        QVERIFY2(
            kelvaron::widgets::contrastRatio(link.color(QPalette::WindowText), link.color(QPalette::Window)) >= 4.5,
            name);
      }
    }
    QApplication::setPalette(light);
  }
};

QTEST_MAIN(TestAboutDesktop)
#include "tst_about_desktop.moc"
