#include "platform/modelnames.h"

#include "platform/nativepath.h"
#include "platform/pathhelpers.h"

#include <QDir>
#include <system_error>

namespace kelvaron::platform {

namespace {

bool hasExtension(const QString& fileName, const char16_t* ext) {
  return splitVersion(fileName).base.endsWith(QStringView(ext));
}

// A POSIX path that lexical normalisation leaves as it is: no empty, "." or
// ".." part. The walk's paths under a plain folder are all plain, and such a
// path needs no trip through std::filesystem.
bool isPlainPosixPath(QStringView path) {
  if (path.isEmpty()) return false;
  qsizetype start = path.startsWith(u'/') ? 1 : 0;
  for (qsizetype i = start; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != u'/') continue;
    const QStringView part = path.sliced(start, i - start);
    if (part.isEmpty() || part == u"." || part == u"..") return false;
    start = i + 1;
  }
  return true;
}

}  // namespace

QString foldName(const QString& name) { return name.toCaseFolded(); }

VersionedName splitVersion(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(u'.');
  const qsizetype digits = fileName.size() - dot - 1;
  // A version needs a name with an extension before it: "a.asm.3", not "a.3".
  if (dot > 0 && digits >= 1 && digits <= 9 && fileName.lastIndexOf(u'.', dot - 1) > 0) {
    bool number = false;
    const std::int64_t n = QStringView(fileName).mid(dot + 1).toLongLong(&number);
    if (number && fileName.at(dot + 1).isDigit()) return {foldName(fileName.left(dot)), n};
  }
  return {foldName(fileName), 0};
}

QString folderOf(const QString& path) {
  const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
  const qsizetype slash = clean.lastIndexOf(u'/');
  if (slash < 0) return QStringLiteral(".");
  return slash == 0 ? QStringLiteral("/") : clean.left(slash);
}

QString fileNameIn(const QString& path) {
  const QString clean = QDir::fromNativeSeparators(path);
  return clean.mid(clean.lastIndexOf(u'/') + 1);
}

QString absolutePath(const QString& path, const std::filesystem::path& workingFolder) {
  if (separator(nativePathStyle()) == u'/' && isPlainPosixPath(path)) {
    if (path.startsWith(u'/')) return path;
    if (!workingFolder.empty()) {
      const QString folder = fromNativePath(workingFolder);
      if (folder == u"/") return folder + path;
      if (folder.startsWith(u'/') && isPlainPosixPath(folder)) return folder + u'/' + path;
    }
  }
#ifdef _WIN32
  // A UNC path ("\\server\share\...") is absolute, but mingw's std::filesystem
  // takes it for one rooted on the working folder's drive.
  const auto separates = [](QChar c) { return c == u'\\' || c == u'/'; };
  if (path.size() > 2 && separates(path[0]) && separates(path[1]) && !separates(path[2]) && path[2] != u'?' &&
      path[2] != u'.')
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(path)));
#endif
  std::filesystem::path native = toNativePath(path);
  if (!workingFolder.empty() && !native.empty()) {
    native = native.is_absolute() ? native.lexically_normal() : (workingFolder / native).lexically_normal();
  } else {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(native, ec);
    if (ec) return path;
    native = absolute.lexically_normal();
  }
  // "/a/b/.." folds to "/a/", which names the folder "/a".
  if (native.has_relative_path() && !native.has_filename()) native = native.parent_path();
  return fromNativePath(native);
}

bool isAssemblyFile(const QString& fileName) { return hasExtension(fileName, u".asm"); }

bool isModelFile(const QString& fileName) { return isAssemblyFile(fileName) || hasExtension(fileName, u".prt"); }

QString modelNameOf(const QString& path) {
  const QString file = fileNameIn(path);
  const qsizetype dot = file.indexOf(u'.');
  return (dot > 0 ? file.left(dot) : file).toUpper();
}

}  // namespace kelvaron::platform
