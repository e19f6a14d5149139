#include "reader/container.h"

#include "reader/lzw.h"
#include "reader/scratch.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <charconv>
#include <set>

namespace kelvaron::reader {

namespace {

constexpr std::string_view kHeaderEnd = "#-END_OF_UGC_HEADER\n";
constexpr std::string_view kTocMarker = "#UGC_TOC";
// Real tables hold a few dozen entries; these bounds only stop a damaged chain.
constexpr std::size_t kMaxTocEntries = 100000;
constexpr int kMaxTocBlocks = 1000;
constexpr std::int64_t kMaxLine = 4096;
constexpr std::int64_t kMaxRawSection = std::int64_t{256} << 20;

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && line[at] == ' ') ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

std::optional<std::int64_t> number(std::string_view text, int base) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -v : v;
}

// The value of each byte as a hexadecimal digit, or -1.
constexpr std::array<std::int8_t, 256> kHexDigits = [] {
  std::array<std::int8_t, 256> digits{};
  digits.fill(-1);
  for (int c = 0; c < 10; ++c) digits[static_cast<std::size_t>('0' + c)] = static_cast<std::int8_t>(c);
  for (int c = 0; c < 6; ++c) {
    digits[static_cast<std::size_t>('a' + c)] = static_cast<std::int8_t>(10 + c);
    digits[static_cast<std::size_t>('A' + c)] = static_cast<std::int8_t>(10 + c);
  }
  return digits;
}();

// A non-negative hexadecimal number of at most 15 digits, as the table writes its offsets.
std::optional<std::int64_t> hex(std::string_view text) {
  if (text.empty() || text.size() > 15) return std::nullopt;
  std::int64_t v = 0;
  int bad = 0;
  for (const char c : text) {
    const int d = kHexDigits[static_cast<std::uint8_t>(c)];
    bad |= d;  // only -1 has the sign bit
    v = v * 16 + (d & 0xF);
  }
  if (bad < 0) return std::nullopt;
  return v;
}

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Reads a file line by line through positioned reads of one block at a time.
class LineReader {
 public:
  LineReader(const ByteSource& source, std::int64_t at) : m_source(source), m_at(at) { m_buffer.clear(); }

  // The next line without its LF, valid until the next call; nothing at the
  // end of the file, on a read error, or when no LF comes within kMaxLine bytes.
  std::optional<std::string_view> next() {
    std::size_t lf = m_buffer.find('\n', m_used);
    while (lf == std::string::npos) {
      if (m_buffer.size() - m_used > static_cast<std::size_t>(kMaxLine)) return std::nullopt;
      // A table block is a few KB: a larger read would mostly copy section
      // bytes. A read in the first block ends with it, so it stays within the
      // head the caller read already (as many bytes as a block).
      const std::int64_t length = m_at < kBlock ? kBlock - m_at : kBlock;
      if (!m_source.read(m_at, length, m_more, nullptr) || m_more.empty()) return std::nullopt;
      m_at += static_cast<std::int64_t>(m_more.size());
      m_buffer.erase(0, m_used);
      m_used = 0;
      m_buffer += m_more;
      lf = m_buffer.find('\n');
    }
    const std::string_view line = std::string_view(m_buffer).substr(m_used, lf - m_used);
    m_used = lf + 1;
    return line;
  }

 private:
  static constexpr std::int64_t kBlock = 8192;
  const ByteSource& m_source;
  std::int64_t m_at;
  Scratch m_lines{Scratch::Lines};
  Scratch m_moreLines{Scratch::MoreLines};
  std::string& m_buffer = m_lines.get();  // the lines not yet handed out
  std::string& m_more = m_moreLines.get();
  std::size_t m_used = 0;
};

struct TocLine {
  std::string_view name;
  std::int64_t offset = 0;
  std::int64_t length = 0;
  std::int64_t decodedLength = 0;
};

// One entry line: "<NAME> <off> <len> <ulen> <f0> <type> <flag> <ck1> <ck2>####".
std::optional<TocLine> parseTocLine(std::string_view line, std::int64_t base, int version) {
  // The padding is mostly '#', in long runs: skipped eight at a time first.
  while (line.size() >= 8 && line.substr(line.size() - 8) == "########") line.remove_suffix(8);
  while (!line.empty() && (line.back() == '#' || line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
  // A name may hold spaces; the eight numbers are the last words, read from the end.
  std::string_view numbers[8];
  std::size_t end = line.size();
  for (int i = 7; i >= 0; --i) {
    std::size_t start = end;
    while (start > 0 && line[start - 1] != ' ') --start;
    if (start == 0) return std::nullopt;  // no space before the word: too few words
    numbers[i] = line.substr(start, end - start);
    end = start - 1;
    while (end > 0 && line[end - 1] == ' ') --end;
  }
  std::size_t nameStart = 0;
  while (nameStart < end && line[nameStart] == ' ') ++nameStart;
  if (nameStart == end) return std::nullopt;
  const auto off = hex(numbers[0]);
  const auto len = hex(numbers[1]);
  const auto ulen = hex(numbers[2]);
  if (!off || !len || !ulen) return std::nullopt;
  return TocLine{line.substr(0, end), base + *off, *len, version >= 2 ? *ulen : 0};
}

}  // namespace

std::optional<UgcHeader> parseUgcHeader(std::string_view head) {
  if (!head.starts_with("#UGC:")) return std::nullopt;
  const std::size_t endAt = head.find(kHeaderEnd);
  if (endAt == std::string_view::npos) return std::nullopt;
  UgcHeader h;
  h.end = static_cast<std::int64_t>(endAt + kHeaderEnd.size());

  const std::string_view first = head.substr(0, head.find('\n'));
  const std::vector<std::string_view> words = splitWords(first);
  // #UGC:2 KIND f0 f1 f2 1 1 15 RELEASE DATECODE [BASE] "\"
  if (words.size() >= 2) h.kind = fromUtf8(words[1]);
  if (words.size() >= 9) h.release = static_cast<int>(number(words[8], 10).value_or(0));
  if (words.size() >= 11 && words[10].size() == 8) {
    if (const auto base = number(words[10], 16); base && *base >= h.end) h.base = *base;
  }

  const std::string_view headerText = head.substr(0, endAt);
  if (const std::size_t at = headerText.find("\n#- CMNM "); at != std::string_view::npos) {
    const std::string_view rest = headerText.substr(at + 9);
    if (const auto length = number(rest.substr(0, 3), 16); length && rest.size() >= 3 + std::size_t(*length)) {
      h.ownName = fromUtf8(rest.substr(3, static_cast<std::size_t>(*length)));
    }
  }
  return h;
}

QString writerFromBanner(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  QString product;
  if (line.starts_with("#Creo  TM  ")) {
    product = QStringLiteral("Creo ");
    line.remove_prefix(11);
  } else if (line.starts_with("#Pro/ENGINEER  TM  ")) {
    line.remove_prefix(19);
  } else {
    return {};
  }
  const std::size_t copyright = line.find("  (c)");
  if (copyright == std::string_view::npos) return {};
  QString writer = product + fromUtf8(line.substr(0, copyright)).trimmed();
  const std::vector<std::string_view> words = splitWords(line.substr(copyright));
  if (words.size() > 1) {
    const std::string_view tail = words.back();
    // A build code is "M050" (Wildfire 2 to Creo 4) or "9.0.0.0" (Creo 5 on); a
    // four-digit week (9547) dates a Release 14-18 writer and is no build code.
    const auto digitsOr = [](std::string_view s, char other) {
      return !s.empty() &&
             std::all_of(s.begin(), s.end(), [other](char c) { return (c >= '0' && c <= '9') || c == other; });
    };
    const bool build = (tail.size() > 1 && tail[0] == 'M' && digitsOr(tail.substr(1), '0')) ||
                       (digitsOr(tail, '.') && tail.find('.') != std::string_view::npos);
    if (build) writer += QStringLiteral(" (") + fromUtf8(tail) + u')';
  }
  return writer;
}

std::vector<TocEntry> readToc(const ByteSource& source, std::int64_t base, std::int64_t tocOffset, QStringList& notes) {
  std::vector<TocEntry> toc;
  std::set<std::int64_t> visited;
  std::int64_t block = tocOffset;
  for (int blocks = 0; block >= 0; ++blocks) {
    if (blocks == kMaxTocBlocks || !visited.insert(block).second) {
      notes << QStringLiteral("the table of contents loops; entries after block %1 ignored").arg(blocks);
      break;
    }
    if (block >= source.size()) {
      notes << QStringLiteral("the table of contents points past the end of the file");
      break;
    }
    LineReader lines(source, block);
    const auto header = lines.next();
    const std::vector<std::string_view> words =
        header ? splitWords(header->substr(0, header->find('#', 1))) : std::vector<std::string_view>{};
    // "#UGC_TOC <ver> <nlines> 81 <x>": the counts are decimal.
    const auto version = words.size() >= 3 && words[0] == kTocMarker ? number(words[1], 10) : std::nullopt;
    const auto count = version ? number(words[2], 10) : std::nullopt;
    if (!count || *count < 0) {
      notes << QStringLiteral("damaged table of contents at offset %1").arg(block);
      break;
    }
    block = -1;
    // Padding lines count in `nlines`, and NEXT_TOC_ENTRY may sit anywhere among them.
    for (std::int64_t i = 0; i < *count; ++i) {
      const auto line = lines.next();
      if (!line) {
        notes << QStringLiteral("the table of contents ends early");
        break;
      }
      const auto parsed = parseTocLine(*line, base, static_cast<int>(*version));
      if (!parsed) continue;
      if (parsed->name == "NEXT_TOC_ENTRY") {
        block = parsed->offset;
      } else if (parsed->name != "EMPTY_SPACE_FOR_REUSE") {
        if (toc.size() == kMaxTocEntries) {
          notes << QStringLiteral("the table of contents holds too many entries; the rest ignored");
          return toc;
        }
        toc.push_back({std::string(parsed->name), parsed->offset, parsed->length, parsed->decodedLength});
      }
    }
  }
  return toc;
}

const TocEntry* findModelSection(const std::vector<TocEntry>& toc) {
  for (const TocEntry& e : toc) {
    const std::string_view name = e.name;
    if (name.starts_with("ND:0:Model_") && !name.ends_with("AltIdMgr0") && !name.ends_with("IntPrt0") &&
        name.find("RefDiff") == std::string_view::npos) {
      return &e;
    }
  }
  return nullptr;
}

const TocEntry* findSection(const std::vector<TocEntry>& toc, std::string_view name) {
  for (const TocEntry& e : toc) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

bool readSectionPayload(const ByteSource& source, const TocEntry& entry, std::int64_t maxDecoded, std::string& payload,
                        QString& reason) {
  // `payload` is not cleared up front: a buffer reused from an earlier
  // section is resized by the decoder without being zeroed first.
  const auto fail = [&](const QString& why) {
    payload.clear();
    reason = QStringLiteral("section %1 %2").arg(fromUtf8(entry.name), why);
    return false;
  };
  if (entry.offset < 0 || entry.length <= 0 || entry.offset >= source.size() ||
      entry.length > source.size() - entry.offset) {
    return fail(QStringLiteral("lies outside the file"));
  }
  if (entry.length > kMaxRawSection) return fail(QStringLiteral("is larger than 256 MB"));
  Scratch rawBuffer(Scratch::Raw);
  std::string& raw = rawBuffer.get();
  QString error;
  if (!source.read(entry.offset, entry.length, raw, &error)) {
    payload.clear();
    reason = QStringLiteral("section %1: %2").arg(fromUtf8(entry.name), error);
    return false;
  }
  const std::string marker = '#' + entry.name + '\n';
  if (!std::string_view(raw).starts_with(marker))
    return fail(QStringLiteral("is not where the table of contents says"));
  const std::string_view body = std::string_view(raw).substr(std::size_t(marker.size()));
  if (!isLzw(body)) {
    payload.assign(
        body.substr(0, static_cast<std::size_t>(std::min<std::int64_t>(maxDecoded, std::int64_t(body.size())))));
    return true;
  }
  std::int64_t cap = maxDecoded;
  if (entry.decodedLength > 0) cap = std::min(cap, entry.decodedLength);
  const auto capBytes = static_cast<std::size_t>(std::max<std::int64_t>(cap, 0));
  switch (decodeLzw(body, capBytes, payload, capBytes)) {
    case LzwStatus::Complete:
      return true;
    case LzwStatus::Capped:
      return fail(QStringLiteral("decodes to more than the %1 bytes allowed").arg(cap));
    case LzwStatus::Corrupt:
      break;
  }
  return fail(QStringLiteral("holds damaged compressed data"));
}

}  // namespace kelvaron::reader
