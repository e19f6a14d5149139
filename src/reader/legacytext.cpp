#include "reader/legacytext.h"

#include "reader/container.h"

#include <QChar>
#include <charconv>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvaron::reader {

namespace {

constexpr std::int64_t kBlockSize = 64 * 1024;
// No legitimate line of the object comes near this; a longer one is damage,
// and the bound keeps the line buffer small whatever the file holds.
constexpr std::size_t kMaxLineLength = 1 << 20;
// Fields whose meaning the reader tracks; real files declare a few dozen.
constexpr std::size_t kMaxTrackedFields = 4096;
constexpr std::int64_t kMaxRepeat = 1'000'000'000;
constexpr std::int64_t kActive = 2;
constexpr std::int64_t kSuppressed = 0x8000;
constexpr std::int64_t kLayoutType = 19;

/// Hands out the lines of a source from a start offset, reading blocks on demand.
class LineReader {
 public:
  enum class Status { Line, End, TooLong, Failed };

  LineReader(const ByteSource& source, std::int64_t start) : m_source(source), m_next(start), m_bufferOffset(start) {}

  /// The next line without its LF (and CR); valid until the next call.
  Status next(std::string_view& line) {
    for (;;) {
      const std::size_t lf = m_buffer.find('\n', m_scanFrom);
      if (lf != std::string::npos) return take(line, lf, lf + 1);
      m_scanFrom = m_buffer.size();
      if (m_buffer.size() - m_pos > kMaxLineLength) return Status::TooLong;
      if (m_eof) {
        if (m_pos >= m_buffer.size()) return Status::End;
        return take(line, m_buffer.size(), m_buffer.size());
      }
      m_buffer.erase(0, m_pos);
      m_bufferOffset += static_cast<std::int64_t>(m_pos);
      m_scanFrom -= m_pos;
      m_pos = 0;
      if (!m_source.read(m_next, kBlockSize, m_block, &error)) return Status::Failed;
      if (m_block.empty()) m_eof = true;
      m_next += static_cast<std::int64_t>(m_block.size());
      m_buffer += m_block;
    }
  }
  std::int64_t lineOffset() const { return m_lineOffset; }
  std::int64_t lineEnd() const { return m_lineEnd; }

  QString error;

 private:
  Status take(std::string_view& line, std::size_t end, std::size_t next) {
    line = std::string_view(m_buffer).substr(m_pos, end - m_pos);
    if (line.ends_with('\r')) line.remove_suffix(1);
    m_lineOffset = m_bufferOffset + static_cast<std::int64_t>(m_pos);
    m_lineEnd = m_bufferOffset + static_cast<std::int64_t>(next);
    m_pos = next;
    m_scanFrom = next;
    return Status::Line;
  }

  const ByteSource& m_source;
  std::int64_t m_next;
  std::int64_t m_bufferOffset;
  std::string m_buffer;
  std::string m_block;
  std::size_t m_pos = 0;
  std::size_t m_scanFrom = 0;
  bool m_eof = false;
  std::int64_t m_lineOffset = 0;
  std::int64_t m_lineEnd = 0;
};

std::optional<std::int64_t> parseInt(std::string_view s) {
  std::int64_t v = 0;
  const char* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, v);
  if (ec != std::errc() || ptr != end || s.empty()) return std::nullopt;
  return v;
}

/// "@<name> <id> <type>".
struct Declaration {
  std::string_view name;
  std::int64_t id = 0;
  std::int64_t type = 0;
};

std::optional<Declaration> parseDeclaration(std::string_view line) {
  line.remove_prefix(1);
  const std::size_t a = line.find(' ');
  if (a == std::string_view::npos) return std::nullopt;
  const std::size_t b = line.find(' ', a + 1);
  if (b == std::string_view::npos) return std::nullopt;
  const auto id = parseInt(line.substr(a + 1, b - a - 1));
  const auto type = parseInt(line.substr(b + 1));
  if (!id || !type) return std::nullopt;
  return Declaration{line.substr(0, a), *id, *type};
}

/// "[N]" as N.
std::optional<std::int64_t> parseArrayCount(std::string_view value) {
  if (!value.starts_with('[') || !value.ends_with(']')) return std::nullopt;
  const auto n = parseInt(value.substr(1, value.size() - 2));
  if (!n || *n < 0) return std::nullopt;
  return n;
}

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five holes keep their C1 code.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    text += (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
  }
  return text;
}

enum class Role { Depend, ModelName, ModelType, BomCount, DepType, CompDepTypes };

/// One element of the "@depend" table as far as it was read.
struct Element {
  std::string name;
  bool hasName = false;
  std::int64_t modelType = -1;
  std::int64_t bomCount = 0;
  std::int64_t depType = 0;
  bool hasInstanceTypes = false;
  std::int64_t activeInstances = 0;
  std::int64_t suppressedInstances = 0;
};

class LegacyParser {
 public:
  LegacyParser(const ByteSource& source, std::int64_t pObject, std::int64_t bannerOffset, AssemblyModel& model)
      : m_lines(source, pObject), m_source(source), m_bannerOffset(bannerOffset), m_model(model) {}

  void run();

 private:
  enum class Phase { Start, BeforeTable, Table, Tail };

  void fail(const QString& reason) {
    m_model.failed = true;
    m_model.notes
        << QStringLiteral("the @depend table is damaged: %1 (at byte %2)").arg(reason).arg(m_lines.lineOffset());
  }
  bool declare(std::string_view line);
  bool tableLine(std::string_view line);
  bool addInstanceTypes(std::string_view list);
  bool addInstanceType(std::int64_t value, std::int64_t copies);
  bool finishElement();
  void finishTable();
  void tailLine(std::string_view line);
  void readBannerAt(std::int64_t offset);
  const Role* roleOf(std::int64_t id) const {
    const auto it = m_roles.find(id);
    return it == m_roles.end() ? nullptr : &it->second;
  }

  LineReader m_lines;
  const ByteSource& m_source;
  std::int64_t m_bannerOffset;
  AssemblyModel& m_model;
  Phase m_phase = Phase::Start;
  std::unordered_map<std::int64_t, Role> m_roles;
  std::int64_t m_dependDeclaration = -1;
  std::int64_t m_dependId = -1;
  std::int64_t m_claimedElements = 0;
  std::int64_t m_elementCount = 0;
  std::int64_t m_tableEnd = -1;
  bool m_inElement = false;
  bool m_inInstanceTypes = false;
  std::int64_t m_instanceTypesId = -1;
  Element m_element;
  std::vector<ModelComponent> m_found;
  QStringList m_notes;
  bool m_afterObject = false;
  bool m_wantName = false;
  bool m_wantBanner = false;
};

bool LegacyParser::declare(std::string_view line) {
  const auto d = parseDeclaration(line);
  if (!d) return false;
  std::optional<Role> role;
  if (d->name == "depend")
    role = Role::Depend;
  else if (d->name == "model_name" && d->type == 10)
    role = Role::ModelName;
  else if (d->name == "model_type")
    role = Role::ModelType;
  else if (d->name == "bom_count")
    role = Role::BomCount;
  else if (d->name == "dep_type")
    role = Role::DepType;
  else if (d->name == "comp_dep_types")
    role = Role::CompDepTypes;
  // Ids are unique per declaration, names are not: a later declaration of an
  // id replaces what it meant, and a name may come back under a new id.
  if (!role) {
    m_roles.erase(d->id);
    return true;
  }
  if (m_roles.size() >= kMaxTrackedFields && !m_roles.contains(d->id)) return false;
  m_roles[d->id] = *role;
  if (*role == Role::Depend && m_phase == Phase::BeforeTable) m_dependDeclaration = m_lines.lineOffset();
  return true;
}

bool LegacyParser::addInstanceType(std::int64_t value, std::int64_t copies) {
  if (value & kActive) m_element.activeInstances += copies;
  if (value == kSuppressed) m_element.suppressedInstances += copies;
  return true;
}

// "$v1,k*v2,..." with a trailing comma when the list goes on in the next "$" line.
bool LegacyParser::addInstanceTypes(std::string_view list) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    if (item.empty()) continue;
    std::int64_t copies = 1;
    std::string_view value = item;
    if (const std::size_t star = item.find('*'); star != std::string_view::npos) {
      const auto k = parseInt(item.substr(0, star));
      if (!k || *k < 0 || *k > kMaxRepeat) return false;
      copies = *k;
      value = item.substr(star + 1);
    }
    const auto v = parseInt(value);
    if (!v) return false;
    addInstanceType(*v, copies);
  }
  return true;
}

bool LegacyParser::finishElement() {
  if (!m_inElement) return true;
  m_inElement = false;
  m_inInstanceTypes = false;
  const Element e = std::move(m_element);
  m_element = {};
  if (!e.hasName) {
    fail(QStringLiteral("an element without a model name"));
    return false;
  }
  const QString fullName = fromWindows1252(e.name);
  // Layouts (type 19) and references carry neither placement bit.
  if (!(e.depType & (kActive | kSuppressed)) || e.modelType == kLayoutType) return true;
  if (e.modelType != 1 && e.modelType != 2) {
    m_notes << QStringLiteral("%1 has the unknown model type %2 and is not listed").arg(fullName).arg(e.modelType);
    return true;
  }
  ModelComponent c;
  const qsizetype bang = fullName.indexOf(u'!');
  c.name = bang < 0 ? fullName : fullName.left(bang);
  if (bang >= 0) c.generic = fullName.mid(bang + 1);
  if (c.name.isEmpty()) {
    m_notes << QStringLiteral("a component without a name was left out");
    return true;
  }
  c.type = e.modelType == 1 ? ComponentType::Assembly : ComponentType::Part;
  if (e.hasInstanceTypes) {
    c.quantity = e.activeInstances;
    c.suppressed = e.suppressedInstances;
  } else {
    c.quantity = (e.depType & kActive) ? e.bomCount : 0;
    c.suppressed = e.depType == kSuppressed ? e.bomCount : 0;
    if ((e.depType & kActive) && (e.depType & kSuppressed))
      m_notes << QStringLiteral(
                     "the quantity of %1 includes suppressed instances: this release does not record "
                     "which of its %2 instances are suppressed")
                     .arg(c.name)
                     .arg(e.bomCount);
  }
  m_found.push_back(std::move(c));
  return true;
}

// One line inside the table; false ends the table (the line belongs to what follows).
bool LegacyParser::tableLine(std::string_view line) {
  if (line.starts_with('#')) return false;
  if (line.starts_with('@')) {
    if (!declare(line)) fail(QStringLiteral("a malformed declaration"));
    return !m_model.failed;
  }
  if (line.starts_with('$')) {
    if (m_inInstanceTypes && !addInstanceTypes(line.substr(1))) fail(QStringLiteral("a malformed value list"));
    m_tableEnd = m_lines.lineEnd();
    return !m_model.failed;
  }
  const auto l = parseLevelLine(line);
  if (!l) {
    fail(QStringLiteral("a line of unknown form"));
    return false;
  }
  if (l->level <= 1) return false;
  m_tableEnd = m_lines.lineEnd();
  if (l->level == 2) {
    if (l->id != m_dependId || !l->value.empty()) {
      fail(QStringLiteral("an unexpected level-2 line"));
      return false;
    }
    if (!finishElement()) return false;
    m_inElement = true;
    ++m_elementCount;
    return true;
  }
  if (!m_inElement) {
    fail(QStringLiteral("a field outside any element"));
    return false;
  }
  if (l->level > 3) {
    // A one-element array is written as a level line instead of a "$" line.
    if (m_inInstanceTypes && l->level == 4 && l->id == m_instanceTypesId) {
      const auto v = parseInt(l->value);
      if (!v)
        fail(QStringLiteral("a malformed instance type"));
      else
        addInstanceType(*v, 1);
    }
    return !m_model.failed;
  }
  m_inInstanceTypes = false;
  const Role* role = roleOf(l->id);
  if (!role) return true;
  if (*role == Role::ModelName) {
    m_element.name.assign(l->value);
    m_element.hasName = true;
    return true;
  }
  if (*role == Role::CompDepTypes) {
    if (l->value == "NULL") return true;
    if (!parseArrayCount(l->value)) {
      fail(QStringLiteral("a malformed instance type array"));
      return false;
    }
    m_element.hasInstanceTypes = true;
    m_inInstanceTypes = true;
    m_instanceTypesId = l->id;
    return true;
  }
  if (*role == Role::Depend) return true;
  const auto v = parseInt(l->value);
  if (!v) {
    fail(QStringLiteral("a malformed number"));
    return false;
  }
  if (*role == Role::ModelType)
    m_element.modelType = *v;
  else if (*role == Role::BomCount)
    m_element.bomCount = *v;
  else if (*role == Role::DepType)
    m_element.depType = *v;
  return true;
}

void LegacyParser::finishTable() {
  if (m_model.failed || !finishElement()) return;
  if (m_elementCount != m_claimedElements) {
    fail(QStringLiteral("it declares %1 elements but holds %2").arg(m_claimedElements).arg(m_elementCount));
    return;
  }
  m_model.dependBegin = m_dependDeclaration;
  m_model.dependEnd = m_tableEnd;
  for (ModelComponent& c : m_found) m_model.add(std::move(c));
  m_model.notes << m_notes;
}

void LegacyParser::readBannerAt(std::int64_t offset) {
  std::string head;
  if (!m_source.read(offset, 512, head, nullptr)) return;
  m_model.writer = writerFromBanner(std::string_view(head).substr(0, head.find('\n')));
}

// After the table: the banner that follows the object, and the own model name,
// the first level-1 "model_name" string (in Release 14-18 after the banner).
void LegacyParser::tailLine(std::string_view line) {
  if (line.starts_with('#')) {
    if (line.starts_with("#UGC_TOC") || line.starts_with("#END_OF_UGC")) {
      m_wantName = m_wantBanner = false;
    } else if (line.starts_with("#END_OF_P_OBJECT")) {
      m_afterObject = true;
    } else if (m_wantBanner && m_afterObject) {
      const QString writer = writerFromBanner(line);
      if (!writer.isEmpty()) {
        m_model.writer = writer;
        m_wantBanner = false;
      }
    }
    return;
  }
  if (line.starts_with('@')) {
    declare(line);
    return;
  }
  if (!m_wantName || line.empty() || line[0] != '1') return;
  const auto l = parseLevelLine(line);
  if (!l || l->level != 1 || l->value.empty() || l->value == "NULL") return;
  const Role* role = roleOf(l->id);
  if (role && *role == Role::ModelName) {
    m_model.model = fromWindows1252(l->value);
    m_wantName = false;
  }
}

void LegacyParser::run() {
  m_wantName = m_model.model.isEmpty();
  m_wantBanner = true;
  if (m_bannerOffset >= 0) {
    readBannerAt(m_bannerOffset);
    m_wantBanner = m_model.writer.isEmpty();
  }
  std::string_view line;
  for (;;) {
    const LineReader::Status status = m_lines.next(line);
    if (status != LineReader::Status::Line) {
      if (m_phase == Phase::Table) {
        if (status == LineReader::Status::End)
          finishTable();
        else
          fail(status == LineReader::Status::TooLong ? QStringLiteral("a line longer than 1 MB") : m_lines.error);
      } else if (m_phase != Phase::Tail) {
        fail(status == LineReader::Status::Failed ? m_lines.error : QStringLiteral("no @depend table"));
      }
      return;
    }
    switch (m_phase) {
      case Phase::Start:
        if (!line.starts_with("#P_OBJECT")) return fail(QStringLiteral("no #P_OBJECT line"));
        m_phase = Phase::BeforeTable;
        break;
      case Phase::BeforeTable: {
        if (line.starts_with('#')) return fail(QStringLiteral("no @depend table"));
        if (line.starts_with('@')) {
          if (!declare(line)) return fail(QStringLiteral("a malformed declaration"));
          break;
        }
        const auto l = parseLevelLine(line);
        if (!l) return fail(QStringLiteral("a line of unknown form"));
        const Role* role = roleOf(l->id);
        if (l->level != 1 || !role || *role != Role::Depend) break;
        m_dependId = l->id;
        if (m_dependDeclaration < 0) m_dependDeclaration = m_lines.lineOffset();
        m_tableEnd = m_lines.lineEnd();
        if (l->value == "NULL") {
          m_claimedElements = 0;
        } else if (const auto n = parseArrayCount(l->value)) {
          m_claimedElements = *n;
        } else {
          return fail(QStringLiteral("a malformed element count"));
        }
        m_phase = Phase::Table;
        break;
      }
      case Phase::Table:
        if (tableLine(line)) break;
        if (m_model.failed) return;
        finishTable();
        if (m_model.failed) return;
        m_phase = Phase::Tail;
        tailLine(line);
        break;
      case Phase::Tail:
        tailLine(line);
        break;
    }
    if (m_phase == Phase::Tail && !m_wantName && !m_wantBanner) return;
  }
}

}  // namespace

std::optional<LevelLine> parseLevelLine(std::string_view line) {
  const std::size_t a = line.find(' ');
  if (a == std::string_view::npos) return std::nullopt;
  const std::size_t b = line.find(' ', a + 1);
  const auto level = parseInt(line.substr(0, a));
  const auto id = parseInt(line.substr(a + 1, b == std::string_view::npos ? std::string_view::npos : b - a - 1));
  if (!level || !id || *level < 0) return std::nullopt;
  return LevelLine{*level, *id, b == std::string_view::npos ? std::string_view{} : line.substr(b + 1)};
}

void readLegacyText(const ByteSource& source, std::int64_t pObject, std::int64_t bannerOffset, AssemblyModel& model) {
  LegacyParser(source, pObject, bannerOffset, model).run();
}

}  // namespace kelvaron::reader
