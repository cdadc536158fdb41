#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <memory>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "Transcript.h"
#include "files/ConfigFile.h"
#include "files/FileAccess.h"
#include "files/ModuleIndex.h"
#include "operations/Modules.h"

namespace vorn {
namespace {

using test::ExpectTranscript;
using test::Normalise;
using test::SimProcess;

struct ProgramRun {
  int code = -1;  // -1 when it crashed or did not end within 30 s
  std::string out;
  std::string err;
};

// Runs one of the project's programs to its end and keeps its exit status and output.
ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                      const std::string& input = {}, int timeoutMs = 30000) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.write(input.data(), static_cast<qint64>(input.size()));
  p.closeWriteChannel();
  if (!p.waitForFinished(timeoutMs)) p.kill();
  p.waitForFinished();
  if (p.exitStatus() != QProcess::NormalExit) return {};
  return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

class VornctlTest : public ::testing::Test {
 protected:
  static ProgramRun Ctl(const std::vector<std::string>& args, const std::string& input = {}) {
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    return RunProgram(VORNCTL_PATH, list, QProcessEnvironment::systemEnvironment(), input);
  }
  // Standard error on a terminal, where vornctl shows its progress line.
  static ProgramRun CtlOnTerminal(const QStringList& args) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return {};
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    QProcess p;
    p.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
    p.start(VORNCTL_PATH, args);
    std::string err;
    char buf[256];
    QElapsedTimer clock;
    clock.start();
    for (bool done = false; !done && clock.elapsed() < 30000;) {
      done = p.waitForFinished(20);
      for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) err.append(buf, static_cast<size_t>(n));
    }
    ::close(slave);
    ::close(master);
    if (p.state() != QProcess::NotRunning) p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, "", err};
  }
  std::string path(const std::string& name) {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  }
  bool exists(const std::string& name) { return QFile::exists(QString::fromStdString(path(name))); }
  // Saves a full file of `m` and `g` under `name` and gives its path.
  std::string save(const std::string& name, ConfigModel& m, const GeneralSettings& g,
                   const std::optional<EnableMapBytes>& maps = std::nullopt) {
    EXPECT_TRUE(SaveConfigFile(path(name), m, g, ConfigFileMode::Full, quiet, maps));
    return path(name);
  }
  QTemporaryDir dir;
  test::RecordingPrompter quiet;
};

// Usage errors and the help texts: cli/transcripts/usage.txt. Files that cannot be read:
TEST_F(VornctlTest, BadFilesExitWithTwoAndSayWhy) {
  ASSERT_TRUE(SaveFileBytes(path("cut.dat"), "\"VornConfiguration 0032\"\r\n\"Pin\",4,2,0,\"x\"\r\n"));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"convert", "--in", path("cut.dat"), "--out", path("never.dat")}, "Invalid configuration file\n"},
      {{"diff", path("cut.dat"), path("missing.dat")},
       path("cut.dat") + ", line 2: the file ends before \"End\""},
      {{"diff", path("never.dat"), path("cut.dat")}, path("never.dat")},
  };
  for (const auto& [args, says] : cases) {
    const ProgramRun r = Ctl(args);
    EXPECT_EQ(r.code, 2) << says;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(exists("never.dat"));
}

TEST_F(VornctlTest, ConvertReadsOldVersionsAndRefusesDamagedFiles) {
  ASSERT_TRUE(SaveFileBytes(
      path("old.dat"), "\"VornConfiguration 0031\"\r\n\"DCC\",12,5\r\n\"Pin\",4,2,0,\"x\"\r\n\"End\"\r\n"));
  ProgramRun r = Ctl({"convert", "--in", path("old.dat"), "--out", path("new.dat"), "--compact"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "Data File Version = 31\n");
  const std::string saved = ReadFileBytes(path("new.dat")).value_or("");
  EXPECT_EQ(saved.rfind("\"VornConfiguration 0032\"\r\n", 0), 0u);
  EXPECT_TRUE(saved.ends_with(
      "\"Pin\",4,2,0,\"x\"\r\n  \"Dev\",0,\"\"\r\n  \"Cfg\",0\r\n  \"PAM\",1,1,1\r\n\"End\"\r\n"))
      << saved;  // and no enable maps made up

  // Standard input to standard output keeps the maps.
  const std::string withMaps = "\"VornConfiguration 0032\"\r\n\"Ena\",9,6\r\n\"End\"\r\n";
  r = Ctl({"convert", "--in", "-", "--out", "-", "--compact"}, withMaps);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, std::string(kCompactHoldsNoPin) + "\n");  // saved, but not silently without pins
  EXPECT_TRUE(r.out.ends_with("\"Eof\",31,0,0,0,0\r\n\"Ena\",9,6\r\n\"End\"\r\n")) << r.out;
}

TEST_F(VornctlTest, DiffListsDifferencesAndExitsZeroOneOrTwo) {
  ConfigModel m;
  GeneralSettings g;
  m.pin(4).Description = "Point servo";
  m.pin(4).AspectConfig = kLayout4x9;
  const std::string a = save("a.dat", m, g);
  ASSERT_TRUE(SaveConfigFile(path("same.dat"), m, g, ConfigFileMode::Compact, quiet));
  m.instr(4, 2, 3) = Instruction{1, 0, 0, 2, 0, 0};
  g.DCCAddress = 14;
  const std::string b = save("b.dat", m, g);

  ProgramRun r = Ctl({"diff", a, path("same.dat")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  // Either file may come from standard input.
  for (const auto& [first, second] :
       {std::pair(a, b), std::pair(a, std::string("-")), std::pair(std::string("-"), b)}) {
    r = Ctl({"diff", first, second, "--number-from", "0"}, ReadFileBytes(first == "-" ? a : b).value_or(""));
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out,
              "General: DCC address 1 -> 14\n"
              "Pin 4 \"Point servo\": aspect 2 step 3: empty -> Jump 0, 2, 0\n");
  }

  // Enable maps count only where the newer file has them.
  const std::string maps = save("maps.dat", m, g, EnableMapBytes{1, 0});
  r = Ctl({"diff", b, maps});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "Enable map: event-on of input 0 at start unknown -> disabled");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 8);  // also the bits that agree
  EXPECT_EQ(Ctl({"diff", maps, b}).code, 0);
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
  // Enable maps other than the start-up ones: input 0 and 2 events on, input 1 events off
  // disabled at start.
  const std::string mine = save("mine.dat", m, g, EnableMapBytes{5, 2});

  ProgramRun r = Ctl({"write", "--port", sim.path(), "--in", mine});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  r = Ctl({"verify", "--port", sim.path(), "--in", mine});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(r.out.ends_with("Verify OK\n")) << r.out;
  EXPECT_NE(r.out.find("Note: Numbering starts at 1"), std::string::npos);

  // A file without maps leaves the Vorn's alone and does not check them, and says so once.
  const std::string noMaps = save("nomaps.dat", m, g);
  for (const char* command : {"write", "verify"}) {
    r = Ctl({command, "--port", sim.path(), "--in", noMaps});
    EXPECT_EQ(r.code, 0) << command << r.err << r.out;
    EXPECT_EQ(r.err, std::string("The file holds no enable maps: they were ") +
                         (command == std::string("write") ? "left as they are on the Vorn\n"
                                                          : "not compared with the Vorn's\n"))
        << command;
  }
  // What is read back (here to standard output) is the written file, maps included.
  r = Ctl({"read", "--port", sim.path(), "--out", "-"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(r.out == ReadFileBytes(mine));
  // On a terminal the progress line is wiped at the end, not left in front of what follows.
  r = CtlOnTerminal({"read", "--port", QString::fromStdString(sim.path()), "--out", "-"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.err.find("\r"), std::string::npos) << "no progress shown";
  EXPECT_TRUE(r.err.ends_with("\r" + std::string(40, ' ') + "\r")) << r.err;

  // A file that differs from the device: exit 1 and the report says where it stopped.
  m.instr(2, 0, 0).Par1 = 7;
  r = Ctl({"verify", "--port", sim.path(), "--in", save("other.dat", m, g)});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.out.ends_with("Verification Stopped\n")) << r.out;
}

TEST_F(VornctlTest, ReadOfASilentDeviceFailsAndUnansweredMapsKeepTheRest) {
  SimProcess mute({"--mute"});
  ASSERT_TRUE(mute.ok()) << mute.error();
  // What it says, and what a port that is not one says: cli/transcripts/device.txt.
  ProgramRun r = Ctl({"read", "--port", mute.path(), "--out", path("none.dat")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.find("Check that", 20), r.err.rfind("Check that"));  // once in the job
  EXPECT_FALSE(exists("none.dat"));
  ASSERT_TRUE(SaveFileBytes(path("plain"), "x"));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("VORNCONFIG_PORTS", QString::fromStdString(path("plain")));
  r = RunProgram(VORNCTL_PATH, {"ports"}, env);
  EXPECT_EQ(
      r.err.rfind("1 " + path("plain") + ": can not open: " + path("plain") + " is not a serial port\n", 0),
      0u)
      << r.err;
  // An output that cannot be written is refused before the first frame.
  SimProcess watched;
  ASSERT_TRUE(watched.ok()) << watched.error();
  for (const std::string& out : {path(""), path("no-folder/x.dat")}) {
    r = Ctl({"read", "--port", watched.path(), "--out", out});
    EXPECT_EQ(r.code, 2) << out;
    EXPECT_EQ(r.err.rfind("Can not save " + out + ": ", 0), 0u) << r.err;
  }
  EXPECT_FALSE(watched.waitForLog("HOST-OPEN", 1, 300));  // not even opened

  SimProcess noMaps({"--ignore-request", "112,11"});
  ASSERT_TRUE(noMaps.ok()) << noMaps.error();
  r = Ctl({"read", "--port", noMaps.path(), "--out", path("part.dat")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err,
            "No response received, resetting bidirectional communication\n"
            "The Vorn did not give its enable maps: everything else was read; the maps are left out of "
            "saved files, Write All and Verify All until they are read or set\n");
  const std::string saved = ReadFileBytes(path("part.dat")).value_or("");
  EXPECT_EQ(saved.find("\"Ena\""), std::string::npos);
  EXPECT_TRUE(saved.ends_with("\"End\"\r\n"));
}

// SIGINT and SIGTERM stop a job between two exchanges, as Stop does in the window.
TEST_F(VornctlTest, SignalsStopTheJobAndSayHowFarItGot) {
  ConfigModel m;
  const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
      {{"read", "--out", path("out.dat")}, SIGINT, "Read All stopped; nothing was changed\n"},
      {{"write", "--in", save("in.dat", m, GeneralSettings())}, SIGTERM, "Write All stopped "},
  };
  for (const auto& [args, signal, says] : cases) {
    SCOPED_TRACE(args[0]);
    SimProcess sim({"--demo", "--latency-ms", "5"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    QStringList list{QString::fromStdString(args[0]), "--port", QString::fromStdString(sim.path())};
    for (std::size_t i = 1; i < args.size(); ++i) list << QString::fromStdString(args[i]);
    QProcess p;
    p.start(VORNCTL_PATH, list);
    ASSERT_TRUE(sim.waitForLog("VORN ", 40, 10000)) << "the job never got going";
    const std::size_t sent = sim.logLines("VORN ").size();
    ::kill(static_cast<pid_t>(p.processId()), signal);
    ASSERT_TRUE(p.waitForFinished(10000));
    // The exchange in progress ends; no new one begins (one more may have crossed the signal).
    EXPECT_LE(sim.logLines("VORN ").size(), sent + 2);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    const std::string err = p.readAllStandardError().toStdString();
    EXPECT_NE(err.find(says), std::string::npos) << err;
    EXPECT_FALSE(exists("out.dat"));
  }
}

TEST_F(VornctlTest, ModuleAddressAndKestroTunnel) {
  // An extended address above 63 (the bits of a data byte's upper half) both ways.
  // The extended address and the old tunnel protocol: cli/transcripts/device.txt.
  SimProcess ext({"--xaddr", "77"});
  ASSERT_TRUE(ext.ok()) << ext.error();
  // `ports` lists the ports given first, as the window numbers them.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("VORNCONFIG_PORTS", QString::fromStdString(ext.path()));
  const ProgramRun ports = RunProgram(VORNCTL_PATH, {"ports"}, env);
  EXPECT_EQ(ports.out.rfind("1 " + ext.path() + "\n", 0), 0u) << ports.out << ports.err;

  SimProcess kestro({"--kestro", "lintor"});
  ASSERT_TRUE(kestro.ok()) << kestro.error();
  EXPECT_EQ(Ctl({"read", "--port", kestro.path(), "--kestro", "--out", path("k.dat")}).code, 0);
  // A module that never answers through the tunnel is named, as the user counts it.
  ProgramRun r = Ctl({"read", "--port", kestro.path(), "--kestro", "--module", "3", "--out", path("k3.dat")});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "No response received from module 4 through the Kestro interface\n");
}

TEST_F(VornctlTest, ModulesListsEveryModuleThatAnswersDirectAndThroughKestro) {
  for (const bool kestro : {false, true}) {
    std::vector<std::string> args{"--modules", "0,3,7", "--ids", "Yard West,Station,Shed"};
    if (kestro) args.insert(args.end(), {"--kestro", "lintor"});
    SimProcess sim(args);
    ASSERT_TRUE(sim.ok()) << sim.error();
    std::vector<std::string> ctl{"modules", "--port", sim.path(), "--number-from", "0"};
    if (kestro) ctl.push_back("--kestro");
    QElapsedTimer clock;
    clock.start();
    const ProgramRun r = Ctl(ctl);
    EXPECT_LT(clock.elapsed(), 5000) << kestro;  // 13 silent addresses, a short window each
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "0 3.0.1.7 Yard West\n3 3.0.1.7 Station\n7 3.0.1.7 Shed\n") << kestro;
    EXPECT_EQ(r.err, "");
  }
  SimProcess mute({"--mute"});
  ASSERT_TRUE(mute.ok()) << mute.error();
  const ProgramRun none = Ctl({"modules", "--port", mute.path()});
  EXPECT_EQ(none.code, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "No module answered on " + mute.path() + "\n");
}

TEST_F(VornctlTest, AllModulesReadsAndVerifiesEveryModuleThatAnswers) {
  SimProcess sim({"--modules", "0,3", "--ids", "Yard West,Station"});
  ASSERT_TRUE(sim.ok()) << sim.error();
  const std::string out = path("bus");  // created by the read
  QElapsedTimer clock;
  clock.start();
  ProgramRun r = Ctl({"read", "--port", sim.path(), "--all-modules", "--out", out});
  // Fourteen silent modules with the full 2 s reply window would take half a minute.
  EXPECT_LT(clock.elapsed(), 10000);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");  // silent modules are skipped without messages
  // Modules are numbered as --number-from says; the files keep the stored address.
  EXPECT_EQ(r.out, "module 1: version 3.0.1.7, saved " + out +
                       "/module-00.dat\nmodule 4: version 3.0.1.7, saved " + out +
                       "/module-03.dat\n2 of 2 modules read\n");
  EXPECT_EQ(QDir(QString::fromStdString(out)).entryList(QDir::Files).join(",").toStdString(),
            "module-00.dat,module-03.dat,modules.txt");
  // Each file is what a read of that module alone saves (the window's Back Up All shares the code).
  ASSERT_EQ(Ctl({"read", "--port", sim.path(), "--module", "3", "--out", path("m3.dat")}).code, 0);
  EXPECT_EQ(ReadFileBytes(path("m3.dat")), ReadFileBytes(out + "/module-03.dat"));
  const auto index = ReadModuleIndexText(ReadFileBytes(out + "/modules.txt").value_or(""));
  ASSERT_TRUE(index && index->size() == 2u);
  EXPECT_EQ((*index)[1].id + " " + (*index)[1].version, "Station 3.0.1.7");
  r = Ctl({"verify", "--port", sim.path(), "--all-modules", "--in", out});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "module 1: Verify OK\nmodule 4: Verify OK\n2 of 2 modules verified OK\n");

  // Module 3 differs from its file now, and module 5 has a file but no Vorn.
  ConfigModel m;
  GeneralSettings g;
  std::optional<EnableMapBytes> maps;
  ASSERT_EQ(LoadConfigFile(out + "/module-03.dat", m, g, quiet, &maps), ConfigLoadStatus::Loaded);
  g.IDString = "Changed";
  save("bus/module-03.dat", m, g, maps);
  save("bus/module-05.dat", m, g, maps);
  r = Ctl({"verify", "--port", sim.path(), "--all-modules", "--in", out});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "module 1: Verify OK\nmodule 4: 1 difference\nmodule 6: no answer\n1 of 3 modules verified OK\n");

  // Module 3 falls silent in the middle of its read, then of its verification: it is named,
  // module 0 is still done, and the run fails.
  SimProcess midRead({"--modules", "0,3", "--silent-after", "3,12"});
  ASSERT_TRUE(midRead.ok()) << midRead.error();
  r = Ctl({"read", "--port", midRead.path(), "--all-modules", "--out", out + "-part"});
  EXPECT_EQ(r.code, 1) << r.out << r.err;
  EXPECT_EQ(r.out, "module 1: version 3.0.1.7, saved " + out +
                       "-part/module-00.dat\nmodule 4: read failed\n1 of 2 modules read\n");
  EXPECT_NE(r.err.find("No response received"), std::string::npos) << r.err;
  EXPECT_EQ(ModulesInFolder(out + "-part").size(), 1u);
  SimProcess midVerify({"--modules", "0,3", "--silent-after", "3,5"});
  ASSERT_TRUE(midVerify.ok()) << midVerify.error();
  r = Ctl({"verify", "--port", midVerify.path(), "--all-modules", "--in", out + "-part"});
  EXPECT_EQ(r.code, 0) << r.out;  // only module 0 has a file
  ASSERT_TRUE(QFile::copy(QString::fromStdString(out + "-part/module-00.dat"),
                          QString::fromStdString(out + "-part/module-03.dat")));
  r = Ctl({"verify", "--port", midVerify.path(), "--all-modules", "--in", out + "-part"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "module 1: Verify OK\nmodule 4: Verification Stopped\n1 of 2 modules verified OK\n");
}

// Runs the commands of a transcript record again (tests/cli/transcripts/, see Transcript.h) and
// gives what they print now. In a record, "$ " lines are runs: the program and its arguments
// split at spaces, DIR standing for a temporary folder and PORT for the simulator's
// pseudo-terminal. "# vornsim ARGS" starts a fresh simulator with those options for the runs below
// it; other "#" lines are comments. Each run is followed by its exit status, its standard output
// ("| " lines) and standard error ("! " lines); a long output seen before is named, not repeated.
std::string RerunTranscript(const std::string& record, const QString& dir) {
  std::ifstream in(std::string(VORN_SOURCE_DIR) + "/tests/" + record);
  std::string text;
  std::vector<std::pair<std::string, std::string>> seen;
  std::unique_ptr<SimProcess> sim;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# vornsim", 0) == 0) {
      std::vector<std::string> args;
      for (const QString& w : QString::fromStdString(line.substr(9)).split(' ', Qt::SkipEmptyParts))
        args.push_back(w.toStdString());
      sim.reset();
      sim = std::make_unique<SimProcess>(args);
      EXPECT_TRUE(sim->ok()) << line << sim->error();
    }
    if (line.rfind("#", 0) == 0) text += line + "\n";
    if (line.rfind("$ ", 0) != 0) continue;
    QStringList args = QString::fromStdString(line.substr(2)).replace("DIR", dir).split(' ');
    if (sim) args.replaceInStrings("PORT", QString::fromStdString(sim->path()));
    // A simulator that takes its options serves until stopped: here that is a failure, soon.
    const bool simulator = args.takeFirst() == "vornsim";
    const ProgramRun r = RunProgram(simulator ? VORNSIM_PATH : VORNCTL_PATH, args,
                                    QProcessEnvironment::systemEnvironment(), {}, simulator ? 3000 : 30000);
    text += line + "\nexit " + std::to_string(r.code) + "\n";
    for (const auto& [out, mark] : {std::pair(r.out, "| "), std::pair(r.err, "! ")}) {
      const auto same =
          std::find_if(seen.begin(), seen.end(), [&](const auto& s) { return s.second == out; });
      if (out.size() > 200 && same != seen.end()) {
        text += mark + ("(as for: " + same->first + ")\n");
        continue;
      }
      for (std::size_t at = 0; at < out.size();) {
        const std::size_t end = std::min(out.find('\n', at), out.size());
        text +=
            mark + out.substr(at, end - at) + (end == out.size() ? " (no line break at the end)\n" : "\n");
        at = end + 1;
      }
      if (out.size() > 200) seen.emplace_back(line.substr(2), out);
    }
    text += "\n";
  }
  EXPECT_FALSE(text.empty()) << "no runs in tests/" << record;
  return Normalise(
      text, {{dir.toStdString(), "DIR"}, {"(VornConfig) " VORN_PROJECT_VERSION, "(VornConfig) <version>"}});
}

// Every command's help, the version, every usage error of both programs' option parsers, and
// the highest values vornctl's options take.
TEST_F(VornctlTest, TranscriptsOfHelpAndUsageErrors) {
  ExpectTranscript("cli/transcripts/usage.txt", RerunTranscript("cli/transcripts/usage.txt", dir.path()));
}

// The commands against the simulator: a plain and a demonstration Vorn, two modules, a silent,
// a vanishing and an old Vorn, extended addressing, the Kestro tunnel, ports that refuse.
TEST_F(VornctlTest, TranscriptsAgainstTheSimulator) {
  ASSERT_TRUE(SaveFileBytes(path("plain"), "x"));
  ExpectTranscript("cli/transcripts/device.txt", RerunTranscript("cli/transcripts/device.txt", dir.path()));
}

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
}  // namespace vorn
