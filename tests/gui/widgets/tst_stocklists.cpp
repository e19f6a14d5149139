// The drive, folder and file lists: values set from code, change events raised
// inside the setter, clicks only for a user's selection.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "platform/nativepath.h"

using namespace kelvaron::platform;
using namespace kelvaron::widgets;

namespace {

void touch(const QString& path) { std::ofstream(toNativePath(path)) << "x"; }

QStringList shownNames(const FileListBox& list) {
  QStringList names;
  for (int row = 0; row < list.count(); ++row) names << list.item(row)->data(FileListBox::NameRole).toString();
  return names;
}

// A name beyond ASCII: elsewhere bytes that are not UTF-8, kept as they are;
// Windows names are UTF-16, so there a name outside the code page.
QString cafeName() {
#ifdef _WIN32
  return QString::fromUtf8("caf\xC3\xA9\xE2\x80\x94\xCE\xB1.asm.1");
#else
  return fromNativeBytes("caf\xE9.asm.1");
#endif
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
    touch(m_root + "/c/" + cafeName());
  }
  // QDir cannot remove a name that is not valid UTF-8.
  void cleanupTestCase() { std::filesystem::remove(toNativePath(m_root + "/c/" + cafeName())); }

  // No folders, no hidden files; patterns apart by ";".
  void filePattern() {
    const std::pair<QString, QStringList> cases[] = {
        {"*.asm.???", {"top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "TOP.ASM.3"}},
        {"*.*",
         {"gear.prt", "notes", "top.asm", "top.asm.1", "top.asm.12", "top.asm.123", "top.asm.1234", "TOP.ASM.3"}},
        {"*.PRT;top.asm", {"gear.prt", "top.asm"}},
    };
    for (const auto& [pattern, shown] : cases) {
      FileListBox list;
      list.setPath(m_root);
      list.setPattern(pattern);
      QCOMPARE(shownNames(list), shown);
    }
  }

  // Set from code, each list raises its change event inside the setter, and
  // only when the value changes. The file list's value: folder|file name.
  void valuesSetFromCode() {
    const QString home = QDir::cleanPath(QDir::homePath());
#ifdef _WIN32
    const QString root = home.left(3);  // "C:/"
#else
    const QString root = QStringLiteral("/");
#endif
    const QString cafe = cafeName();
    // The File, Dir or driVe list, the text set, the value it gives, the change events.
    const std::tuple<char, QString, QString, int> cases[] = {
        {'F', "%1/b/deep.asm.2", "%1/b|deep.asm.2", 1},  // a full path selects the file
        {'F', "%1/b/", "%1/b|", 1},                      // a folder moves the list
        {'F', "%1/gear.prt", "%1|", 0},                  // a file the pattern hides
        {'F', "%1/none/x.asm.1", "%1|", 0},              // a missing folder
        {'F', "TOP.ASM.3", "%1|TOP.ASM.3", 0},           // a bare name of the list
        {'F', "%1/c/" + cafe, "%1/c|" + cafe, 1},        // a name beyond ASCII keeps its characters
        {'D', "%1/b", "%1/b", 1},
        {'D', "%1/b/../c", "%1/c", 1},
        {'D', "%1", "%1", 0},
        {'D', "%1/none", "%1", 0},
        {'D', "%1/notes", "%1", 0},
        {'D', "/", "/", 1},
#ifdef _WIN32
        // The drive roots, the home folder's drive first; a folder picks its drive.
        {'V', home, root, 0},
        {'V', home.left(2), root, 0},
        {'V', "", root, 0},
#else
        // "/", then the home folder as a drive of its own.
        {'V', home, home, 1},
        {'V', home + "/", home, 1},
        {'V', "/", "/", 0},
        {'V', "", "/", 0},
#endif
    };
    for (const auto& [list, text, value, changes] : cases) {
      FileListBox files;
      files.setPattern("*.asm.???");
      files.setPath(m_root);
      DirListBox dirs;
      dirs.setPath(m_root);
      DriveListBox drives;
      QSignalSpy moved(&files, &FileListBox::pathChanged), dirChanged(&dirs, &DirListBox::changed),
          driveChanged(&drives, &DriveListBox::changed);
      if (list == 'F') files.setFileName(at(text));
      if (list == 'D') dirs.setPath(at(text));
      if (list == 'V') drives.setDrive(text);
      QCOMPARE(list == 'F'   ? files.path() + '|' + files.fileName()
               : list == 'D' ? dirs.path()
                             : drives.drive(),
               at(value));
      QCOMPARE(moved.count() + dirChanged.count() + driveChanged.count(), changes);
    }
#ifdef _WIN32
    QVERIFY(DriveListBox().drives().contains(root));
#else
    QVERIFY(DriveListBox().drives().contains(home));
#endif
  }

  // Clicks and keys select; setting the file name from code is no click. A
  // single click on a folder only selects it; double click and Enter open it.
  void userSelection() {
    FileListBox files;
    files.setPattern("*.asm.???");
    files.setPath(m_root);
    DirListBox dirs;
    dirs.setPath(m_root);
    QStringList shown{dirs.topLevelItem(0)->data(0, DirListBox::PathRole).toString()};
    for (int i = 0; i < dirs.currentFolderItem()->childCount(); ++i)
      shown << dirs.currentFolderItem()->child(i)->data(0, DirListBox::PathRole).toString();
    const QString root = m_root.left(m_root.indexOf(u'/') + 1);  // "/", or the drive's "C:/"
    QCOMPARE(shown, (QStringList{root, m_root + "/A", m_root + "/b", m_root + "/c", m_root + "/sub.asm.1"}));
    for (QWidget* list : std::initializer_list<QWidget*>{&files, &dirs}) {
      list->resize(300, 600);
      list->show();
      QVERIFY(QTest::qWaitForWindowExposed(list));
    }
    QSignalSpy clicked(&files, &FileListBox::clicked), changed(&dirs, &DirListBox::changed);
    const auto selected = [&] { return files.fileName() + ' ' + QString::number(clicked.count()); };
    files.setFocus();  // taking the focus selects nothing
    const QPoint second = files.visualItemRect(files.item(1)).center();
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, second);
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, second);  // the same file again
    QCOMPARE(selected(), QString("top.asm.1 2"));
    QTest::keyClick(files.viewport(), Qt::Key_Down);  // a move only selects
    QCOMPARE(selected(), QString("top.asm.12 2"));
    QTest::keyClick(files.viewport(), Qt::Key_Return);
    QCOMPARE(selected(), QString("top.asm.12 3"));
    files.setFileName("top.asm");
    QCOMPARE(selected(), QString("top.asm 3"));

    const QPoint b = dirs.visualItemRect(dirs.currentFolderItem()->child(1)).center();
    QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {}, b);
    QCOMPARE(dirs.path() + ' ' + QString::number(changed.count()), m_root + " 0");
    QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {}, b);
    QCOMPARE(dirs.path() + ' ' + QString::number(changed.count()), m_root + "/b 1");
    dirs.setCurrentItem(dirs.currentFolderItem()->parent());  // Enter on the parent goes up again
    QTest::keyClick(dirs.viewport(), Qt::Key_Return);
    QCOMPARE(dirs.path() + ' ' + QString::number(changed.count()), m_root + " 2");
  }

  // The volume that holds a folder: the longest root that is a leading folder.
  void volumeOfAFolder() {
    const QStringList roots{"/", "/home/u", "/media/usb", "/media/usb2"};
    const std::pair<QString, int> folders[] = {{"/media/usb", 2},   {"/media/usb2/w/x", 3}, {"/media/usbx", 0},
                                               {"/home/u/work", 1}, {"/home/user", 0},      {"media", -1}};
    for (const auto& [folder, index] : folders) QCOMPARE(DriveListBox::indexOfRootFor(roots, folder), index);
  }
};

QTEST_MAIN(TestStockLists)
#include "tst_stocklists.moc"
