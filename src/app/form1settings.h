#pragma once
// The main window's saved settings: one table of keys with their defaults.

#include <QString>
#include <span>

namespace kelvaron {

/// One saved setting: key "control.property" and its default when missing.
struct SettingKey {
  const char* key;
  QString (*defaultValue)();
  /// Applied at start-up only when the text names an existing folder.
  bool needsFolder;
};

/// The five keys in the order of the restore: drives, folders, report folder.
std::span<const SettingKey> form1SettingKeys();

/// The saved texts, read with their defaults; index as in form1SettingKeys().
struct SavedSettings {
  QString drive1, drive2, dir1, dir2, txtPfad;
};

/// Reads the five settings from the user's store.
SavedSettings readSettings();
/// Writes the five settings to the user's store.
void writeSettings(const SavedSettings& values);

}  // namespace kelvaron
