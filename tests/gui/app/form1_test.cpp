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

// Two component records.
const QByteArray kSmallAssembly =
    "#HEAD: ASSEMBLY TOP\r\n3 3 BOLT_M8\r\n@model_type 1\r\n3 3 NUT\r\n@model_type 1\r\n";
const QString kHeading = QStringLiteral("the following parts are build in this assembly:");

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Three records, a megabyte and more apart, so the analysis yields between them.
void writeBigAssembly(const QString& path) {
  const QByteArray padding(1200 * 1024, '.');
  writeFile(path, "#HEAD\r\n3 3 FIRST\r\n@model_type 1\r\n" + padding + "\r\n3 3 SECOND\r\n@model_type 1\r\n" +
                      padding + "\r\n3 3 THIRD\r\n@model_type 1\r\n");
}

QStringList listLines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

void clickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// Clicks the file `name` in the browse panel's file list, as a user would.
bool clickFile(Form1& form, const QString& name) {
  const auto found = form.File1->findItems(name, Qt::MatchExactly);
  if (!found.isEmpty()) clickRow(form.File1, form.File1->row(found.first()));
  return !found.isEmpty();
}

QString captionOf(QWidget* widget) {
  if (auto* files = qobject_cast<platform::FileListBox*>(widget)) return files->pattern();
  for (const char* property : {"title", "currentText", "text"})
    if (widget->property(property).isValid()) return widget->property(property).toString();
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
  int m_linesAtMessage = -1;  // List_ASM's lines when the last message came
  std::unique_ptr<QTemporaryDir> m_dir;
  QTemporaryDir m_settingsDir;

  QString dir(const QString& relative = QString()) const { return m_dir->filePath(relative); }
  // A fresh window, loaded with `commandLine`.
  Form1& load(const QString& commandLine = QString()) {
    m_form = std::make_unique<Form1>();
    m_form->messageBoxHook = [this](const QString& text) {
      m_messages << text;
      m_linesAtMessage = m_form->List_ASM->count();
    };
    m_form->setCommandLine(commandLine);
    m_form->Form_Load();
    return *m_form;
  }
  // The browse panel open on `folder`, reporting into report/.
  Form1& browse(const QString& folder) {
    Form1& form = load();
    form.txt_Pfad->setText(dir("report"));
    form.show();
    form.cmd_file_Click();
    form.Dir1->setPath(folder);
    return form;
  }
  static QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron", "Kelvaron");
  }

 private Q_SLOTS:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    // Other test programs may use the test store at the same time (ctest -j).
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QCoreApplication::setApplicationName(QStringLiteral("Kelvaron"));
  }

  void init() {
    store().clear();
    m_messages.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(dir("work/sub")) && QDir().mkpath(dir("report")));
    writeFile(dir("work/top.asm.3"), kSmallAssembly);
  }

  void cleanup() { m_form.reset(); }

  void controlsMatchTheTable() {
    Form1 form;  // as created, before the start-up moves anything
    QHash<QWidget*, int> tabOf;
    for (const ControlSpec& row : form1Controls()) {
      const QString name = QString::fromUtf8(row.name);
      if (row.kind == ControlKind::Timer) continue;
      auto* widget = form.findChild<QWidget*>(name);
      QVERIFY2(widget, qPrintable(name));
      QCOMPARE(widget->parentWidget(), *row.container ? form.findChild<QWidget*>(row.container) : &form);
      QCOMPARE(widget->geometry(), QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15));
      QCOMPARE(widget->isVisibleTo(widget->parentWidget()), !row.hidden);
      if (row.kind != ControlKind::Picture && row.kind != ControlKind::DirList && row.kind != ControlKind::DriveList)
        QCOMPARE(captionOf(widget), QString::fromUtf8(row.caption));
      if (row.tab >= 0 && widget->focusPolicy() != Qt::NoFocus) tabOf.insert(widget, row.tab);
    }
    // Tab order: walk the focus chain once around, read from the lowest index on.
    QList<int> seen;
    for (QWidget* w = form.nextInFocusChain(); w != &form; w = w->nextInFocusChain())
      if (tabOf.contains(w)) seen << tabOf.value(w);
    QVERIFY(seen.size() >= 20);
    std::rotate(seen.begin(), std::min_element(seen.begin(), seen.end()), seen.end());
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(form.combo_zeit->count(), 24);
    QCOMPARE(form.combo_zeit->itemText(0) + form.combo_zeit->itemText(22) + form.combo_zeit->itemText(23),
             QStringLiteral("012300"));
  }

  void panelCommandsSwitchPanels() {
    Form1& form = load();
    form.show();
    auto state = [&] {
      QString s;
      for (QWidget* w : std::initializer_list<QWidget*>{form.Image1, form.Frame2, form.Frame3, form.Frame4,
                                                        form.Frame5, form.Frame1})
        s += w->isVisible() ? '1' : '0';
      return s;
    };
    //                          Image1 Frame2 Frame3 Frame4 Frame5 Frame1
    QCOMPARE(state(), QStringLiteral("100100"));
    QTest::mouseClick(form.cmd_opts, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000110"));
    QTest::mouseClick(form.cmd_exitdatei, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000100"));
    QTest::mouseClick(form.cmd_file, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("001100"));
    QTest::mouseClick(form.cmd_close, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000100"));
    QTest::mouseClick(form.lbl_status, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("000101"));
    // Stacking: the toolbar covers the top of the result panel; the
    // report-folder panel lies over the browse and result panels.
    form.Frame2->show();
    QWidget* hit = form.childAt(QPoint(20, 34));
    QVERIFY(hit == form.Frame4 || form.Frame4->isAncestorOf(hit));
    form.cmd_file_Click();
    form.cmd_opts_Click();
    hit = form.childAt(QPoint(100, 200));
    QVERIFY(hit == form.Frame5 || form.Frame5->isAncestorOf(hit));
  }

  void changeChainsFollowTheLists() {
    Form1& form = load();
    form.Dir1->setPath(dir("work"));
    QCOMPARE(form.File1->path() + form.lbl_Dir->text(), dir("work") + dir("work"));
    QCOMPARE(listLines(form.File1), QStringList{"top.asm.3"});
    // Another drive entry, then back to the first: the folder list follows each.
    const QStringList drives = form.Drive1->drives();
    QVERIFY(drives.size() >= 2);
    for (const QString& drive : {drives.last(), drives.first()}) {
      form.Drive1->setDrive(drive);
      QCOMPARE(form.Dir1->path() + form.lbl_Dir->text() + form.File1->path(), drive + drive + drive);
    }
    form.txt_Pfad->setText(QStringLiteral("typed by hand"));
    form.Dir2->setPath(dir("report"));
    QCOMPARE(form.txt_Pfad->text(), dir("report"));
  }

  void fileClickAnalysesAndWritesTheReport() {
    Form1& form = browse(dir("work"));
    QVERIFY(clickFile(form, "top.asm.3"));
    QCOMPARE(form.lbl_File->text(), dir("work/top.asm.3"));
    QVERIFY(!form.Frame3->isVisible() && form.Frame2->isVisible() && form.Frame4->isVisible());
    QCOMPARE(listLines(form.List_ASM), (QStringList{kHeading, "BOLT_M8", "NUT"}));
    const Component last = scanComponents(kSmallAssembly.toStdString()).back();  // positions as the core gives them
    QCOMPARE(QStringList({form.txt_P1->text(), form.Label1->text(), form.Label2->text()}),
             QStringList({"NUT", QString::number(last.nameStart), QString::number(last.end)}));
    QCOMPARE(form.Pfad->text(), dir("report/top__Kelvaron.txt"));
    QVERIFY(QFile::exists(form.Pfad->text()));
    QCOMPARE(form.lbl_status->text(), QStringLiteral("file saved"));
    QVERIFY(form.cmd_exec->isVisible() && !form.isBusy());

    // The selected line goes to the clipboard; a new analysis keeps the
    // button, and with nothing selected it copies "".
    QVERIFY(!form.cmd_partname->isVisible());
    clickRow(form.List_ASM, 1);
    QCOMPARE(form.cmd_partname->text(), QStringLiteral("BOLT_M8 to clipboard"));
    QTest::mouseClick(form.cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("BOLT_M8"));
    form.cmd_file_Click();
    QVERIFY(clickFile(form, "top.asm.3"));
    QVERIFY(form.cmd_partname->isVisible());
    QTest::mouseClick(form.cmd_partname, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());

    // The report opens while it exists, and silently not once it is gone.
    Recorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    QTest::mouseClick(form.cmd_exec, Qt::LeftButton);
    QVERIFY(QFile::remove(form.Pfad->text()));
    QTest::mouseClick(form.cmd_exec, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(dir("report/top__Kelvaron.txt"))});
  }

  void reportThatCannotBeWrittenShowsInTheStatusLine() {
    Form1& form = browse(dir("work"));
    form.txt_Pfad->setText(dir("nowhere"));
    QVERIFY(clickFile(form, "top.asm.3"));
    const QString status = form.lbl_status->text();
    QVERIFY2(status.startsWith("cannot write " + dir("nowhere/top__Kelvaron.txt") + ": "), qPrintable(status));
    QVERIFY(!form.cmd_exec->isVisible());
  }

  void rootFolderPathHasOneSeparator() {
    QString name;
    for (const QFileInfo& entry : QDir("/").entryInfoList(QDir::Files))
      if (entry.isReadable() && entry.size() < 1 << 20) name = entry.fileName();
    if (name.isEmpty()) QSKIP("no readable file in the root folder");
    Form1& form = browse("/");
    form.File1->setPattern(name);
    QVERIFY(clickFile(form, name));
    QCOMPARE(form.lbl_File->text(), "/" + name);
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
    QVERIFY(!aboutWindows().first()->isModal() && !aboutWindows().first()->parentWidget());
    form.close();
    QCOMPARE(aboutWindows().size(), 0);
  }

  void windowFit() {
    const struct {
      int left, width, screen, newLeft;
    } cases[] = {
        {2000, 8000, 9000, 1000}, {500, 8000, 9000, 500}, {1000, 8000, 9000, 1000}, {0, 8000, 6000, -2000},
        {16777216, 1, 16777216, 16777216},  // summed in single precision: 16777216 + 1 is not beyond
    };
    for (const auto& c : cases) QCOMPARE(fittedLeft(c.left, c.width, c.screen), c.newLeft);

    Form1& form = load();
    form.show();
    const QRect screen = form.screen()->geometry();
    form.resize(700, form.height());
    form.move(screen.right() - 300, 40);
    form.cmd_close_Click();
    QCOMPARE(form.frameGeometry().width(), 8000 / 15);
    QCOMPARE(form.frameGeometry().topRight(), QPoint(screen.right(), 40));
    form.move(10, 40);
    form.cmd_close_Click();
    QCOMPARE(form.frameGeometry().x(), 10);
    form.showMaximized();
    QTRY_VERIFY(form.windowState() & Qt::WindowMaximized);
    const QRect maximised = form.geometry();
    form.cmd_close_Click();
    QCOMPARE(form.geometry(), maximised);
  }

  // The first run uses the defaults; folders and a typed report folder
  // survive a restart; a saved folder deleted meanwhile is skipped quietly.
  void settingsSurviveARestart() {
    QVERIFY(QDir().mkpath(dir("gone")));
    Form1& first = load();
    QCOMPARE(first.Drive1->drive(), QStringLiteral("/"));
    QCOMPARE(QStringList({first.Dir1->path(), first.Dir2->path(), first.txt_Pfad->text()}),
             QStringList(3, QDir::homePath()));
    QVERIFY(first.Timer1->isActive() && !first.img_stop->isEnabled() && !first.img_stop->isVisibleTo(&first));
    first.Dir1->setPath(dir("work"));
    first.Dir2->setPath(dir("gone"));
    first.txt_Pfad->setText(dir("report"));  // typed, unlike Dir2
    first.combo_zeit->setEditText(QStringLiteral("07"));
    first.show();
    QTest::mouseClick(first.cmd_exit, Qt::LeftButton);
    QVERIFY(!first.isVisible() && first.isUnloaded());
    QCOMPARE(store().value("Optionen/Dir1.Path").toString(), dir("work"));
    QVERIFY(QDir(dir("gone")).removeRecursively());

    Form1& second = load();
    QCOMPARE(second.Dir1->path() + second.lbl_Dir->text(), dir("work") + dir("work"));
    QCOMPARE(second.Dir2->path(), QDir::homePath());
    QCOMPARE(second.txt_Pfad->text(), dir("report"));
    QCOMPARE(second.combo_zeit->currentText(), QStringLiteral("keine"));
    QVERIFY(m_messages.isEmpty());
  }

  void commandLineText() {
    const struct {
      QStringList arguments;
      QString path;
    } cases[] = {
        {{}, ""},
        {{"\"/w/top.asm.3\""}, "/w/top.asm.3"},
        {{"/w/top.asm.3"}, "/w/top.asm.3"},  // plain, as from a script or "Open with"
        {{"/w/my", "top.asm.3"}, "/w/my top.asm.3"},
        {{"\"/w/top.asm.3"}, "\"/w/top.asm.3"},
        {{"\""}, "\""},
        {{"x"}, "x"},
    };
    for (const auto& c : cases) QCOMPARE(commandLinePath(kelvaron::commandLineText(c.arguments)), c.path);
  }

  void commandLineStart() {
    const struct {
      QString file;  // created under work/ unless empty
      QString argument;  // %1 is the full path
      QString message;
      int parts;  // -1: the file cannot be read
    } cases[] = {
        {"top.asm.3", "\"%1\"", "", 2},
        {"top.asm.3", "%1", "", 2},
        {"TOP.ASM.3", "\"%1\"", "no assemblies !", 2},
        {"", "\"%1\"", "", -1},
    };
    for (const auto& c : cases) {
      m_messages.clear();
      const QString path = dir("work/" + (c.file.isEmpty() ? "none.asm.1" : c.file));
      if (!c.file.isEmpty()) writeFile(path, kSmallAssembly);
      store().setValue("Optionen/txt_Pfad.Text", dir("report"));
      Form1& form = load(c.argument.arg(path));
      QCOMPARE(m_messages, c.message.isEmpty() ? QStringList{} : QStringList{c.message});
      if (!c.message.isEmpty()) QCOMPARE(m_linesAtMessage, 0);  // the message comes before the analysis
      QCOMPARE(form.lbl_File->text(), path);
      QVERIFY(!form.Image1->isVisible() && form.Frame2->isVisible() && form.Frame4->isVisible());
      QCOMPARE(form.frameGeometry().width(), 8000 / 15);
      if (c.parts < 0) {
        QVERIFY(form.lbl_status->text().startsWith(QStringLiteral("cannot read ")));
        QVERIFY(!QFile::exists(path) && !form.cmd_exec->isVisible());
        continue;
      }
      QCOMPARE(form.List_ASM->count(), c.parts + 1);
      QCOMPARE(form.lbl_status->text(), QStringLiteral("file saved"));
      if (c.message.isEmpty()) QCOMPARE(form.Dir1->path(), dir("work"));
    }
  }

  void secondFileClickDuringAnAnalysisIsIgnored() {
    writeBigAssembly(dir("work/big.asm.1"));
    writeFile(dir("work/other.asm.1"), kSmallAssembly);
    Form1& form = browse(dir("work"));
    int yields = 0;
    form.yieldHook = [&] {
      if (yields++ == 0) {
        form.cmd_file_Click();  // bring the browse panel back and pick another file
        clickFile(form, "other.asm.1");
      }
    };
    QVERIFY(clickFile(form, "big.asm.1"));
    QVERIFY(yields > 0);
    QCOMPARE(form.lbl_File->text(), dir("work/big.asm.1"));
    QCOMPARE(form.List_ASM->count(), 4);
    QCOMPARE(QDir(dir("report")).entryList(QDir::Files), QStringList{"big__Kelvaron.txt"});
    // Once the first is done, the next click works again.
    form.yieldHook = nullptr;
    form.cmd_file_Click();
    QVERIFY(clickFile(form, "other.asm.1"));
    QVERIFY(QFile::exists(dir("report/other__Kelvaron.txt")));
  }

  void closingDuringAnAnalysisSavesAndLeavesNoReport() {
    writeBigAssembly(dir("work/big.asm.1"));
    Form1& form = browse(dir("work"));
    form.Dir2->setPath(dir("work/sub"));
    form.txt_Pfad->setText(dir("report"));
    form.yieldHook = [&] { form.close(); };
    QVERIFY(clickFile(form, "big.asm.1"));
    QVERIFY(form.isUnloaded());
    QCOMPARE(QDir(dir("report")).entryList(QDir::Files | QDir::Hidden), QStringList{});
    QCOMPARE(readSettings().dir2, dir("work/sub"));
    QVERIFY(form.lbl_status->text() != QStringLiteral("file saved"));
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
