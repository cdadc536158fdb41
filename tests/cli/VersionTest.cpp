#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

namespace {

struct ProgramRun {
  int code = -1;
  QString out;
  QString err;
};

ProgramRun Start(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  ProgramRun r;
  if (!p.waitForFinished(20000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

// The manual pages are made from --version and --help on build machines without a display.
QProcessEnvironment NoDisplay() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(v);
  return env;
}

TEST(Versions, EveryProgramPrintsTheProjectVersionWithoutADisplay) {
  for (const char* program : {VORNCONFIG_PATH, VORNCTL_PATH, VORNSIM_PATH}) {
    const QString name = QFileInfo(program).fileName();
    const ProgramRun r = Start(program, {"--version"}, NoDisplay());
    EXPECT_EQ(r.code, 0) << qPrintable(name) << qPrintable(r.err);
    EXPECT_TRUE(r.out.startsWith(name + " (VornConfig) " VORN_PROJECT_VERSION "\n")) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains("GPL-3.0-or-later")) << qPrintable(r.out);
  }
}

TEST(Versions, WindowListsItsOptionsAndRefusesStrayArguments) {
  const ProgramRun help = Start(VORNCONFIG_PATH, {"--help"}, NoDisplay());
  EXPECT_EQ(help.code, 0) << qPrintable(help.err);
  EXPECT_TRUE(help.out.startsWith("Usage: vornconfig [options]\n")) << qPrintable(help.out);
  for (const char* says : {"--version", "--help", "VORNCONFIG_PORTS"})
    EXPECT_TRUE(help.out.contains(says)) << says;

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const ProgramRun stray = Start(VORNCONFIG_PATH, {"layout.dat"}, env);
  EXPECT_EQ(stray.code, 2);
  EXPECT_TRUE(stray.err.contains("unexpected argument 'layout.dat'")) << qPrintable(stray.err);
  EXPECT_TRUE(stray.out.isEmpty());
}

}  // namespace
