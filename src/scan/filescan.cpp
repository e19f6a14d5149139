#include "scan/filescan.h"

#include "platform/modelnames.h"
#include "platform/nativepath.h"
#include "report/partsreport.h"

#include <optional>

namespace kelvaron {

namespace {

// Hands every line to the listener and to the report.
class TeeSink final : public ListSink {
 public:
  TeeSink(FileListener* listener, ReportWriter* report) : m_listener(listener), m_report(report) {}
  void opening(std::int64_t bytes) override {
    if (m_listener) m_listener->opening(bytes);
  }
  void heading(std::string_view line) override {
    if (m_listener) m_listener->heading(line);
    if (m_report) m_report->addLine(line);
  }
  bool component(const ComponentView& c) override {
    const bool goOn = !m_listener || m_listener->component(c);
    if (m_report) m_report->addLine(c.name, c.encoding);
    return goOn;
  }

 private:
  FileListener* m_listener;
  ReportWriter* m_report;
};

}  // namespace

FileOutcome analyseFile(const ScanItem& item, const FileScanSettings& settings, FileListener* listener,
                        const YieldHook& yield, const std::function<void()>& beforeCommit,
                        AssemblyAnalysis* analysisOut) {
  FileOutcome outcome;
  outcome.file = item.path;
  if (item.fromFolder) {
    outcome.skipNote = folderSkipNote(item.entry);
    if (!outcome.skipNote.isEmpty()) return outcome;
  }
  outcome.absolutePath = platform::absolutePath(item.path, settings.workingFolder);
  std::optional<ReportWriter> report;
  if (settings.writeReports)
    report.emplace(reportPath(settings.reportFolder, outcome.absolutePath), outcome.absolutePath);
  TeeSink sink(listener, report ? &*report : nullptr);
  AssemblyAnalysis analysis = streamAssembly(item.path, sink, yield);
  outcome.assembly = analysis.assembly;
  outcome.partCount = analysis.partCount;
  if (!analysis.fallback.isEmpty())
    outcome.warning = QStringLiteral("%1: %2").arg(platform::displayPath(item.path), analysis.fallback);

  if (!analysis.ok()) {
    if (report) report->abort();
    outcome.stopped = analysis.stopped;
    outcome.error =
        analysis.stopped ? QStringLiteral("%1: stopped").arg(platform::displayPath(item.path)) : analysis.error;
  } else {
    if (listener) listener->analysed(analysis);
    if (report) {
      if (beforeCommit) beforeCommit();
      if (report->commit(settings.date)) {
        outcome.reportPath = report->path();
      } else {
        outcome.error = report->error();
      }
    }
  }
  if (analysisOut) *analysisOut = std::move(analysis);
  return outcome;
}

}  // namespace kelvaron
