#pragma once
// The per-user settings store shared by the window and the command line.

#include <QSettings>
#include <memory>

namespace kelvaron::platform {

/// The application whose settings the window keeps and the CLI reads.
inline constexpr char kSettingsApplication[] = "Kelvaron";
/// The group holding the saved folders.
inline constexpr char kSettingsGroup[] = "Optionen";

/// The store of "Kelvaron" (on Linux ~/.config/Kelvaron/Kelvaron.conf), not
/// yet in any group.
inline std::unique_ptr<QSettings> openSettingsStore() {
  const QString app = QString::fromLatin1(kSettingsApplication);
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, app, app);
}

}  // namespace kelvaron::platform
