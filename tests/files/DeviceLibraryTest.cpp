#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "RecordingPrompter.h"
#include "files/DeviceLibrary.h"
#include "files/FileAccess.h"

namespace vorn {
namespace {

using test::RecordingPrompter;

const char* kThreePin =
    "\"VornDeviceDefinitions A\"\r\n"
    "\"Dev\",\"Other\"\r\n  \"Pin\",0,0,0,\"o\"\r\n"
    "\"Dev\",\"Trio\"\r\n"
    "  \"Pin\",0,2,1,\"head\"\r\n    \"Cfg\",1,64,26,64,127,58,20,20,64,0,64,0\r\n    \"PAM\",1,2,3\r\n"
    "    \"Asp\",1,\"Go\"\r\n      \"Ins\",2,54,1,31,0,0\r\n"
    "  \"Pin\",1,0,0,\"tail\"\r\n    \"Cfg\",2,5,1,28\r\n    \"Asp\",0,\"after short Cfg\"\r\n"
    "  \"Pab\",0,0,0,\"absolute\"\r\n    \"Cfg\",5,0,0,4,4\r\n    \"PAM\",0,0,0\r\n"
    "\"End\"\r\n";

PathChooser Choose(const std::string& path) {
  return [path](const std::string&) { return path; };
}

class DeviceLibraryTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    EXPECT_TRUE(SaveFileBytes(path, text));
    return path;
  }
  bool reload(const std::string& path, bool append = false) {
    return lib.Reload(Choose(path), append, prompter);
  }
  QTemporaryDir dir;
  RecordingPrompter prompter;
  ConfigModel m;
  DeviceLibrary lib;
};

// Sets an environment variable for the lifetime of the guard.
struct EnvGuard {
  EnvGuard(const char* n, const QString& value)
      : name(n), had(qEnvironmentVariableIsSet(n)), old(qgetenv(n)) {
    qputenv(n, value.toLocal8Bit());
  }
  ~EnvGuard() { had ? (void)qputenv(name, old) : (void)qunsetenv(name); }
  const char* name;
  bool had;
  QByteArray old;
};

TEST_F(DeviceLibraryTest, StartLoadsTheLibraryBesideTheProgramThenFromXdgDataFoldersOrAsks) {
  const QString root = dir.path();
  EnvGuard home("XDG_DATA_HOME", root + "/home-data");
  EnvGuard dirs("XDG_DATA_DIRS", root + "/first:" + root + "/second");
  ASSERT_TRUE(QDir(root).mkpath("bin") && QDir(root).mkpath("second/vornconfig"));
  const std::string bin = (root + "/bin").toStdString();

  // Installed: nothing beside the program, the library in the second data folder.
  const std::string shared = write("second/vornconfig/VornDevices.def", kThreePin);
  DeviceLibrary installed;
  installed.LoadAtStart(bin, {}, prompter);
  EXPECT_EQ(installed.Names, (std::vector<std::string>{"Other", "Trio"}));
  ASSERT_FALSE(installed.DevDefFiles.empty());
  EXPECT_EQ(installed.DevDefFiles[0], shared);
  EXPECT_TRUE(prompter.entries.empty());

  // A copy beside the program wins (the build tree, a portable copy).
  write("bin/VornDevices.def", "\"VornDeviceDefinitions B\"\r\n\"Dev\",\"Bee\"\r\n\"End\"\r\n");
  DeviceLibrary beside;
  beside.LoadAtStart(bin, {}, prompter);
  EXPECT_EQ(std::pair(beside.Names, beside.VersionLabel),
            std::pair(std::vector<std::string>{"Bee"}, std::string("B")));

  // None anywhere: the message names every folder looked in, then the dialog is offered.
  ASSERT_TRUE(QFile::remove(QString::fromStdString(shared)));
  DeviceLibrary none;
  std::string preset;
  none.LoadAtStart(
      bin + "/missing", [&](const std::string& p) { return preset = p, ""; }, prompter);
  EXPECT_EQ(preset, "VornDevices.def");
  ASSERT_EQ(prompter.texts().size(), 2u);
  EXPECT_EQ(
      prompter.texts()[0],
      "Can not find Device Configuration file at standard location\n\nLooked for VornDevices.def in:\n  " +
          bin + "/missing\n  " +
          (root + "/home-data/vornconfig\n  " + root + "/first/vornconfig\n  " + root + "/second/vornconfig")
              .toStdString());
  EXPECT_EQ(prompter.texts()[1], "No Device Configuration available");
  EXPECT_TRUE(none.Names.empty());
}

TEST_F(DeviceLibraryTest, PreloadWrapsAroundAndSavesRelativeNumbers) {
  ASSERT_TRUE(reload(write("a.def", kThreePin)));
  m.CurPin = 30;
  m.pin(31).Description = "busy";
  m.pin(0).Description = "busy too";
  m.instr(31, 5, 1).Opcode = 9;  // cleared by the definition
  int refreshed = 0;
  ASSERT_TRUE(lib.Preload(m, 1, "Trio", prompter, [&] {
    ++refreshed;
    EXPECT_TRUE(prompter.entries.empty()) << "displays are refreshed before the message";
  }));
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(prompter.texts(),
            std::vector<std::string>{"The following Pin numbers were already used: \n 31, 0"});

  EXPECT_EQ(m.pin(30).DevicePointer, 0);
  EXPECT_EQ(m.pin(31).DevicePointer, -1);
  EXPECT_EQ(m.pin(0).DevicePointer, 30);
  EXPECT_EQ(m.instr(31, 5, 1).Opcode, 0);
  // The short PWM form: three parameters, then the "Asp" tag is read as a tag.
  EXPECT_EQ(m.aspect(31, 0).Description, "after short Cfg");
  EXPECT_EQ(m.DCCTotal, 1 + 2 + 0 + 29);

  // Saved from a member (the device pin is found through it) with numbers relative to the device pin.
  m.CurPin = 31;
  const std::string path = dir.filePath("mine.def").toStdString();
  ASSERT_TRUE(SaveDevice(m, Choose(path), prompter));
  EXPECT_EQ(
      ReadFileBytes(path),
      "\"VornDeviceDefinitions Trio\"\r\n\"Dev\",\"Trio\"\r\n"
      "  \"Pin\",0,2,1,\"head\"\r\n    \"Cfg\",1,64,26,64,127,58,20,20,64,0,64,0\r\n    \"PAM\",1,2,3\r\n"
      "    \"Asp\",1,\"Go\"\r\n      \"Ins\",2,54,1,31,0,0\r\n"
      "  \"Pin\",2,0,0,\"absolute\"\r\n    \"Cfg\",5,0,0,4,4\r\n    \"PAM\",0,0,0\r\n"
      "  \"Pin\",1,0,0,\"tail\"\r\n    \"Cfg\",2,5,1,28,0,0\r\n    \"PAM\",1,1,1\r\n\"End\"\r\n");
}

TEST_F(DeviceLibraryTest, PreloadRefusalsChangeNothing) {
  ASSERT_TRUE(reload(write("a.def", kThreePin)));
  const std::string later = write("later.def", kThreePin);
  ASSERT_TRUE(reload(later, true));
  // Cut short (inside the second pin of "Trio") after it was listed.
  const std::string cut(kThreePin);
  write("later.def", cut.substr(0, cut.find("\"tail\"")));
  m.pin(0).Description = "mine";
  const auto pins = m.Pins;
  prompter.clear();
  EXPECT_FALSE(lib.Preload(m, -1, "", prompter));
  EXPECT_FALSE(lib.Preload(m, 1, "Typed", prompter));
  EXPECT_FALSE(lib.Preload(m, 9, "Trio", prompter));
  EXPECT_FALSE(lib.Preload(m, 3, "Trio", prompter));
  ASSERT_EQ(prompter.texts(),
            (std::vector<std::string>{"Select Devicename to load", "No match found", "No match found",
                                      "Invalid definition file " + later +
                                          ", line 10: the library ends inside a \"Pin\" line, before its "
                                          "\"End\"\nNothing of it was used."}));
  EXPECT_EQ(prompter.entries[0].icon, Icon::None);
  EXPECT_TRUE(m.Pins == pins);
}

TEST_F(DeviceLibraryTest, DescriptionsAreOnlyTextsAndFaultsNameTheLine) {
  // Descriptions that read like tags survive Save Device, reload and preload.
  m.CurPin = 2;
  m.pin(2).DeviceName = "End";
  m.pin(2).Description = "Dev";
  m.pin(2).AspectConfig = kLayout12x3;
  m.aspect(2, 1).Description = "End";
  m.instr(2, 1, 0) = Instruction{38, 0, 0, 31, 0, 0};
  m.pin(3).DevicePointer = -1;
  m.pin(3).Description = "End";
  const std::string path = dir.filePath("tags.def").toStdString();
  ASSERT_TRUE(SaveDevice(m, Choose(path), prompter));
  ASSERT_TRUE(reload(path));
  EXPECT_EQ(lib.Names, std::vector<std::string>{"End"});
  ConfigModel other;
  other.CurPin = 2;
  ASSERT_TRUE(lib.Preload(other, 0, "End", prompter));
  EXPECT_TRUE(other.Pins == m.Pins);
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();

  // A library that is not sound is refused whole, naming the file and the line.
  const std::string full(kThreePin);
  const std::pair<std::string, const char*> faults[] = {
      {full.substr(0, full.find("\"End\"")), "line 15: the library ends before its \"End\""},
      {"\"VornDeviceDefinitions\"\r\n\"Dev\",\"Y\"\r\n  \"Pin\",0,2,0,\"y\"\r\n    \"Ins\",1,38",
       "line 4: the library ends inside a \"Ins\" line, before its \"End\""},
      {"\"VornDeviceDefinitions\"\r\n\"Dev\",\"X\"\r\n  \"Pin\",0,2,99,\"x\"\r\n\"End\"\r\n",
       "line 3: \"Pin\" expects a number from 0 to 15, not \"99\""},
      {"\"VornConfiguration 0032\"\r\n\"End\"\r\n",
       "not a device library (no \"VornDeviceDefinitions\" header)"},
  };
  for (const auto& [text, says] : faults) {
    const std::string bad = write("bad.def", text);
    prompter.clear();
    EXPECT_FALSE(reload(bad, true)) << says;
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Invalid definition file " + bad + ", " + says +
                                                         "\nNothing of it was used."});
    EXPECT_EQ(lib.Names, std::vector<std::string>{"End"});
  }
}

TEST_F(DeviceLibraryTest, SaveDeviceRefusesAPinReferringOnward) {
  m.pin(3).DevicePointer = -1;  // 3 -> 2 -> 1: pin 2 is no device pin
  m.pin(2).DevicePointer = -1;
  m.CurPin = 3;
  bool asked = false;
  EXPECT_FALSE(SaveDevice(
      m, [&](const std::string&) { return asked = true, std::string(); }, prompter));
  EXPECT_EQ(prompter.last(), "Referral is not a device");
  EXPECT_FALSE(asked);
}

TEST(ShippedLibrary, EveryDeviceLoads) {
  DeviceLibrary lib;
  RecordingPrompter prompter;
  lib.LoadAtStart(std::string(VORN_SOURCE_DIR) + "/data", {}, prompter);
  ASSERT_EQ(lib.Names.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    ConfigModel m;
    m.CurPin = 29;
    const std::string& name = lib.Names[static_cast<std::size_t>(i)];
    EXPECT_TRUE(lib.Preload(m, i, name, prompter) && m.pin(29).DeviceName == name) << name;
  }
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

}  // namespace
}  // namespace vorn
