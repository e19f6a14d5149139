#include "cli/filejob.h"

#include "analysis/assemblyanalysis.h"
#include "cli/jsonoutput.h"
#include "platform/nativepath.h"
#include "report/partsreport.h"
#include "search/batchscan.h"

#include <filesystem>
#include <system_error>

namespace kelvaron::cli {

namespace {

void startTextBlock(OutputBuffer& out, const FileJobSettings& settings, const QString& file,
                    bool assembly, bool separate) {
  if (settings.heads) {
    if (separate) out.append('\n');
    out.append("==> ");
    out.appendText(file);
    out.append(" <==\n");
  }
  if (assembly) {
    out.append(kHeadingLine);
    out.append('\n');
  }
}

void appendJsonEnd(OutputBuffer& out, const FileOutcome& outcome) {
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
  out.append("}\n");
}

// A report opened at its first line, so that a file that cannot be read never
// leaves a temporary file behind.
class LazyReport {
 public:
  LazyReport(const FileJobSettings& settings, const QString& assemblyPath)
      : m_enabled(settings.writeReports), m_assemblyPath(assemblyPath) {
    if (m_enabled) m_target = reportPath(settings.reportFolder, assemblyPath);
  }
  const QString& target() const { return m_target; }
  const QString& error() const { return m_error; }

  // Opens the report unless done or failed; an assembly's list starts with the heading.
  void open(bool assembly) {
    if (!m_enabled || m_open || !m_error.isEmpty()) return;
    m_open = m_writer.open(m_target, m_assemblyPath, assembly, &m_error);
    if (m_open && assembly) m_writer.addEntry(std::string_view(kHeadingLine));
  }
  void add(std::string_view name) {
    if (!m_open) open(true);
    if (m_open) m_writer.addEntry(name);
  }
  bool commit(const QDate& date) {
    if (!m_open) return false;
    m_open = false;
    return m_writer.commit(date, &m_error);
  }
  void abort() {
    if (m_open) m_writer.abort();
    m_open = false;
  }

 private:
  bool m_enabled;
  bool m_open = false;
  QString m_assemblyPath;
  QString m_target;
  QString m_error;
  ReportWriter m_writer;
};

}  // namespace

QString absolutePathOf(const QString& path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(platform::toNativePath(path), ec);
  if (ec) return path;
  return platform::fromNativePath(absolute.lexically_normal());
}

FileOutcome handleFile(const WorkItem& item, const FileJobSettings& settings, OutputBuffer& out,
                       bool separate, const YieldHook& yield, const std::function<void()>& beforeCommit) {
  FileOutcome outcome;
  outcome.file = item.path;
  if (item.fromFolder) {
    outcome.skipNote = folderSkipNote(item.path);
    if (!outcome.skipNote.isEmpty()) return outcome;
  }
  outcome.absolutePath = absolutePathOf(item.path);
  const bool json = settings.json;

  if (json) {
    out.append("{\"file\":");
    appendJsonString(out, outcome.absolutePath);
    out.append(",\"parts\":[");
  }
  LazyReport report(settings, outcome.absolutePath);
  const AssemblyAnalysis analysis = streamAssembly(
      item.path,
      [&](const ComponentView& c) {
        const QByteArrayView name(c.name.data(), static_cast<qsizetype>(c.name.size()));
        if (json) {
          if (outcome.partCount > 0) out.append(',');
          appendJsonLatin1(out, name);
        } else {
          if (!outcome.printedBlock) {
            startTextBlock(out, settings, item.path, true, separate);
            outcome.printedBlock = true;
          }
          out.appendLatin1AsUtf8(name);
          out.append('\n');
        }
        report.add(c.name);
        ++outcome.partCount;
        return true;
      },
      yield);
  outcome.assembly = analysis.assembly;
  outcome.partCount = analysis.partCount;

  if (!analysis.error.isEmpty() || analysis.stopped) {
    report.abort();
    outcome.stopped = analysis.stopped;
    outcome.error = analysis.stopped ? QStringLiteral("%1: stopped").arg(platform::displayPath(item.path))
                                     : analysis.error;
  } else {
    if (!json && !outcome.printedBlock) {
      startTextBlock(out, settings, item.path, analysis.assembly, separate);
      outcome.printedBlock = true;
    }
    if (settings.writeReports) {
      report.open(analysis.assembly);
      if (beforeCommit) beforeCommit();
      if (report.commit(settings.date)) {
        outcome.reportPath = report.target();
      } else {
        outcome.error = report.error();
      }
    }
  }
  if (json) appendJsonEnd(out, outcome);
  return outcome;
}

}  // namespace kelvaron::cli
