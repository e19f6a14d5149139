#pragma once
// Opening a path of any length. The system refuses paths longer than its
// limit (PATH_MAX); a walk goes deeper than that, so every file it finds is
// opened here, folder by folder, relative to the folder before.

#include <string>

namespace kelvaron::platform {

/// open(2) of the native path `path` with `flags` (and `mode` when creating):
/// a path within the system's limit is opened as it is; a longer one folder by
/// folder, each opened relative to the one before, links followed as the
/// system follows them. Returns the descriptor, or -1 with errno set.
int openPath(const std::string& path, int flags, unsigned mode = 0);

/// Opens the folder that holds the last name of `path` (as openPath does) and
/// gives that name in `name`: openParent("/a/b/c.txt", &n) opens "/a/b", n is
/// "c.txt". For a name without a folder the current folder is opened. Returns
/// the descriptor, or -1 with errno set.
int openParent(const std::string& path, std::string* name);

}  // namespace kelvaron::platform
