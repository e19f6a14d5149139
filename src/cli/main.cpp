// kelvaron-cli: lists the parts of Pro/ENGINEER assemblies and writes their
// parts reports, and answers bill-of-materials questions, without the window.

#include "cli/commands.h"
#include "cli/stopsignal.h"
#include "platform/nativepath.h"
#include "reader/assemblyreader.h"
#include "version.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
  kelvaron::cli::reopenClosedStandardStreams();
  QCoreApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kelvaron::kVersion));
  QCoreApplication app(argc, argv);

  // Arguments straight from argv: a file name that is not valid UTF-8 keeps its bytes.
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(kelvaron::platform::fromNativeBytes(argv[i]));
  return kelvaron::cli::runCommandLine(args, stdout, stderr, &kelvaron::reader::readAssemblyFile);
}
