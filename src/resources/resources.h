#pragma once
// The program's pictures and cursors, compiled into the program.

#include <QCursor>
#include <QIcon>
#include <QString>

namespace kelvaron::resources {

// Resource paths of the pictures (load them after initResources()).
inline const QString kLogo = QStringLiteral(":/kelvaron/logo.png");               // 294 x 111
inline const QString kLogoSmall = QStringLiteral(":/kelvaron/logo_small.png");    // 100 x 79
inline const QString kFileIcon = QStringLiteral(":/kelvaron/file.png");           // 16 x 16, browse
inline const QString kPlaceIcon = QStringLiteral(":/kelvaron/place.png");         // 16 x 16, report folder
inline const QString kReportIcon = QStringLiteral(":/kelvaron/report.png");       // 16 x 16, open report
inline const QString kExitIcon = QStringLiteral(":/kelvaron/exit.png");           // 16 x 16
inline const QString kStopPicture = QStringLiteral(":/kelvaron/stop.png");        // 32 x 30
inline const QString kStopCursor = QStringLiteral(":/kelvaron/stop_cursor.png");  // 32 x 32
inline const QString kLinkCursor = QStringLiteral(":/kelvaron/link_cursor.png");  // 32 x 32

/// Registers the compiled-in pictures; safe to call more than once. Call it
/// before the first picture is loaded (the library is static, so the
/// resources are not registered by themselves).
void initResources();

/// The window icon in all its sizes.
QIcon windowIcon();

/// The pointing hand shown over links, hot spot at the finger tip.
QCursor linkCursor();

/// The cursor shown over the stop picture, hot spot in its middle.
QCursor stopCursor();

}  // namespace kelvaron::resources
