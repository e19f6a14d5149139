#pragma once
// One component of one assembly with the file it resolves to.

#include "bom/fileindex.h"
#include "reader/assemblymodel.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace kelvaron::bom {

/// What became of a component's file.
enum class Status {
  Ok,          ///< found (and, for an expanded assembly, read)
  Missing,     ///< in none of the folders searched
  Unreadable,  ///< found, but its component list cannot be read
  Cycle,       ///< an assembly that contains itself through this placement
};

/// "ok", "missing", "unreadable" or "cycle".
const char* statusName(Status status);

/// A component of an assembly and where its file is.
struct Placement {
  reader::ModelComponent component;
  Status status = Status::Ok;
  QString path;    ///< the file found; empty when missing
  QString reason;  ///< for unreadable: "cannot read PATH: reason"
  int node = -1;   ///< the expanded assembly this placement leads to, if any
};

/// Notes gathered while resolving, each once, in order of first appearance.
class Notes {
 public:
  /// Adds `note` unless one with the same `key` (default: the note itself)
  /// came before.
  void add(const QString& note, const QString& key = {});
  /// Adds the notes of `other` in its order, each unless its key came before.
  void merge(const Notes& other);
  const QStringList& list() const { return m_list; }

 private:
  QStringList m_list;
  QStringList m_keys;
  QSet<QString> m_seen;
};

/// The components of `model` (an assembly in `ownFolder`) resolved through
/// `index`: status Ok with the path, or Missing. When the name is a choice
/// among the search folders, one note per name tells the file chosen, the
/// first other and how many more there are.
std::vector<Placement> resolvePlacements(const reader::AssemblyModel& model, const QString& ownFolder,
                                         const FileIndex& index, Notes& notes);

/// Whether the component is a skeleton model (subtype SKEL_MODEL): a model
/// of the assembly's layout, not something built in.
bool isSkeleton(const reader::ModelComponent& component);

/// "part", "assembly" or "skeleton".
QString typeText(const reader::ModelComponent& component);

/// Whether this placement is followed into its file: an assembly with
/// active instances whose file was found.
bool expands(const Placement& p);

}  // namespace kelvaron::bom
