// The window program: opens the main window, optionally on the assembly file
// named on the command line.

#include "app/commandline.h"
#include "app/mainwindow.h"
#include "resources/resources.h"
#include "version.h"

#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvaron"));
  QApplication::setApplicationVersion(QString::fromLatin1(kelvaron::kVersion));
  kelvaron::resources::initResources();
  QApplication::setWindowIcon(kelvaron::resources::windowIcon());

  kelvaron::MainWindow window;
  window.show();
  window.load(kelvaron::commandLineText(QApplication::arguments().mid(1)));
  return app.exec();
}
