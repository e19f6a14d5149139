#include "reader/depdb.h"

#include "core/reader/corpus.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kelvaron::reader {
namespace {

struct Dep {
  int toModel, depType, objId, objType;
};
struct Model {
  int type;
  std::string name, generic;
};

std::string code(int v) {
  if (v < 0) return "\xF5" + code(-v);
  if (v < 0x80) return std::string(1, static_cast<char>(v));
  return {static_cast<char>(0x80 | (v >> 8)), static_cast<char>(v & 0xFF)};
}
std::string declare(char type, const char* name) { return std::string("\xE0", 1) + type + name + '\0'; }

// A DEPDB_DATA payload laid out as the writer does: declarations with the
// first record, layout references and markers between the elements, NULL slots.
std::string depdb(const std::vector<std::optional<Dep>>& deps, const std::vector<std::optional<Model>>& models) {
  std::string out = declare(0, "p_dep_db") + "\xE3" + declare(0, "dep_db") + "\xF8" + code(int(deps.size()));
  bool first = true;
  for (const auto& d : deps) {
    out += first ? "\xF7\x02\xFB" : "\xF1\xF7\x02";
    if (!d) {
      out += "\xE1";
      continue;
    }
    out += "\xE3";
    const auto field = [&](const char* name, int v) { out += (first ? declare(1, name) : "") + code(v); };
    field("to_model_id", d->toModel);
    field("dep_type", d->depType);
    field("obj_id", d->objId);
    field("obj_type", d->objType);
    first = false;
  }
  out += declare(0, "model_db") + "\xF2\xF8" + code(int(models.size()));
  first = true;
  for (const auto& m : models) {
    out += first ? "\xF7\x07\xFB" : "\xF2\xF7\x07";
    if (!m) {
      out += "\xE1";
      continue;
    }
    out += "\xE3";
    out += (first ? declare(1, "model_t_type") : "") + code(m->type);
    out += (first ? declare(10, "model_name") : "") + m->name + '\0';
    out += (first ? declare(10, "generic_name") : "") + m->generic + '\0';
    out += (first ? declare(0, "stamp") : "") + "\xE2";
    first = false;
  }
  return out + "\xF4\x04";
}

TEST(Depdb, SyntheticTables) {
  const struct {
    const char* what;
    std::string payload;
    QStringList lines;
  } cases[] = {
      {"placements index model_db, NULL slots included",
       depdb({Dep{0, 2, 40, 3}, std::nullopt, Dep{2, 2, 41, 3}, Dep{0, 2, 42, 3}},
             {Model{2, "A", ""}, std::nullopt, Model{1, "C", ""}}),
       {"A part 2 0 ", "C assembly 1 0 "}},
      {"references and non-feature entries place nothing",
       depdb({Dep{0, 10, 7, 3}, Dep{-3, 4, 1, 242}, Dep{0, 8, 9, 3}, Dep{1, 2, 7, 3}},
             {Model{2, "SHROUD", ""}, Model{2, "KNOB", ""}}),
       {"KNOB part 1 0 "}},
      {"flexible variants count under their generic",
       depdb({Dep{0, 2, 5, 3}, Dep{1, 2, 6, 3}, Dep{2, 2, 7, 3}},
             {Model{2, "ROLLER", ""}, Model{2, "ROLLER#AF1", "ROLLER"}, Model{2, "ROLLER#AF2", ""}}),
       {"ROLLER part 3 0 "}},
      {"a family-table instance keeps its generic", depdb({Dep{0, 2, 5, 3}}, {Model{2, "BOLT_M4", "BOLT"}}),
       {"BOLT_M4 part 1 0 BOLT"}},
      {"no placements at all", depdb({Dep{-3, 4, 1, 242}}, {Model{2, "A", ""}}), {}},
  };
  for (const auto& c : cases) {
    AssemblyModel model;
    EXPECT_TRUE(readDepdb(c.payload, model)) << c.what;
    EXPECT_EQ(test::modelLines(model), c.lines) << c.what;
  }
}

TEST(Depdb, DamagedTablesAreRefusedAndLeaveTheModelAlone) {
  const std::string good = depdb({Dep{0, 2, 40, 3}, Dep{1, 2, 41, 3}}, {Model{2, "A", ""}, Model{1, "B", "G"}});
  std::vector<std::pair<std::string, std::string>> cases = {
      {"a placement of a NULL slot", depdb({Dep{1, 2, 40, 3}}, {Model{2, "A", ""}, std::nullopt})},
      {"a placement past model_db", depdb({Dep{2, 2, 40, 3}}, {Model{2, "A", ""}})},
      {"a model of unknown type", depdb({Dep{0, 2, 40, 3}}, {Model{19, "L", ""}})},
      {"a count far beyond the bytes", std::string(declare(0, "p_dep_db") + "\xE3" + declare(0, "dep_db") +
                                                   "\xF8\xEB\x7F\xFF\xFF\xFF\xE1\xE1")},
      {"another field where dep_db belongs", declare(0, "p_dep_db") + "\xE3" + declare(0, "model_db") + "\xF8\x00"},
  };
  // Every cut before the closing F4 04 loses bytes the list needs.
  for (std::size_t cut = 0; cut + 2 < good.size(); ++cut) cases.emplace_back("cut at " + std::to_string(cut), good.substr(0, cut));
  for (const auto& [what, payload] : cases) {
    AssemblyModel model;
    model.notes << QStringLiteral("before");
    EXPECT_FALSE(readDepdb(payload, model)) << what;
    EXPECT_TRUE(model.components.empty()) << what;
    EXPECT_EQ(model.notes, QStringList{QStringLiteral("before")}) << what;
  }
}

}  // namespace
}  // namespace kelvaron::reader
