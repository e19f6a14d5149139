#include "productview/productsettings.h"

#include "platform/settingsstore.h"

namespace kelvaron::productview {

namespace {

QVariant load(const char* key) {
  const auto store = platform::openSettingsStore();
  store->beginGroup(QString::fromLatin1(platform::kSettingsGroup));
  return store->value(QString::fromLatin1(key));
}

void keep(const char* key, const QVariant& value) {
  const auto store = platform::openSettingsStore();
  store->beginGroup(QString::fromLatin1(platform::kSettingsGroup));
  store->setValue(QString::fromLatin1(key), value);
}

}  // namespace

QStringList savedSearchFolders() { return load(kSearchFoldersKey).toStringList(); }

void saveSearchFolders(const QStringList& folders) { keep(kSearchFoldersKey, folders); }

QString savedExportFolder() {
  const QString folder = load(kExportFolderKey).toString();
  return folder.isEmpty() ? platform::defaultFolder() : folder;
}

void saveExportFolder(const QString& folder) { keep(kExportFolderKey, folder); }

}  // namespace kelvaron::productview
