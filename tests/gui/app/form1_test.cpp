// The main window on the offscreen platform: layout, browsing and analysis,
// panels, window fit, settings and the command line.

#include "app/clickablelabel.h"
#include "app/commandline.h"
#include "app/form1.h"
#include "app/form1controls.h"
#include "app/form1settings.h"
#include "app/windowfit.h"
#include "analysis/componentscan.h"
#include "platform/dirlistbox.h"
#include "platform/drivelistbox.h"
#include "platform/filelistbox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace kelvaron;

namespace {

// Two component records; the core's positions for NUT are 54 and 47.
const QByteArray kSmallAssembly =
    "#HEAD: ASSEMBLY TOP\r\n3 3 BOLT_M8\r\n@model_type 1\r\n3 3 NUT\r\n@model_type 1\r\n";
// Three records, a megabyte and more apart, so the scan yields between them.
QByteArray bigAssembly() {
  const QByteArray padding(1200 * 1024, '.');
  return "#HEAD\r\n3 3 FIRST\r\n@model_type 1\r\n" + padding + "\r\n3 3 SECOND\r\n@model_type 1\r\n" +
         padding + "\r\n3 3 THIRD\r\n@model_type 1\r\n";
}
const QString kHeading = QStringLiteral("the following parts are build in this assembly:");

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QStringList listLines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

void clickRow(QListWidget* list, int row) {
  const QRect cell = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

// Clicks the file `name` in the browse panel's file list, as a user would.
bool clickFile(Form1& form, const QString& name) {
  const auto found = form.File1->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  clickRow(form.File1, form.File1->row(found.first()));
  return true;
}

// What the caption of a control of each kind is.
QString captionOf(QWidget* widget) {
  if (auto* files = qobject_cast<platform::FileListBox*>(widget)) return files->pattern();
  if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
  return QString();
}

class Recorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls << url; }
};

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Form1> m_form;
  QStringList m_messages;
  std::unique_ptr<QTemporaryDir> m_dir;
  QTemporaryDir m_settingsDir;

  QString dir(const QString& relative = QString()) const {
    return relative.isEmpty() ? m_dir->path() : m_dir->filePath(relative);
  }
  // A fresh window, loaded (with `commandLine`), reporting into report/.
  Form1& load(const QString& commandLine = QString()) {
    m_form = std::make_unique<Form1>();
    m_form->messageBoxHook = [this](const QString& text) { m_messages << text; };
    m_form->setCommandLine(commandLine);
    m_form->Form_Load();
    return *m_form;
  }
  // The browse panel open on the folder `folder`, reporting into report/.
  Form1& browse(const QString& folder) {
    Form1& form = load();
    form.txt_Pfad->setText(dir(QStringLiteral("report")));
    form.show();
    form.cmd_file_Click();
    form.Dir1->setPath(folder);
    return form;
  }

 private Q_SLOTS:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // Other test programs may use the test store at the same time (ctest -j).
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QCoreApplication::setApplicationName(QStringLiteral("Kelvaron"));
  }

  void init() {
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kelvaron"),
              QStringLiteral("Kelvaron"))
        .clear();
    m_messages.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(dir(QStringLiteral("work/sub"))));
    QVERIFY(QDir().mkpath(dir(QStringLiteral("report"))));
    writeFile(dir(QStringLiteral("work/top.asm.3")), kSmallAssembly);
  }

  void cleanup() { m_form.reset(); }

  // ---- Layout --------------------------------------------------------------

  void controlsMatchTheTable() {
    Form1 form;  // as created, before the start-up moves anything
    for (const ControlSpec& row : form1Controls()) {
      const QString name = QString::fromUtf8(row.name);
      if (row.kind == ControlKind::Timer) {
        QVERIFY2(form.findChild<QTimer*>(name), qPrintable(name));
        continue;
      }
      auto* widget = form.findChild<QWidget*>(name);
      QVERIFY2(widget, qPrintable(name));
      const QString container = QString::fromUtf8(row.container);
      QCOMPARE(widget->parentWidget(), container.isEmpty() ? &form : form.findChild<QWidget*>(container));
      const QRect twips(row.left, row.top, row.width, row.height);
      QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
      QCOMPARE(widget->isVisibleTo(widget->parentWidget()), !row.hidden);
      if (row.kind != ControlKind::Picture && row.kind != ControlKind::DirList && row.kind != ControlKind::DriveList)
        QCOMPARE(captionOf(widget), QString::fromUtf8(row.caption));
    }
    for (const LineSpec& line : form1Lines()) {
      auto* widget = form.findChild<QFrame*>(QString::fromUtf8(line.name));
      QVERIFY(widget);
      QCOMPARE(widget->parentWidget()->objectName(), QString::fromUtf8(line.container));
    }
    QCOMPARE(form.windowTitle(), QStringLiteral("Kelvaron"));
    QCOMPARE(form.Frame4->y(), -8);
    QVERIFY(!form.txt_P1->isEnabled() && !form.P1->isEnabled());
    QStringList hours;
    for (int i = 0; i < form.combo_zeit->count(); ++i) hours << form.combo_zeit->itemText(i);
    QCOMPARE(hours.size(), 24);
    QCOMPARE(hours.first(), QStringLiteral("01"));
    QCOMPARE(hours.at(22), QStringLiteral("23"));
    QCOMPARE(hours.last(), QStringLiteral("00"));
    QVERIFY(form.combo_zeit->isEditable());
    QCOMPARE(form.Image1->pixmap().size(), QSize(294, 111));
    QCOMPARE(form.img_stop->pixmap().size(), QSize(32, 30));
    for (QPushButton* button : {form.cmd_file, form.cmd_opts, form.cmd_exec, form.cmd_exit})
      QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    QVERIFY(form.cmd_info->icon().isNull());
    QVERIFY(!form.windowIcon().isNull());
  }

  void tabOrderFollowsTheTable() {
    Form1 form;
    // Walk the focus chain once around and note each table control's tab index.
    QHash<QWidget*, int> tabOf;
    for (const ControlSpec& row : form1Controls())
      if (row.tab >= 0) tabOf.insert(form.findChild<QWidget*>(QString::fromUtf8(row.name)), row.tab);
    QList<int> seen;
    for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain())
      if (tabOf.contains(w) && w->focusPolicy() != Qt::NoFocus) seen << tabOf.value(w);
    QVERIFY(seen.size() >= 20);  // the lists, boxes and buttons
    // The chain is a ring; read it from the lowest tab index on.
    std::rotate(seen.begin(), std::min_element(seen.begin(), seen.end()), seen.end());
    QList<int> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(seen, sorted);
  }

  void panelsStackAsDesigned() {
    Form1& form = load();
    form.show();
    form.Frame2->show();
    // The toolbar covers the top of the result panel.
    QWidget* hit = form.childAt(QPoint(300 / 15, 510 / 15));
    QVERIFY(hit == form.Frame4 || form.Frame4->isAncestorOf(hit));
    // The report-folder panel lies over the browse and result panels.
    form.cmd_file_Click();
    form.cmd_opts_Click();
    hit = form.childAt(QPoint(1500 / 15, 3000 / 15));
    QVERIFY(hit == form.Frame5 || form.Frame5->isAncestorOf(hit));
    // A control in a panel moves with it.
    QCOMPARE(form.Dir1->mapTo(&form, QPoint(0, 0)).x(), 400 / 15 + 120 / 15);
  }

  // ---- Browsing and analysis ----------------------------------------------------

  void changeChainsFollowTheLists() {
    Form1& form = load();
    form.Dir1->setPath(dir(QStringLiteral("work")));
    QCOMPARE(form.File1->path(), dir(QStringLiteral("work")));
    QCOMPARE(form.lbl_Dir->text(), dir(QStringLiteral("work")));
    QCOMPARE(listLines(form.File1), QStringList{QStringLiteral("top.asm.3")});

    // Another drive entry, then back to the first: the folder list follows each.
    const QStringList drives = form.Drive1->drives();
    QVERIFY(drives.size() >= 2);
    for (const QString& drive : {drives.last(), drives.first()}) {
      form.Drive1->setDrive(drive);
      QCOMPARE(form.Dir1->path(), drive);
      QCOMPARE(form.lbl_Dir->text(), drive);
      QCOMPARE(form.File1->path(), drive);
    }

    form.txt_Pfad->setText(QStringLiteral("typed by hand"));
    form.Dir2->setPath(dir(QStringLiteral("report")));
    QCOMPARE(form.txt_Pfad->text(), dir(QStringLiteral("report")));
  }

  void fileClickAnalysesAndWritesTheReport() {
    Form1& form = browse(dir(QStringLiteral("work")));
    QVERIFY(clickFile(form, QStringLiteral("top.asm.3")));

    QCOMPARE(form.lbl_File->text(), dir(QStringLiteral("work/top.asm.3")));
    QVERIFY(!form.Frame3->isVisible());
    QVERIFY(form.Frame2->isVisible());
    QVERIFY(form.Frame4->isVisible());
    QCOMPARE(listLines(form.List_ASM), (QStringList{kHeading, QStringLiteral("BOLT_M8"), QStringLiteral("NUT")}));
    const Component last = scanComponents(kSmallAssembly.toStdString()).back();
    QCOMPARE(form.txt_P1->text(), QStringLiteral("NUT"));
    QCOMPARE(form.Label1->text(), QString::number(last.nameStart));
    QCOMPARE(form.Label2->text(), QString::number(last.end));
    const QString report = dir(QStringLiteral("report/top__Kelvaron.txt"));
    QCOMPARE(form.Pfad->text(), report);
    QVERIFY(QFile::exists(report));
    QCOMPARE(form.lbl_status->text(), QStringLiteral("file saved"));
    QVERIFY(form.cmd_exec->isVisible());
    QVERIFY(!form.isBusy());
  }

  void realSampleListsItsParts() {
    const QString samples = QStringLiteral(KELVARON_SAMPLES_DIR);
    if (!QFile::exists(samples + QStringLiteral("/control.asm")))
      QSKIP("the real sample files are not present");
    Form1& form = browse(samples);
    form.File1->setPattern(QStringLiteral("*.asm"));
    QVERIFY(clickFile(form, QStringLiteral("control.asm")));
    QCOMPARE(listLines(form.List_ASM),
             (QStringList{kHeading, QStringLiteral("CONTROL_SHROUD"), QStringLiteral("CONTROL_KNOB")}));
    QVERIFY(QFile::exists(dir(QStringLiteral("report/control__Kelvaron.txt"))));
  }

  void failuresShowInTheStatusLine_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reportFolder");
    QTest::addColumn<QString>("status");
    QTest::newRow("missing file") << "work/gone.asm.1" << "report" << "cannot read %1";
    QTest::newRow("missing report folder") << "work/top.asm.3" << "nowhere" << "cannot write %2";
  }
  void failuresShowInTheStatusLine() {
    QFETCH(QString, file);
    QFETCH(QString, reportFolder);
    QFETCH(QString, status);
    Form1& form = load();
    form.txt_Pfad->setText(dir(reportFolder));
    form.lbl_File->setText(dir(file));
    form.Kindersuche();
    const QString expected = QString(status)
                                 .replace(QStringLiteral("%1"), dir(file))
                                 .replace(QStringLiteral("%2"), dir(reportFolder + QStringLiteral("/top__Kelvaron.txt")));
    QVERIFY2(form.lbl_status->text().startsWith(expected + QStringLiteral(": ")), qPrintable(form.lbl_status->text()));
    QVERIFY(!form.cmd_exec->isVisibleTo(&form));
    QVERIFY(!QFile::exists(dir(QStringLiteral("work/gone.asm.1"))));
  }

  void rootFolderPathHasOneSeparator() {
    QString name;
    for (const QString& entry : QDir(QStringLiteral("/")).entryList(QDir::Files))
      if (QFileInfo(QStringLiteral("/") + entry).isReadable() && QFileInfo(QStringLiteral("/") + entry).size() < 1 << 20)
        name = entry;
    if (name.isEmpty()) QSKIP("no readable file in the root folder");
    Form1& form = browse(QStringLiteral("/"));
    form.File1->setPattern(name);
    QVERIFY(clickFile(form, name));
    QCOMPARE(form.lbl_File->text(), QStringLiteral("/") + name);
  }

  void copyButtonPutsTheSelectedLineOnTheClipboard() {
    Form1& form = browse(dir(QStringLiteral("work")));
    QVERIFY(clickFile(form, QStringLiteral("top.asm.3")));
    QVERIFY(!form.cmd_partname->isVisible());
    clickRow(form.List_ASM, 1);
    QVERIFY(form.cmd_partname->isVisible());
    QCOMPARE(form.cmd_partname->text(), QStringLiteral("BOLT_M8 to clipboard"));
    QTest::mouseClick(form.cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("BOLT_M8"));
    clickRow(form.List_ASM, 0);
    QCOMPARE(form.cmd_partname->text(), kHeading + QStringLiteral(" to clipboard"));

    // A new analysis leaves the button as it was; with nothing selected it copies "".
    form.cmd_file_Click();
    QVERIFY(clickFile(form, QStringLiteral("top.asm.3")));
    QVERIFY(form.cmd_partname->isVisible());
    QTest::mouseClick(form.cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
  }

  // ---- Panels and commands ---------------------------------------------------------

  void panelCommandsSwitchPanels() {
    Form1& form = load();
    form.show();
    auto state = [&] {
      QString s;
      for (QWidget* w : {static_cast<QWidget*>(form.Image1), static_cast<QWidget*>(form.Frame2), static_cast<QWidget*>(form.Frame3),
                         static_cast<QWidget*>(form.Frame4), static_cast<QWidget*>(form.Frame5), static_cast<QWidget*>(form.Frame1)})
        s += w->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
      return s;
    };
    //                  Image1 Frame2 Frame3 Frame4 Frame5 Frame1
    QCOMPARE(state(), QStringLiteral("100100"));
    form.cmd_opts_Click();
    QCOMPARE(state(), QStringLiteral("000110"));
    QTest::mouseClick(form.cmd_exitdatei, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000100"));
    QTest::mouseClick(form.cmd_file, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("001100"));
    QCOMPARE(form.Frame3->x(), 400 / 15);
    QTest::mouseClick(form.cmd_close, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000100"));
    QTest::mouseClick(form.lbl_status, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000101"));
  }

  void execButtonOpensTheReportWhileItExists() {
    Recorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    Form1& form = browse(dir(QStringLiteral("work")));
    QVERIFY(clickFile(form, QStringLiteral("top.asm.3")));
    QTest::mouseClick(form.cmd_exec, Qt::LeftButton);
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(dir(QStringLiteral("report/top__Kelvaron.txt")))});
    QVERIFY(QFile::remove(form.Pfad->text()));
    QTest::mouseClick(form.cmd_exec, Qt::LeftButton);
    QCOMPARE(recorder.urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  }

  void infoOpensOneAboutWindowThatClosesWithTheMainWindow() {
    Form1& form = load();
    form.show();
    auto aboutWindows = [] {
      QList<QWidget*> found;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("kelvaron::Form2") && w->isVisible()) found << w;
      return found;
    };
    QTest::mouseClick(form.cmd_info, Qt::LeftButton);
    QTest::mouseClick(form.cmd_info, Qt::LeftButton);
    QCOMPARE(aboutWindows().size(), 1);
    QVERIFY(!aboutWindows().first()->isModal());
    QVERIFY(aboutWindows().first()->parentWidget() == nullptr);
    form.close();
    QCOMPARE(aboutWindows().size(), 0);
  }

  // ---- Window fit ----------------------------------------------------------------

  void windowFitRule_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("newLeft");
    QTest::newRow("beyond the edge moves left") << 2000 << 8000 << 9000 << 1000;
    QTest::newRow("fits, stays") << 500 << 8000 << 9000 << 500;
    QTest::newRow("ends exactly at the edge") << 1000 << 8000 << 9000 << 1000;
    QTest::newRow("screen narrower than the window") << 0 << 8000 << 6000 << -2000;
    // The sum is taken in single precision: 16777216 + 1 is not beyond 16777216.
    QTest::newRow("single precision sum") << 16777216 << 1 << 16777216 << 16777216;
  }
  void windowFitRule() {
    QFETCH(int, left);
    QFETCH(int, width);
    QFETCH(int, screen);
    QFETCH(int, newLeft);
    QCOMPARE(fittedLeft(left, width, screen), newLeft);
  }

  void windowFitOnlyInTheNormalState_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("applies");
    QTest::newRow("normal") << int(Qt::WindowNoState) << true;
    QTest::newRow("active") << int(Qt::WindowActive) << true;
    QTest::newRow("maximised") << int(Qt::WindowMaximized) << false;
    QTest::newRow("minimised") << int(Qt::WindowMinimized) << false;
    QTest::newRow("full screen") << int(Qt::WindowFullScreen) << false;
  }
  void windowFitOnlyInTheNormalState() {
    QFETCH(int, state);
    QFETCH(bool, applies);
    QCOMPARE(windowFitApplies(Qt::WindowStates(state)), applies);
  }

  void windowFitOnTheLiveWindow() {
    Form1& form = load();
    form.show();
    const QRect screen = form.screen()->geometry();
    form.resize(700, form.height());
    form.move(screen.right() - 300, 40);
    form.cmd_close_Click();
    QCOMPARE(form.frameGeometry().width(), 8000 / 15);
    QCOMPARE(form.frameGeometry().right(), screen.right());
    QCOMPARE(form.y(), 40);

    form.move(10, 40);
    form.cmd_close_Click();
    QCOMPARE(form.frameGeometry().x(), 10);

    form.showMaximized();
    QTRY_VERIFY(form.windowState() & Qt::WindowMaximized);
    const QRect maximised = form.geometry();
    form.cmd_close_Click();
    QCOMPARE(form.geometry(), maximised);
  }

  // ---- Settings --------------------------------------------------------------------

  void firstRunUsesTheDefaults() {
    Form1& form = load();
    QCOMPARE(form.Drive1->drive(), QStringLiteral("/"));
    QCOMPARE(form.Dir1->path(), QDir::homePath());
    QCOMPARE(form.Dir2->path(), QDir::homePath());
    QCOMPARE(form.txt_Pfad->text(), QDir::homePath());
    QCOMPARE(form.Frame3->x(), 1000 / 15);
    QVERIFY(!form.img_stop->isVisibleTo(&form) && !form.img_stop->isEnabled());
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
    QVERIFY(form.Image1->isVisibleTo(&form) && !form.Frame2->isVisibleTo(&form));
  }

  void settingsSurviveARestart() {
    Form1& first = load();
    first.Dir1->setPath(dir(QStringLiteral("work")));
    first.Dir2->setPath(dir(QStringLiteral("work/sub")));
    first.txt_Pfad->setText(dir(QStringLiteral("report")));  // typed, unlike Dir2
    first.combo_zeit->setEditText(QStringLiteral("07"));
    first.show();
    QTest::mouseClick(first.cmd_exit, Qt::LeftButton);
    QVERIFY(!first.isVisible());
    QVERIFY(first.isUnloaded());
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kelvaron"), QStringLiteral("Kelvaron"));
    store.beginGroup(QStringLiteral("Optionen"));
    QCOMPARE(store.value(QStringLiteral("Dir1.Path")).toString(), dir(QStringLiteral("work")));
    QCOMPARE(store.childKeys().size(), 5);

    Form1& second = load();
    QCOMPARE(second.Dir1->path(), dir(QStringLiteral("work")));
    QCOMPARE(second.lbl_Dir->text(), dir(QStringLiteral("work")));
    QCOMPARE(second.Dir2->path(), dir(QStringLiteral("work/sub")));
    QCOMPARE(second.txt_Pfad->text(), dir(QStringLiteral("report")));
    QCOMPARE(second.combo_zeit->currentText(), QStringLiteral("keine"));
    QVERIFY(m_messages.isEmpty());
  }

  void deletedFolderIsSkippedQuietly() {
    QVERIFY(QDir().mkpath(dir(QStringLiteral("gone"))));
    Form1& first = load();
    first.Dir1->setPath(dir(QStringLiteral("gone")));
    first.close();
    QVERIFY(QDir(dir(QStringLiteral("gone"))).removeRecursively());

    // The drive step changed nothing, so the list keeps its first folder.
    Form1& second = load();
    QCOMPARE(second.Dir1->path(), QDir::homePath());
    QVERIFY(m_messages.isEmpty());
  }

  // ---- Command line ------------------------------------------------------------------

  void commandLineText_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");
    QTest::newRow("none") << QStringList{} << "";
    QTest::newRow("quoted") << QStringList{"\"/w/top.asm.3\""} << "/w/top.asm.3";
    QTest::newRow("plain") << QStringList{"/w/top.asm.3"} << "/w/top.asm.3";
    QTest::newRow("split by the shell") << QStringList{"/w/my", "top.asm.3"} << "/w/my top.asm.3";
    QTest::newRow("quote at one end only") << QStringList{"\"/w/top.asm.3"} << "\"/w/top.asm.3";
    QTest::newRow("one quote") << QStringList{"\""} << "\"";
    QTest::newRow("one character") << QStringList{"x"} << "x";
  }
  void commandLineText() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);
    QCOMPARE(commandLinePath(kelvaron::commandLineText(arguments)), path);
  }

  void commandLineStart_data() {
    QTest::addColumn<QString>("file");     // created under work/ unless empty
    QTest::addColumn<QString>("argument");  // %1 is the full path
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("parts");         // -1: the file cannot be read
    QTest::newRow("quoted") << "top.asm.3" << "\"%1\"" << "" << 2;
    QTest::newRow("plain") << "top.asm.3" << "%1" << "" << 2;
    QTest::newRow("upper-case extension") << "TOP.ASM.3" << "\"%1\"" << "no assemblies !" << 2;
    QTest::newRow("missing file") << "" << "\"%1\"" << "" << -1;
  }
  void commandLineStart() {
    QFETCH(QString, file);
    QFETCH(QString, argument);
    QFETCH(QString, message);
    QFETCH(int, parts);
    const QString path = dir(QStringLiteral("work/") + (file.isEmpty() ? QStringLiteral("none.asm.1") : file));
    if (!file.isEmpty()) writeFile(path, kSmallAssembly);
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kelvaron"), QStringLiteral("Kelvaron"))
        .setValue(QStringLiteral("Optionen/txt_Pfad.Text"), dir(QStringLiteral("report")));
    // The message comes before the analysis.
    int linesAtMessage = -1;
    m_form = std::make_unique<Form1>();
    m_form->messageBoxHook = [&](const QString& text) {
      m_messages << text;
      linesAtMessage = m_form->List_ASM->count();
    };
    m_form->setCommandLine(argument.arg(path));
    m_form->Form_Load();
    Form1& form = *m_form;

    QCOMPARE(m_messages, message.isEmpty() ? QStringList{} : QStringList{message});
    if (!message.isEmpty()) QCOMPARE(linesAtMessage, 0);
    QCOMPARE(form.lbl_File->text(), path);
    QVERIFY(!form.Image1->isVisible());
    QVERIFY(form.Frame2->isVisible() && form.Frame4->isVisible());
    QCOMPARE(form.frameGeometry().width(), 8000 / 15);
    if (parts < 0) {
      QVERIFY(form.lbl_status->text().startsWith(QStringLiteral("cannot read ")));
      QVERIFY(!QFile::exists(path));
      QVERIFY(!form.cmd_exec->isVisible());
      return;
    }
    QCOMPARE(form.List_ASM->count(), parts + 1);
    QCOMPARE(form.lbl_status->text(), QStringLiteral("file saved"));
    if (message.isEmpty()) QCOMPARE(form.Dir1->path(), dir(QStringLiteral("work")));
  }

  // ---- Re-entry and closing ---------------------------------------------------------------

  void secondFileClickDuringAnAnalysisIsIgnored() {
    writeFile(dir(QStringLiteral("work/big.asm.1")), bigAssembly());
    writeFile(dir(QStringLiteral("work/other.asm.1")), kSmallAssembly);
    Form1& form = browse(dir(QStringLiteral("work")));
    int yields = 0;
    form.yieldHook = [&] {
      if (yields++ == 0) {
        form.cmd_file_Click();  // bring the browse panel back and pick another file
        clickFile(form, QStringLiteral("other.asm.1"));
      }
    };
    QVERIFY(clickFile(form, QStringLiteral("big.asm.1")));
    QVERIFY(yields > 0);
    QCOMPARE(form.lbl_File->text(), dir(QStringLiteral("work/big.asm.1")));
    QCOMPARE(form.List_ASM->count(), 4);
    QVERIFY(QFile::exists(dir(QStringLiteral("report/big__Kelvaron.txt"))));
    QVERIFY(!QFile::exists(dir(QStringLiteral("report/other__Kelvaron.txt"))));
    // Once the first is done, the next click works again.
    form.yieldHook = nullptr;
    form.cmd_file_Click();
    QVERIFY(clickFile(form, QStringLiteral("other.asm.1")));
    QVERIFY(QFile::exists(dir(QStringLiteral("report/other__Kelvaron.txt"))));
  }

  void closingDuringAnAnalysisSavesAndLeavesNoReport() {
    writeFile(dir(QStringLiteral("work/big.asm.1")), bigAssembly());
    Form1& form = browse(dir(QStringLiteral("work")));
    form.Dir2->setPath(dir(QStringLiteral("work/sub")));
    form.txt_Pfad->setText(dir(QStringLiteral("report")));
    form.yieldHook = [&] { form.close(); };
    QVERIFY(clickFile(form, QStringLiteral("big.asm.1")));
    QVERIFY(form.isUnloaded());
    QCOMPARE(QDir(dir(QStringLiteral("report"))).entryList(QDir::Files | QDir::Hidden), QStringList{});
    QCOMPARE(readSettings().dir2, dir(QStringLiteral("work/sub")));
    QVERIFY(form.lbl_status->text() != QStringLiteral("file saved"));
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
