#include "reader/legacyparams.h"

#include "reader/container.h"
#include "reader/legacytext.h"

#include <bit>
#include <charconv>
#include <string>
#include <unordered_map>

namespace kelvaron::reader {

namespace {

constexpr std::int64_t kBlock = 64 * 1024;
constexpr std::size_t kMaxLine = std::size_t{1} << 20;
constexpr std::int64_t kMaxText = std::int64_t{64} << 20;
constexpr std::size_t kMaxDeclarations = 100'000;

std::optional<std::int64_t> parseInt(std::string_view s) {
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

QString latin(std::string_view s) {
  // Legacy names and values are Windows-1252; the printable range below 0x80
  // and the Latin-1 letters are the same in both.
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Lines of a source from an offset, read a block at a time.
class Lines {
 public:
  Lines(const ByteSource& source, std::int64_t at) : m_source(source), m_at(at) {}
  // The next line without its LF or CR; nothing at the end or on a read
  // error, an overlong line or too much text (then `stop` says why).
  std::optional<std::string_view> next() {
    std::size_t lf = m_buffer.find('\n', m_used);
    while (lf == std::string::npos) {
      if (m_buffer.size() - m_used > kMaxLine) return stopWith(QStringLiteral("a line longer than 1 MB"));
      if (m_read >= kMaxText) return stopWith(QStringLiteral("more than 64 MB of text"));
      QString error;
      if (!m_source.read(m_at, kBlock, m_block, &error)) return stopWith(error);
      if (m_block.empty()) {
        if (m_used >= m_buffer.size()) return std::nullopt;
        m_buffer += '\n';
      }
      m_at += static_cast<std::int64_t>(m_block.size());
      m_read += static_cast<std::int64_t>(m_block.size());
      m_buffer.erase(0, m_used);
      m_used = 0;
      m_buffer += m_block;
      lf = m_buffer.find('\n');
    }
    std::string_view line = std::string_view(m_buffer).substr(m_used, lf - m_used);
    m_used = lf + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
  }
  QString stop;

 private:
  std::optional<std::string_view> stopWith(const QString& why) {
    stop = why;
    return std::nullopt;
  }
  const ByteSource& m_source;
  std::int64_t m_at;
  std::int64_t m_read = 0;
  std::string m_buffer, m_block;
  std::size_t m_used = 0;
};

// One user_symbols element as far as it was read.
struct Element {
  std::optional<QString> name;
  std::optional<std::int64_t> type;
  std::optional<std::string> value;  // the value line's text, kept past the line buffer
};

class LegacyReader {
 public:
  LegacyReader(const ByteSource& source, std::int64_t at, bool withBasicText, LegacyModelData& out)
      : m_lines(source, at), m_withBasicText(withBasicText), m_out(out) {}

  void run() {
    while (const auto line = m_lines.next()) {
      if (!take(*line)) return;
    }
    finishElement();
    if (!m_lines.stop.isEmpty()) m_out.notes << QStringLiteral("legacy text: %1; kept what was read before").arg(m_lines.stop);
  }

 private:
  // False once nothing more is wanted.
  bool take(std::string_view line) {
    if (line.starts_with('#')) {
      finishElement();
      m_inUserSymbols = false;
      if (line.starts_with("#END_OF_P_OBJECT")) {
        m_afterObject = true;
        return m_withBasicText;
      }
      if (m_afterObject && m_out.writer.isEmpty()) m_out.writer = writerFromBanner(line);
      if (m_afterObject) {
        if (m_inBasicText) return false;  // the block after BasicText: no mat_name_ptr there
        m_inBasicText = line == "#BasicText";
        m_ids.clear();
      }
      return !line.starts_with("#END_OF_UGC") && !line.starts_with("#UGC_TOC");
    }
    if (line.starts_with('@')) return declare(line.substr(1));
    if (m_afterObject && !m_inBasicText) return true;
    const auto l = parseLevelLine(line);
    if (!l) return true;
    const auto it = m_ids.find(l->id);
    const std::string_view name = it == m_ids.end() ? std::string_view{} : std::string_view(it->second);
    if (m_inBasicText) {
      if (l->level == 1 && name == "mat_name_ptr") {
        if (!l->value.empty() && l->value != "NULL") m_out.material = latin(l->value);
        return false;
      }
      return true;
    }
    if (l->level <= 1) {
      finishElement();
      m_inUserSymbols = l->level == 1 && name == "user_symbols";
      if (m_inUserSymbols) m_out.hasUserSymbols = true;
      return true;
    }
    if (!m_inUserSymbols) return true;
    if (l->level == 2) {
      finishElement();
      m_inElement = true;
      return true;
    }
    // Members at level 3, the value struct's type and value(<kind>) at level
    // 4; the element's other "type" sits at level 3 and means something else.
    if (l->level == 3 && name == "name") m_element.name = l->value == "NULL" ? QString() : latin(l->value);
    if (l->level == 4 && name == "type") m_element.type = parseInt(l->value);
    if (l->level == 4 && name.starts_with("value")) {
      m_element.value = std::string(l->value);
    }
    return true;
  }

  bool declare(std::string_view d) {
    const std::size_t a = d.find(' ');
    const std::size_t b = a == std::string_view::npos ? a : d.find(' ', a + 1);
    if (b == std::string_view::npos) return true;
    const auto id = parseInt(d.substr(a + 1, b - a - 1));
    if (!id) return true;
    if (m_ids.size() >= kMaxDeclarations && !m_ids.contains(*id)) {
      m_out.notes << QStringLiteral("legacy text: more than 100000 declarations; kept what was read before");
      return false;
    }
    m_ids[*id] = std::string(d.substr(0, a));
    return true;
  }

  void finishElement() {
    if (!m_inElement) return;
    m_inElement = false;
    Element e = std::move(m_element);
    m_element = {};
    if (!e.name || e.name->isEmpty() || !e.type) {
      m_out.notes << QStringLiteral("legacy text: a user_symbols element without a name or type was left out");
      return;
    }
    Parameter p;
    p.name = *e.name;
    const std::string_view v = e.value ? std::string_view(*e.value) : std::string_view("NULL");
    switch (*e.type) {
      case 50:
        p.type = ParameterType::Real;
        if (const auto d = legacyDouble(v)) p.value = *d;
        break;
      case 51:
      case 54:
        p.type = *e.type == 51 ? ParameterType::String : ParameterType::Note;
        if (v != "NULL") p.value = latin(v);
        break;
      case 52:
      case 53:
        p.type = *e.type == 52 ? ParameterType::Integer : ParameterType::Boolean;
        if (const auto i = parseInt(v)) {
          if (*e.type == 52) p.value = *i;
          else p.value = *i != 0;
        }
        break;
      default:
        m_out.notes << QStringLiteral("parameter %1 has the unknown type %2 and is left out").arg(p.name).arg(*e.type);
        return;
    }
    m_out.parameters.push_back(std::move(p));
  }

  Lines m_lines;
  bool m_withBasicText;
  LegacyModelData& m_out;
  std::unordered_map<std::int64_t, std::string> m_ids;
  bool m_inUserSymbols = false;
  bool m_inElement = false;
  bool m_afterObject = false;
  bool m_inBasicText = false;
  Element m_element;
};

}  // namespace

std::optional<double> legacyDouble(std::string_view text) {
  if (text.empty() || text.size() > 17) return std::nullopt;
  std::string digits(text);
  if (digits.back() == 'R') {
    digits.pop_back();
    if (digits.empty()) return std::nullopt;
    digits.resize(16, digits.back());
  }
  if (digits.size() > 16) return std::nullopt;
  digits.resize(16, '0');
  std::uint64_t bits = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return std::bit_cast<double>(bits);
}

LegacyModelData readLegacyModelData(const ByteSource& source, std::int64_t pObject, bool withBasicText) {
  LegacyModelData out;
  LegacyReader(source, pObject, withBasicText, out).run();
  return out;
}

}  // namespace kelvaron::reader
