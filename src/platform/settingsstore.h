#pragma once
// The per-user settings store shared by the window and the command line.

#include <QDir>
#include <QSettings>
#include <memory>

namespace kelvaron::platform {

/// The application whose settings the window keeps and the CLI reads.
inline constexpr char kSettingsApplication[] = "Kelvaron";
/// The group holding the saved folders.
inline constexpr char kSettingsGroup[] = "Optionen";
/// The key of the report folder, in kSettingsGroup.
inline constexpr char kReportFolderKey[] = "txt_Pfad.Text";

/// The store of "Kelvaron" (on Linux ~/.config/Kelvaron/Kelvaron.conf), not
/// yet in any group.
inline std::unique_ptr<QSettings> openSettingsStore() {
  const QString app = QString::fromLatin1(kSettingsApplication);
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, app, app);
}

/// The folder a setting of a folder falls back to: the home folder ("C:\" on Windows).
inline QString defaultFolder() {
#ifdef _WIN32
  return QStringLiteral("C:\\");
#else
  return QDir::homePath();
#endif
}

/// The report folder the window saved, else defaultFolder().
inline QString savedReportFolder() {
  const auto store = openSettingsStore();
  store->beginGroup(QString::fromLatin1(kSettingsGroup));
  const QString folder = store->value(QString::fromLatin1(kReportFolderKey)).toString();
  return folder.isEmpty() ? defaultFolder() : folder;
}

}  // namespace kelvaron::platform
