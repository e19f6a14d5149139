// kelvaron-cli: lists the parts of Pro/ENGINEER assemblies and writes their
// parts reports, and answers bill-of-materials questions, without the window.

#include "cli/commands.h"
#include "cli/stopsignal.h"
#include "platform/programio.h"
#include "reader/assemblyreader.h"
#include "version.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
  kelvaron::cli::reopenClosedStandardStreams();
  kelvaron::platform::prepareStandardStreams();
  QCoreApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kelvaron::kVersion));
  QCoreApplication app(argc, argv);

  const QStringList args = kelvaron::platform::programArguments(argc, argv);
  return kelvaron::cli::runCommandLine(args, stdout, stderr, &kelvaron::reader::readAssemblyFile);
}
