#pragma once
// Fixtures for the format reader tests: PSB token streams, LZW code streams and
// whole binary-container files built in memory, and the shared real files.

#include "reader/assemblymodel.h"
#include "reader/bytesource.h"
#include "reader/container.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kelvaron::reader::fixtures {

/// Bytes from "e0 00 'name' 00 ...": hexadecimal pairs, and text between quotes.
inline std::string hx(std::string_view written) {
  std::string out;
  for (std::size_t i = 0; i < written.size();) {
    if (written[i] == ' ') {
      ++i;
    } else if (written[i] == '\'') {
      const std::size_t end = written.find('\'', i + 1);
      out += written.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      out += static_cast<char>(std::stoi(std::string(written.substr(i, 2)), nullptr, 16));
      i += 2;
    }
  }
  return out;
}

/// One integer in the PSB integer code; nothing is the null F6.
inline std::string intCode(std::optional<std::int64_t> value) {
  if (!value) return "\xF6";
  const std::int64_t v = *value < 0 ? -*value : *value;
  std::string out = *value < 0 ? "\xF5" : "";
  if (v < 0x80) return out + char(v);
  if (v < 0x4000) return out + char(0x80 | (v >> 8)) + char(v & 0xFF);
  return out + '\xEB' + char(v >> 24) + char((v >> 16) & 0xFF) + char((v >> 8) & 0xFF) + char(v & 0xFF);
}

/// Builds a PSB token stream token by token; strings are de-duplicated as the writer does.
class Psb {
 public:
  Psb& structOf(std::string_view cls) { return token('M', index(cls)); }
  Psb& field(std::string_view name) { return token('O', index(name)); }
  Psb& str(std::optional<std::string_view> s) { return token('I', s ? std::optional(index(*s)) : std::nullopt); }
  Psb& integer(std::optional<std::int64_t> v) { return token('F', v); }
  Psb& null() { return token('N'); }
  Psb& array(std::int64_t n) { return token('P', n); }
  Psb& element() { return token('Q'); }
  Psb& endArray() { return token('R'); }
  Psb& end() { return token('C'); }
  Psb& raw(char letter, std::optional<std::int64_t> v = std::nullopt, bool consumes = false) {
    m_types += letter;
    if (consumes) m_ints.push_back(v);
    return *this;
  }

  /// A dependency record with the fields the reader looks at.
  Psb& dependency(std::string_view stored, std::string_view type, std::optional<std::int64_t> depType, bool component,
                  std::optional<std::string_view> generic = std::nullopt, std::string_view subtype = "") {
    element().structOf("ndmoddeps_l05_p::Dependency_L05_P");
    field("ToModelDescriptor").structOf("ndmoddeps_j03::ModelDescriptor_J03");
    field("Name").str(stored).field("LibraryName").str(generic).field("Type").str(type);
    field("SubType").str(subtype).field("RevNum").integer(1).end();
    field("ToModelNameAsStored").str(stored).field("ToLibraryNameAsStored").str(generic);
    field("DepType").integer(depType).field("CompCount").integer(component ? 1 : 0);
    field("Component");
    component ? structOf("ndmoddeps_l05::Component_L05").field("Number").integer(5).field("Matrix").raw('H').end()
              : null();
    return end();
  }

  /// The model root, naming itself box.asm, up to the dependency array, which holds `n` entries.
  Psb& modelWithDependencies(std::int64_t n) {
    structOf("ndmodel_l05_px::Model_L05_PX").field("Descriptor").structOf("ndmoddeps_j03::ModelDescriptor_J03");
    field("Name").str("box").field("Type").str("asm").end();
    field("Dependencies_P").structOf("ndmoddeps_l05_p::ModelDependencies_L05_P");
    return field("Dependencies_P").array(n);
  }
  /// Closes what modelWithDependencies opened, as the writer does (one close too many).
  Psb& closeModel() { return endArray().end().field("FamTable").null().end().end(); }

  /// The section payload: E0 00 "PSB_Tokens" 00 E2, format, type_har, int_har, double_xar, string_xar.
  std::string bytes() const {
    using namespace std::string_literals;
    std::string out = "\xE0\x00PSB_Tokens\x00\xE2\xE0\001format\x00\x00"s;
    out += "\xE0\x04type_har\x00\xF8"s + intCode(std::int64_t(m_types.size())) + m_types;
    out += "\xE0\x01int_har\x00\xF8"s + intCode(std::int64_t(m_ints.size()));
    for (const auto& v : m_ints) out += intCode(v);
    out += "\xE0\002double_xar\x00\xF8\x01\x0F"s;
    out += "\xE0\x03string_xar\x00\xF8"s + intCode(std::int64_t(m_strings.size()));
    for (const std::string& s : m_strings) out += s + '\0';
    return out + "\xF1";
  }

 private:
  Psb& token(char letter, std::optional<std::int64_t> v = std::nullopt) {
    m_types += letter;
    if (letter != 'N' && letter != 'Q' && letter != 'R' && letter != 'C' && letter != 'H') m_ints.push_back(v);
    return *this;
  }
  std::int64_t index(std::string_view s) {
    const auto [at, added] = m_indices.try_emplace(std::string(s), std::int64_t(m_strings.size()));
    if (added) m_strings.emplace_back(s);
    return at->second;
  }
  std::string m_types;
  std::vector<std::optional<std::int64_t>> m_ints;
  std::vector<std::string> m_strings;
  std::unordered_map<std::string, std::int64_t> m_indices;
};

/// Packs LZW codes as compress writes them: LSB-first from 9 bits, the group
/// of eight codes padded at each width change and after a CLEAR (256 in block mode).
inline std::string packCodes(const std::vector<std::uint32_t>& codes, bool blockMode = false, int maxBits = 16) {
  std::string out = {'\x1F', '\x9D', char(maxBits | (blockMode ? 0x80 : 0))};
  std::vector<bool> bits;
  std::size_t groupStart = 0;
  int width = 9;
  std::uint32_t nextFree = blockMode ? 257 : 256;
  const auto pad = [&] {
    while ((bits.size() - groupStart) % (std::size_t(width) * 8) != 0) bits.push_back(false);
    groupStart = bits.size();
  };
  for (std::size_t n = 0; n < codes.size(); ++n) {
    if (nextFree > (width == maxBits ? (1u << maxBits) : (1u << width) - 1)) {
      pad();
      ++width;
    }
    for (int i = 0; i < width; ++i) bits.push_back(((codes[n] >> i) & 1) != 0);
    if (blockMode && codes[n] == 256 && n > 0) {
      pad();
      width = 9;
      nextFree = 256;
    } else if (n > 0 && nextFree < (1u << maxBits)) {
      ++nextFree;
    }
  }
  out.resize(3 + (bits.size() + 7) / 8);
  for (std::size_t i = 0; i < bits.size(); ++i) out[3 + i / 8] = char(out[3 + i / 8] | (bits[i] << (i % 8)));
  return out;
}

/// One section of a synthetic container file.
struct Section {
  std::string name;
  std::string payload;
  std::optional<std::int64_t> offset;   ///< overrides the TOC offset (from base)
  std::optional<std::int64_t> length;   ///< overrides the TOC length
  std::optional<std::int64_t> decoded;  ///< overrides the TOC decoded length
};

/// A Creo 3 style file: header (with CMNM "top.asm"), banner at base, one TOC block, the sections.
inline std::string creoFile(const std::vector<Section>& sections) {
  const auto hex = [](std::int64_t v) { return QString::number(v, 16).toStdString(); };
  const auto padded = [](std::string line, char fill, std::size_t width) {
    if (line.size() < width) line.append(width - line.size(), fill);
    return line + '\n';
  };
  std::string header = "#UGC:2 ASSEMBLY 1836 1160 800 1 1 15 3400 2015480 XXXXXXXX \\\n";
  header += padded("#- CMNM 007top.asm", ' ', 70).insert(70, "\\");
  header += "#-END_OF_UGC_HEADER\n";
  const std::string base = QString::number(qulonglong(header.size()), 16).rightJustified(8, u'0').toStdString();
  header.replace(header.find("XXXXXXXX"), 8, base);
  // The banner ends in CR LF, as after a copy that touched line ends: the writer must not keep the CR.
  const std::string banner = "#Creo  TM  3.0  (c) 2016 by PTC Inc.  All Rights Reserved. M080\r\n";
  std::int64_t at = std::int64_t(banner.size() + 81 * (sections.size() + 1));
  std::string toc = padded("#UGC_TOC 2 " + std::to_string(sections.size()) + " 81 17", '#', 80);
  std::string body;
  for (const Section& s : sections) {
    const std::string block = '#' + s.name + '\n' + s.payload;
    toc += padded(s.name + ' ' + hex(s.offset.value_or(at)) + ' ' + hex(s.length.value_or(std::int64_t(block.size()))) +
                      ' ' + hex(s.decoded.value_or(std::int64_t(s.payload.size()))) + " 1836 a 1 0 0",
                  '#', 80);
    body += block;
    at += std::int64_t(block.size());
  }
  return header + banner + toc + body + "#END_OF_UGC\n";
}

inline QString samplesDir() { return QStringLiteral(KELVARON_SAMPLES_DIR); }
inline QString corpusDir() { return QDir(samplesDir()).absoluteFilePath(QStringLiteral("../proe-corpus")); }

inline std::string readWhole(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

/// expected.json's "assemblies", empty when the corpus is absent.
inline QJsonObject expectedAssemblies() {
  const std::string json = readWhole(corpusDir() + QStringLiteral("/expected.json"));
  return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object().value(u"assemblies").toObject();
}

/// "NAME type quantity suppressed generic[ src=SOURCE]": one line per component.
inline QString componentLine(const QString& name, const QString& type, qint64 quantity, qint64 suppressed,
                             const QString& generic, const QString& source) {
  return QStringLiteral("%1 %2 %3 %4 %5").arg(name, type).arg(quantity).arg(suppressed).arg(generic) +
         (source.isEmpty() ? QString() : QStringLiteral(" src=") + source);
}

/// The model's components as lines; `detail` adds the subtype and the file name.
inline QStringList modelLines(const AssemblyModel& model, bool detail = false) {
  QStringList lines;
  for (const ModelComponent& c : model.components)
    lines << componentLine(c.name, QString::fromLatin1(typeName(c.type)), c.quantity, c.suppressed, c.generic,
                           c.source) +
                 (detail ? QStringLiteral(" sub=%1 f=%2").arg(c.subtype, c.file) : QString());
  return lines;
}

inline QStringList expectedLines(const QJsonObject& assembly) {
  QStringList lines;
  for (const QJsonValue v : assembly.value(u"components").toArray()) {
    const QJsonObject c = v.toObject();
    lines << componentLine(c.value(u"name").toString(), c.value(u"type").toString(), c.value(u"quantity").toInteger(),
                           c.value(u"suppressed").toInteger(), c.value(u"generic").toString(),
                           c.value(u"source_type").toString());
  }
  return lines;
}

/// An LZW stream decoded by `gzip -dc`; nothing when gzip is missing or fails.
inline std::optional<std::string> gunzip(const std::string& stream) {
  QProcess p;
  p.start(QStringLiteral("gzip"), {QStringLiteral("-dc")});
  if (!p.waitForStarted()) return std::nullopt;
  p.write(stream.data(), qint64(stream.size()));
  p.closeWriteChannel();
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return std::nullopt;
  return p.readAllStandardOutput().toStdString();
}

}  // namespace kelvaron::reader::fixtures
