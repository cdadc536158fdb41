#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>
#include <string_view>

#include "VornVersion.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "ui/MainWindow.h"
#include "ui/NoSettings.h"

namespace {

// The id of the desktop entry, the AppStream component and the icon.
constexpr const char* kAppId = "org.vornconfig.VornConfig";

void describeOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "Reads the configuration out of a Vorn output controller over a serial port, edits it,\n"
      "writes it back and verifies the Vorn against it; saves and loads configuration files\n"
      "and applies devices from a device library.\n"
      "\n"
      "Environment: VORNCONFIG_PORTS, a colon-separated list of device paths, is offered as\n"
      "ports 1, 2, ... ahead of the system's serial ports.");
  parser.addHelpOption();
  parser.addOption(QCommandLineOption({"v", "version"}, "Displays version information."));
}

int usageError(const QString& error) {
  std::fprintf(stderr, "vornconfig: %s\nTry 'vornconfig --help'.\n", qPrintable(error));
  return 2;
}

bool asksForInfo(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "-h" || a == "-?" || a == "--help" || a == "--help-all" || a == "-v" || a == "--version")
      return true;
  }
  return false;
}

// --help and --version are answered without a display (the manual page is made from them on
// build machines), so no QApplication is created for them.
int answerInfo(int argc, char** argv) {
  QCoreApplication core(argc, argv);
  QCommandLineParser parser;
  describeOptions(parser);
  if (!parser.parse(QCoreApplication::arguments())) return usageError(parser.errorText());
  if (parser.isSet("version")) {
    std::fputs(vorn::VersionText("vornconfig").c_str(), stdout);
    return 0;
  }
  QString help = parser.helpText();
  help.replace(QCoreApplication::arguments().constFirst(), "vornconfig");
  std::fputs(qPrintable(help), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (asksForInfo(argc, argv)) return answerInfo(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName("VornConfig");
  QApplication::setApplicationVersion(vorn::kVersion);
  QGuiApplication::setDesktopFileName(kAppId);
  {
    // Qt's own options (-platform, -style, ...) are already taken out of the arguments here.
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(QCoreApplication::arguments())) return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
      return usageError("unexpected argument '" + parser.positionalArguments().constFirst() + "'");
  }
  const QString installed =
      QApplication::applicationDirPath() + "/../share/icons/hicolor/scalable/apps/" + kAppId + ".svg";
  QApplication::setWindowIcon(QIcon::fromTheme(kAppId, QIcon(installed)));
  vorn::KeepNoSettings();
  vorn::QtSerialPort port;
  vorn::MainWindow w(port, vorn::SystemClock());
  w.showAtStart();
  w.loadDeviceLibrary(QApplication::applicationDirPath().toStdString());
  return app.exec();
}
