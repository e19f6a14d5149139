// The main window as a desktop user meets it: the browse folder at start-up,
// the copy button, opening the report, the hour box, keyboard, drops, themes.

#include "app/form1controls.h"
#include "widgets/readablecolour.h"
#include "form1fixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QMimeData>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

// HOME points at `folder` while it lives; the home folder is read anew on each use.
struct HomeAt {
  QByteArray saved = qgetenv("HOME");
  explicit HomeAt(const QString& folder) { qputenv("HOME", folder.toLocal8Bit()); }
  ~HomeAt() { qputenv("HOME", saved); }
};

// The contrast between the commonest colour of `area` (the background) and the
// colour there that differs most from it (the text), as the user sees them.
double shownContrast(const QImage& image, const QRect& area) {
  QHash<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y)];
  const QRgb background = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
                            return a.second < b.second;
                          })->first;
  double best = 1.0;
  for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
    best = std::max(best, widgets::contrastRatio(QColor(*it), QColor(background)));
  return best;
}

}  // namespace

class Form1DesktopTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  // Regression: on a first run the folder label stayed empty and the folder
  // scan walked "/". A first run and a saved folder that has gone both start
  // on the home folder, and a scan from there walks exactly that folder.
  void startUpBrowseFolderIsTheHomeFolder() {
    Tree home({"a.asm.1", "sub/b.asm.2"});
    const HomeAt at(home.dir.path());
    for (const QString& saved : {QString(), home.root + "gone"}) {
      store().clear();
      if (!saved.isEmpty()) store().setValue("Optionen/Dir1.Path", saved);
      Window w;
      QCOMPARE(QStringList({w->Dir1->path(), w->lbl_Dir->text(), w->File1->path()}), QStringList(3, home.dir.path()));
      QCOMPARE(lines(w->File1), QStringList{"a.asm.1"});
      w->txt_Pfad->setText(home.reports);
      w->cmd_verzeichnis_Click();
      QCOMPARE(lines(w->List1), QStringList({home.root + "a.asm.1", home.root + "sub/b.asm.2"}));
      QCOMPARE(home.reportFiles(), reportsOf({"a", "b"}));
      QVERIFY(QDir(home.reports).removeRecursively() && QDir().mkpath(home.reports));
    }
  }

  // A scan never starts from an empty or missing folder; the status line says why.
  void scanRefusesAFolderThatIsNotThere() {
    Tree tree;
    const std::pair<QString, QString> cases[] = {
        {"", "cannot scan: no folder chosen"},
        {tree.root + "gone", "cannot scan " + tree.root + "gone: no such folder"},
    };
    for (const auto& [folder, status] : cases) {
      Window w;
      w->lbl_Dir->setText(folder);
      bool walked = false;
      // Were the walk to start, it ends at once rather than cross the disk.
      w->testHooks.yield = [&] {
        if (!walked && w.walking()) walked = true, w->close();
      };
      w->cmd_verzeichnis_Click();
      QVERIFY(!walked && w.messages.isEmpty());
      QCOMPARE(w->lbl_status->text(), status);
    }
  }

  // Regression: clearing the result list for a new analysis set the copy
  // button to " to clipboard". It keeps its caption and copies "" then; a line
  // chosen by keyboard sets it as a click does.
  void copyButtonKeepsItsCaptionThroughANewAnalysis() {
    Tree tree({"work/top.asm.3"});
    Window w;
    w.browse(tree.root + "work", tree.reports);
    QVERIFY(w.clickFile("top.asm.3"));
    clickRow(w->List_ASM, 2);
    w->cmd_file_Click();
    QVERIFY(w.clickFile("top.asm.3"));
    QCOMPARE(w->cmd_partname->text(), QStringLiteral("NUT to clipboard"));
    QTest::mouseClick(w->cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    QTest::keyClick(w->List_ASM, Qt::Key_Down);  // onto the heading
    QTest::keyClick(w->List_ASM, Qt::Key_Down);
    QCOMPARE(w->cmd_partname->text(), QStringLiteral("BOLT_M8 to clipboard"));
  }

  // Regression: a report the desktop could not open, or that had gone, did
  // nothing. The status line names the report and the reason.
  void reportThatCannotBeOpenedIsReported() {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) QSKIP("Qt's off-screen desktop opens nothing");
    Tree tree({"work/top.asm.3"});
    Window w;
    w.browse(tree.root + "work", tree.reports);
    QVERIFY(w.clickFile("top.asm.3"));
    const QString report = tree.reports + "/top__Kelvaron.txt";
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QCOMPARE(w->lbl_status->text(), "cannot open " + report + ": no program on this desktop opens it");
    QVERIFY(QFile::remove(report));
    QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
    QCOMPARE(w->lbl_status->text(), "cannot open " + report + ": no such file");
  }

  // Under X the report goes to xdg-open, whose exit status tells whether a
  // program took it (Qt only tells whether xdg-open started).
  void reportOpenedThroughXdgOpen() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server (run under xvfb-run)");
    Tree tree({"work/top.asm.3"});
    const QString bin = tree.root + "bin";
    QVERIFY(QDir().mkpath(bin));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", (bin + ':').toLocal8Bit() + path);
    Window w;
    w.browse(tree.root + "work", tree.reports);
    QVERIFY(w.clickFile("top.asm.3"));
    const QString report = tree.reports + "/top__Kelvaron.txt";
    const std::pair<int, QString> cases[] = {
        {0, "file saved"},
        {3, "cannot open " + report + ": no program on this desktop opens it"},
        {1, "cannot open " + report + ": xdg-open ended with code 1"},
    };
    for (const auto& [code, status] : cases) {
      w->lbl_status->setText(QStringLiteral("file saved"));
      QFile script(bin + "/xdg-open");
      QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
      script.write(QStringLiteral("#!/bin/sh\nprintf %s \"$1\" > %1/opened\nexit %2\n").arg(bin).arg(code).toUtf8());
      script.close();
      script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
      QFile::remove(bin + "/opened");
      QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
      QTRY_VERIFY(QFile::exists(bin + "/opened"));
      QTRY_COMPARE(w->lbl_status->text(), status);
      QFile opened(bin + "/opened");
      QVERIFY(opened.open(QIODevice::ReadOnly));
      QCOMPARE(QString::fromLocal8Bit(opened.readAll()), report);
    }
    qputenv("PATH", path);
  }

  // A typed hour arms as the two digits the timer compares; other text
  // disarms with a status message (a typed "7" used to stay "7" and never fire).
  void hourBoxTakesTypedHours() {
    const struct {
      QString typed, armed;
      bool message;
    } cases[] = {
        {"7", "07", false},    {"07", "07", false},     {"7:00", "07", false},    {"10:00", "10", false},
        {"1", "01", false},    {"0", "00", false},      {" 23 ", "23", false},    {"", "keine", false},
        {"24", "keine", true}, {"7:30", "keine", true}, {"seven", "keine", true}, {"KEINE", "keine", true},
    };
    Window w;
    w->Timer1->stop();
    w->show();
    QLineEdit* edit = w->combo_zeit->lineEdit();
    for (const auto& c : cases) {
      w->lbl_status->setText(QStringLiteral("STATUS"));
      edit->clear();
      QTest::keyClicks(edit, c.typed);
      QTest::keyClick(edit, Qt::Key_Return);
      QCOMPARE(w->combo_zeit->currentText(), c.armed);
      QCOMPARE(w->lbl_status->text() != QLatin1String("STATUS"), c.message);
    }
  }

  // The clock can be read at the window's run-time size, beside the cycle control.
  void clockIsInsideTheWindow() {
    Window w;
    w->show();
    w->cmd_file_Click();
    w.tick();
    QCOMPARE(w->lbl_clock->text(), QStringLiteral("07:30:00"));
    QCOMPARE(w->lbl_time->text(), w->lbl_clock->text());
    const QRect shown(w->lbl_clock->mapTo(w.form.get(), QPoint()), w->lbl_clock->size());
    QVERIFY(w->lbl_clock->isVisible() && w->rect().contains(shown));
    QVERIFY(w->lbl_clock->fontMetrics().horizontalAdvance(w->lbl_clock->text()) <= shown.width());
  }

  // Every control tells a screen reader what it is; icon-only buttons explain
  // themselves in a tooltip; lists and boxes are labelled by their labels.
  void controlsNameThemselves() {
    Window w;
    for (const ControlSpec& row : form1Controls()) {
      if (row.kind == ControlKind::Timer) continue;
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(w->findChild<QWidget*>(row.name));
      QVERIFY2(!control->text(QAccessible::Name).isEmpty() || !control->text(QAccessible::Description).isEmpty(),
               row.name);
    }
    for (QWidget* button : {(QWidget*)w->cmd_exec, (QWidget*)w->cmd_exit, (QWidget*)w->cmd_opts})
      QVERIFY2(!button->toolTip().isEmpty(), qPrintable(button->objectName()));
    const std::pair<QWidget*, QWidget*> labelled[] = {
        {w->Label5, w->File1}, {w->lbl_Dir, w->Dir1}, {w->Label6, w->txt_Pfad}, {w->Label7, w->combo_zeit}};
    for (const auto& [label, box] : labelled) {
      QStringList named;
      for (const auto& relation : QAccessible::queryAccessibleInterface(label)->relations(QAccessible::Labelled))
        named << relation.first->object()->objectName();
      QCOMPARE(named, QStringList{box->objectName()});
    }
  }

  // Ctrl+O opens the browse panel; Esc stops a running folder scan as the
  // stop picture does (and does nothing otherwise); Ctrl+Q closes the window
  // with its settings saved.
  void keyboardCommands() {
    Tree tree({"a.asm.1", "sub/b.asm.1"});
    Window w;
    w->Timer1->stop();
    w->txt_Pfad->setText(tree.reports);
    w->show();
    QApplication::setActiveWindow(w.form.get());
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(w->Frame3->isVisible() && !w->Image1->isVisible());
    w->Dir1->setPath(tree.dir.path());
    bool pressed = false;
    w->testHooks.yield = [&] {
      if (pressed || !w.walking() || w->List1->count() != 1) return;
      pressed = true;
      QTest::keyClick(w.form.get(), Qt::Key_Escape);
    };
    w->cmd_verzeichnis_Click();
    QCOMPARE(lines(w->List1), QStringList{tree.root + "a.asm.1"});
    QCOMPARE(w.messages, QStringList{"stop !"});
    QTest::keyClick(w.form.get(), Qt::Key_Escape);
    QCOMPARE(w->lbl_stop->text(), QStringLiteral("1"));
    QTest::keyClick(w.form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(w->isUnloaded() && !w->isVisible());
    QCOMPARE(store().value("Optionen/Dir1.Path").toString(), tree.dir.path());
  }

  // A dropped assembly is analysed, a dropped folder is browsed; anything else
  // is refused with a status message.
  void dropOpensAssembliesAndFolders() {
    Tree tree({"work/top.asm.3", "work/notes.txt"});
    const QString work = tree.root + "work";
    const struct {
      QList<QUrl> urls;
      bool taken;
      QString shown;  // lbl_File after an assembly, Dir1 after a folder, else the status
    } cases[] = {
        {{QUrl::fromLocalFile(work + "/top.asm.3")}, true, work + "/top.asm.3"},
        {{QUrl::fromLocalFile(work)}, true, work},
        {{QUrl::fromLocalFile(work + "/notes.txt")},
         false,
         "cannot take " + work + "/notes.txt: drop one assembly file or one folder"},
        {{QUrl::fromLocalFile(work + "/top.asm.3"), QUrl::fromLocalFile(work)},
         false,
         "cannot take 2 items: drop one assembly file or one folder"},
        {{QUrl("https://example.org/top.asm.3")},
         false,
         "cannot take https://example.org/top.asm.3: drop one assembly file or one folder"},
    };
    for (const auto& c : cases) {
      Window w;
      w->txt_Pfad->setText(tree.reports);
      w->show();
      QMimeData mime;
      mime.setUrls(c.urls);
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(w.form.get(), &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(w.form.get(), &drop);
      QCOMPARE(drop.isAccepted(), c.taken);
      QCoreApplication::processEvents();
      const bool assembly = c.taken && c.urls.first().path().endsWith(".asm.3");
      if (!c.taken) QCOMPARE(w->lbl_status->text(), c.shown);
      if (assembly) {
        QCOMPARE(w->lbl_File->text(), c.shown);
        QCOMPARE(lines(w->List_ASM).mid(1), QStringList({"BOLT_M8", "NUT"}));
        QVERIFY(w->Frame2->isVisible() && !w->Frame3->isVisible());
      }
      if (c.taken && !assembly) {
        QCOMPARE(w->Dir1->path() + w->lbl_Dir->text(), c.shown + c.shown);
        QVERIFY(w->Frame3->isVisible());
      }
    }
  }

  // Regression: under a dark theme the labels on the coloured panels were
  // white on light orange. As drawn, every label on a panel, and the grey
  // path lines, stay readable under a light and a dark palette.
  void textsReadableInLightAndDarkThemes() {
    const QPalette light = QApplication::palette();
    for (const QPalette& theme : {light, widgets::darkPalette()}) {
      QApplication::setPalette(theme);
      Window w;
      w->show();
      w->lbl_File->setText(QStringLiteral("/home/user/projects/gearbox.asm.3"));
      w->Pfad->setText(QStringLiteral("/home/user/reports/gearbox__Kelvaron.txt"));
      for (QWidget* panel : {(QWidget*)w->Frame3, (QWidget*)w->Frame5}) {
        panel == w->Frame3 ? w->cmd_file_Click() : w->cmd_opts_Click();
        const QImage shown = w->grab().toImage();
        QList<std::pair<QLabel*, double>> texts{{w->lbl_File, 3.0}, {w->Pfad, 3.0}};
        for (QLabel* label : panel->findChildren<QLabel*>())
          if (!label->text().isEmpty() && label->isVisible()) texts.append({label, 4.5});
        for (const auto& [label, minimum] : texts) {
          const QRect area(label->mapTo(w.form.get(), QPoint()), label->size());
          QVERIFY2(shownContrast(shown, area) >= minimum, qPrintable(label->objectName()));
        }
      }
    }
    QApplication::setPalette(light);
  }
};

QTEST_MAIN(Form1DesktopTest)
#include "form1_desktop_test.moc"
