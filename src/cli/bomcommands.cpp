#include "cli/bomcommands.h"

#include "bom/bomjson.h"
#include "bom/bomtables.h"
#include "bom/partcolumns.h"
#include "bom/savefile.h"
#include "bom/xlsxtable.h"
#include "platform/filekind.h"
#include "platform/nativepath.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvaron::cli {

namespace {

QString fromArg(const std::string& s) { return platform::fromNativeBytes(s); }

QStringList fromArgs(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& s : list) out << fromArg(s);
  return out;
}

// What a run found wanting, gathered for the exit status and the closing line.
struct Shortfall {
  int missing = 0;
  int unreadable = 0;
  int cycles = 0;
  int unsearched = 0;  // folders that could not be listed
  bool cut = false;    // a limit cut the answer
  QString text() const {
    QStringList parts;
    if (missing > 0) parts << QStringLiteral("%1 missing").arg(missing);
    if (unreadable > 0) parts << QStringLiteral("%1 unreadable").arg(unreadable);
    if (cycles > 0) parts << QStringLiteral("%1 %2").arg(cycles).arg(cycles == 1 ? "cycle" : "cycles");
    if (unsearched > 0)
      parts << QStringLiteral("%1 %2 not searched").arg(unsearched).arg(unsearched == 1 ? "folder" : "folders");
    if (cut) parts << QStringLiteral("cut short");
    return parts.join(QStringLiteral(", "));
  }
};

// The steps every command shares: checking folders, telling notes and
// problems, delivering the result in the chosen format.
class Session {
 public:
  explicit Session(const CommandContext& c) : m_c(c) {}

  const Messages& messages() const { return m_c.messages; }

  // False (after a message) when a folder to search is not one.
  bool foldersExist(const QStringList& dirs) const {
    for (const QString& d : dirs) {
      QString why;
      if (d.isEmpty())
        why = QStringLiteral("an empty name is not a folder");
      else if (platform::isFile(d))
        why = QStringLiteral("not a folder");
      else if (!platform::isFolder(d))
        why = QStringLiteral("no such folder");
      if (!why.isEmpty()) {
        m_c.messages.problem({Problem::Kind::CannotSearch, d, why});
        return false;
      }
    }
    return true;
  }

  void notes(const QStringList& list) const {
    for (const QString& n : list) m_c.messages.note(n);
  }

  void problems(const std::vector<Problem>& list, Shortfall& s) const {
    for (const Problem& p : list) m_c.messages.problem(p);
    s.unsearched += static_cast<int>(list.size());
  }

  // The exit status of a run that delivered `delivered`, and the closing line
  // for an incomplete answer.
  ExitStatus close(bool delivered, const Shortfall& s) const {
    if (!delivered) return ExitStatus::Trouble;
    const QString text = s.text();
    if (text.isEmpty()) return ExitStatus::Success;
    m_c.messages.say(QStringLiteral("incomplete: ") + text);
    return ExitStatus::Found;
  }

  const std::string& format() const { return m_c.shared.format; }

  // Prints or saves the result in the chosen format: the table for text, CSV
  // and Excel, `json` for JSON. False after a message.
  bool deliver(const bom::Table& table, const std::function<void(bom::ByteSink&)>& json) const {
    const QString target = fromArg(m_c.shared.output);
    QString error;
    if (format() == "xlsx") {
      if (bom::isSpecialFile(target)) {
        m_c.messages.problem({Problem::Kind::CannotWrite, target, QStringLiteral("a workbook needs a regular file")});
        return false;
      }
      if (bom::writeXlsx(table, target, &error)) return true;
      m_c.messages.say(error);
      return false;
    }
    bom::ResultTarget out;
    if (!out.open(target, m_c.out, &error)) {
      m_c.messages.say(error);
      return false;
    }
    if (format() == "json")
      json(out);
    else if (format() == "csv")
      bom::printCsv(table, out);
    else
      bom::printText(table, out);
    if (out.finish(&error)) return true;
    m_c.messages.say(error);
    return false;
  }

  // The one pass over the folders of where-used and check, its problems and
  // notes told; nothing (after a message) when a folder is not one.
  std::optional<bom::ProjectScan> scan(const QStringList& dirs, bool latest, Shortfall& shortfall) const {
    if (!foldersExist(dirs)) return std::nullopt;
    bom::ProjectScan scan = bom::scanProject(dirs, latest, m_c.loader, m_c.jobs());
    problems(scan.problems, shortfall);
    notes(scan.notes);
    return scan;
  }

 private:
  const CommandContext& m_c;
};

struct BomArgs {
  bool flat = false;
  int depth = 0;
  std::vector<std::string> search;
  std::vector<std::string> parameters;
  bool material = false;
  bool mass = false;
  std::string assembly;
};

ExitStatus runBom(const BomArgs& a, const CommandContext& c) {
  const Session s(c);
  const QString assembly = fromArg(a.assembly);
  if (assembly.isEmpty()) {
    c.messages.problem({Problem::Kind::CannotRead, {}, QStringLiteral("an empty name is not a file")});
    return ExitStatus::Trouble;
  }
  if (!s.foldersExist(fromArgs(a.search))) return ExitStatus::Trouble;
  const bom::Product product = bom::loadProduct(assembly, fromArgs(a.search), c.loader);
  if (!product.topReadable()) {
    c.messages.say(product.nodes.front().error);
    return ExitStatus::Trouble;
  }
  Shortfall shortfall;
  s.problems(product.problems, shortfall);
  s.notes(product.notes);
  const bom::Shortfall lacking = bom::shortfallOf(product);
  shortfall.missing = lacking.missing;
  shortfall.unreadable = lacking.unreadable;
  shortfall.cycles = lacking.cycles;
  // Part data comes from each row's own file, read once however often it is placed.
  const bom::PartColumns columns{fromArgs(a.parameters), a.material, a.mass};
  bom::PartDataCache partData(columns, &reader::readModelDataFile);
  bom::PartDataCache* parts = columns.any() ? &partData : nullptr;
  bool ok = false;
  if (a.flat) {
    QStringList differ, cut;
    const auto items = bom::flatItems(product, a.depth, &differ, &cut);
    s.notes(differ + cut);
    bom::Table table = bom::flatTable(items, bom::folderOf(product.top), parts);
    table.notes = cut;
    ok = s.deliver(table, [&](bom::ByteSink& out) {
      bom::writeFlatJson(product, items, product.notes + differ + cut, out, parts);
    });
  } else {
    const bom::Table table = bom::treeTable(product, a.depth, parts);
    s.notes(table.notes);
    shortfall.cut = std::any_of(table.notes.begin(), table.notes.end(),
                                [](const QString& n) { return n.contains(QStringLiteral(" rows")); });
    ok = s.deliver(table, [&](bom::ByteSink& out) {
      bom::writeTreeJson(product, a.depth, product.notes + table.notes, out, parts);
    });
  }
  return s.close(ok, shortfall);
}

struct WhereArgs {
  bool indirect = false;
  bool latest = false;
  std::vector<std::string> names;
  std::vector<std::string> in;
};

ExitStatus runWhereUsed(const WhereArgs& a, const CommandContext& c) {
  const Session s(c);
  Shortfall shortfall;
  const std::optional<bom::ProjectScan> found = s.scan(fromArgs(a.in), a.latest, shortfall);
  if (!found) return ExitStatus::Trouble;
  const bom::ProjectScan& scan = *found;
  for (const bom::ScannedAssembly& assembly : scan.assemblies) {
    if (assembly.error.isEmpty()) continue;
    c.messages.say(assembly.error);
    ++shortfall.unreadable;
  }
  std::vector<std::pair<QString, std::vector<bom::Usage>>> results;
  std::vector<QStringList> notesOf;
  QStringList cuts;  // said after the rows too: the list is not whole
  for (const QString& name : fromArgs(a.names)) {
    QStringList notes;
    results.emplace_back(name, bom::whereUsed(scan, name, a.indirect, &notes));
    s.notes(notes);
    for (const QString& n : notes) {
      if (n.startsWith(QStringLiteral("cycle: "))) {
        ++shortfall.cycles;
      } else {
        shortfall.cut = true;
        cuts << n;
      }
    }
    notesOf.push_back(notes);
  }
  bom::Table table = bom::whereUsedTable(results, a.indirect);
  table.notes = cuts;
  const bool ok = s.deliver(table, [&](bom::ByteSink& out) {
    for (std::size_t i = 0; i < results.size(); ++i)
      bom::writeWhereUsedJson(results[i].first, results[i].second, a.indirect, notesOf[i], out);
  });
  return s.close(ok, shortfall);
}

struct CheckArgs {
  bool latest = false;
  std::vector<std::string> dirs;
};

ExitStatus runCheck(const CheckArgs& a, const CommandContext& c) {
  const Session s(c);
  Shortfall shortfall;
  const std::optional<bom::ProjectScan> scan = s.scan(fromArgs(a.dirs), a.latest, shortfall);
  if (!scan) return ExitStatus::Trouble;
  const bom::CheckResult result = bom::checkProject(*scan);
  shortfall.missing = static_cast<int>(result.missing.size());
  shortfall.unreadable = static_cast<int>(result.unreadable.size());
  shortfall.cycles = static_cast<int>(result.cycles.size());
  const bool ok =
      s.deliver(bom::checkTable(result), [&](bom::ByteSink& out) { bom::writeCheckJson(result, scan->notes, out); });
  return s.close(ok, shortfall);
}

ExitStatus runDiff(const std::vector<std::string>& files, const CommandContext& c) {
  const Session s(c);
  const QString oldPath = fromArg(files.at(0)), newPath = fromArg(files.at(1));
  const reader::FileModel oldFile = c.loader(oldPath);
  const reader::FileModel newFile = c.loader(newPath);
  bool readable = true;
  for (const auto& [path, file] : {std::pair{oldPath, &oldFile}, std::pair{newPath, &newFile}}) {
    if (const QString why = bom::unreadableReason(path, *file); !why.isEmpty()) {
      c.messages.say(why);
      readable = false;
    }
  }
  if (!readable) return ExitStatus::Trouble;
  const auto changes = bom::diffModels(oldFile.model, newFile.model);
  if (!s.deliver(bom::diffTable(changes),
                 [&](bom::ByteSink& out) { bom::writeDiffJson(oldPath, newPath, changes, out); }))
    return ExitStatus::Trouble;
  return changes.empty() ? ExitStatus::Success : ExitStatus::Found;
}

const char* const kLatestHelp = "of NAME.asm.N in one folder read only the highest N";

}  // namespace

Command bomCommand() {
  return {"bom", "the product structure below ASSEMBLY, as a tree or flat totals", [](CLI::App& app) -> CommandRun {
            auto a = std::make_shared<BomArgs>();
            app.add_flag("--flat", a->flat, "one row per distinct component with total quantities");
            app.add_option("--depth", a->depth, "only N levels of components below the top")
                ->check(CLI::Range(1, bom::kMaxProductDepth));
            app.add_option("--search", a->search, "also look for component files in DIR and its subfolders (repeatable)")
                ->allow_extra_args(false);
            app.add_option("--param", a->parameters,
                           "a column with each component's parameter NAME, case ignored (repeatable)")
                ->allow_extra_args(false);
            app.add_flag("--material", a->material, "a column with each component's material");
            app.add_flag("--mass", a->mass, "columns with each component's mass and volume, in its model's units");
            app.add_option("ASSEMBLY", a->assembly, "the top assembly file")->required();
            return [a](const CommandContext& c) { return runBom(*a, c); };
          }};
}

Command whereUsedCommand() {
  return {"where-used", "the assemblies under DIR... that place NAME", [](CLI::App& app) -> CommandRun {
            auto a = std::make_shared<WhereArgs>();
            app.add_flag("--indirect", a->indirect, "follow the users up to the top assemblies, quantities multiplied");
            app.add_flag("--latest", a->latest, kLatestHelp);
            app.add_option("NAME", a->names, "component names (or file names), case ignored")->required();
            app.add_option("--in", a->in, "the folders to search, with subfolders")->required();
            return [a](const CommandContext& c) { return runWhereUsed(*a, c); };
          }};
}

Command checkCommand() {
  return {"check", "missing, unreadable and unused files, cycles, and the top assemblies",
          [](CLI::App& app) -> CommandRun {
            auto a = std::make_shared<CheckArgs>();
            app.add_flag("--latest", a->latest, kLatestHelp);
            app.add_option("DIR", a->dirs, "the folders to check, with subfolders")->required();
            return [a](const CommandContext& c) { return runCheck(*a, c); };
          }};
}

Command diffCommand() {
  return {"diff", "components added, removed and changed between OLD and NEW", [](CLI::App& app) -> CommandRun {
            auto files = std::make_shared<std::vector<std::string>>();
            app.add_option("FILES", *files, "OLD NEW")->required()->expected(2);
            return [files](const CommandContext& c) { return runDiff(*files, c); };
          }};
}

}  // namespace kelvaron::cli
