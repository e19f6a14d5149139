#include "platform/modelnames.h"

#include <QDir>

namespace kelvaron::platform {

namespace {

bool hasExtension(const QString& fileName, const char16_t* ext) {
  return splitVersion(fileName).base.endsWith(QStringView(ext));
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

QString absolutePath(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(path)));
}

bool isAssemblyFile(const QString& fileName) { return hasExtension(fileName, u".asm"); }

bool isModelFile(const QString& fileName) { return isAssemblyFile(fileName) || hasExtension(fileName, u".prt"); }

QString modelNameOf(const QString& path) {
  const QString file = fileNameIn(path);
  const qsizetype dot = file.indexOf(u'.');
  return (dot > 0 ? file.left(dot) : file).toUpper();
}

}  // namespace kelvaron::platform
