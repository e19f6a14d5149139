// kelvaron-cli: lists the parts of Pro/ENGINEER assemblies and writes their
// parts reports, without the window.

#include "cli/bomcommands.h"
#include "cli/clioptions.h"
#include "cli/clirunner.h"
#include "cli/exitstatus.h"
#include "cli/infocommand.h"
#include "cli/stopsignal.h"
#include "platform/programio.h"
#include "platform/settingsstore.h"
#include "reader/assemblyreader.h"
#include "version.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
  using kelvaron::cli::CliOptions;
  using kelvaron::cli::ExitStatus;
  kelvaron::cli::reopenClosedStandardStreams();
  kelvaron::platform::prepareStandardStreams();
  QCoreApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kelvaron::kVersion));
  QCoreApplication app(argc, argv);

  const QStringList args = kelvaron::platform::programArguments(argc, argv);

  if (!args.isEmpty() && kelvaron::cli::isInfoCommand(args.first()))
    return kelvaron::cli::runInfoCommand(args, stdout, stderr);
  if (!args.isEmpty() && kelvaron::cli::isBomCommand(args.first()))
    return kelvaron::cli::runBomCommand(args, stdout, stderr, &kelvaron::reader::readAssemblyFile);

  const auto parsed = kelvaron::cli::parseCliArguments(args);
  if (!parsed.ok()) {
    std::fprintf(stderr, "kelvaron-cli: %s\nTry 'kelvaron-cli --help' for more information.\n",
                 parsed.error.toUtf8().constData());
    return static_cast<int>(ExitStatus::Usage);
  }
  switch (parsed.options.action) {
    case CliOptions::Action::Help:
      std::fputs(kelvaron::cli::cliUsage().toUtf8().constData(), stdout);
      return static_cast<int>(ExitStatus::Success);
    case CliOptions::Action::Version:
      std::printf("kelvaron-cli %s\n", kelvaron::kVersion);
      return static_cast<int>(ExitStatus::Success);
    case CliOptions::Action::Run:
      break;
  }

  const QString folder =
      parsed.options.reportDirGiven ? parsed.options.reportDir : kelvaron::platform::savedReportFolder();
  kelvaron::cli::CliRunner runner(parsed.options, folder, stdout, stderr);
  kelvaron::cli::installStopHandlers();
  runner.setStopFlag(&kelvaron::cli::stopFlag());
  return static_cast<int>(runner.run());
}
