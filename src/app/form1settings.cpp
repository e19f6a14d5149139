#include "app/form1settings.h"

#include "platform/settingsstore.h"

#include <QDir>
#include <QSettings>
#include <array>

namespace kelvaron {
namespace {

#ifdef _WIN32
QString driveDefault() { return QStringLiteral("c:"); }
QString folderDefault() { return QStringLiteral("C:\\"); }
#else
QString driveDefault() { return QStringLiteral("/"); }
QString folderDefault() { return QDir::homePath(); }
#endif

const std::array kKeys{
  SettingKey{"Drive1.Drive", &driveDefault, true},
  SettingKey{"Drive2.Drive", &driveDefault, true},
  SettingKey{"Dir1.Path", &folderDefault, true},
  SettingKey{"Dir2.Path", &folderDefault, true},
  SettingKey{"txt_Pfad.Text", &folderDefault, false},
};

// The SavedSettings field of each key, in table order.
std::array<QString*, 5> fields(SavedSettings& s) {
  return {&s.drive1, &s.drive2, &s.dir1, &s.dir2, &s.txtPfad};
}

}  // namespace

std::span<const SettingKey> form1SettingKeys() { return kKeys; }

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
  for (std::size_t i = 0; i < kKeys.size(); ++i)
    store->setValue(QString::fromLatin1(kKeys[i].key), *sources[i]);
  store->sync();
}

}  // namespace kelvaron
