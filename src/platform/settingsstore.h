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

/// The folder the browse folders fall back to: the home folder ("C:\" on Windows).
inline QString defaultFolder() {
#ifdef _WIN32
  return QStringLiteral("C:\\");
#else
  return QDir::homePath();
#endif
}

/// The folder the report folder falls back to: the home folder on every
/// system. On Windows a standard user cannot create files in the root of the
/// system drive, so "C:\" would fail at the first report.
inline QString defaultReportFolder() { return QDir::toNativeSeparators(QDir::homePath()); }

/// The report folder the window saved, else defaultReportFolder().
inline QString savedReportFolder() {
  const auto store = openSettingsStore();
  store->beginGroup(QString::fromLatin1(kSettingsGroup));
  const QString folder = store->value(QString::fromLatin1(kReportFolderKey)).toString();
  return folder.isEmpty() ? defaultReportFolder() : folder;
}

}  // namespace kelvaron::platform
