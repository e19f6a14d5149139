#include "report/partsreport.h"

#include "analysis/componentscan.h"

#include <QDir>
#include <QFile>
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

TEST(ReportFormat, LinesAsLaidOut) {
  const QDate date(2026, 12, 6);
  const QByteArray dateText = QLocale::system().toString(date, QLocale::ShortFormat).toUtf8();
  const QByteArray rule(50, '-');

  const QByteArray full = kelvaron::formatReport("/cad/motor.asm.3",
                                                 {kelvaron::kHeadingLine, "SHAFT", ""}, date);
  const auto lines = crlfLines(full);
  ASSERT_EQ(lines.size(), 9);
  EXPECT_EQ(lines[0], "/cad/motor.asm.3");
  EXPECT_EQ(lines[1], rule);
  EXPECT_EQ(lines[2], "\r") << "a lone CR precedes the list";
  EXPECT_TRUE(full.contains(rule + "\r\n\r\r\n" + kelvaron::kHeadingLine));
  EXPECT_EQ(lines[3], kelvaron::kHeadingLine);
  EXPECT_EQ(lines[4], "SHAFT");
  EXPECT_EQ(lines[5], "") << "empty names are empty lines";
  EXPECT_EQ(lines[6], rule);
  EXPECT_TRUE(lines[7].startsWith("Kelvaron "));
  EXPECT_EQ(lines[8], dateText);

  const auto empty = crlfLines(kelvaron::formatReport("/cad/x.txt", {}, date));
  ASSERT_EQ(empty.size(), 5);
  EXPECT_EQ(empty[1], rule);
  EXPECT_EQ(empty[2], rule);
  EXPECT_EQ(empty[4], dateText);
}

TEST(ReportFormat, TextInTheSystemEncoding) {
  const QByteArray bytes = kelvaron::formatReport(QString::fromUtf8("/cad/Mühle.asm"),
                                                  {kelvaron::kHeadingLine, QString::fromUtf8("DÜSE")}, QDate(2026, 1, 2));
  EXPECT_TRUE(bytes.startsWith("/cad/M\xC3\xBChle.asm\r\n"));
  EXPECT_TRUE(bytes.contains("\r\nD\xC3\x9CSE\r\n"));
}

class SaveReport : public ::testing::Test {
 protected:
  QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot); }
  QTemporaryDir m_dir;
};

TEST_F(SaveReport, WritesAndReplaces) {
  const QString path = m_dir.filePath("motor__Kelvaron.txt");
  QString error;
  ASSERT_TRUE(kelvaron::saveReport(path, "first\r\n", &error)) << error.toStdString();
  ASSERT_TRUE(kelvaron::saveReport(path, "second\r\n", &error)) << error.toStdString();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "second\r\n");
  EXPECT_EQ(entries(), QStringList{"motor__Kelvaron.txt"}) << "no temporary file left behind";
}

TEST_F(SaveReport, FailuresNameThePathAndLeaveNothing) {
  const QString inMissing = m_dir.filePath("missing/motor__Kelvaron.txt");
  QString error;
  EXPECT_FALSE(kelvaron::saveReport(inMissing, "x", &error));
  EXPECT_EQ(error, "cannot write " + inMissing + ": No such file or directory");

  // A report name taken by a folder cannot be replaced.
  const QString taken = m_dir.filePath("taken__Kelvaron.txt");
  ASSERT_TRUE(QDir().mkdir(taken));
  EXPECT_FALSE(kelvaron::saveReport(taken, "x", &error));
  EXPECT_TRUE(error.startsWith("cannot write " + taken + ": ")) << error.toStdString();
  EXPECT_EQ(entries(), QStringList{"taken__Kelvaron.txt"}) << "no temporary file left behind";

  if (::geteuid() != 0) {  // root writes into read-only folders regardless
    const QString ro = m_dir.filePath("ro");
    ASSERT_TRUE(QDir().mkdir(ro));
    ::chmod(QFile::encodeName(ro).constData(), 0555);
    EXPECT_FALSE(kelvaron::saveReport(ro + "/a__Kelvaron.txt", "x", &error));
    EXPECT_TRUE(error.endsWith("Permission denied")) << error.toStdString();
    ::chmod(QFile::encodeName(ro).constData(), 0755);
  }
}

TEST_F(SaveReport, StreamedReportHasTheSameBytes) {
  const QDate date(2026, 3, 4);
  const QStringList lines{kelvaron::kHeadingLine, "SHAFT", QString::fromUtf8("M\u00fcHLE"), ""};
  const QString path = m_dir.filePath("s__Kelvaron.txt");
  kelvaron::ReportWriter writer;
  QString error;
  ASSERT_TRUE(writer.open(path, "/cad/s.asm", true, &error)) << error.toStdString();
  writer.addEntry(lines[0]);
  writer.addEntry(std::string_view("SHAFT"));
  writer.addEntry(std::string_view("M\xFCHLE"));
  writer.addEntry(std::string_view(""));
  EXPECT_FALSE(QFile::exists(path)) << "nothing appears before the commit";
  ASSERT_TRUE(writer.commit(date, &error)) << error.toStdString();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), kelvaron::formatReport("/cad/s.asm", lines, date));

  kelvaron::ReportWriter dropped;
  ASSERT_TRUE(dropped.open(m_dir.filePath("d__Kelvaron.txt"), "/cad/d.asm", false, &error));
  dropped.abort();
  EXPECT_EQ(entries(), QStringList{"s__Kelvaron.txt"}) << "an aborted report leaves nothing";
}

}  // namespace
