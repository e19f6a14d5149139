#include "reader/depdb.h"

#include "reader/bytecursor.h"
#include "reader/intcode.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace kelvaron::reader {

namespace {

constexpr std::uint8_t kDeclare = 0xE0;
constexpr std::uint8_t kNull = 0xE1;
constexpr std::uint8_t kInline = 0xE2;
constexpr std::uint8_t kPointer = 0xE3;
constexpr std::uint8_t kArray = 0xF8;
constexpr std::int64_t kPlacement = 3;  // obj_type of a component feature
constexpr std::int64_t kActive = 2;
constexpr std::int64_t kReference = 8;
// A NULL slot is one byte, so a small file that decodes to a long run of
// them claims millions: the slots are counted against a budget of their own
// (real tables hold hundreds), and only the records present are kept.
constexpr std::int64_t kMaxSlots = std::int64_t{1} << 22;

/// One model_db record, with the index of its slot (NULL slots take an index too).
struct DbModel {
  std::int64_t slot = 0;
  std::int64_t type = 0;
  std::string name;
  std::string generic;
};

class DepdbParser {
 public:
  explicit DepdbParser(std::string_view payload) : m_in(payload) {}

  /// Empty when the payload was read; else why not.
  QString run(std::vector<std::int64_t>& placements, std::vector<DbModel>& models);

 private:
  // Layout references and end markers sit between values; none carries data the list needs.
  void skipLayout() {
    for (;;) {
      const auto b = m_in.peek();
      if (!b) return;
      if (*b == 0xF7) {
        if (!m_in.skip(2)) return;
      } else if (*b == 0xFB || *b == 0xF1 || *b == 0xF2 || *b == 0xF3) {
        m_in.skip(1);
      } else {
        return;
      }
    }
  }
  /// Steps over the layout bytes and, when there is one, the declaration of
  /// field `name`; false when another field is declared there.
  bool field(std::string_view name) {
    skipLayout();
    if (m_in.peek() == kDeclare) {
      m_in.skip(1);
      if (!m_in.u8()) return false;
      const auto declared = m_in.cstring();
      if (!declared || *declared != name) return false;
      skipLayout();
    }
    return true;
  }
  std::optional<std::int64_t> integer(std::string_view name) {
    if (!field(name)) return std::nullopt;
    const auto code = readIntCode(m_in);
    if (!code || code->kind != IntCode::Kind::Value) return std::nullopt;
    return code->value;
  }
  std::optional<std::string_view> string(std::string_view name) {
    if (!field(name)) return std::nullopt;
    return m_in.cstring();
  }
  /// The `F8 n` count of the array field `name`.
  std::optional<std::int64_t> arrayCount(std::string_view name) {
    if (!field(name) || m_in.u8() != kArray) return std::nullopt;
    const auto code = readIntCode(m_in);
    if (!code || code->kind != IntCode::Kind::Value || code->value < 0) return std::nullopt;
    return code->value;
  }
  /// The next element's lead: a pointer (true), or a NULL slot (false).
  std::optional<bool> element() {
    skipLayout();
    const auto b = m_in.u8();
    if (b == kPointer) return true;
    if (b == kNull) return false;
    return std::nullopt;
  }

  ByteCursor m_in;
};

QString DepdbParser::run(std::vector<std::int64_t>& placements, std::vector<DbModel>& models) {
  if (!field("p_dep_db") || m_in.u8() != kPointer) return QStringLiteral("no p_dep_db record");
  // Each element takes at least one byte, so a count can claim no more work than the bytes allow.
  const auto dependencies = arrayCount("dep_db");
  if (!dependencies) return QStringLiteral("no dep_db array");
  if (*dependencies > kMaxSlots) return QStringLiteral("dep_db claims %1 slots, more than %2").arg(*dependencies).arg(kMaxSlots);
  for (std::int64_t i = 0; i < *dependencies; ++i) {
    const auto present = element();
    if (!present) return QStringLiteral("dep_db element %1 is neither a record nor NULL").arg(i);
    if (!*present) continue;
    const auto toModel = integer("to_model_id");
    const auto depType = integer("dep_type");
    const auto objId = integer("obj_id");
    const auto objType = integer("obj_type");
    if (!toModel || !depType || !objId || !objType) return QStringLiteral("dep_db element %1 is malformed").arg(i);
    // A feature that merely refers to a model (dep_type 8 set) places nothing.
    if (*objType == kPlacement && (*depType & kActive) && !(*depType & kReference)) placements.push_back(*toModel);
  }
  const auto modelCount = arrayCount("model_db");
  if (!modelCount) return QStringLiteral("no model_db array");
  if (*modelCount > kMaxSlots) return QStringLiteral("model_db claims %1 slots, more than %2").arg(*modelCount).arg(kMaxSlots);
  for (std::int64_t i = 0; i < *modelCount; ++i) {
    const auto present = element();
    if (!present) return QStringLiteral("model_db element %1 is neither a record nor NULL").arg(i);
    if (!*present) continue;
    const auto type = integer("model_t_type");
    const auto name = type ? string("model_name") : std::nullopt;
    const auto generic = name ? string("generic_name") : std::nullopt;
    if (!generic || !field("stamp")) return QStringLiteral("model_db element %1 is malformed").arg(i);
    const auto stamp = m_in.u8();
    if (stamp != kInline && stamp != kNull && stamp != 0xF6)
      return QStringLiteral("model_db element %1 has a stamp of unknown form").arg(i);
    models.push_back({i, *type, std::string(*name), std::string(*generic)});
  }
  return {};
}

}  // namespace

bool readDepdb(std::string_view payload, AssemblyModel& model) {
  std::vector<std::int64_t> placements;
  std::vector<DbModel> models;
  QString why = DepdbParser(payload).run(placements, models);
  std::vector<ModelComponent> found;
  for (std::size_t i = 0; why.isEmpty() && i < placements.size(); ++i) {
    const std::int64_t at = placements[i];
    // Records come in slot order.
    const auto it = std::lower_bound(models.begin(), models.end(), at,
                                     [](const DbModel& m, std::int64_t slot) { return m.slot < slot; });
    if (it == models.end() || it->slot != at) {
      why = QStringLiteral("a placement of model %1, which model_db does not hold").arg(at);
      break;
    }
    const DbModel& m = *it;
    if (m.type != 1 && m.type != 2) {
      why = QStringLiteral("model %1 of unknown type %2").arg(QString::fromStdString(m.name)).arg(m.type);
      break;
    }
    ModelComponent c;
    c.type = m.type == 1 ? ComponentType::Assembly : ComponentType::Part;
    c.name = QString::fromUtf8(m.name.data(), static_cast<qsizetype>(m.name.size()));
    const QString generic = QString::fromUtf8(m.generic.data(), static_cast<qsizetype>(m.generic.size()));
    // A flexible variant "NAME#AFn" is counted under the model it varies.
    if (const qsizetype flexible = c.name.indexOf(QLatin1String("#AF")); flexible >= 0) {
      c.name = generic.isEmpty() ? c.name.left(flexible) : generic;
    } else {
      c.generic = generic;
    }
    c.quantity = 1;
    found.push_back(std::move(c));
  }
  // The caller, which chose this fallback, says what it means for the list.
  if (!why.isEmpty()) return false;
  for (ModelComponent& c : found) model.add(std::move(c));
  return true;
}

}  // namespace kelvaron::reader
