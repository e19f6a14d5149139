#include "cli/filejob.h"

#include "analysis/assemblyanalysis.h"
#include "cli/jsonoutput.h"
#include "cli/modeloutput.h"
#include "platform/nativepath.h"
#include "report/partsreport.h"
#include "search/batchscan.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace kelvaron::cli {

namespace {

void appendJsonEnd(OutputBuffer& out, const FileOutcome& outcome, const AssemblyAnalysis& analysis) {
  out.append(outcome.assembly ? "],\"assembly\":true,\"report\":" : "],\"assembly\":false,\"report\":");
  if (outcome.reportPath.isEmpty()) {
    out.append("null");
  } else {
    appendJsonString(out, outcome.reportPath);
  }
  out.append(",\"error\":");
  if (outcome.error.isEmpty()) {
    out.append("null");
  } else {
    appendJsonString(out, outcome.error);
  }
  appendJsonModel(out, analysis);
  out.append("}\n");
}

// Prints the list as it streams in (a text block, or the parts of a JSON
// object) and hands every line to the report.
class FileSink final : public ListSink {
 public:
  FileSink(const WorkItem& item, const FileJobSettings& settings, OutputBuffer& out, bool separate,
           ReportWriter* report, FileOutcome& outcome, const std::function<void(std::int64_t)>& opening)
      : m_item(item),
        m_settings(settings),
        m_out(out),
        m_separate(separate),
        m_report(report),
        m_outcome(outcome),
        m_opening(opening) {}

  void opening(std::int64_t bytes) override {
    if (m_opening) m_opening(bytes);
  }

  void heading(std::string_view line) override {
    if (!m_settings.json && !m_settings.longList) {
      startBlock();
      m_out.append(line);
      m_out.append('\n');
    }
    if (m_report) m_report->addLine(line);
  }
  bool component(const ComponentView& c) override {
    const QByteArrayView name(c.name.data(), static_cast<qsizetype>(c.name.size()));
    const bool utf8 = c.encoding == NameEncoding::Utf8;
    if (m_settings.json) {
      if (m_parts++ > 0) m_out.append(',');
      if (utf8) {
        appendJsonString(m_out, c.text());
      } else {
        appendJsonLatin1(m_out, name);
      }
    } else {
      // --long prints after the analysis, from the model or, without one,
      // from these names: they gather until then.
      OutputBuffer& target = m_settings.longList ? m_longNames : m_out;
      if (m_settings.longList) target.append("  ");
      if (utf8) {
        target.append(c.name);
      } else {
        target.appendLatin1AsUtf8(name);
      }
      target.append('\n');
    }
    if (m_report) m_report->addLine(c.name, c.encoding);
    return true;
  }
  /// The --long lines, once the analysis is done.
  void printLong(const AssemblyAnalysis& analysis) {
    startBlock();
    if (hasModelList(analysis)) {
      m_out.appendText(longListing(analysis.model));
    } else {
      m_out.appendText(longScanHeading(analysis.model, analysis.partCount));
      m_out.append('\n');
      m_out.append(m_longNames.take());
    }
  }
  // A text block starts with "==> FILE <==" when the run prints several.
  void startBlock() {
    if (m_outcome.printedBlock) return;
    m_outcome.printedBlock = true;
    if (!m_settings.heads) return;
    if (m_separate) m_out.append('\n');
    m_out.append("==> ");
    m_out.appendText(m_item.path);
    m_out.append(" <==\n");
  }

 private:
  const WorkItem& m_item;
  const FileJobSettings& m_settings;
  OutputBuffer& m_out;
  bool m_separate;
  ReportWriter* m_report;
  FileOutcome& m_outcome;
  const std::function<void(std::int64_t)>& m_opening;
  std::int64_t m_parts = 0;
  OutputBuffer m_longNames{nullptr};
};

}  // namespace

namespace {

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

FileOutcome handleFile(const WorkItem& item, const FileJobSettings& settings, OutputBuffer& out, bool separate,
                       const YieldHook& yield, const std::function<void()>& beforeCommit,
                       const std::function<void(std::int64_t bytes)>& opening) {
  FileOutcome outcome;
  outcome.file = item.path;
  if (item.fromFolder) {
    outcome.skipNote = folderSkipNote(item.entry);
    if (!outcome.skipNote.isEmpty()) return outcome;
  }
  outcome.absolutePath = absolutePathOf(item.path, settings.workingFolder);
  if (settings.json) {
    out.append("{\"file\":");
    appendJsonString(out, outcome.absolutePath);
    out.append(",\"parts\":[");
  }
  std::optional<ReportWriter> report;
  if (settings.writeReports)
    report.emplace(reportPath(settings.reportFolder, outcome.absolutePath), outcome.absolutePath);
  FileSink sink(item, settings, out, separate, report ? &*report : nullptr, outcome, opening);
  const AssemblyAnalysis analysis = streamAssembly(item.path, sink, yield);
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
    if (settings.longList && !settings.json && analysis.assembly) {
      sink.printLong(analysis);
    } else if (!settings.json) {
      sink.startBlock();
    }
    if (report) {
      if (beforeCommit) beforeCommit();
      if (report->commit(settings.date)) {
        outcome.reportPath = report->path();
      } else {
        outcome.error = report->error();
      }
    }
  }
  if (settings.json) appendJsonEnd(out, outcome, analysis);
  return outcome;
}

}  // namespace kelvaron::cli
