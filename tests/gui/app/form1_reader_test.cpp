// The window on files the format reader reads: a Creo assembly's UTF-8 names
// in the list and the report, and a damaged one's fallback in the status line.

#include "form1fixture.h"

using namespace kelvaron;
using namespace kelvaron::test;

namespace {

const QString kHeading = QStringLiteral("the following parts are build in this assembly:");

QByteArray sampleBytes(const char* name) {
  QFile f(QStringLiteral(KELVARON_SAMPLES_DIR "/") + QLatin1String(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class Form1ReaderTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { isolateSettings(); }

  void creoNamesReachListAndReportAsText() {
    const QByteArray creo = sampleBytes("asm0001_pince.asm.21");
    if (creo.isEmpty()) QSKIP("no samples at " KELVARON_SAMPLES_DIR);
    Tree tree;
    const struct {
      const char* file;
      QByteArray bytes;
      QStringList names;
      bool fallback;
    } cases[] = {
        {"pince.asm.21", creo,
         QStringList{"top base", "servo", "servo r", "rod1", "rod2", "grip right", "GRIP", u"MAINTIEN_PIÈCE_V3"_qs,
                     "POT_DE_FLEUR"},
         false},
        // The table of contents points past the cut: the whole-file scan finds the record behind it.
        {"cut.asm.2", creo.left(4000) + "\n3 3 KEPT\n3 4 2\n", QStringList{"KEPT"}, true},
    };
    for (const auto& c : cases) {
      QFile f(tree.root + c.file);
      QVERIFY(f.open(QIODevice::WriteOnly) && f.write(c.bytes) == c.bytes.size());
    }
    Window w;
    w.browse(tree.root, tree.reports);
    for (const auto& c : cases) {
      QVERIFY(w.clickFile(c.file));
      QCOMPARE(lines(w->List_ASM), QStringList{kHeading} + c.names);
      const QString status = w->lbl_status->text();
      QVERIFY2(c.fallback ? status.startsWith("file saved; ") &&
                                status.endsWith("; the names come from the marker scan over the whole file")
                          : status == "file saved",
               qPrintable(status));
      QFile report(w->Pfad->text());
      QVERIFY(report.open(QIODevice::ReadOnly));
      const QByteArray bytes = report.readAll();
      for (const QString& name : c.names) QVERIFY2(bytes.contains("\r\n" + name.toUtf8() + "\r\n"), qPrintable(name));
      w->cmd_file_Click();
    }
  }
};

QTEST_MAIN(Form1ReaderTest)
#include "form1_reader_test.moc"
