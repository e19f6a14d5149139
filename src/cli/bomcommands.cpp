#include "cli/bomcommands.h"

#include "bom/bomjson.h"
#include "bom/bomtables.h"
#include "bom/partcolumns.h"
#include "bom/savefile.h"
#include "bom/xlsxtable.h"
#include "cli/exitstatus.h"
#include "platform/filekind.h"
#include "platform/nativepath.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <thread>
#include <string>
#include <vector>

namespace kelvaron::cli {

namespace {

const QStringList kCommands = {"bom", "where-used", "check", "diff"};

// Reading the files of a folder scan is independent work: one job per core.
int jobs() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

QString fromArg(const std::string& s) { return platform::fromNativeBytes(s); }

QStringList fromArgs(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& s : list) out << fromArg(s);
  return out;
}

// What every subcommand shares: where and how the result goes.
struct Output {
  std::string format = "text";
  std::string file;
};

void addOutputOptions(CLI::App* sub, Output& o) {
  sub->add_option("--format", o.format, "text, csv, json or xlsx (xlsx needs -o)")
      ->check(CLI::IsMember({"text", "csv", "json", "xlsx"}));
  sub->add_option("-o,--output", o.file, "write to FILE (complete or not at all) instead of standard output");
}

class Runner {
 public:
  Runner(std::FILE* out, std::FILE* err, const bom::ModelLoader& loader) : m_out(out), m_err(err), m_loader(loader) {}

  void message(const QString& text) const { std::fprintf(m_err, "kelvaron-cli: %s\n", text.toLocal8Bit().constData()); }
  void notes(const QStringList& list) const {
    for (const QString& n : list) message(QStringLiteral("note: ") + platform::displayPath(n));
  }

  // False (after a message) when a folder to search does not exist.
  bool foldersExist(const QStringList& dirs) const {
    for (const QString& d : dirs) {
      if (!platform::isFolder(d)) {
        message(QStringLiteral("cannot search %1: no such folder").arg(platform::displayPath(d)));
        return false;
      }
    }
    return true;
  }

  // Prints or saves the result in the chosen format; false after a message.
  bool deliver(const Output& o, const bom::Table& table, const std::function<QByteArray()>& json) const {
    QString error;
    if (o.format == "xlsx") {
      if (bom::writeXlsx(table, fromArg(o.file), &error)) return true;
      message(error);
      return false;
    }
    const QByteArray bytes = o.format == "json"  ? json()
                             : o.format == "csv" ? bom::formatCsv(table)
                                                 : bom::formatText(table);
    if (o.file.empty()) {
      std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), m_out);
      return std::fflush(m_out) == 0;
    }
    if (bom::saveFile(fromArg(o.file), bytes, &error)) return true;
    message(error);
    return false;
  }

  ExitStatus bom(const QString& assembly, const QStringList& search, bool flat, int depth, const bom::PartColumns& part,
                 const Output& o) const {
    if (!foldersExist(search)) return ExitStatus::Trouble;
    const bom::Product product = bom::loadProduct(assembly, search, m_loader);
    if (!product.topReadable()) {
      message(product.nodes.front().error);
      return ExitStatus::Trouble;
    }
    notes(product.notes);
    const QString folder = bom::folderOf(product.top);
    bool ok = false;
    // Part data comes from each row's own file, read once however often it is placed.
    bom::PartDataCache partData(part, &reader::readModelDataFile);
    const auto withPartData = [&](bom::Table table, const std::vector<QString>& paths) {
      if (part.any()) bom::addPartColumns(table, paths, partData);
      return table;
    };
    const auto jsonWithPartData = [&](const QByteArray& json, const std::vector<QString>& paths) {
      return part.any() ? bom::addPartJson(json, paths, partData) : json;
    };
    std::vector<QString> paths;
    if (flat) {
      QStringList differ;
      const auto items = bom::flatItems(product, depth, &differ);
      notes(differ);
      for (const bom::FlatItem& i : items) paths.push_back(i.path);
      ok = deliver(o, withPartData(bom::flatTable(items, folder), paths),
                   [&] { return jsonWithPartData(bom::flatJson(product, items), paths); });
    } else {
      QStringList cut;
      const auto rows = bom::treeRows(product, depth, &cut);
      notes(cut);
      for (const bom::TreeRow& r : rows) paths.push_back(r.path);
      ok = deliver(o, withPartData(bom::treeTable(rows, folder), paths),
                   [&] { return jsonWithPartData(bom::treeJson(product, rows), paths); });
    }
    return ok ? ExitStatus::Success : ExitStatus::Trouble;
  }

  ExitStatus whereUsed(const QStringList& names, const QStringList& dirs, bool indirect, bool latest,
                       const Output& o) const {
    if (!foldersExist(dirs)) return ExitStatus::Trouble;
    const bom::ProjectScan scan = bom::scanProject(dirs, latest, m_loader, jobs());
    notes(scan.notes);
    std::vector<std::pair<QString, std::vector<bom::Usage>>> results;
    QStringList cut;
    for (const QString& name : names) results.emplace_back(name, bom::whereUsed(scan, name, indirect, &cut));
    notes(cut);
    const bool ok = deliver(o, bom::whereUsedTable(results, indirect), [&] {
      QByteArray docs;
      for (const auto& [name, usages] : results) docs += bom::whereUsedJson(name, usages, indirect);
      return docs;
    });
    return ok ? ExitStatus::Success : ExitStatus::Trouble;
  }

  ExitStatus check(const QStringList& dirs, bool latest, const Output& o) const {
    if (!foldersExist(dirs)) return ExitStatus::Trouble;
    const bom::ProjectScan scan = bom::scanProject(dirs, latest, m_loader, jobs());
    notes(scan.notes);
    const bom::CheckResult result = bom::checkProject(scan);
    if (!deliver(o, bom::checkTable(result), [&] { return bom::checkJson(result); })) return ExitStatus::Trouble;
    return result.clean() ? ExitStatus::Success : ExitStatus::Found;
  }

  ExitStatus diff(const QString& oldPath, const QString& newPath, const Output& o) const {
    const reader::FileModel oldFile = m_loader(oldPath);
    const reader::FileModel newFile = m_loader(newPath);
    bool readable = true;
    for (const auto& [path, file] : {std::pair{oldPath, &oldFile}, std::pair{newPath, &newFile}}) {
      if (const QString why = bom::unreadableReason(path, *file); !why.isEmpty()) {
        message(why);
        readable = false;
      }
    }
    if (!readable) return ExitStatus::Trouble;
    const auto changes = bom::diffModels(oldFile.model, newFile.model);
    if (!deliver(o, bom::diffTable(changes),
                 [&] { return bom::diffJson(bom::absolutePath(oldPath), bom::absolutePath(newPath), changes); }))
      return ExitStatus::Trouble;
    return changes.empty() ? ExitStatus::Success : ExitStatus::Found;
  }

 private:
  std::FILE* m_out;
  std::FILE* m_err;
  const bom::ModelLoader& m_loader;
};

}  // namespace

bool isBomCommand(const QString& first) { return kCommands.contains(first); }

int runBomCommand(const QStringList& args, std::FILE* out, std::FILE* err, const bom::ModelLoader& loader) {
  CLI::App app("Bills of materials across assembly files.", "kelvaron-cli");
  app.require_subcommand(1, 1);
  app.set_help_flag("-h,--help", "show this help and exit");

  Output output;
  bool flat = false, indirect = false, latest = false;
  int depth = 0;
  std::vector<std::string> search, in, names, dirs, files;
  std::string assembly;

  CLI::App* bomCmd = app.add_subcommand("bom", "the product structure below ASSEMBLY, as a tree or flat totals");
  bomCmd->add_flag("--flat", flat, "one row per distinct component with total quantities");
  bomCmd->add_option("--depth", depth, "only N levels of components below the top")->check(CLI::PositiveNumber);
  bomCmd->add_option("--search", search, "also look for component files in DIR and its subfolders (repeatable)")
      ->allow_extra_args(false);
  std::vector<std::string> params;
  bool material = false, mass = false;
  bomCmd->add_option("--param", params, "a column with each component's parameter NAME, case ignored (repeatable)")
      ->allow_extra_args(false);
  bomCmd->add_flag("--material", material, "a column with each component's material");
  bomCmd->add_flag("--mass", mass, "columns with each component's mass and volume, in its model's units");
  addOutputOptions(bomCmd, output);
  bomCmd->add_option("ASSEMBLY", assembly, "the top assembly file")->required();

  CLI::App* whereCmd = app.add_subcommand("where-used", "the assemblies under DIR... that place NAME");
  whereCmd->add_flag("--indirect", indirect, "follow the users up to the top assemblies, quantities multiplied");
  whereCmd->add_flag("--latest", latest, "of NAME.asm.N in one folder read only the highest N");
  addOutputOptions(whereCmd, output);
  whereCmd->add_option("NAME", names, "component names (or file names), case ignored")->required();
  whereCmd->add_option("--in", in, "the folders to search, with subfolders")->required();

  CLI::App* checkCmd = app.add_subcommand("check", "missing, unreadable and unused files, and the top assemblies");
  checkCmd->add_flag("--latest", latest, "of NAME.asm.N in one folder read only the highest N");
  addOutputOptions(checkCmd, output);
  checkCmd->add_option("DIR", dirs, "the folders to check, with subfolders")->required();

  CLI::App* diffCmd = app.add_subcommand("diff", "components added, removed and changed between OLD and NEW");
  addOutputOptions(diffCmd, output);
  diffCmd->add_option("FILES", files, "OLD NEW")->required()->expected(2);

  app.footer(
      "Exit status: check 1 when a file is missing or unreadable; diff 1 when the files differ;\n"
      "2 for a usage error or a file or folder that cannot be used; else 0.");

  // CLI11 takes the arguments last first. Native bytes keep names that are not UTF-8.
  std::vector<std::string> argv;
  for (qsizetype i = args.size() - 1; i >= 0; --i) argv.push_back(platform::toNativeBytes(args[i]));
  try {
    app.parse(argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), out);
    return static_cast<int>(ExitStatus::Success);
  } catch (const CLI::ParseError& e) {
    std::fprintf(err, "kelvaron-cli %s: %s\nTry 'kelvaron-cli %s --help' for more information.\n",
                 args.value(0).toLocal8Bit().constData(), e.what(), args.value(0).toLocal8Bit().constData());
    return static_cast<int>(ExitStatus::Usage);
  }
  if (output.format == "xlsx" && output.file.empty()) {
    std::fprintf(err, "kelvaron-cli %s: --format xlsx needs -o FILE\n", args.value(0).toLocal8Bit().constData());
    return static_cast<int>(ExitStatus::Usage);
  }

  const Runner run(out, err, loader);
  ExitStatus status = ExitStatus::Trouble;
  if (bomCmd->parsed())
    status = run.bom(fromArg(assembly), fromArgs(search), flat, depth, bom::PartColumns{fromArgs(params), material, mass},
                     output);
  else if (whereCmd->parsed())
    status = run.whereUsed(fromArgs(names), fromArgs(in), indirect, latest, output);
  else if (checkCmd->parsed())
    status = run.check(fromArgs(dirs), latest, output);
  else if (diffCmd->parsed())
    status = run.diff(fromArg(files.at(0)), fromArg(files.at(1)), output);
  return static_cast<int>(status);
}

}  // namespace kelvaron::cli
