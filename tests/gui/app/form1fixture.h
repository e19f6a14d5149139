#pragma once
// What the main window's tests share: a settings store of their own, folder
// trees of assembly files, and a window loaded as the program starts it, with
// its message boxes answered and its clock in the test's hand.

#include "app/clickablelabel.h"
#include "app/form1.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <tuple>

namespace kelvaron::test {

// Other test programs may use the test store at the same time (ctest -j), so
// each program keeps its settings in a folder of its own. Call first.
inline void isolateSettings() {
  static QTemporaryDir folder;
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
}

inline QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron", "Kelvaron"); }

inline QStringList lines(const QListWidget* list) {
  QStringList result;
  for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
  return result;
}

inline void clickRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// The report file names of the assemblies `names`, sorted.
inline QStringList reportsOf(QStringList names) {
  for (QString& name : names) name += QStringLiteral("__Kelvaron.txt");
  names.sort();
  return names;
}

// A temporary folder tree of assemblies, with an empty report/ beside them.
struct Tree {
  QTemporaryDir dir;
  QString root = dir.path() + '/';
  QString reports = root + "report";

  explicit Tree(const QStringList& names = {}) {
    QDir().mkpath(reports);
    for (const QString& name : names) assembly(name);
  }
  // The parts BOLT_M8 and NUT; a large one has a third, LAST, 2.4 MB further
  // on, so its analysis yields on the way.
  void assembly(const QString& rel, bool large = false) const {
    QByteArray bytes = "#HEAD: ASSEMBLY TOP\r\n3 3 BOLT_M8\r\n@model_type 1\r\n3 3 NUT\r\n@model_type 1\r\n";
    file(rel, large ? bytes + QByteArray(2400 * 1024, '.') + "\r\n3 3 LAST\r\n@model_type 1\r\n" : bytes);
  }
  void file(const QString& rel, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(root + rel).absolutePath());
    QFile out(root + rel);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  }
  QStringList reportFiles() const { return QDir(reports).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

// One window as the program starts it with `commandLine`.
struct Window {
  QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(7, 30, 0));
  QStringList messages;
  int linesAtMessage = -1;  // List_ASM's lines when the last message came
  std::unique_ptr<Form1> form = std::make_unique<Form1>();

  explicit Window(const QString& commandLine = {}) {
    form->testHooks.messageBox = [this](const QString& text) {
      messages << text;
      linesAtMessage = form->List_ASM->count();
    };
    form->testHooks.clock = [this] { return now; };
    form->setCommandLine(commandLine);
    form->Form_Load();
  }
  Form1* operator->() const { return form.get(); }

  // The browse panel open on `folder`, reporting into `reports`.
  void browse(const QString& folder, const QString& reports) const {
    form->txt_Pfad->setText(reports);
    form->show();
    form->cmd_file_Click();
    form->Dir1->setPath(folder);
  }
  // Clicks the file `name` in the browse panel's file list, as a user would,
  // bringing the panel up first.
  bool clickFile(const QString& name) const {
    form->cmd_file_Click();
    const auto found = form->File1->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty()) clickRow(form->File1, form->File1->row(found.first()));
    return !found.isEmpty();
  }
  // Shown and the active window, as keyboard shortcuts need.
  void activate() const {
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
  }
  bool walking() const { return form->img_stop->isEnabled(); }
  // One tick of Timer1; a scan it arms starts as soon as the tick is over.
  void tick() const {
    form->Timer1_Timer();
    QCoreApplication::processEvents();
  }
};

}  // namespace kelvaron::test
