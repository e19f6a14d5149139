// kelvaron-cli on Windows: names beyond the ANSI code page reach it whole
// through the wide command line, "/" and "\" mix in one path, and names Windows
// takes for devices or other files are refused by name, with nothing written.
// One run holds every case: under Wine each start of a program costs a second.

#include "cli_testenv.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace kelvaron::clitest {
namespace {

using CliWindows = CliTest;

TEST_F(CliWindows, WideNamesMixedSeparatorsAndNamesWindowsRefuses) {
  const QString wide = QStringLiteral("syst\u00E8me_cha\u00EEne \u90E8\u54C1.asm.1");
  put(wide, assemblyBytes({"A1", "A2"}));
  put("sub/inner/b.asm", assemblyBytes({"B1"}));
  const auto r = run({"--json", "--report-dir", rep(), wide, "sub/inner\\b.asm", "con.asm", "c.asm.", "d.asm:x"});
  EXPECT_EQ(r.exitCode, 1);
  const QList<QByteArray> lines = r.out.split('\n');
  ASSERT_GE(lines.size(), 2) << r.out.constData();
  const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
  EXPECT_TRUE(first["file"].toString().endsWith(wide)) << lines[0].constData();
  EXPECT_EQ(first["parts"].toVariant().toStringList(), (QStringList{"A1", "A2"}));
  const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
  EXPECT_TRUE(second["file"].toString().endsWith(QStringLiteral("sub\\inner\\b.asm"))) << lines[1].constData();
  EXPECT_EQ(second["parts"].toVariant().toStringList(), QStringList{"B1"});
  const QString err = QString::fromUtf8(r.err);
  for (const char* refused : {"\"con.asm\" is a device name on Windows", "\"c.asm.\" ends in a dot or a space",
                              "\"d.asm:x\" names a stream of a file"})
    EXPECT_TRUE(err.contains(QString::fromUtf8(refused))) << refused << "\n" << r.err.constData();
  // The reports of the two readable files, each directly in the report folder.
  EXPECT_EQ(entries(rep()), (QStringList{"b__Kelvaron.txt", wide.section(u'.', 0, 0) + "__Kelvaron.txt"}));
  EXPECT_EQ(entries(path("sub/inner")), QStringList{"b.asm"});
}

}  // namespace
}  // namespace kelvaron::clitest
