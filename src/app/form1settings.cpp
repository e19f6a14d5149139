#include "app/form1settings.h"

#include "platform/settingsstore.h"

#include <QSettings>
#include <array>

namespace kelvaron {
namespace {

#ifdef _WIN32
QString driveDefault() { return QStringLiteral("c:"); }
#else
QString driveDefault() { return QStringLiteral("/"); }
#endif

/// One saved setting: key "control.property" and its default when missing.
struct SettingKey {
  const char* key;
  QString (*defaultValue)();
};

// In the order of the restore: drives, folders, report folder.
const std::array kKeys{
    SettingKey{"Drive1.Drive", &driveDefault},
    SettingKey{"Drive2.Drive", &driveDefault},
    SettingKey{"Dir1.Path", &platform::defaultFolder},
    SettingKey{"Dir2.Path", &platform::defaultFolder},
    SettingKey{platform::kReportFolderKey, &platform::defaultReportFolder},
};

// The SavedSettings field of each key, in table order.
std::array<QString*, 5> fields(SavedSettings& s) { return {&s.drive1, &s.drive2, &s.dir1, &s.dir2, &s.txtPfad}; }

}  // namespace

SavedSettings readSettings() {
  const auto store = platform::openSettingsStore();
  store->beginGroup(QString::fromLatin1(platform::kSettingsGroup));
  SavedSettings values;
  const auto targets = fields(values);
  for (std::size_t i = 0; i < kKeys.size(); ++i)
    *targets[i] = store->value(QString::fromLatin1(kKeys[i].key), kKeys[i].defaultValue()).toString();
  return values;
}

void writeSettings(const SavedSettings& values) {
  const auto store = platform::openSettingsStore();
  store->beginGroup(QString::fromLatin1(platform::kSettingsGroup));
  SavedSettings copy = values;
  const auto sources = fields(copy);
  for (std::size_t i = 0; i < kKeys.size(); ++i) store->setValue(QString::fromLatin1(kKeys[i].key), *sources[i]);
  store->sync();
}

}  // namespace kelvaron
