#include "scan/filescan.h"

#include "platform/nativepath.h"
#include "report/partsreport.h"

#include <optional>
#include <system_error>

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

// A POSIX path that lexical normalisation leaves as it is: no empty, "." or
// ".." part. The walk's paths under a plain folder are all plain, and such a
// path needs no trip through std::filesystem.
bool isPlainPosixPath(QStringView path) {
  if (path.isEmpty()) return false;
  qsizetype start = path.startsWith(u'/') ? 1 : 0;
  for (qsizetype i = start; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != u'/') continue;
    const QStringView part = path.sliced(start, i - start);
    if (part.isEmpty() || part == u"." || part == u"..") return false;
    start = i + 1;
  }
  return true;
}

}  // namespace

QString absolutePathOf(const QString& path, const std::filesystem::path& workingFolder) {
  if (separator(nativePathStyle()) == u'/' && isPlainPosixPath(path)) {
    if (path.startsWith(u'/')) return path;
    if (!workingFolder.empty()) {
      const QString folder = platform::fromNativePath(workingFolder);
      if (folder == u"/") return folder + path;
      if (folder.startsWith(u'/') && isPlainPosixPath(folder)) return folder + u'/' + path;
    }
  }
  const std::filesystem::path native = platform::toNativePath(path);
  if (!workingFolder.empty() && !native.empty()) {
    if (native.is_absolute()) return platform::fromNativePath(native.lexically_normal());
    return platform::fromNativePath((workingFolder / native).lexically_normal());
  }
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(native, ec);
  if (ec) return path;
  return platform::fromNativePath(absolute.lexically_normal());
}

FileOutcome analyseFile(const ScanItem& item, const FileScanSettings& settings, FileListener* listener,
                        const YieldHook& yield, const std::function<void()>& beforeCommit,
                        AssemblyAnalysis* analysisOut) {
  FileOutcome outcome;
  outcome.file = item.path;
  if (item.fromFolder) {
    outcome.skipNote = folderSkipNote(item.entry);
    if (!outcome.skipNote.isEmpty()) return outcome;
  }
  outcome.absolutePath = absolutePathOf(item.path, settings.workingFolder);
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
