#pragma once
// The main window's saved settings: one table of keys with their defaults.

#include <QString>

namespace kelvaron {

/// The window's saved texts: drives, folders, report folder.
struct SavedSettings {
  QString drive1, drive2, dir1, dir2, txtPfad;
};

/// Reads the five settings from the user's store.
SavedSettings readSettings();
/// Writes the five settings to the user's store.
void writeSettings(const SavedSettings& values);

}  // namespace kelvaron
