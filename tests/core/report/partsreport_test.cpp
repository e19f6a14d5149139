#include "report/partsreport.h"

#include "common/systemcalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

using kelvaron::PathStyle;

namespace {

TEST(ReportPath, FolderRules) {
  constexpr auto W = PathStyle::Windows, P = PathStyle::Posix;
  const std::tuple<const char*, const char*, PathStyle, const char*> cases[] = {
      {R"(C:\out)", R"(C:\cad\motor.asm.3)", W, R"(C:\out\motor__Kelvaron.txt)"},
      {R"(C:\)", R"(C:\cad\motor.asm.3)", W, R"(C:\motor__Kelvaron.txt)"},
      {R"(C:\out\)", R"(C:\cad\motor.asm)", W, R"(C:\out\\motor__Kelvaron.txt)"},
      {"D:", R"(D:\x\pump.asm.1)", W, "D:pump__Kelvaron.txt"},
      {"/tmp", "/cad/motor.asm.3", P, "/tmp/motor__Kelvaron.txt"},
      {"/", "/cad/motor.asm", P, "/motor__Kelvaron.txt"},
      {"/home/u/out/", "/cad/x.y.asm.12", P, "/home/u/out/x__Kelvaron.txt"},
  };
  for (const auto& [folder, assembly, style, expected] : cases)
    EXPECT_EQ(kelvaron::reportPath(folder, assembly, style), expected);
}

class Report : public ::testing::Test {
 protected:
  QStringList entries() const {
    return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  // Writes a report of `lines` for `assembly` as `name`: the file's bytes, or the error.
  QByteArray write(const QString& name, const QString& assembly, const std::vector<std::string_view>& lines) {
    kelvaron::ReportWriter writer(m_dir.filePath(name), assembly);
    const bool existed = QFileInfo::exists(writer.path());
    for (auto line : lines) writer.addLine(line);
    EXPECT_EQ(QFileInfo::exists(writer.path()), existed) << "nothing appears before the commit";
    if (!writer.commit(QDate(2026, 12, 6))) return "error: " + writer.error().toUtf8();
    QFile f(writer.path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "unreadable";
  }
  QTemporaryDir m_dir;
};

// A report is in the system's encoding: UTF-8 here, the ANSI code page on Windows.
QByteArray systemText(const char* utf8) {
  QStringEncoder encode(QStringConverter::System);
  return encode(QString::fromUtf8(utf8));
}

TEST_F(Report, LinesAsLaidOut) {
  const QByteArray rule = QByteArray(50, '-') + "\r\n";
  const QByteArray footer = rule + "Kelvaron 2.1 - detecting Parts in Pro/ENGINEER Assemblies\r\n" +
                            QLocale::system().toString(QDate(2026, 12, 6), QLocale::ShortFormat).toUtf8() + "\r\n";
  // A lone CR precedes the list; names in the system's encoding, empty ones kept.
  EXPECT_EQ(write("m__Kelvaron.txt", "/cad/motor.asm.3", {"HEAD", "SHAFT", "", "M\xFC"}),
            "/cad/motor.asm.3\r\n" + rule + "\r\r\nHEAD\r\nSHAFT\r\n\r\n" + systemText("M\u00FC") + "\r\n" + footer);
  EXPECT_EQ(write("x__Kelvaron.txt", QString::fromUtf8("/cad/Mühle.txt"), {}),
            systemText("/cad/M\u00FChle.txt") + "\r\n" + rule + footer);
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
  EXPECT_EQ(write("missing/m__Kelvaron.txt", "/a.asm", {"X"}),
            "error: cannot write " + QFile::encodeName(m_dir.filePath("missing/m__Kelvaron.txt")) +
                ": No such file or directory");
  // A report name taken by a folder cannot be replaced, and the folder stays.
  ASSERT_TRUE(QDir().mkdir(m_dir.filePath("taken__Kelvaron.txt")));
  const QByteArray taken = write("taken__Kelvaron.txt", "/a.asm", {"X"});
  EXPECT_TRUE(
      taken.startsWith("error: cannot write " + QFile::encodeName(m_dir.filePath("taken__Kelvaron.txt")) + ": "))
      << taken.constData();
  EXPECT_EQ(entries(), QStringList{"taken__Kelvaron.txt"}) << "no temporary file left behind";
  if (kelvaron::testing::folderModesHoldBack()) {  // root writes into read-only folders regardless
    ASSERT_TRUE(QDir().mkdir(m_dir.filePath("ro")) &&
                ::chmod(QFile::encodeName(m_dir.filePath("ro")).constData(), 0555) == 0);
    EXPECT_TRUE(write("ro/a__Kelvaron.txt", "/a.asm", {}).endsWith("Permission denied"));
    ::chmod(QFile::encodeName(m_dir.filePath("ro")).constData(), 0755);
  }
}

}  // namespace
