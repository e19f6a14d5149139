#pragma once
// The main window's saved settings: one table of keys with their defaults.

#include <QString>

namespace kelvaron {

/// The window's saved texts: drives, folders, report folder.
struct SavedSettings {
  QString browseDrive;   ///< "Drive1.Drive"
  QString reportDrive;   ///< "Drive2.Drive"
  QString browseFolder;  ///< "Dir1.Path"
  QString reportList;    ///< "Dir2.Path": the folder the report folder lists show
  QString reportFolder;  ///< "txt_Pfad.Text": the folder reports are written to
};

/// Reads the five settings from the user's store, each with its default.
SavedSettings readSettings();
/// Writes the five settings to the user's store.
void writeSettings(const SavedSettings& values);

}  // namespace kelvaron
