#include "report/partsreport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using kelvaron::PathStyle;

namespace {

TEST(ReportPath, FolderRules) {
  struct Case {
    const char* folder;
    const char* assembly;
    PathStyle style;
    const char* expected;
  } const cases[] = {
      {R"(C:\out)", R"(C:\cad\motor.asm.3)", PathStyle::Windows, R"(C:\out\motor__Kelvaron.txt)"},
      {R"(C:\)", R"(C:\cad\motor.asm.3)", PathStyle::Windows, R"(C:\motor__Kelvaron.txt)"},
      {R"(C:\out\)", R"(C:\cad\motor.asm)", PathStyle::Windows, R"(C:\out\\motor__Kelvaron.txt)"},
      {"D:", R"(D:\x\pump.asm.1)", PathStyle::Windows, "D:pump__Kelvaron.txt"},
      {"/tmp", "/cad/motor.asm.3", PathStyle::Posix, "/tmp/motor__Kelvaron.txt"},
      {"/", "/cad/motor.asm", PathStyle::Posix, "/motor__Kelvaron.txt"},
      {"/home/u/out/", "/cad/motor.asm.12", PathStyle::Posix, "/home/u/out/motor__Kelvaron.txt"},
      {"/a", "/cad/x.y.asm.2", PathStyle::Posix, "/a/x__Kelvaron.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(kelvaron::reportPath(c.folder, c.assembly, c.style), QString::fromUtf8(c.expected));
  }
}

QList<QByteArray> crlfLines(const QByteArray& bytes) {
  EXPECT_TRUE(bytes.endsWith("\r\n"));
  QList<QByteArray> lines = bytes.split('\n');
  lines.removeLast();  // after the final LF
  for (auto& l : lines) {
    EXPECT_TRUE(l.endsWith('\r')) << "every line ends in CR LF";
    l.chop(1);
  }
  return lines;
}

class Report : public ::testing::Test {
 protected:
  QStringList entries() const {
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
  }
  // Writes a report of `lines` for `assembly` as `name`; the file's bytes, or the error.
  QByteArray write(const QString& name, const QString& assembly, const std::vector<std::string_view>& lines,
                   QString* error = nullptr) {
    kelvaron::ReportWriter writer(m_dir.filePath(name), assembly);
    const bool existed = QFileInfo::exists(writer.path());
    for (auto line : lines) writer.addLine(line);
    EXPECT_EQ(QFileInfo::exists(writer.path()), existed) << "nothing appears before the commit";
    if (!writer.commit(m_date)) {
      if (error) *error = writer.error();
      return {};
    }
    QFile f(writer.path());
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }
  QTemporaryDir m_dir;
  const QDate m_date{2026, 12, 6};
};

TEST_F(Report, LinesAsLaidOut) {
  const QByteArray dateText = QLocale::system().toString(m_date, QLocale::ShortFormat).toUtf8();
  const QByteArray rule(50, '-');

  const QByteArray full = write("m__Kelvaron.txt", "/cad/motor.asm.3", {"HEAD", "SHAFT", "", "M\xFC"});
  const auto lines = crlfLines(full);
  ASSERT_EQ(lines.size(), 10);
  EXPECT_EQ(lines[0], "/cad/motor.asm.3");
  EXPECT_EQ(lines[1], rule);
  EXPECT_EQ(lines[2], "\r") << "a lone CR precedes the list";
  EXPECT_EQ(lines.mid(3, 4), (QList<QByteArray>{"HEAD", "SHAFT", "", "M\xC3\xBC"}))
      << "names in UTF-8, empty ones kept";
  EXPECT_EQ(lines[7], rule);
  EXPECT_EQ(lines[8], "Kelvaron 2.1 - detecting Parts in Pro/ENGINEER Assemblies");
  EXPECT_EQ(lines[9], dateText);

  const auto empty = crlfLines(write("x__Kelvaron.txt", QString::fromUtf8("/cad/Mühle.txt"), {}));
  ASSERT_EQ(empty.size(), 5);
  EXPECT_EQ(empty[0], "/cad/M\xC3\xBChle.txt");
  EXPECT_EQ(empty[1], rule);
  EXPECT_EQ(empty[2], rule);
  EXPECT_EQ(empty[4], dateText);
}

TEST_F(Report, ReplacesAndLeavesNoTemporaryFile) {
  write("motor__Kelvaron.txt", "/a.asm", {"FIRST"});
  EXPECT_TRUE(write("motor__Kelvaron.txt", "/a.asm", {"SECOND"}).contains("\r\nSECOND\r\n"));
  kelvaron::ReportWriter dropped(m_dir.filePath("d__Kelvaron.txt"), "/cad/d.asm");
  dropped.addLine("X");
  dropped.abort();
  EXPECT_EQ(entries(), QStringList{"motor__Kelvaron.txt"}) << "no temporary file left behind";
}

TEST_F(Report, FailuresNameThePathAndLeaveNothing) {
  const QString inMissing = m_dir.filePath("missing/motor__Kelvaron.txt");
  QString error;
  EXPECT_TRUE(write("missing/motor__Kelvaron.txt", "/a.asm", {"X"}, &error).isEmpty());
  EXPECT_EQ(error, "cannot write " + inMissing + ": No such file or directory");

  // A report name taken by a folder cannot be replaced.
  const QString taken = m_dir.filePath("taken__Kelvaron.txt");
  ASSERT_TRUE(QDir().mkdir(taken));
  EXPECT_TRUE(write("taken__Kelvaron.txt", "/a.asm", {"X"}, &error).isEmpty());
  EXPECT_TRUE(error.startsWith("cannot write " + taken + ": ")) << error.toStdString();
  EXPECT_EQ(entries(), QStringList{"taken__Kelvaron.txt"}) << "no temporary file left behind";

  if (::geteuid() != 0) {  // root writes into read-only folders regardless
    ASSERT_TRUE(QDir().mkdir(m_dir.filePath("ro")));
    ::chmod(QFile::encodeName(m_dir.filePath("ro")).constData(), 0555);
    EXPECT_TRUE(write("ro/a__Kelvaron.txt", "/a.asm", {}, &error).isEmpty());
    EXPECT_TRUE(error.endsWith("Permission denied")) << error.toStdString();
    ::chmod(QFile::encodeName(m_dir.filePath("ro")).constData(), 0755);
  }
}

}  // namespace
