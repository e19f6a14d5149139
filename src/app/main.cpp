// The window program: opens the main window, optionally on the assembly file
// named on the command line.

#include "app/commandline.h"
#include "app/form1.h"
#include "resources/resources.h"
#include "version.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QApplication::setApplicationVersion(QString::fromLatin1(kelvaron::kVersion));
  kelvaron::resources::initResources();
  QApplication::setWindowIcon(kelvaron::resources::windowIcon());

  kelvaron::Form1 form;
  form.setCommandLine(kelvaron::commandLineText(QApplication::arguments().mid(1)));
  form.Form_Load();
  // Closed while the command-line file was being analysed: the settings are
  // already saved and there is no event loop left to run.
  if (form.isUnloaded()) return 0;
  form.show();
  return app.exec();
}
