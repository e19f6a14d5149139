#include "platform/filekind.h"

#include "platform/nativepath.h"

#include <filesystem>
#include <system_error>

namespace kelvaron::platform {

bool isFolder(const QString& path) {
  if (path.isEmpty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(toNativePath(path), ec);
}

bool isFile(const QString& path) {
  if (path.isEmpty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(toNativePath(path), ec);
}

}  // namespace kelvaron::platform
