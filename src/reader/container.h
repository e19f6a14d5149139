#pragma once
// The envelope every generation shares: the "#UGC:2" header, the banner line,
// and the binary container's table of contents (Wildfire 2 and later).

#include "reader/bytesource.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaron::reader {

/// The "#UGC:2 ..." header.
struct UgcHeader {
  QString kind;            ///< "ASSEMBLY", "PART", ...
  int release = 0;         ///< the release code: 1400 ... 4300
  std::int64_t base = -1;  ///< file offset of the banner line (Release 18 and later); -1 when absent
  std::int64_t end = 0;    ///< file offset just after "#-END_OF_UGC_HEADER\n"
  QString ownName;         ///< the CMNM file name ("asm0001_pince.asm"); empty when absent
};

/// Parses the header at the start of `head` (the first bytes of the file).
/// Nothing when `head` does not start with "#UGC:" or the header does not end in it.
std::optional<UgcHeader> parseUgcHeader(std::string_view head);

/// The writer named by a banner line "#Pro/ENGINEER  TM  Wildfire 5.0  (c) ... M050"
/// or "#Creo  TM  9.0  (c) ... 9.0.0.0": "Wildfire 5.0 (M050)", "Creo 9.0 (9.0.0.0)",
/// "Version G-03-26" (a Release 14-18 week tail is not a build code). Empty when
/// `line` is no banner.
QString writerFromBanner(std::string_view line);

/// One entry of the table of contents.
struct TocEntry {
  std::string name;                ///< "ND:0:Model_L05_PX:1", "DEPDB_DATA", ... (ASCII)
  std::int64_t offset = 0;         ///< file offset of the section's "#NAME\n" line
  std::int64_t length = 0;         ///< bytes of the section, its name line included
  std::int64_t decodedLength = 0;  ///< declared payload length after decoding (TOC v2); 0 when unknown
};

/// Reads the table of contents whose first block starts at the file offset
/// `tocOffset` (a "#UGC_TOC" line), following its NEXT_TOC_ENTRY chain; entry
/// offsets count from `base`. Padding and EMPTY_SPACE_FOR_REUSE lines are
/// left out. A chain that loops, points past the end or holds a damaged block
/// ends there with a note in `notes`; the entries read so far are kept.
std::vector<TocEntry> readToc(const ByteSource& source, std::int64_t base, std::int64_t tocOffset, QStringList& notes);

/// The model section: the first entry named "ND:0:Model_..." that is not an
/// "...AltIdMgr0" or "...IntPrt0" variant nor a "RefDiff" table. Nothing when there is none.
const TocEntry* findModelSection(const std::vector<TocEntry>& toc);

/// The entry named `name`; nothing when there is none.
const TocEntry* findSection(const std::vector<TocEntry>& toc, std::string_view name);

/// Reads the payload of `entry` (the bytes after its "#NAME\n" line), LZW-decoded
/// when it is compressed, at most `maxDecoded` bytes and never more than the
/// entry declares. False with `reason` when the section lies outside the file,
/// lacks its name line, cannot be read or does not decode.
bool readSectionPayload(const ByteSource& source, const TocEntry& entry, std::int64_t maxDecoded, std::string& payload,
                        QString& reason);

}  // namespace kelvaron::reader
