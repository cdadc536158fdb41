// Start-up time of the window: from entering main() to the main window shown and exposed
// (offscreen works), with the real port probing and the device library load of a start.
// Prints milliseconds; report.sh times the whole process around it as well.

#include <QApplication>
#include <QTest>
#include <chrono>
#include <cstdio>

#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"
#include "ui/NoSettings.h"

int main(int argc, char** argv) {
  const auto t0 = std::chrono::steady_clock::now();
  QApplication app(argc, argv);
  QApplication::setApplicationName("VornConfig");
  vorn::KeepNoSettings();
  vorn::QtSerialPort port;
  vorn::MainWindow w(port, vorn::SystemClock());
  w.show();
  // The device library sits next to the installed program; here it comes from the source tree.
  w.loadDeviceLibrary(VORN_SOURCE_DIR "/data");
  const bool exposed = QTest::qWaitForWindowExposed(&w, 5000);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("window %s after %.1f ms (from main)\n", exposed ? "exposed" : "NOT exposed", ms);
  return exposed ? 0 : 1;
}
