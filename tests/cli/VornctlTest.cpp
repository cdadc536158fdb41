#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

#include "RecordingPrompter.h"
#include "RunProgram.h"
#include "SimProcess.h"
#include "files/ConfigFile.h"
#include "files/FileAccess.h"

namespace vorn {
namespace {

using test::SimProcess;

using CtlRun = test::ProgramRun;

CtlRun Vornctl(const std::vector<std::string>& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QStringList list;
  for (const auto& a : args) list << QString::fromStdString(a);
  return test::RunProgram(VORNCTL_PATH, list, env);
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class VornctlTest : public ::testing::Test {
 protected:
  std::string path(const char* name) { return dir.filePath(name).toStdString(); }
  QTemporaryDir dir;
};

TEST_F(VornctlTest, BadUsageExitsWithTwoAndSaysWhy) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{}, "no command given"},
      {{"fetch"}, "unknown command 'fetch'"},
      {{"read", "--port", "/dev/null"}, "read needs --out FILE"},
      {{"read", "--port", "/dev/null", "--out", "x", "--module", "16"},
       "--module: expected a module address 0..15"},
      {{"write", "--port", "/dev/null", "--in", "x", "--baud", "4800"},
       "--baud: expected 9600, 19200 or 38400"},
      {{"convert", "--in", "a", "--out", "b", "--port", "p"}, "'--port' is not an option of convert"},
      {{"read", "--port", "p", "--all-modules", "--module", "2", "--out", "d"}, "exclude each other"},
      {{"verify", "--port", "p", "--in"}, "--in needs a value"},
  };
  for (const auto& c : cases) {
    const CtlRun r = Vornctl(c.args);
    EXPECT_EQ(r.code, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  const CtlRun help = Vornctl({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--all-modules"), std::string::npos);
  const CtlRun readHelp = Vornctl({"read", "--help"});
  EXPECT_EQ(readHelp.code, 0);
  EXPECT_NE(readHelp.out.find("module-NN.dat"), std::string::npos);
}

TEST_F(VornctlTest, ConvertReadsOldVersionsAndRefusesDamagedFiles) {
  ASSERT_TRUE(SaveFileBytes(
      path("old.dat"), "\"VornConfiguration 0031\"\r\n\"DCC\",12,5\r\n\"Pin\",4,2,0,\"x\"\r\n\"End\"\r\n"));
  CtlRun r = Vornctl({"convert", "--in", path("old.dat"), "--out", path("new.dat"), "--compact"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "Data File Version = 31\n");
  const std::string saved = ReadFileBytes(path("new.dat")).value_or("");
  EXPECT_EQ(saved.rfind("\"VornConfiguration 0032\"\r\n", 0), 0u);
  EXPECT_NE(saved.find("\"Pin\",4,2,0,\"x\"\r\n"), std::string::npos);

  EXPECT_EQ(saved.find("\"Ena\""), std::string::npos);  // none is made up

  // Standard input to standard output keeps the maps.
  const std::string withMaps = "\"VornConfiguration 0032\"\r\n\"Ena\",9,6\r\n\"End\"\r\n";
  QProcess p;
  p.start(VORNCTL_PATH, {"convert", "--in", "-", "--out", "-", "--compact"});
  p.write(withMaps.data(), static_cast<qint64>(withMaps.size()));
  p.closeWriteChannel();
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  const std::string converted = p.readAllStandardOutput().toStdString();
  EXPECT_TRUE(EndsWith(converted, "\"Eof\",31,0,0,0,0\r\n\"Ena\",9,6\r\n\"End\"\r\n")) << converted;

  ASSERT_TRUE(SaveFileBytes(path("cut.dat"), "\"VornConfiguration 0032\"\r\n\"Pin\",4,2,0,\"x\"\r\n"));
  r = Vornctl({"convert", "--in", path("cut.dat"), "--out", path("never.dat")});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "Invalid configuration file\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path("never.dat"))));
  EXPECT_EQ(Vornctl({"convert", "--in", path("missing.dat"), "--out", path("never.dat")}).code, 2);
}

TEST_F(VornctlTest, WriteVerifyAndReadBackAgainstTheSimulator) {
  SimProcess sim;
  ASSERT_TRUE(sim.ok()) << sim.error();
  ConfigModel m;
  GeneralSettings g;
  g.IDString = "Yard";
  // No descriptions: the Vorn keeps none, so a read-back file would differ in them.
  m.pin(2).AspectConfig = kLayout12x3;
  m.pin(2).PinConfig = {2, 0, 0, 28, 0, 31, 0, 0, 0, 0, 0, 0, 0};
  m.instr(2, 0, 0) = Instruction{38, 1, 0, 31, 0, 0};
  test::RecordingPrompter quiet;
  // Enable maps other than the start-up ones: input 0 and 2 events on, input 1 events off
  // disabled at start.
  ASSERT_TRUE(SaveConfigFile(path("mine.dat"), m, g, ConfigFileMode::Full, quiet, EnableMapBytes{5, 2}));
  ASSERT_TRUE(SaveConfigFile(path("nomaps.dat"), m, g, ConfigFileMode::Full, quiet));

  CtlRun r = Vornctl({"write", "--port", sim.path(), "--in", path("mine.dat")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  r = Vornctl({"verify", "--port", sim.path(), "--in", path("mine.dat")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(EndsWith(r.out, "Verify OK\n")) << r.out;
  EXPECT_NE(r.out.find("Note: Numbering starts at 1"), std::string::npos);
  r = Vornctl({"verify", "--port", sim.path(), "--in", path("mine.dat"), "--number-from", "0"});
  EXPECT_EQ(r.out.find("Note: Numbering starts at 1"), std::string::npos);

  // Read then verify of the unchanged Vorn; the file goes to standard output just the same.
  r = Vornctl({"read", "--port", sim.path(), "--out", path("back.dat")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(ReadFileBytes(path("back.dat")) == ReadFileBytes(path("mine.dat")));
  EXPECT_EQ(Vornctl({"verify", "--port", sim.path(), "--in", path("back.dat")}).code, 0);
  r = Vornctl({"read", "--port", sim.path(), "--out", "-"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(r.out == ReadFileBytes(path("mine.dat")));

  // A file without maps leaves the Vorn's alone and does not check them, and says so once.
  const std::string once = "The file holds no enable maps: they were left as they are on the Vorn\n";
  for (const char* command : {"write", "verify"}) {
    r = Vornctl({command, "--port", sim.path(), "--in", path("nomaps.dat")});
    EXPECT_EQ(r.code, 0) << command << r.err << r.out;
    EXPECT_EQ(r.err, once) << command;
  }
  r = Vornctl({"read", "--port", sim.path(), "--out", path("back.dat")});
  EXPECT_TRUE(ReadFileBytes(path("back.dat")) == ReadFileBytes(path("mine.dat")));

  // A file that differs from the device: exit 1 and the report says where it stopped.
  g.IDString = "Depot";
  m.instr(2, 0, 0).Par1 = 7;
  ASSERT_TRUE(SaveConfigFile(path("other.dat"), m, g, ConfigFileMode::Full, quiet));
  r = Vornctl({"verify", "--port", sim.path(), "--in", path("other.dat")});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(EndsWith(r.out, "Verification Stopped\n")) << r.out;
}

TEST_F(VornctlTest, UnansweredEnableMapsKeepTheRestOfTheRead) {
  SimProcess sim({"--ignore-request", "112,11"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  const CtlRun r = Vornctl({"read", "--port", sim.path(), "--out", path("part.dat")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err,
            "No response received, resetting bidirectional communication\n"
            "The Vorn did not give its enable maps: everything else was read; the maps are left out of "
            "saved files, Write All and Verify All until they are read or set\n");
  const std::string saved = ReadFileBytes(path("part.dat")).value_or("");
  EXPECT_EQ(saved.find("\"Ena\""), std::string::npos);
  EXPECT_TRUE(EndsWith(saved, "\"End\"\r\n"));
}

TEST_F(VornctlTest, SilentDeviceFailsAndWritesNoFile) {
  SimProcess sim({"--mute"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  const CtlRun r = Vornctl({"read", "--port", sim.path(), "--out", path("none.dat")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.rfind("No response received, resetting bidirectional communication\n", 0), 0u) << r.err;
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path("none.dat"))));
  EXPECT_EQ(Vornctl({"read", "--port", path("no-such-port"), "--out", path("none.dat")}).code, 1);
}

// SIGINT and SIGTERM stop a job between two exchanges, as Stop does in the window.
TEST_F(VornctlTest, SignalsStopTheJobAndSayHowFarItGot) {
  test::RecordingPrompter quiet;
  ConfigModel m;
  ASSERT_TRUE(SaveConfigFile(path("in.dat"), m, GeneralSettings(), ConfigFileMode::Full, quiet));
  struct Case {
    std::vector<std::string> args;
    int signal;
    const char* says;
  } cases[] = {
      {{"read", "--out", path("out.dat")}, SIGINT, "Read All stopped; nothing was changed\n"},
      {{"write", "--in", path("in.dat")}, SIGTERM, "Write All stopped after pin "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    SimProcess sim({"--demo", "--latency-ms", "5"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    QProcess p;
    QStringList args{"--port", QString::fromStdString(sim.path())};
    for (const auto& a : c.args) args << QString::fromStdString(a);
    args.move(2, 0);  // the command first
    p.start(VORNCTL_PATH, args);
    ASSERT_TRUE(sim.waitForLog("VORN ", 40, 10000)) << "the job never got going";
    ::kill(static_cast<pid_t>(p.processId()), c.signal);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("out.dat"))));
  }
}

TEST_F(VornctlTest, ModuleAddressAndKestroTunnel) {
  SimProcess five({"--module", "5"});
  ASSERT_TRUE(five.ok()) << five.error();
  EXPECT_EQ(Vornctl({"read", "--port", five.path(), "--module", "5", "--out", path("m5.dat")}).code, 0);

  SimProcess ext({"--xaddr", "7"});
  ASSERT_TRUE(ext.ok()) << ext.error();
  EXPECT_EQ(Vornctl({"read", "--port", ext.path(), "--xaddr", "7", "--out", path("x.dat")}).code, 0);
  const auto frames = ext.logLines("VORN ");
  EXPECT_TRUE(std::any_of(frames.begin(), frames.end(),
                          [](const std::string& l) { return l.find(" x=7 ") != std::string::npos; }));

  SimProcess kestro({"--kestro", "lintor"});
  ASSERT_TRUE(kestro.ok()) << kestro.error();
  EXPECT_EQ(Vornctl({"read", "--port", kestro.path(), "--kestro", "--out", path("k.dat")}).code, 0);

  // A module that never answers through the tunnel is named, as the user counts it.
  CtlRun silent =
      Vornctl({"read", "--port", kestro.path(), "--kestro", "--module", "3", "--out", path("k3.dat")});
  EXPECT_EQ(silent.code, 1);
  EXPECT_EQ(silent.err, "No response received from module 4 through the Kestro interface\n");

  SimProcess old({"--kestro", "lintor", "--protocol", "3.1"});
  ASSERT_TRUE(old.ok()) << old.error();
  const CtlRun r = Vornctl({"read", "--port", old.path(), "--kestro", "--out", path("k.dat")});
  EXPECT_EQ(r.code, 1);
  // A message with a line break stays on one line.
  EXPECT_NE(r.err.find("Your system does not support this function / Protocol = 3."), std::string::npos)
      << r.err;
}

TEST_F(VornctlTest, AllModulesReadsAndVerifiesEveryModuleThatAnswers) {
  SimProcess sim({"--modules", "0,3"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  const std::string out = dir.path().toStdString() + "/bus";  // created by the read
  QElapsedTimer clock;
  clock.start();
  CtlRun r = Vornctl({"read", "--port", sim.path(), "--all-modules", "--out", out});
  // Fourteen silent modules with the full 2 s reply window would take half a minute.
  EXPECT_LT(clock.elapsed(), 10000);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");  // silent modules are skipped without messages
  EXPECT_EQ(r.out, "module 00: version 3.0.1.7, saved " + out +
                       "/module-00.dat\nmodule 03: version 3.0.1.7, saved " + out + "/module-03.dat\n");
  EXPECT_EQ(QDir(QString::fromStdString(out)).entryList(QDir::Files).join(",").toStdString(),
            "module-00.dat,module-03.dat");

  r = Vornctl({"verify", "--port", sim.path(), "--all-modules", "--in", out});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "module 00: Verify OK\nmodule 03: Verify OK\n");

  // Module 3 differs from its file now, and module 5 has a file but no Vorn.
  ConfigModel m;
  GeneralSettings g;
  test::RecordingPrompter quiet;
  std::optional<EnableMapBytes> maps;
  ASSERT_EQ(LoadConfigFile(out + "/module-03.dat", m, g, quiet, &maps), ConfigLoadStatus::Loaded);
  g.IDString = "Changed";
  ASSERT_TRUE(SaveConfigFile(out + "/module-03.dat", m, g, ConfigFileMode::Full, quiet, maps));
  ASSERT_TRUE(SaveConfigFile(out + "/module-05.dat", m, g, ConfigFileMode::Full, quiet, maps));
  r = Vornctl({"verify", "--port", sim.path(), "--all-modules", "--in", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("module 00: Verify OK\nmodule 03: Verification Stopped, ", 0), 0u) << r.out;
  EXPECT_TRUE(EndsWith(r.out, " report lines\nmodule 05: no answer\n")) << r.out;

  // A module that answers but cannot be read fails the whole run.
  SimProcess stuck({"--ignore-request", "114,7"});
  ASSERT_TRUE(stuck.ok()) << stuck.error();
  r = Vornctl({"read", "--port", stuck.path(), "--all-modules", "--out", out + "-stuck"});
  EXPECT_EQ(r.code, 1) << r.out << r.err;
}

}  // namespace
}  // namespace vorn
