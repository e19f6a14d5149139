#include "reader/assemblyreader.h"

#include "platform/nativepath.h"
#include "reader/container.h"
#include "reader/depdb.h"
#include "reader/legacytext.h"
#include "reader/psbtokens.h"
#include "reader/scratch.h"
#include "reader/wildfirexml.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace kelvaron::reader {

namespace {

// Enough for the header, the banner and the first table-of-contents block of
// nearly every real file, so those take no read of their own.
constexpr std::int64_t kHeadProbe = 8192;
constexpr std::int64_t kHeadLimit = 65536;
constexpr std::int64_t kMaxDecoded = std::int64_t{256} << 20;

bool readAt(const ByteSource& source, std::int64_t offset, std::int64_t length, std::string& out,
            AssemblyModel& model) {
  QString error;
  if (source.read(offset, length, out, &error)) return true;
  model.notes << error;
  model.failed = true;
  return false;
}

// Internal components (parts stored inside the assembly) have no dependency
// entry: a user learns of them by a note only.
void noteInternalComponents(const std::vector<TocEntry>& toc, AssemblyModel& model) {
  bool map = false;
  bool stored = false;
  for (const TocEntry& e : toc) {
    map = map || e.name == "SldIntPrtMap";
    stored = stored || std::string_view(e.name).ends_with("IntPrt0");
  }
  if (map || stored) {
    model.notes << QStringLiteral(
        "the assembly stores internal components (parts kept inside the file); they are not listed");
  }
}

// The decoded model section: its layout decides the generation.
bool readModelSection(std::string_view payload, AssemblyModel& model, QString& why) {
  if (isPsbTokens(payload)) {
    model.generation = Generation::CreoTokens;
    return readPsbTokens(payload, model);
  }
  if (payload.substr(0, 64).find("<?xml") != std::string_view::npos) {
    model.generation = Generation::WildfireXml;
    return readWildfireXml(payload, model);
  }
  why = QStringLiteral("the model section has an unknown layout");
  return false;
}

void readContainer(const ByteSource& source, const UgcHeader& header, std::int64_t tocOffset, AssemblyModel& model) {
  const std::vector<TocEntry> toc = readToc(source, header.base, tocOffset, model.notes);
  noteInternalComponents(toc, model);
  QString why;
  bool ok = false;
  if (const TocEntry* section = findModelSection(toc)) {
    Scratch buffer(Scratch::Payload);
    std::string& payload = buffer.get();
    if (readSectionPayload(source, *section, kMaxDecoded, payload, why)) {
      const qsizetype notesBefore = model.notes.size();
      ok = readModelSection(payload, model, why);
      // The section's own reader says why in its note.
      if (!ok && why.isEmpty() && model.notes.size() > notesBefore) why = model.notes.takeLast();
    }
  } else {
    why = QStringLiteral("no model section in the table of contents");
  }
  if (ok) return;

  if (const TocEntry* depdb = findSection(toc, "DEPDB_DATA")) {
    Scratch buffer(Scratch::Payload);
    std::string& payload = buffer.get();
    QString depdbWhy;
    if (readSectionPayload(source, *depdb, kMaxDecoded, payload, depdbWhy) && readDepdb(payload, model)) {
      model.notes << QStringLiteral("%1; components read from DEPDB_DATA, which can list stale models").arg(why);
      return;
    }
  }
  model.notes << why;
  model.failed = true;
}

// `headError` gets the reason when not even the first bytes can be read.
AssemblyModel readAssemblyImpl(const ByteSource& file, QString* headError) {
  AssemblyModel model;
  Scratch headBuffer(Scratch::Head);
  std::string& head = headBuffer.get();
  if (!readAt(file, 0, kHeadProbe, head, model)) {
    if (headError) *headError = model.notes.last();
    return model;
  }
  if (!std::string_view(head).starts_with("#UGC:")) return model;
  auto header = parseUgcHeader(head);
  if (!header && file.size() > kHeadProbe) {
    if (!readAt(file, 0, kHeadLimit, head, model)) return model;
    header = parseUgcHeader(head);
  }
  const HeadCachedSource source(file, head);
  if (!header) {
    model.notes << QStringLiteral("the file header does not end");
    model.failed = true;
    return model;
  }
  model.model = header->ownName;

  std::string probe;
  if (!readAt(source, header->end, 16, probe, model)) return model;
  if (std::string_view(probe).starts_with("#P_OBJECT")) {
    model.generation = Generation::LegacyText;
    readLegacyText(source, header->end, header->base, model);
    return model;
  }

  // The binary container: the banner at `base`, the table of contents right after it.
  if (header->base < 0) return model;
  std::string banner;
  if (!readAt(source, header->base, 1024, banner, model)) return model;
  const std::size_t lf = banner.find('\n');
  if (lf == std::string::npos) return model;
  model.writer = writerFromBanner(std::string_view(banner).substr(0, lf));
  if (!std::string_view(banner).substr(lf + 1).starts_with("#UGC_TOC")) return model;
  readContainer(source, *header, header->base + static_cast<std::int64_t>(lf) + 1, model);
  return model;
}

}  // namespace

AssemblyModel readAssembly(const ByteSource& source) { return readAssemblyImpl(source, nullptr); }

FileModel readAssemblyFile(const QString& path) {
  FileModel result;
  FileSource source;
  QString reason;
  if (!source.open(path, &reason)) {
    result.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), reason);
    return result;
  }
  QString headError;
  result.model = readAssemblyImpl(source, &headError);
  if (!headError.isEmpty())
    result.error = QStringLiteral("cannot read %1: %2").arg(platform::displayPath(path), headError);
  return result;
}

}  // namespace kelvaron::reader
