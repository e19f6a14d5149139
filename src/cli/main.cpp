// kelvaron-cli: lists the parts of Pro/ENGINEER assemblies and writes their
// parts reports, without the window.

#include "cli/bomcommands.h"
#include "cli/clioptions.h"
#include "cli/clirunner.h"
#include "cli/stopsignal.h"
#include "platform/nativepath.h"
#include "reader/assemblyreader.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
  using kelvaron::cli::CliOptions;
  QCoreApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KELVARON_VERSION));
  QCoreApplication app(argc, argv);

  // Arguments straight from argv: a file name that is not valid UTF-8 keeps its bytes.
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(kelvaron::platform::fromNativeBytes(argv[i]));

  if (!args.isEmpty() && kelvaron::cli::isBomCommand(args.first()))
    return kelvaron::cli::runBomCommand(args, stdout, stderr, &kelvaron::reader::readAssemblyFile);

  const auto parsed = kelvaron::cli::parseCliArguments(args);
  if (!parsed.ok()) {
    std::fprintf(stderr, "kelvaron-cli: %s\nTry 'kelvaron-cli --help' for more information.\n",
                 parsed.error.toLocal8Bit().constData());
    return 2;
  }
  switch (parsed.options.action) {
    case CliOptions::Action::Help:
      std::fputs(kelvaron::cli::cliUsage().toUtf8().constData(), stdout);
      return 0;
    case CliOptions::Action::Version:
      std::printf("kelvaron-cli %s\n", KELVARON_VERSION);
      return 0;
    case CliOptions::Action::Run:
      break;
  }

  const QString folder = parsed.options.reportDirGiven ? parsed.options.reportDir
                                                       : kelvaron::cli::savedReportFolder();
  kelvaron::cli::CliRunner runner(parsed.options, folder, stdout, stderr);
  kelvaron::cli::installStopHandlers();
  runner.setStopFlag(&kelvaron::cli::stopFlag());
  return runner.run();
}
