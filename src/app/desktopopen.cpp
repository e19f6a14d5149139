#include "app/desktopopen.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace kelvaron {
namespace {

const QString kNoProgram = QStringLiteral("no program on this desktop opens it");

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Qt hands a file to xdg-open and reports only whether xdg-open started, not
// whether it found a program; its exit status tells. Off-screen and in a
// sandbox Qt's own way is kept (tests and portals rely on it).
QString xdgOpener() {
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) return {};
  if (qEnvironmentVariableIsSet("FLATPAK_ID") || qEnvironmentVariableIsSet("SNAP")) return {};
  return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
}

void openWithXdg(const QString& opener, const QString& path, QObject* context,
                 std::function<void(const QString&)> failed) {
  // Not owned by the window: the program it starts may outlive the window.
  auto* process = new QProcess;
  process->setProgram(opener);
  process->setArguments({path});
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(process, &QProcess::finished, context, [failed](int code, QProcess::ExitStatus status) {
    if (status != QProcess::NormalExit) return failed(QStringLiteral("xdg-open crashed"));
    // 3: no tool for the file's type, 4: the program for it failed.
    if (code == 3 || code == 4) return failed(kNoProgram);
    if (code != 0) failed(QStringLiteral("xdg-open ended with code %1").arg(code));
  });
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  QObject::connect(process, &QProcess::errorOccurred, context, [failed, process](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    failed(QStringLiteral("cannot start xdg-open"));
    process->deleteLater();
  });
  process->start();
}
#endif

}  // namespace

void openWithDesktop(const QString& path, [[maybe_unused]] QObject* context,
                     std::function<void(const QString& reason)> failed) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  if (const QString opener = xdgOpener(); !opener.isEmpty()) return openWithXdg(opener, path, context, failed);
#endif
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) failed(kNoProgram);
}

}  // namespace kelvaron
