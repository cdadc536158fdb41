// vornctl on a faulty line: a port that vanishes mid-job ends the run with status 1, a message
// naming the port and no output file (an old one stays as it was); corrupted replies with noise
// between frames still give a file and "Verify OK".

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "files/ConfigFile.h"
#include "files/FileAccess.h"

namespace vorn {
namespace {

using test::SimProcess;

struct CtlRun {
  int code = -1;
  std::string out;
  std::string err;
};

CtlRun Ctl(const std::vector<std::string>& args) {
  QProcess p;
  QStringList list;
  for (const auto& a : args) list << QString::fromStdString(a);
  p.start(VORNCTL_PATH, list);
  CtlRun r;
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

class FaultVornctl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ConfigModel m;
    for (int p = 0; p < kPinsInUse; ++p) {  // every pin with a 4x9 program
      m.pin(p).AspectConfig = kLayout4x9;
      m.pin(p).InitAspect = 1;
      for (int a = 0; a < 4; ++a)
        for (int i = 0; i < 9; ++i)
          m.instr(p, a, i) = Instruction{38, 1, 0, static_cast<uint8_t>((a + i) % 32), 0, 0};
    }
    GeneralSettings g;
    g.IDString = "Full";
    test::RecordingPrompter quiet;
    ASSERT_TRUE(SaveConfigFile(path("full.dat"), m, g, ConfigFileMode::Full, quiet)) << quiet.last();
  }
  std::string path(const char* name) { return dir.filePath(name).toStdString(); }
  QTemporaryDir dir;
};

TEST_F(FaultVornctl, PortVanishingMidJobExitsOneAndWritesNoFile) {
  ASSERT_TRUE(SaveFileBytes(path("old.dat"), "old"));
  {
    // A file that matches the vanishing device up to where it vanishes. A blank device: the
    // file holds no enable maps, so the demo's would stop the verification early.
    SimProcess blank;
    ASSERT_TRUE(blank.ok()) << blank.error();
    ASSERT_EQ(Ctl({"read", "--port", blank.path(), "--out", path("blank.dat")}).code, 0);
  }
  struct Case {
    std::vector<std::string> args;  // after --port
    const char* out;                // file that must not appear or change
  } cases[] = {
      {{"read", "--out", path("new.dat")}, "new.dat"},
      {{"read", "--out", path("old.dat")}, "old.dat"},
      {{"write", "--in", path("full.dat")}, nullptr},
      {{"verify", "--in", path("blank.dat")}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.out ? std::string(" ") + c.out : std::string()));
    std::vector<std::string> simArgs{"--vanish-after", "90"};
    if (c.args[0] != "verify") simArgs.push_back("--demo");
    SimProcess sim(simArgs);
    ASSERT_TRUE(sim.ok()) << sim.error();
    std::vector<std::string> args{c.args[0], "--port", sim.path()};
    args.insert(args.end(), c.args.begin() + 1, c.args.end());
    const CtlRun r = Ctl(args);
    EXPECT_EQ(r.code, 1) << r.err << r.out;
    EXPECT_TRUE(sim.waitForLog("VANISH", 1, 3000)) << "the job ended before the port vanished";
    EXPECT_NE(r.err.find(sim.path()), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Verify OK"), std::string::npos) << r.out;
  }
  EXPECT_FALSE(ReadFileBytes(path("new.dat")).has_value());
  EXPECT_EQ(ReadFileBytes(path("old.dat")).value_or(""), "old");
}

}  // namespace
}  // namespace vorn
