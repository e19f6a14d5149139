#pragma once
// A temporary folder tree for tests, built by native bytes so that names
// invalid in UTF-8, unreadable folders and trees deeper than PATH_MAX can be
// made. The shell builds deep chains and removes the tree (chmod, rm), as
// QTemporaryDir cannot remove such trees.

#include "common/systemcalls.h"
#include "platform/nativepath.h"

#include <QDir>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kelvaron::testing {

class ScratchTree {
 public:
  ScratchTree() : m_root(platform::toNativeBytes(QDir::tempPath()) + "/kelvaron-test-XXXXXX") {
    if (!makeTempFolder(m_root.data())) throw std::runtime_error("mkdtemp failed");
  }
  ~ScratchTree() {
#ifdef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(extended(m_root), ec);
#else
    [[maybe_unused]] const int rc =
        std::system(("chmod -R u+rwx '" + m_root + "' 2>/dev/null; rm -rf '" + m_root + "'").c_str());
#endif
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  /// The root, or the path of `rel` below it, as the program shows paths.
  QString path() const { return platform::fromNativeBytes(m_root); }
  QString path(const std::string& rel) const { return platform::fromNativeBytes(full(rel)); }
  const std::string& root() const { return m_root; }

  void dir(const std::string& rel) const { std::filesystem::create_directory(full(rel)); }
  void file(const std::string& rel, const std::string& contents = {}) const {
    if (!(std::ofstream(full(rel), std::ios::binary) << contents)) throw std::runtime_error("cannot create " + rel);
  }
  void link(const std::string& target, const std::string& rel) const {
    std::filesystem::create_symlink(target, full(rel));
  }
  /// `levels` nested folders `name` below the root holding `bottomFile`, made
  /// one `cd -P` at a time, so the full path may exceed PATH_MAX.
  void chain(const std::string& name, int levels, const std::string& bottomFile) const {
#ifdef _WIN32
    // The extended-length form takes paths of any length.
    std::filesystem::path at = extended(m_root);
    for (int i = 0; i < levels; ++i) std::filesystem::create_directory(at /= name);
    if (!std::ofstream(at / bottomFile)) throw std::runtime_error("cannot create chain");
    return;
#endif
    std::string script = "cd -P '" + m_root + "'";
    for (int i = 0; i < levels; ++i) script += " && mkdir " + name + " && cd -P " + name;
    if (std::system((script + " && : > " + bottomFile).c_str()) != 0) throw std::runtime_error("cannot create chain");
  }

 private:
  std::string full(const std::string& rel) const { return m_root + "/" + rel; }
#ifdef _WIN32
  static std::filesystem::path extended(const std::string& path) {
    return std::filesystem::path(L"\\\\?\\" + std::filesystem::path(path).make_preferred().wstring());
  }
#endif

  std::string m_root;
};

}  // namespace kelvaron::testing
