#include <QApplication>
#include <QIcon>

#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"
#include "ui/NoSettings.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("VornConfig");
  const QString installed =
      QApplication::applicationDirPath() + "/../share/icons/hicolor/scalable/apps/vornconfig.svg";
  QApplication::setWindowIcon(QIcon::fromTheme("vornconfig", QIcon(installed)));
  vorn::KeepNoSettings();
  vorn::QtSerialPort port;
  vorn::MainWindow w(port, vorn::SystemClock());
  w.show();
  w.loadDeviceLibrary(QApplication::applicationDirPath().toStdString());
  return app.exec();
}
