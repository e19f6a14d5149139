#include "bom/savefile.h"

#include "platform/atomicfile.h"
#include "platform/nativefile.h"
#include "platform/nativepath.h"

#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace kelvaron::bom {

namespace {

QString failure(const QString& path, const QString& reason) {
  return QStringLiteral("cannot write %1: %2").arg(path, reason);
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

bool isSpecialFile(const QString& path) {
  if (path.isEmpty()) return false;
  std::error_code ec;
  const auto status = std::filesystem::status(platform::toNativePath(path), ec);  // through links
  if (ec || !std::filesystem::exists(status)) return false;
  return !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status);
}

ResultTarget::~ResultTarget() {
  if (m_ownStream && m_stream) std::fclose(m_stream);
}

bool ResultTarget::open(const QString& path, std::FILE* standardOutput, QString* error) {
  m_path = path;
  if (path.isEmpty() || path == u"-") {
    m_stream = standardOutput;
    return true;
  }
  if (isSpecialFile(path)) {
#ifdef _WIN32
    m_stream = _wfopen(platform::toNativePath(path).c_str(), L"wb");
#else
    m_stream = std::fopen(platform::toNativePath(path).c_str(), "wb");
#endif
    if (!m_stream) {
      *error = failure(path, platform::systemErrorText(errno));
      return false;
    }
    m_ownStream = true;
    return true;
  }
  m_file = std::make_unique<platform::AtomicFile>();
  QString reason;
  if (m_file->open(path, &reason)) return true;
  m_file.reset();
  *error = failure(path, reason);
  return false;
}

void ResultTarget::write(std::string_view bytes) {
  if (m_file) {
    m_file->write(bytes);
  } else if (m_stream && !m_failed && !bytes.empty()) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size()) {
      m_failed = true;
      m_errno = errno ? errno : EIO;
    }
  }
}

bool ResultTarget::finish(QString* error) {
  if (m_file) {
    QString reason;
    const bool ok = m_file->commit(&reason);
    m_file.reset();
    if (!ok) *error = failure(m_path, reason);
    return ok;
  }
  if (!m_stream) return true;
  errno = 0;
  if (!m_failed && std::fflush(m_stream) != 0) {
    m_failed = true;
    m_errno = errno ? errno : EIO;
  }
  if (m_ownStream) {
    if (std::fclose(m_stream) != 0 && !m_failed) {
      m_failed = true;
      m_errno = errno ? errno : EIO;
    }
    m_stream = nullptr;
    m_ownStream = false;
  }
  if (m_failed) {
    const QString why = platform::systemErrorText(m_errno);
    *error = m_path.isEmpty() || m_path == u"-" ? QStringLiteral("cannot write the output: %1").arg(why)
                                                : failure(m_path, why);
  }
  return !m_failed;
}

}  // namespace kelvaron::bom
