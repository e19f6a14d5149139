#include "bom/savefile.h"

#include "platform/atomicfile.h"
#include "platform/nativepath.h"

#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace kelvaron::bom {

namespace {

QString failure(const QString& path, const QString& reason) {
  return QStringLiteral("cannot write %1: %2").arg(platform::displayPath(path), reason);
}

}  // namespace

bool saveFile(const QString& path, const QByteArray& bytes, QString* error) {
  QString reason;
  platform::AtomicFile file;
  if (file.open(path, &reason)) {
    file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (file.commit(&reason)) return true;
  }
  *error = failure(path, reason);
  return false;
}

QString temporaryBeside(const QString& path, QString* error) {
  QTemporaryFile file(path + QStringLiteral(".XXXXXX.tmp"));
  file.setAutoRemove(false);
  if (!file.open()) {
    *error = failure(path, file.errorString());
    return {};
  }
  // A temporary file is private to its owner; the export it becomes is read
  // by others as any other file the user saves.
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
  return file.fileName();
}

bool commitTemporary(const QString& temporary, const QString& path, QString* error) {
  std::error_code ec;
  std::filesystem::rename(platform::toNativePath(temporary), platform::toNativePath(path), ec);
  if (!ec) return true;
  std::filesystem::remove(platform::toNativePath(temporary), ec);
  *error = failure(path, QString::fromStdString(ec.message()));
  return false;
}

}  // namespace kelvaron::bom
