#include <gtest/gtest.h>

#include <QFileInfo>

#include "RunProgram.h"

namespace {

using vorn::test::ProgramRun;
using vorn::test::RunProgram;

// The manual pages are made from --version and --help on build machines without a display.
TEST(Versions, EveryProgramPrintsVersionAndHelpWithoutADisplay) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(v);
  for (const char* program : {VORNCONFIG_PATH, VORNCTL_PATH, VORNSIM_PATH}) {
    const std::string name = QFileInfo(program).fileName().toStdString();
    const ProgramRun r = RunProgram(program, {"--version"}, env);
    EXPECT_EQ(r.code, 0) << name << r.err;
    EXPECT_EQ(r.out.rfind(name + " (VornConfig) " VORN_PROJECT_VERSION "\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("GPL-3.0-or-later"), std::string::npos) << r.out;
  }
  const ProgramRun help = RunProgram(VORNCONFIG_PATH, {"--help"}, env);
  EXPECT_EQ(help.code, 0) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: vornconfig [options]\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("VORNCONFIG_PORTS"), std::string::npos) << help.out;
}

TEST(Versions, WindowRefusesStrayArguments) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const ProgramRun stray = RunProgram(VORNCONFIG_PATH, {"layout.dat"}, env);
  EXPECT_EQ(stray.code, 2);
  EXPECT_NE(stray.err.find("unexpected argument 'layout.dat'"), std::string::npos) << stray.err;
  EXPECT_TRUE(stray.out.empty());
}

}  // namespace
