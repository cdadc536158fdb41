#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "RunProgram.h"

namespace {

using vorn::test::ProgramRun;
using vorn::test::RunProgram;

// The manual pages are made from --version and --help on build machines without a display.
QProcessEnvironment NoDisplay() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(v);
  return env;
}

TEST(Versions, EveryProgramPrintsTheProjectVersionWithoutADisplay) {
  for (const char* program : {VORNCONFIG_PATH, VORNCTL_PATH, VORNSIM_PATH}) {
    const QString name = QFileInfo(program).fileName();
    const ProgramRun r = RunProgram(program, {"--version"}, NoDisplay());
    EXPECT_EQ(r.code, 0) << qPrintable(name) << r.err;
    EXPECT_EQ(r.out.rfind(name.toStdString() + " (VornConfig) " VORN_PROJECT_VERSION "\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("GPL-3.0-or-later"), std::string::npos) << r.out;
  }
}

TEST(Versions, WindowListsItsOptionsAndRefusesStrayArguments) {
  const ProgramRun help = RunProgram(VORNCONFIG_PATH, {"--help"}, NoDisplay());
  EXPECT_EQ(help.code, 0) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: vornconfig [options]\n", 0), 0u) << help.out;
  for (const char* says : {"--version", "--help", "VORNCONFIG_PORTS"})
    EXPECT_NE(help.out.find(says), std::string::npos) << says;

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const ProgramRun stray = RunProgram(VORNCONFIG_PATH, {"layout.dat"}, env);
  EXPECT_EQ(stray.code, 2);
  EXPECT_NE(stray.err.find("unexpected argument 'layout.dat'"), std::string::npos) << stray.err;
  EXPECT_TRUE(stray.out.empty());
}

}  // namespace
