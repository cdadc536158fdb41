#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <tuple>

#include "RecordingPrompter.h"
#include "files/ConfigFile.h"
#include "files/FileAccess.h"
#include "files/ModuleIndex.h"

namespace vorn {
namespace {

using test::RecordingPrompter;

// The lines of a file; a line not ended by CR LF is left out, so the checks on it fail.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
    out.push_back(text.substr(pos, end - pos));
  return out;
}

bool SameModel(const ConfigModel& a, const ConfigModel& b) {
  return a.Pins == b.Pins && a.EventOn == b.EventOn && a.EventOff == b.EventOff &&
         a.PalkFlexStart == b.PalkFlexStart && a.DCCTotal == b.DCCTotal;
}

// A small version-32 file; `pinLines` goes between the general lines and "End".
std::string File32(const std::string& pinLines, const std::string& header = "VornConfiguration 0032") {
  return "\"" + header + "\"\r\n\"ID$\",\"Station\"\r\n\"DCC\",12,0,5\r\n" + pinLines + "\"End\"\r\n";
}

TEST(ConfigFile, CompactFileHoldsGeneralLinesAndDescribedPinsOrAspectsWithPrograms) {
  ConfigModel m;
  GeneralSettings g;
  g.IDString = "say \"hi\"\nthere";  // quotes and line breaks cannot be kept
  g.DCCAddress = 12;
  g.XDCCAddress = 0;
  g.DCCRetention = 1;
  g.DCCStateInvert = true;
  g.XGM[5] = true;  // group 1, bit 1
  g.HWCSource[2] = true;
  g.LCGreen[0] = g.LCGreen[3] = TriState::Checked;
  g.LCOrange[7] = TriState::Grey;
  g.SerialBaudIndex = 2;
  g.SerialDataBits = 1;
  g.SerialParity = 3;
  m.PalkFlexStart = 9;
  m.eventOn(1, 2) = -1;
  m.pin(7).Description = "Lamp";
  m.pin(7).AspectConfig = kLayout12x3;
  m.aspect(7, 0).Description = "On";
  m.instr(7, 0, 1).Opcode = 5;
  m.instr(7, 3, 0).Opcode = 6;          // undescribed aspect with a program
  m.pin(8).AspectConfig = kLayout12x3;  // no description: not in a compact file
  m.instr(8, 0, 0).Opcode = 5;
  const std::string text = WriteConfigText(m, g, ConfigFileMode::Compact, EnableMapBytes{5, 10});
  const auto lines = Lines(text);
  ASSERT_EQ(lines.size(), 81u);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 9);
  EXPECT_EQ(head, (std::vector<std::string>{"\"VornConfiguration 0032\"", "\"ID$\",\"say 'hi' there\"",
                                            "\"DCC\",12,0,5", "\"XAD\",9,0,0,0,2,0,0", "\"HWC\",0,0,2,0",
                                            "\"LED\",9,0", "\"SPC\",0,\"19200\",8,3,1", "\"Eon\",0,1,2,3,4",
                                            "\"Eon\",1,1,2,0,4"}));
  EXPECT_EQ(lines[39], "\"Eof\",0,0,0,0,0");
  const std::vector<std::string> tail(lines.begin() + 71, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"\"Pin\",7,2,0,\"Lamp\"", "  \"Dev\",0,\"\"", "  \"Cfg\",0",
                                            "  \"PAM\",1,1,1", "  \"Asp\",0,\"On\"",
                                            "    \"Ins\",1,5,0,0,0,0", "  \"Asp\",3,\"\"",
                                            "    \"Ins\",0,6,0,0,0,0", "\"Ena\",5,10", "\"End\""}));

  // Loading it elsewhere leaves the pins it does not mention as they were.
  ConfigModel other;
  other.pin(8).Description = "kept";
  other.pin(8).DCCCount = 4;
  other.instr(8, 2, 2).Par3 = 99;
  const PinData pin8 = other.pin(8);
  RecordingPrompter prompter;
  ASSERT_EQ(ReadConfigText(text, other, g, prompter), ConfigLoadStatus::Loaded);
  EXPECT_TRUE(other.pin(8) == pin8);
  EXPECT_EQ(other.instr(7, 3, 0).Opcode, 6);
  EXPECT_EQ(other.DCCTotal, 35);  // tables rebuilt after the load
}

TEST(ConfigFile, FullFileListsEveryPinWithItsLayout) {
  ConfigModel m;
  m.pin(0).AspectConfig = kLayout12x3;
  m.pin(0).Description = "Signal";
  m.pin(1).AspectConfig = kLayout4x9;
  m.pin(1).PinConfig = {2, 10, 20, 30, 40, 50, 9, 9, 9, 9, 9, 9, 9};
  const auto lines = Lines(WriteConfigText(m, GeneralSettings(), ConfigFileMode::Full));
  // 71 general lines, pin 0: 4 + 12 x (1 + 3), pin 1: 4 + 4 x (1 + 9), 30 bare pins, End.
  ASSERT_EQ(lines.size(), 71u + 52 + 44 + 30 * 4 + 1);
  const std::vector<std::string> pin0(lines.begin() + 71, lines.begin() + 77);
  EXPECT_EQ(pin0,
            (std::vector<std::string>{"\"Pin\",0,2,0,\"Signal\"", "  \"Dev\",0,\"\"", "  \"Cfg\",0",
                                      "  \"PAM\",1,1,1", "  \"Asp\",0,\"\"", "    \"Ins\",0,0,0,0,0,0"}));
  EXPECT_EQ(lines[123], "\"Pin\",1,3,0,\"\"");
  EXPECT_EQ(lines[125], "  \"Cfg\",2,10,20,30,40,50");
}

TEST(ConfigFile, FullRoundTripRestoresModelAndGeneralSettings) {
  ConfigModel m;
  GeneralSettings g;
  g.IDString =
      "Bahnhof S\xFC"
      "d, \xE9\xFF";  // 8-bit text and a comma come back byte for byte
  g.DCCAddress = 300;
  g.XDCCAddress = 2000;
  g.DCCAllow0 = g.PalkFlexEnabled = g.SerialEnable = true;
  g.ModuleExtAddress = 127;  // as a Vorn may report it
  g.XGM = {true, false, true, true, false, false, false, true, true, true, true, true};
  g.HWCSink = {true, false, true, false};
  g.HWCSource = {false, false, true, true};
  g.LCGreen[0] = g.LCGreen[6] = TriState::Checked;
  g.LCOrange[7] = TriState::Grey;
  g.SerialBaudIndex = 7;
  g.SerialStop = 1;
  g.SerialParity = 2;
  m.PalkFlexStart = 127;
  for (int p = 0; p < kPinsInUse; ++p) {
    PinData& d = m.pin(p);
    d.Description = "Pin \xB0" + std::to_string(p);
    d.AspectConfig = p % 2 ? kLayout4x9 : kLayout12x3;
    d.InitAspect = static_cast<uint8_t>(p % 16);  // a Vorn reports up to 15
    d.DCCCount = static_cast<uint8_t>(p % 8);
    d.XDCCCount = static_cast<uint8_t>(p % 2);
    d.SerialCount = static_cast<uint8_t>(7 - p % 8);
    d.PinConfig = {1, 90, 42, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0};
    d.LiveLevel = 90;
    for (int a = 0; a < AspectsInLayout(d.AspectConfig); ++a) {
      m.aspect(p, a).Description = "A" + std::to_string(a);
      for (int i = 0; i < SlotsInLayout(d.AspectConfig); ++i) {
        // Fade variants exist for codes whose fade form lies in 19..63.
        m.instr(p, a, i) = Instruction{static_cast<uint8_t>(3 + i), static_cast<uint8_t>(i % 2), 1, 2, 3,
                                       static_cast<uint8_t>(p)};
      }
    }
    for (int j = 0; j < 4; ++j) {
      m.eventOn(p, j) = static_cast<int16_t>((p + j) % 15 - 1);
      m.eventOff(p, j) = static_cast<int16_t>(-1);
    }
  }
  m.pin(5).DevicePointer = -2;
  m.pin(3).DeviceName = "Crossing";
  m.RecalcAllStarts();

  const std::string text = WriteConfigText(m, g, ConfigFileMode::Full, EnableMapBytes{3, 12});
  ConfigModel back;
  GeneralSettings gBack;
  RecordingPrompter prompter;
  std::optional<EnableMapBytes> maps;
  ASSERT_EQ(ReadConfigText(text, back, gBack, prompter, &maps), ConfigLoadStatus::Loaded);
  EXPECT_TRUE(prompter.entries.empty());
  EXPECT_TRUE(SameModel(back, m));
  EXPECT_TRUE(gBack == g);
  EXPECT_EQ(maps, (EnableMapBytes{3, 12}));
  // A file without the line says nothing about the maps.
  ASSERT_EQ(ReadConfigText(WriteConfigText(m, g, ConfigFileMode::Full), back, gBack, prompter, &maps),
            ConfigLoadStatus::Loaded);
  EXPECT_FALSE(maps.has_value());
}

TEST(ConfigFile, OlderVersionsReadTheFieldsTheyHave) {
  RecordingPrompter prompter;
  ConfigModel m;
  GeneralSettings g;
  g.XDCCAddress = 77;
  g.DCCRetention = 3;
  // Version 31: "DCC" without extended address, "PAM" with two numbers.
  const std::string v31 =
      "\"VornConfiguration 0031\"\r\n\"DCC\",12,5\r\n\"Pin\",4,2,0,\"x\"\r\n  \"PAM\",3,0\r\n\"End\"\r\n";
  ASSERT_EQ(ReadConfigText(v31, m, g, prompter), ConfigLoadStatus::Loaded);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Data File Version = 31"});
  EXPECT_EQ(prompter.entries[0].icon, Icon::Information);
  EXPECT_EQ(std::tuple(g.DCCAddress, g.XDCCAddress, g.DCCRetention, g.DCCStateInvert),
            std::tuple(12, 77, 1, true));
  EXPECT_EQ(std::tuple(m.pin(4).DCCCount, m.pin(4).XDCCCount, m.pin(4).SerialCount), std::tuple(3, 1, 0));

  // Version 22: "DCC" holds the address only; the next field is a tag again. Hand-made
  // files may end lines with LF alone and hold blank lines.
  const std::string v22 = "\"VornConfiguration 0022\"\n\"DCC\", 40\n\r\n\"ID$\",\"old\"\n\"End\"\n";
  ASSERT_EQ(ReadConfigText(v22, m, g, prompter), ConfigLoadStatus::Loaded);
  EXPECT_EQ(std::tuple(g.DCCAddress, g.IDString), std::tuple(40, "old"));

  // Below 20: PWM pins get the default fade range instead of reading it.
  const std::string v19 =
      "\"VornConfiguration 0019\"\r\n\"Pin\",2,0,0,\"\"\r\n  \"Cfg\",2,7,8,9\r\n  \"PAM\",1,1\r\n\"End\"\r\n";
  m.pin(2).PinConfig.fill(5);
  ASSERT_EQ(ReadConfigText(v19, m, g, prompter), ConfigLoadStatus::Loaded);
  EXPECT_EQ(m.pin(2).PinConfig, (std::array<uint8_t, 13>{2, 7, 8, 9, 0, 31, 0, 0, 0, 0, 0, 0, 5}));
  EXPECT_EQ(m.pin(2).LiveLevel, 7);
}

TEST(ConfigFile, InstructionCodesAndServoFlagsAreConverted) {
  RecordingPrompter prompter;
  GeneralSettings g;
  ConfigModel m;
  m.instr(0, 1, 2).Fade = 1;  // a code outside 19..63 keeps the fade flag
  m.instr(0, 1, 1).Fade = 1;
  const std::string f = File32(
      "  \"Asp\",1,\"\"\r\n    \"Ins\",0,25,1,2,3,4\r\n    \"Ins\",1,35,0,0,0,0\r\n    "
      "\"Ins\",2,120,0,0,0,0\r\n"
      "\"Pin\",6,0,0,\"\"\r\n  \"Cfg\",1,5,32,1,1,1,1,1,1,1,1,1\r\n"  // old servo format
      "\"Pin\",7,0,0,\"\"\r\n  \"Cfg\",1,5,24,1,1,1,1,1,1,1,1,1\r\n");
  ASSERT_EQ(ReadConfigText(f, m, g, prompter), ConfigLoadStatus::Loaded);
  EXPECT_EQ(m.instr(0, 1, 0), (Instruction{9, 1, 1, 2, 3, 4}));
  EXPECT_EQ(m.instr(0, 1, 1), (Instruction{35, 0, 0, 0, 0, 0}));
  EXPECT_EQ(m.instr(0, 1, 2), (Instruction{120, 1, 0, 0, 0, 0}));
  EXPECT_EQ(std::tuple(m.pin(6).PinConfig[2], m.pin(7).PinConfig[2]), std::tuple(42, 24));

  // A stale fade flag (a hand-made file can leave one on any code) never makes the writer
  // name another instruction or a code its own reader refuses; saving a servo drops its
  // initialised bit in the model too.
  ConfigModel w;
  w.pin(0).AspectConfig = kLayout4x9;
  w.pin(0).Description = "stale";
  w.pin(0).PinConfig = {1, 0, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const int opcodes[] = {9, 1, 47, 250};
  for (int i = 0; i < 4; ++i) w.instr(0, 0, i) = Instruction{static_cast<uint8_t>(opcodes[i]), 1, 0, 0, 0, 0};
  const auto lines = Lines(WriteConfigText(w, g, ConfigFileMode::Compact));
  const std::vector<std::string> pin0(lines.begin() + 73, lines.begin() + 80);
  EXPECT_EQ(pin0, (std::vector<std::string>{"  \"Cfg\",1,0,8,0,0,0,0,0,0,0,0,0", "  \"PAM\",1,1,1",
                                            "  \"Asp\",0,\"\"", "    \"Ins\",0,25,0,0,0,0",
                                            "    \"Ins\",1,1,0,0,0,0", "    \"Ins\",2,63,0,0,0,0",
                                            "    \"Ins\",3,250,0,0,0,0"}));
  EXPECT_EQ(w.pin(0).PinConfig[2], 8);
  ConfigModel back;
  ASSERT_EQ(ReadConfigText(WriteConfigText(w, g, ConfigFileMode::Compact), back, g, prompter),
            ConfigLoadStatus::Loaded);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(back.instr(0, 0, i).Opcode, opcodes[i]);
  EXPECT_TRUE(prompter.entries.empty());
}

TEST(ConfigFile, DamagedFilesAreRejectedWithLineAndReasonAndChangeNothing) {
  const std::string pin = "\"Pin\",4,2,1,\"new\"\r\n";  // line 4 of File32
  const std::string noHeader = "not a configuration file (no \"VornConfiguration\" header)";
  const std::string early = "line 4: the file ends before \"End\"";
  auto range = [](const char* line, int lo, int hi, const char* found) {
    return std::string(line) + ": expected a number from " + std::to_string(lo) + " to " +
           std::to_string(hi) + ", found " + found;
  };
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"empty file", "", "the file is empty"},
      {"binary", std::string("\x7f\x45LF\x02\x01\0\0", 8) + "\"VornConfiguration 0032\"", noHeader},
      {"wrong word", "\"VornConfigurati0n 0032\"\r\n\"End\"\r\n", noHeader},
      {"two-digit version", "\"VornConfiguration 31\"\r\n\"End\"\r\n",
       "line 1: the header needs a four-digit version, found \"VornConfiguration 31\""},
      {"ends before End", File32(pin).substr(0, File32(pin).size() - 8), early},
      {"cut inside a line", File32(pin).substr(0, File32(pin).find("\"new")), early},
      {"pin 32", File32("\"Pin\",32,2,1,\"x\"\r\n"), range("line 4", 0, 31, "32")},
      {"negative pin", File32("\"Eon\",-1,0,0,0,0\r\n"), range("line 4", 0, 31, "-1")},
      {"initial aspect 16", File32("\"Pin\",4,2,16,\"x\"\r\n"), range("line 4", 0, 15, "16")},
      {"aspect 13", File32(pin + "  \"Asp\",13,\"x\"\r\n"), range("line 5", 0, 12, "13")},
      {"slot 10", File32(pin + "  \"Asp\",1,\"x\"\r\n    \"Ins\",10,1,0,0,0,0\r\n"),
       range("line 6", 0, 9, "10")},
      {"byte too large", File32(pin + "  \"Cfg\",1,0,256,0,0,0,0,0,0,0,0,0\r\n"),
       range("line 5", 0, 255, "256")},
      {"count too large", File32(pin + "  \"PAM\",1,8,1\r\n"), range("line 5", 0, 7, "8")},
      {"device pin outside", File32(pin + "  \"Dev\",-5,\"x\"\r\n"), range("line 5", -4, 27, "-5")},
      {"not a number", File32(pin + "  \"PAM\",1,x,1\r\n"), "line 5: expected a number, found \"x\""},
      {"number too long", File32(pin + "  \"PAM\",1,99999999999999999999,1\r\n"),
       "line 5: expected a number, found \"99999999999999999999\""},
      {"long field cut short", File32(pin + "  \"PAM\",1,123456789012345678901234567,1\r\n"),
       "line 5: expected a number, found \"123456789012345678901234...\""},
      {"longest field shown whole", File32(pin + "  \"PAM\",1,12345678901234567890123x,1\r\n"),
       "line 5: expected a number, found \"12345678901234567890123x\""},
      {"extended address", File32("\"XAD\",0,0,128,0,0,0,0\r\n"), range("line 4", 0, 127, "128")},
      {"event value", File32("\"Eon\",1,16,0,0,0\r\n"), range("line 4", 0, 15, "16")},
  };
  for (const auto& [why, text, says] : cases) {
    ConfigModel m;
    m.pin(4).Description = "old";
    m.instr(4, 1, 1).Opcode = 3;
    GeneralSettings g;
    g.IDString = "before";
    const ConfigModel before = m;
    RecordingPrompter prompter;
    EXPECT_EQ(ReadConfigText(text, m, g, prompter, nullptr, "f.dat"), ConfigLoadStatus::Invalid) << why;
    EXPECT_EQ(prompter.last(), "Invalid configuration file\nf.dat" +
                                   std::string(says.rfind("line", 0) == 0 ? ", " : ": ") + says)
        << why;
    EXPECT_EQ(prompter.entries.back().icon, Icon::Exclamation);
    EXPECT_TRUE(SameModel(m, before) && g.IDString == "before") << why;
  }
}

TEST(ConfigFile, FailedSaveKeepsThePreviousFile) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("keep.dat").toStdString();
  ASSERT_TRUE(SaveFileBytes(path, "previous"));
  ConfigModel m;
  RecordingPrompter prompter;
  // Let the disk "fill up" after a few hundred bytes: the write fails half way.
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 512;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool ok = SaveConfigFile(path, m, GeneralSettings(), ConfigFileMode::Full, prompter);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Can not save " + path + ": File too large"});
  // A signal handled earlier leaves errno at EINTR: reading still ends at the end of the file.
  errno = EINTR;
  EXPECT_EQ(ReadFileBytes(path), "previous");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(",").toStdString(), "keep.dat");

  // A FIFO is written in place, not replaced by a regular file. Its reading end is open
  // (without waiting for a writer) before the save, so neither side can block: a save that
  // replaced the FIFO leaves the reader with nothing.
  const std::string fifo = dir.filePath("pipe").toStdString();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(SaveFileBytes(fifo, "through the pipe"));
  char received[64] = {};
  EXPECT_EQ(::read(reader, received, sizeof received - 1), 16);
  ::close(reader);
  EXPECT_STREQ(received, "through the pipe");
  struct stat st {};
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// The index of a backup folder comes back as written; a tab in an identity string cannot split
// its line, and lines that do not parse are passed over.
TEST(ModuleIndex, RoundTripsAndSkipsWhatDoesNotParse) {
  const std::vector<ModuleIndexEntry> entries{{0, "Yard\tWest", "3.0.1.7", "2026-12-07 17:03"},
                                              {15, "\xC4nd", "3.0.1.12", "2026-12-07 17:04"}};
  const std::string text = WriteModuleIndexText(entries);
  auto back = ReadModuleIndexText(text);
  ASSERT_TRUE(back && back->size() == 2u);
  EXPECT_EQ((*back)[0].id, "Yard West");
  EXPECT_EQ((*back)[1], entries[1]);
  back = ReadModuleIndexText(text + "16\tx\ty\tz\n3\tshort\r\nx\ta\tb\tc\n7\tShed\t1.0\td\r\n");
  ASSERT_TRUE(back && back->size() == 3u);
  EXPECT_EQ((*back)[2].module, 7);
  EXPECT_EQ((*back)[2].date, "d");
  EXPECT_FALSE(ReadModuleIndexText("0\tYard\t1.0\td\n"));
  EXPECT_EQ(ModuleFileName(3), "module-03.dat");
  EXPECT_EQ(ModuleFileName(12), "module-12.dat");
}

}  // namespace
}  // namespace vorn
