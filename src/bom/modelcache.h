#pragma once
// Reading each assembly file once per command, through an injected loader.

#include "reader/assemblyreader.h"

#include <QString>
#include <functional>
#include <unordered_map>

namespace kelvaron::bom {

/// Reads one file's model: the CLI passes reader::readAssemblyFile, tests a
/// table in memory.
using ModelLoader = std::function<reader::FileModel(const QString& path)>;

/// The models read so far, by path; each path is loaded at most once.
class ModelCache {
 public:
  explicit ModelCache(ModelLoader loader) : m_loader(std::move(loader)) {}

  /// The model of `path`, loaded on first use. The reference stays valid for
  /// the cache's lifetime.
  const reader::FileModel& get(const QString& path);

 private:
  ModelLoader m_loader;
  std::unordered_map<QString, reader::FileModel> m_models;
};

/// Why the model cannot be used as an assembly, as "cannot read PATH: reason";
/// empty when it can. A file of no known layout, or whose component list
/// could not be read, cannot.
QString unreadableReason(const QString& path, const reader::FileModel& file);

}  // namespace kelvaron::bom
