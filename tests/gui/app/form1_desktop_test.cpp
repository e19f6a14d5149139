// The main window as a desktop user meets it: a scan refused, opening the
// report under X, the hour box, drops, screen readers, themes and
// desktop scales (ctest runs controlsFitAndNameThemselves at 1, 1.5 and 2).

#include "app/form1controls.h"
#include "widgets/readablecolour.h"
#include "form1fixture.h"

#include <QAccessible>
#include <QGroupBox>
#include <QMimeData>
#include <QStyleOptionFrame>

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

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

// The width a line edit gives its text: its contents less the margins it
// keeps at both ends and the cursor.
int lineEditRoom(QLineEdit* edit) {
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
  const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
  const QMargins margins = edit->textMargins();
  return contents.width() - margins.left() - margins.right() - 2 * 2 - 1;
}

}  // namespace

class Form1DesktopTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }
  void init() { store().clear(); }

  // A scan never starts from an empty or missing folder (it would cross the
  // disk or fail late); the status line says why.
  void scanRefusesAFolderThatIsNotThere() {
    Tree tree;
    for (const QString& folder : {QString(), tree.root + "gone"}) {
      Window w;
      w->lbl_Dir->setText(folder);
      w->testHooks.yield = [&] {  // a walk begun ends at once
        if (w.walking()) w->close();
      };
      w->cmd_verzeichnis_Click();
      QVERIFY(!w->isUnloaded() && w.messages.isEmpty());
      QCOMPARE(w->lbl_status->text(), folder.isEmpty() ? QStringLiteral("cannot scan: no folder chosen")
                                                       : "cannot scan " + folder + ": no such folder");
    }
  }

  // Under X the report goes to xdg-open, whose exit status tells whether a
  // program took it (Qt only tells whether xdg-open started).
  void reportOpenedThroughXdgOpen() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server (run under xvfb-run)");
    Tree tree({"work/top.asm.3"});
    const QString bin = tree.root + "bin";
    tree.file("bin/xdg-open", "#!/bin/sh\nprintf %s \"$1\" > \"${0%/*}/opened\"\nexit $XDG_OPEN_EXIT\n");
    QVERIFY(QFile::setPermissions(bin + "/xdg-open", QFile::permissions(bin + "/xdg-open") | QFileDevice::ExeOwner));
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
      qputenv("XDG_OPEN_EXIT", QByteArray::number(code));
      QFile::remove(bin + "/opened");
      QTest::mouseClick(w->cmd_exec, Qt::LeftButton);
      QTRY_VERIFY(QFile::exists(bin + "/opened"));
      QTRY_COMPARE(w->lbl_status->text(), status);
      QFile opened(bin + "/opened");
      QVERIFY(opened.open(QIODevice::ReadOnly) && opened.readAll() == QFile::encodeName(report));
    }
    qputenv("PATH", path);
  }

  // A typed hour arms as the two digits the timer compares; other text
  // disarms with a status message (a typed "7" used to stay "7" and never fire).
  // The clock beside it can be read at the window's run-time size.
  void hourBoxAndClock() {
    // The text typed, the hour armed, whether a status message says why not.
    const std::tuple<QString, QString, bool> cases[] = {
        {"7", "07", false},    {"07", "07", false},     {"7:00", "07", false},    {"10:00", "10", false},
        {"1", "01", false},    {"0", "00", false},      {" 23 ", "23", false},    {"", "keine", false},
        {"24", "keine", true}, {"7:30", "keine", true}, {"seven", "keine", true}, {"KEINE", "keine", true},
    };
    Window w;
    w->Timer1->stop();
    w->show();
    QLineEdit* edit = w->combo_zeit->lineEdit();
    for (const auto& [typed, armed, message] : cases) {
      w->lbl_status->setText(QStringLiteral("STATUS"));
      edit->clear();
      QTest::keyClicks(edit, typed);
      QTest::keyClick(edit, Qt::Key_Return);
      QCOMPARE(w->combo_zeit->currentText(), armed);
      QCOMPARE(w->lbl_status->text() != QLatin1String("STATUS"), message);
    }
    w->cmd_file_Click();
    w.tick();
    QCOMPARE(w->lbl_clock->text(), QStringLiteral("07:30:00"));
    QCOMPARE(w->lbl_time->text(), w->lbl_clock->text());
    const QRect shown(w->lbl_clock->mapTo(w.form.get(), QPoint()), w->lbl_clock->size());
    QVERIFY(w->lbl_clock->isVisible() && w->rect().contains(shown));
    QVERIFY(w->lbl_clock->fontMetrics().horizontalAdvance(w->lbl_clock->text()) <= shown.width());
  }

  // A dropped assembly is analysed, a dropped folder is browsed; anything else
  // is refused with a status message.
  void dropOpensAssembliesAndFolders() {
    Tree tree({"work/top.asm.3", "work/notes.txt"});
    const QString work = tree.root + "work", refused = ": drop one assembly file or one folder";
    const std::pair<QList<QUrl>, QString> cases[] = {
        // What shows: the browsed folder and its label, the file with its parts, or the status line.
        {{QUrl::fromLocalFile(work + "/top.asm.3")}, work + "/top.asm.3 BOLT_M8 NUT"},
        {{QUrl::fromLocalFile(work)}, work + ' ' + work},
        {{QUrl::fromLocalFile(work + "/notes.txt")}, "cannot take " + work + "/notes.txt" + refused},
        {{QUrl::fromLocalFile(work + "/top.asm.3"), QUrl::fromLocalFile(work)}, "cannot take 2 items" + refused},
        {{QUrl("https://example.org/top.asm.3")}, "cannot take https://example.org/top.asm.3" + refused},
    };
    for (const auto& [urls, shown] : cases) {
      Window w;
      w->txt_Pfad->setText(tree.reports);
      w->show();
      QMimeData mime;
      mime.setUrls(urls);
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(w.form.get(), &enter);
      QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(w.form.get(), &drop);
      QCoreApplication::processEvents();
      QVERIFY(enter.isAccepted());
      QCOMPARE(drop.isAccepted(), !shown.startsWith("cannot"));
      QCOMPARE(w->Frame3->isVisible()   ? w->Dir1->path() + ' ' + w->lbl_Dir->text()
               : w->Frame2->isVisible() ? w->lbl_File->text() + ' ' + lines(w->List_ASM).mid(1).join(' ')
                                        : w->lbl_status->text(),
               shown);
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

  // At this run's scale every caption fits its control in a readable size
  // (regression: "keine" was cut at 1.5, and the hour list was set in 7 pt),
  // and every control tells a screen reader what it is; icon-only buttons
  // explain themselves in a tooltip; lists and boxes are labelled by their labels.
  void controlsFitAndNameThemselves() {
    Window w;
    w->show();
    w->cmd_file_Click();
    for (const ControlSpec& row : form1Controls()) {
      if (row.kind == ControlKind::Timer) continue;
      auto* widget = w->findChild<QWidget*>(row.name);
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
      QVERIFY2(!control->text(QAccessible::Name).isEmpty() || !control->text(QAccessible::Description).isEmpty(),
               row.name);
      const QString caption = QString::fromUtf8(row.caption);
      if (caption.isEmpty() || row.kind == ControlKind::FileList) continue;
      int room = widget->contentsRect().width();
      if (row.kind == ControlKind::Button) room -= 2 * widget->style()->pixelMetric(QStyle::PM_ButtonMargin);
      if (row.kind == ControlKind::TextBox) room = lineEditRoom(qobject_cast<QLineEdit*>(widget));
      if (row.kind == ControlKind::ComboBox) room = lineEditRoom(qobject_cast<QComboBox*>(widget)->lineEdit());
      if (qobject_cast<QGroupBox*>(widget)) room -= 12;  // the title's inset and padding
      const QFont font =
          row.kind == ControlKind::ComboBox ? qobject_cast<QComboBox*>(widget)->lineEdit()->font() : widget->font();
      QVERIFY2(QFontMetrics(font).horizontalAdvance(caption) <= room, row.name);
      if (row.kind != ControlKind::PictureButton) QVERIFY2(font.pointSizeF() >= 8.0, row.name);
    }
    // The hour list in the size of the box's text, and every hour fits the box.
    auto* hours = w->combo_zeit;
    QVERIFY(hours->view()->font().pointSizeF() >= 8.0);
    for (int i = 0; i < hours->count(); ++i)
      QVERIFY(QFontMetrics(hours->lineEdit()->font()).horizontalAdvance(hours->itemText(i)) <=
              lineEditRoom(hours->lineEdit()));
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
};

QTEST_MAIN(Form1DesktopTest)
#include "form1_desktop_test.moc"
