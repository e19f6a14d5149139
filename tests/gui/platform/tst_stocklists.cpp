// The drive, folder and file lists: values set from code, change events raised
// inside the setter, clicks only for a user's selection.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/dirlistbox.h"
#include "platform/drivelistbox.h"
#include "platform/filelistbox.h"
#include "platform/nativepath.h"

using namespace kelvaron::platform;

namespace {

void touch(const QString& path) { std::ofstream(toNativePath(path)) << "x"; }

QStringList shownNames(const FileListBox& list) {
  QStringList names;
  for (int row = 0; row < list.count(); ++row) names << list.item(row)->data(FileListBox::NameRole).toString();
  return names;
}

}  // namespace

class TestStockLists : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_tmp;
  QString m_root;
  QString at(QString text) const { return text.replace("%1", m_root); }

 private Q_SLOTS:
  void initTestCase() {
    m_root = QDir::cleanPath(m_tmp.path());
    for (const char* name : {"top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "top.asm.1234", "TOP.ASM.3",
                             "gear.prt", "notes", ".hidden.asm.1"})
      touch(m_root + '/' + name);
    for (const char* name : {"b", "A", "c", "sub.asm.1"}) QVERIFY(QDir(m_root).mkdir(name));
    touch(m_root + "/b/deep.asm.2");
  }

  void filePattern() {
    const struct {
      QString pattern;
      QStringList shown;
    } cases[] = {
        {"*.asm.???", {"top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "TOP.ASM.3"}},
        // No folders, no hidden files.
        {"*.*", {"gear.prt", "notes", "top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "top.asm.1234", "TOP.ASM.3"}},
        {"*.PRT", {"gear.prt"}},
        {"*.prt;top.asm", {"gear.prt", "top.asm"}},
        {"*.drw", {}},
    };
    for (const auto& c : cases) {
      FileListBox list;
      list.setPath(m_root);
      list.setPattern(c.pattern);
      QCOMPARE(shownNames(list), c.shown);
    }
  }

  void fileNameFromCode() {
    const struct {
      QString text, path, fileName;
      int pathChanges;  // raised inside the setter
    } cases[] = {
        {"%1/b/deep.asm.2", "%1/b", "deep.asm.2", 1},  // full path selects the file
        {"%1/b/", "%1/b", "", 1},                      // a folder moves the list
        {"%1/gear.prt", "%1", "", 0},                  // a file the pattern hides
        {"%1/none/x.asm.1", "%1", "", 0},              // a missing folder
        {"TOP.ASM.3", "%1", "TOP.ASM.3", 0},           // a bare name of the list
    };
    for (const auto& c : cases) {
      FileListBox list;
      list.setPattern("*.asm.???");
      list.setPath(m_root);
      QSignalSpy moved(&list, &FileListBox::pathChanged);
      QSignalSpy clicked(&list, &FileListBox::clicked);
      list.setFileName(at(c.text));
      QCOMPARE(moved.count(), c.pathChanges);
      QCOMPARE(list.path(), at(c.path));
      QCOMPARE(list.fileName(), c.fileName);
      QCOMPARE(clicked.count(), 0);
    }
    // A name that is not valid UTF-8 keeps its bytes.
    QTemporaryDir tmp;
    const QString name = tmp.path() + '/' + fromNativeBytes("caf\xE9.asm.1");
    touch(name);
    FileListBox list;
    list.setFileName(name);
    QCOMPARE(toNativeBytes(list.fileName()), std::string("caf\xE9.asm.1"));
    std::filesystem::remove(toNativePath(name));
  }

  void userSelectionClicks() {
    FileListBox list;
    list.setPattern("*.asm.???");
    list.setPath(m_root);
    list.resize(200, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicked(&list, &FileListBox::clicked);
    list.setFocus();
    QCOMPARE(clicked.count(), 0);  // taking the focus selects nothing
    const QPoint second = list.visualItemRect(list.item(1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);  // the same file again
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(list.fileName(), QString("top.asm.1"));
    QTest::keyClick(list.viewport(), Qt::Key_Down);
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(list.fileName(), QString("top.asm.12"));
    list.setFileName("top.asm");
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(list.fileName(), QString("top.asm"));
  }

  void folderPath() {
    const struct {
      QString text, path;
      int changes;
    } cases[] = {
        {"%1/b", "%1/b", 1},        {"%1/b/", "%1/b", 1},  {"%1/b/../c", "%1/c", 1}, {"%1", "%1", 0},
        {"%1/none", "%1", 0},       {"%1/notes", "%1", 0}, {"/", "/", 1},            {"/../..", "/", 1},
    };
    for (const auto& c : cases) {
      DirListBox list;
      list.setPath(m_root);
      QSignalSpy changed(&list, &DirListBox::changed);
      list.setPath(at(c.text));
      QCOMPARE(changed.count(), c.changes);
      QCOMPARE(list.path(), at(c.path));
    }
  }

  void folderOpenedByUser() {
    DirListBox list;
    list.setPath(m_root);
    QCOMPARE(list.topLevelItem(0)->data(0, DirListBox::PathRole).toString(), QString("/"));
    QStringList children;
    for (int i = 0; i < list.currentFolderItem()->childCount(); ++i)
      children << list.currentFolderItem()->child(i)->data(0, DirListBox::PathRole).toString();
    QCOMPARE(children, (QStringList{m_root + "/A", m_root + "/b", m_root + "/c", m_root + "/sub.asm.1"}));

    list.resize(300, 600);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changed(&list, &DirListBox::changed);
    const QPoint b = list.visualItemRect(list.currentFolderItem()->child(1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, b);
    QCOMPARE(changed.count(), 0);  // a single click only selects
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, b);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), m_root + "/b");
    // Enter on the parent entry goes up again.
    list.setCurrentItem(list.currentFolderItem()->parent());
    QTest::keyClick(list.viewport(), Qt::Key_Return);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(list.path(), m_root);
  }

  void drives() {
    const QString home = QDir::cleanPath(QDir::homePath());
    QVERIFY(DriveListBox().drives().contains(home));
    const struct {
      QString text, drive;
      int changes;
    } cases[] = {
        {home, home, 1}, {home + "/", home, 1}, {"/", "/", 0}, {"/no/such/folder", "/", 0}, {"", "/", 0},
    };
    for (const auto& c : cases) {
      DriveListBox drives;
      QCOMPARE(drives.drive(), QString("/"));
      QSignalSpy changed(&drives, &DriveListBox::changed);
      drives.setDrive(c.text);
      QCOMPARE(changed.count(), c.changes);
      QCOMPARE(drives.drive(), c.drive);
    }
    // The volume that holds a folder: the longest root that is a leading folder.
    const QStringList roots{"/", "/home/u", "/media/usb", "/media/usb2"};
    const std::pair<QString, int> folders[] = {{"/media/usb", 2}, {"/media/usb2/w/x", 3}, {"/media/usbx", 0},
                                               {"/home/u/work", 1}, {"/home/user", 0},     {"media", -1}};
    for (const auto& [folder, index] : folders) QCOMPARE(DriveListBox::indexOfRootFor(roots, folder), index);
  }
};

QTEST_MAIN(TestStockLists)
#include "tst_stocklists.moc"
