// The drive, folder and file lists: values set from code, change events raised
// inside the setter, clicks only for a user's selection.

#include <QDir>
#include <QFile>
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

void touch(const QString& path) {
  std::ofstream(toNativePath(path)) << "x";
}

QStringList shownNames(const FileListBox& list) {
  QStringList names;
  for (int row = 0; row < list.count(); ++row) {
    names.append(list.item(row)->data(FileListBox::NameRole).toString());
  }
  return names;
}

QStringList childPaths(const DirListBox& list) {
  QStringList paths;
  QTreeWidgetItem* current = list.currentFolderItem();
  for (int i = 0; i < current->childCount(); ++i) {
    paths.append(current->child(i)->data(0, DirListBox::PathRole).toString());
  }
  return paths;
}

}  // namespace

class TestStockLists : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_tmp;
  QString m_root;

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(m_tmp.isValid());
    m_root = QDir::cleanPath(m_tmp.path());
    for (const char* name : {"top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "top.asm.1234",
                             "TOP.ASM.3", "gear.prt", "notes", ".hidden.asm.1"}) {
      touch(m_root + '/' + QLatin1String(name));
    }
    for (const char* name : {"b", "A", "c", "sub.asm.1"}) QVERIFY(QDir(m_root).mkdir(name));
    touch(m_root + "/b/deep.asm.2");
  }

  void filePattern_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("versioned, plain top.asm too")
        << "*.asm.???"
        << QStringList{"top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "TOP.ASM.3"};
    QTest::newRow("all files, no folders or hidden")
        << "*.*"
        << QStringList{"gear.prt", "notes", "top.asm", "top.asm.1", "top.asm.12",
                       "top.asm.123", "top.asm.1234", "TOP.ASM.3"};
    QTest::newRow("one extension") << "*.PRT" << QStringList{"gear.prt"};
    QTest::newRow("two patterns") << "*.prt;top.asm" << QStringList{"gear.prt", "top.asm"};
    QTest::newRow("nothing") << "*.drw" << QStringList{};
  }
  void filePattern() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    FileListBox list;
    list.setPath(m_root);
    list.setPattern(pattern);
    QCOMPARE(shownNames(list), expected);
  }

  void fileNameFromCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("pathChanges");
    QTest::newRow("full path selects the file") << "%1/b/deep.asm.2" << "%1/b" << "deep.asm.2" << 1;
    QTest::newRow("folder path moves the list") << "%1/b" << "%1/b" << "" << 1;
    QTest::newRow("folder path with separator") << "%1/b/" << "%1/b" << "" << 1;
    QTest::newRow("file the pattern hides") << "%1/gear.prt" << "%1" << "" << 0;
    QTest::newRow("missing folder") << "%1/none/x.asm.1" << "%1" << "" << 0;
    QTest::newRow("bare name of the list") << "TOP.ASM.3" << "%1" << "TOP.ASM.3" << 0;
  }
  void fileNameFromCode() {
    QFETCH(QString, text);
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(int, pathChanges);
    FileListBox list;
    list.setPattern("*.asm.???");
    list.setPath(m_root);
    QSignalSpy moved(&list, &FileListBox::pathChanged);
    QSignalSpy clicked(&list, &FileListBox::clicked);
    list.setFileName(text.replace("%1", m_root));
    QCOMPARE(moved.count(), pathChanges);  // raised inside the setter
    QCOMPARE(list.path(), path.replace("%1", m_root));
    QCOMPARE(list.fileName(), fileName);
    QCOMPARE(clicked.count(), 0);
  }

  void fileNameKeepsInvalidBytes() {
    QTemporaryDir tmp;
    const QString name = fromNativeBytes("caf\xE9.asm.1");
    touch(tmp.path() + '/' + name);
    FileListBox list;
    list.setPattern("*.asm.???");
    list.setFileName(tmp.path() + '/' + name);
    QCOMPARE(toNativeBytes(list.fileName()), std::string("caf\xE9.asm.1"));
    std::filesystem::remove(toNativePath(tmp.path() + '/' + name));
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
    auto clickRow = [&](int row) {
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                        list.visualItemRect(list.item(row)).center());
    };
    clickRow(1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(list.fileName(), QString("top.asm.1"));
    clickRow(1);  // the same file again
    QCOMPARE(clicked.count(), 2);
    QTest::keyClick(list.viewport(), Qt::Key_Down);
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(list.fileName(), QString("top.asm.12"));
    list.setFileName("top.asm");
    QCOMPARE(clicked.count(), 3);
    QCOMPARE(list.fileName(), QString("top.asm"));
  }

  void folderPath_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("changes");
    QTest::newRow("subfolder") << "%1/b" << "%1/b" << 1;
    QTest::newRow("closing separator dropped") << "%1/b/" << "%1/b" << 1;
    QTest::newRow("dot-dot resolved") << "%1/b/../c" << "%1/c" << 1;
    QTest::newRow("same folder") << "%1" << "%1" << 0;
    QTest::newRow("missing folder") << "%1/none" << "%1" << 0;
    QTest::newRow("a file") << "%1/notes" << "%1" << 0;
    QTest::newRow("root") << "/" << "/" << 1;
    QTest::newRow("above the root") << "/../.." << "/" << 1;
  }
  void folderPath() {
    QFETCH(QString, text);
    QFETCH(QString, path);
    QFETCH(int, changes);
    DirListBox list;
    list.setPath(m_root);
    QSignalSpy changed(&list, &DirListBox::changed);
    list.setPath(text.replace("%1", m_root));
    QCOMPARE(changed.count(), changes);
    QCOMPARE(list.path(), path.replace("%1", m_root));
  }

  void folderEntriesShowChainAndSubfolders() {
    DirListBox list;
    list.setPath(m_root);
    QTreeWidgetItem* top = list.topLevelItem(0);
    QCOMPARE(list.topLevelItemCount(), 1);
    QCOMPARE(top->data(0, DirListBox::PathRole).toString(), QString("/"));
    QCOMPARE(list.currentFolderItem()->data(0, DirListBox::PathRole).toString(), m_root);
    QCOMPARE(list.currentFolderItem()->font(0).bold(), true);
    QCOMPARE(childPaths(list), (QStringList{m_root + "/A", m_root + "/b", m_root + "/c",
                                            m_root + "/sub.asm.1"}));
  }

  void folderOpenedByUser() {
    DirListBox list;
    list.setPath(m_root);
    list.resize(300, 600);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changed(&list, &DirListBox::changed);

    QTreeWidgetItem* b = list.currentFolderItem()->child(1);
    const QPoint at = list.visualItemRect(b).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(changed.count(), 0);  // a single click only selects
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.path(), m_root + "/b");

    // Enter on the parent entry goes up again.
    list.setCurrentItem(list.currentFolderItem()->parent());
    QTest::keyClick(list.viewport(), Qt::Key_Return);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(list.path(), m_root);
  }

  void driveEntries() {
    DriveListBox drives;
    QVERIFY(drives.drives().contains("/"));
    QVERIFY(drives.drives().contains(QDir::cleanPath(QDir::homePath())));
    QCOMPARE(drives.drives().removeDuplicates(), 0);
    QCOMPARE(drives.drive(), QString("/"));
  }

  void driveFromCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<int>("changes");
    const QString home = QDir::cleanPath(QDir::homePath());
    QTest::newRow("home folder") << home << home << 1;
    QTest::newRow("home with separator") << home + "/" << home << 1;
    QTest::newRow("root stays") << "/" << "/" << 0;
    QTest::newRow("missing folder") << "/no/such/folder" << "/" << 0;
    QTest::newRow("empty text") << "" << "/" << 0;
  }
  void driveFromCode() {
    QFETCH(QString, text);
    QFETCH(QString, drive);
    QFETCH(int, changes);
    DriveListBox drives;
    QSignalSpy changed(&drives, &DriveListBox::changed);
    drives.setDrive(text);
    QCOMPARE(changed.count(), changes);
    QCOMPARE(drives.drive(), drive);
  }

  void driveForFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("index");
    QTest::newRow("volume root") << "/media/usb" << 2;
    QTest::newRow("inside the longer root") << "/media/usb2/w/x" << 3;
    QTest::newRow("name prefix is no folder prefix") << "/media/usbx" << 0;
    QTest::newRow("below home") << "/home/u/work" << 1;
    QTest::newRow("home's sibling") << "/home/user" << 0;
    QTest::newRow("relative text") << "media" << -1;
  }
  void driveForFolder() {
    QFETCH(QString, folder);
    QFETCH(int, index);
    const QStringList roots{"/", "/home/u", "/media/usb", "/media/usb2"};
    QCOMPARE(DriveListBox::indexOfRootFor(roots, folder), index);
  }

  void changeChainRunsInsideTheAssignment() {
    // The browse panel's wiring: drive -> folder -> file list.
    DriveListBox drives;
    DirListBox dirs;
    FileListBox files;
    files.setPattern("*.asm.???");
    connect(&drives, &DriveListBox::changed, &dirs, [&] { dirs.setPath(drives.drive()); });
    connect(&dirs, &DirListBox::changed, &files, [&] { files.setFileName(dirs.path()); });

    dirs.setPath(m_root + "/b");
    QCOMPARE(files.path(), m_root + "/b");
    QCOMPARE(shownNames(files), QStringList{"deep.asm.2"});

    drives.setDrive(QDir::homePath());
    QCOMPARE(dirs.path(), QDir::cleanPath(QDir::homePath()));
    QCOMPARE(files.path(), QDir::cleanPath(QDir::homePath()));
  }
};

QTEST_MAIN(TestStockLists)
#include "tst_stocklists.moc"
