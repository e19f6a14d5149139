#include "cli/filejob.h"

#include "cli/jsonoutput.h"
#include "cli/modeloutput.h"
#include "platform/modelnames.h"
#include "platform/shown.h"

namespace kelvaron::cli {

namespace {

// Whether a name's bytes hold a control character: C0 and DEL, and C1 (in
// UTF-8 the pairs C2 80..C2 9F, in a legacy name the bytes 80..9F, which the
// listing writes as Latin-1).
bool hasControl(std::string_view name, bool utf8) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (b < 0x20 || b == 0x7F) return true;
    if (!utf8 && b >= 0x80 && b <= 0x9F) return true;
    if (utf8 && b == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F) return true;
  }
  return false;
}

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

// Prints the list as it streams in: a text block, or the parts of a JSON object.
class PrintingListener final : public FileListener {
 public:
  PrintingListener(const ScanItem& item, const FileJobSettings& settings, OutputBuffer& out, bool separate,
                   HandledFile& outcome, const std::function<void(std::int64_t)>& opening)
      : m_item(item), m_settings(settings), m_out(out), m_separate(separate), m_outcome(outcome), m_opening(opening) {}

  void opening(std::int64_t bytes) override {
    if (m_opening) m_opening(bytes);
  }

  void heading(std::string_view line) override {
    if (!m_settings.json && !m_settings.longList) {
      startBlock();
      m_out.append(line);
      m_out.append('\n');
    }
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
      if (hasControl(c.name, utf8)) {
        target.append(platform::shownBytes(utf8 ? c.text() : QString::fromLatin1(name)));
      } else if (utf8) {
        target.append(c.name);
      } else {
        target.appendLatin1AsUtf8(name);
      }
      target.append('\n');
    }
    return true;
  }
  void analysed(const AssemblyAnalysis& analysis) override {
    if (m_settings.json) return;
    if (m_settings.longList && analysis.assembly) {
      printLong(analysis);
    } else {
      startBlock();
    }
  }

 private:
  // The --long lines, once the analysis is done.
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
    m_out.append(platform::shownBytes(m_item.path));
    m_out.append(" <==\n");
  }

  const ScanItem& m_item;
  const FileJobSettings& m_settings;
  OutputBuffer& m_out;
  bool m_separate;
  HandledFile& m_outcome;
  const std::function<void(std::int64_t)>& m_opening;
  std::int64_t m_parts = 0;
  OutputBuffer m_longNames{nullptr};
};

}  // namespace

HandledFile handleFile(const ScanItem& item, const FileJobSettings& settings, OutputBuffer& out, bool separate,
                       const YieldHook& yield, const std::function<void()>& beforeCommit,
                       const std::function<void(std::int64_t bytes)>& opening) {
  HandledFile handled;
  if (item.fromFolder && !folderSkipNote(item.entry).isEmpty()) {
    static_cast<FileOutcome&>(handled) = analyseFile(item, settings, nullptr);
    return handled;
  }
  if (settings.json) {
    out.append("{\"file\":");
    appendJsonString(out, platform::absolutePath(item.path, settings.workingFolder));
    out.append(",\"parts\":[");
  }
  PrintingListener listener(item, settings, out, separate, handled, opening);
  AssemblyAnalysis analysis;
  static_cast<FileOutcome&>(handled) = analyseFile(item, settings, &listener, yield, beforeCommit, &analysis);
  if (settings.json) appendJsonEnd(out, handled, analysis);
  return handled;
}

}  // namespace kelvaron::cli
