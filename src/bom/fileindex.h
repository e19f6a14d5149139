#pragma once
// Where component files are: every folder of a command walked once into an
// index in memory, so resolving a name never touches the disk.

#include "platform/modelnames.h"
#include "platform/problem.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace kelvaron::bom {

// The name vocabulary, shared with the rest of the program.
using platform::folderOf;
using platform::foldName;
using platform::isAssemblyFile;
using platform::isModelFile;
using platform::splitVersion;
using platform::VersionedName;

/// `path` in the form the index keeps paths: absolute, "/" between folders
/// on every system, so the files the walk finds and the paths given compare.
QString indexedPath(const QString& path);

/// Where a component's file name led.
struct Resolution {
  QString path;        ///< the file chosen; empty when the name is nowhere
  QStringList others;  ///< the same name in other folders, lower in the order
};

/// The files of an ordered list of search roots (each with all subfolders)
/// plus single folders added later (an assembly's own folder).
class FileIndex {
 public:
  struct File {
    QString path;
    int folder = 0;  ///< index into folders()
    VersionedName name;
  };

  /// Walks each root in the order given, once; a folder reachable from an
  /// earlier root keeps that root's place. A folder that cannot be listed
  /// adds nothing but a problem (the caller checks that the roots exist).
  /// `found`, when given, sees each file as it is indexed, in files() order,
  /// so work on the files can start while the walk goes on.
  explicit FileIndex(const QStringList& roots = {}, const std::function<void(const File&)>& found = {});

  /// Lists the files directly inside `folder` when it is not indexed yet.
  void addFolder(const QString& folder);

  /// Resolves `fileName` (as stored, without version) for an assembly in
  /// `ownFolder`: the highest version in that folder first, else in the first
  /// folder of the roots' walk order that has one. Case is ignored. `others`
  /// names the same file in later folders, and is empty when the assembly's
  /// own folder has it: only a choice among the search folders is one.
  /// resolve("bolt.prt", "/p") finds "/p/BOLT.prt.4" over "/p/bolt.prt".
  Resolution resolve(const QString& fileName, const QString& ownFolder) const;

  /// Every file indexed, folders in walk order, names in listing order.
  const std::vector<File>& files() const { return m_files; }
  const QStringList& folders() const { return m_folders; }
  /// The folders that could not be listed: CannotSearch problems, walk order.
  const std::vector<Problem>& problems() const { return m_problems; }

 private:
  void walk(const QString& root, bool recursive, bool isRoot, const std::function<void(const File&)>& found = {});
  // Of the files in `candidates`, the best (highest version) in `folder`.
  int bestIn(const std::vector<int>& candidates, int folder) const;

  std::vector<File> m_files;
  QStringList m_folders;
  std::vector<bool> m_inRoot;  ///< per folder: found under a search root
  QHash<QString, int> m_folderIds;
  QHash<QString, std::vector<int>> m_byBase;  ///< folded base name -> files
  std::vector<Problem> m_problems;
};

}  // namespace kelvaron::bom
