#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "PinTestModel.h"
#include "PinTestRig.h"
#include "model/GeneralSettingsRules.h"
#include "operations/General.h"
#include "operations/Jobs.h"
#include "operations/VerifyGeneral.h"

namespace vorn {
namespace {

using test::Bytes;
using Rig = test::PinTestRig;

TEST(GeneralEncodingTest, SerialConfigurationByteBothWays) {
  // Baud index, data bits, parity, stop bits, byte. 19200 bit/s, 8 data bits, odd parity, 2 stop
  // bits: 2 + 8 + 48 + 64 = 122. Parity code 1 (no button for it) survives a read and write-back.
  using Row = std::array<int, 5>;
  for (Row c : {Row{2, 1, 3, 1, 122}, Row{0, 0, 0, 0, 0}, Row{7, 1, 2, 0, 47}, Row{5, 0, 1, 0, 21}}) {
    GeneralSettings g;
    SetSerialPortFromBytes(g, 3, static_cast<uint8_t>(c[4]));
    EXPECT_TRUE(g.SerialEnable);
    EXPECT_EQ(
        (Row{g.SerialBaudIndex, g.SerialDataBits, g.SerialParity, g.SerialStop, SerialPortConfigByte(g)}), c);
  }
}

TEST(GeneralEncodingTest, AddressesTravelAsSixBitLowAndHighPart) {
  using Row = std::array<int, 4>;  // address, low byte, high byte, the address they make
  for (Row c : {Row{300, 44, 4, 300}, Row{2046, 62, 31, 2046}, Row{0, 0, 0, 0}, Row{-5, 0, 0, 0},
                Row{100000, 63, 127, 8191}}) {
    const AddressBytes bytes = SplitAddress(c[0]);
    EXPECT_EQ((Row{c[0], bytes.Lo, bytes.Hi, JoinAddress(bytes.Lo, bytes.Hi)}), c);
  }
}

TEST(GeneralEncodingTest, DccOptionsTestRetentionInTheOrderZeroOneThree) {
  using Row = std::array<int, 4>;  // retention, invert, allow address 0, byte
  for (Row c : {Row{0, 0, 0, 0}, Row{1, 1, 0, 5}, Row{3, 0, 1, 11}, Row{2, 1, 1, 14}, Row{9, 0, 0, 2}}) {
    GeneralSettings g;
    g.DCCRetention = static_cast<uint8_t>(c[0]);
    g.DCCStateInvert = c[1];
    g.DCCAllow0 = c[2];
    EXPECT_EQ(DCCOptionsByte(g), c[3]) << c[0];
  }
}

using Routine = std::function<bool(Session&)>;

// A faulty reply to one item: its message, the routine's result, and nothing decoded from it.
TEST(GeneralReadTest, WrongSizeOrEchoIsReportedAndChangesNothing) {
  using Case =
      std::tuple<Routine, uint8_t, Bytes, std::string, bool>;  // routine, item, reply, message, result
  const std::vector<Case> cases{
      {ReadGenVersion, 0, {112, 0, 1, 2, 3}, "GetVersion: No valid response, size <> 6", false},
      {ReadGenVersion, 0, {112, 1, 1, 2, 3, 4}, "GetVersion: No valid response", false},
      {ReadGenID, 10, {112}, "No valid response", false},
      {ReadGenID, 10, {113, 10, 'A'}, "No valid response", false},
      {ReadGenHWC, 1, {112, 1, 3, 3, 3}, "No valid response size", true},
      {ReadGenHWC, 1, {112, 2, 3, 3, 3, 3}, "No valid response type", true},
      {ReadGenDCC, 5, {112, 5, 13, 1}, "Received Address, cannot read DCC options", true},
      {ReadGenDCC, 5, {112, 4, 13}, "Received Address: No valid response", true},
      {ReadGenDCC, 4, {112, 4, 44, 4, 0}, "Get DCC Address: No valid response, size <> 4", true},
      {ReadGenDCC, 4, {112, 5, 44, 4}, "Get DCC Address: No valid response", true},
      {ReadGenDCC, 12, {112, 12, 44}, "No valid response", true},
      {ReadGenDCC, 12, {96, 12, 44, 4}, "No valid response", true},
      {ReadGenAddr, 8, {112, 8, 1}, "No valid response, size = 3 expected = 4", true},
      {ReadGenAddr, 8, {112, 9, 1, 5}, "No valid response, msg = 112,9 expected = 112,8", true},
      {ReadGenAddr, 2, {112, 2}, "No valid response, size = 2 expected = 3", true},
      {ReadGenAddr, 3, {112, 3, 1, 2, 3}, "No valid response, size = 5 expected = 6", true},
      {ReadLC, 6, {112, 6, 5, 5}, "No valid response", true},
      {ReadLC, 7, {112, 6, 5}, "No valid response", true},
      {ReadGenSerial, 13, {112, 13, 1}, "No valid response, size = 3 expected = 4", true},
      {ReadGenSerial, 13, {112, 14, 1, 122}, "No valid response, msg = 112,14 expected = 112,13", true},
  };
  for (const auto& [routine, item, reply, message, result] : cases) {
    SCOPED_TRACE(testing::Message() << int(item) << ": " << message);
    Rig r;
    r.s.general.IDString = "KEEP";
    r.vorn.general[10] = {'K', 'E', 'E', 'P'};
    r.answer(item, reply);
    r.s.general.VersionText = "Unknown";  // what a version read starts with
    const GeneralSettings before = r.s.general;
    EXPECT_EQ(routine(r.s), result);
    EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{message});
    EXPECT_EQ(r.s.general, before);
    EXPECT_EQ(r.s.model.PalkFlexStart, 0);
  }
}

TEST(GeneralReadTest, UnansweredFrameEndsTheRoutineWithoutAMessageOfItsOwn) {
  using Case = std::tuple<Routine, uint8_t, std::vector<int>>;  // routine, unanswered item, items asked
  for (const auto& [routine, silent, sent] :
       {Case{ReadGenVersion, 0, {0}}, Case{ReadGenID, 10, {10}}, Case{ReadGenHWC, 1, {1}},
        Case{ReadGenDCC, 5, {5}}, Case{ReadGenDCC, 4, {5, 4}}, Case{ReadGenDCC, 12, {5, 4, 12}},
        Case{ReadGenAddr, 8, {8}}, Case{ReadGenAddr, 2, {8, 2}}, Case{ReadGenAddr, 3, {8, 2, 3}},
        Case{ReadLC, 6, {6}}, Case{ReadLC, 7, {6, 7}}, Case{ReadGenSerial, 13, {13}}}) {
    Rig r;
    r.s.link.opts.CheckVornBD = false;  // reads make the link two-way themselves
    r.s.general.VersionText = "9.9.9.9";
    r.vorn.silentOn = [&](const Bytes& q) { return q[0] == 112 && q[1] == silent; };
    EXPECT_FALSE(routine(r.s)) << int(silent);
    EXPECT_EQ(r.vorn.targetsOf(112), sent) << int(silent);
    EXPECT_TRUE(r.vorn.frames.front().wantsReply());
    ASSERT_EQ(r.prompter.texts().size(), 1u);
    // What to check only while nothing has answered yet.
    EXPECT_EQ(r.prompter.last().find('\n') != std::string::npos, sent.size() == 1) << r.prompter.last();
    EXPECT_EQ(r.prompter.last().rfind("No response received, resetting bidirectional communication", 0), 0u);
    EXPECT_EQ(r.s.general.VersionText, silent == 0 ? "Unknown" : "9.9.9.9");
  }
}

TEST(GeneralReadTest, FlexibleAddressingFromTheDeviceAsksTheUser) {
  // Quiet, as during Read All: no question, and the device's flag is taken.
  for (auto [quiet, answer] : {std::pair{false, true}, {false, false}, {true, false}}) {
    Rig r;
    r.vorn.general[8] = {1, 9};
    r.s.model.QuietUpdate = quiet;
    r.prompter.answers = {answer};
    EXPECT_TRUE(ReadGenAddr(r.s));
    EXPECT_EQ(r.prompter.texts(),
              quiet ? std::vector<std::string>{} : std::vector<std::string>{kPalkFlexWarning});
    EXPECT_TRUE(quiet || (r.prompter.entries[0].kind == 'o' && r.prompter.entries[0].icon == Icon::Warning));
    EXPECT_EQ(r.s.general.PalkFlexEnabled, quiet || answer);
    EXPECT_EQ(r.s.model.PalkFlexStart, 9);
  }
}

TEST(GeneralWriteTest, IdentityStringWithEightBitCharactersIsRefusedBeforeAnyFrame) {
  Rig r;
  int marked = 0;
  r.s.onIDStringRefused = [&](int position) { marked = position; };
  const std::string id = "Bahnhof S\374d";  // u with umlaut in the 8-bit code page
  r.s.general.IDString = id;
  EXPECT_FALSE(RunWriteAll(r.s));
  EXPECT_TRUE(r.vorn.frames.empty());
  EXPECT_EQ(r.s.general.IDString, id);
  EXPECT_EQ(marked, 10);
  EXPECT_EQ(
      r.prompter.last(),
      "The ID String cannot go to the Vorn: character 10, \"\303\274\", is not one of the codes 0 to 127 the "
      "Vorn can store.\nNothing was written; change or clear the ID String and write again.");
}

TEST(GeneralEraseTest, TwoConfirmationsThenTheCodeWithoutAReplyRequest) {
  const std::string warning = "WARNING !!\nThis operation will erase the Vorn Configuration Memory\n";
  const std::vector<std::string> questions{
      warning + "Continue?",
      warning +
          "The green LED on the Vorn will be ON during this process\nThe erase process may take up to 45 "
          "seconds, please be patient\n\nDo you want to cancel this operation?"};
  // OK/Cancel, then Erase/Keep configuration; the code itself: JobsSimTest.EraseResetsTheDevice.
  for (const std::deque<bool>& answers : {std::deque{false}, {true, false}, {true, true}}) {
    Rig r;
    r.prompter.answers = answers;
    const bool sent = answers.back();
    EXPECT_EQ(EraseFlash(r.s), sent);
    EXPECT_EQ(r.prompter.texts(),
              std::vector<std::string>(questions.begin(), questions.begin() + answers.size()));
    EXPECT_EQ(r.prompter.entries[0].kind, 'o');
    EXPECT_TRUE(answers.size() == 1 || r.prompter.entries[1].kind == 'a');
    EXPECT_TRUE(answers.size() == 1 ||
                r.prompter.actions.at(0) ==
                    std::make_pair(std::string("Erase"), std::string("Keep configuration")));
    for (const auto& e : r.prompter.entries) EXPECT_EQ(e.icon, Icon::Warning);
    ASSERT_EQ(r.vorn.frames.size(), sent ? 1u : 0u);
    EXPECT_FALSE(sent && r.vorn.frames[0].wantsReply()) << "the erase asks for no answer";
  }
  // A closed port is reported before anything is asked.
  Rig r;
  r.s.link.closePort();
  EXPECT_FALSE(EraseFlash(r.s));
  EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{"Select communications port"});
}

const std::string kFirst = "Start General Settings Verification\r\n";

// The same settings, different from the start values everywhere, in the window and (written
// by it) in the Vorn.
void makeEqual(Rig& r) {
  r.s.general = test::DistinctiveGeneral();
  r.s.model.PalkFlexStart = 5;
  ASSERT_TRUE(WriteGenID(r.s) && WriteGenDCC(r.s) && WriteLC(r.s) && WriteGenHWC(r.s) &&
              WriteGenSerial(r.s) && WriteGenAddr(r.s));
  r.vorn.frames.clear();
}

TEST(VerifyGeneralTest, EachDifferenceIsListedAndExtendedAddressingKeepsTheFlag) {
  using Case = std::tuple<std::string, std::function<void(Session&)>, bool>;  // line, change, result
  const std::vector<Case> cases{
      {"ID does not compare: VornConfig = <SIGNAL BOX 7> Vorn = <Signal Box 7>",
       [](Session& s) { s.general.IDString = "SIGNAL BOX 7"; }, false},
      // Only the first 12 characters travel: the rest is not compared.
      {"", [](Session& s) { s.general.IDString += " North"; }, true},
      {"Hardware configuration does not compare", [](Session& s) { s.general.HWCSink = {}; }, false},
      {"DCC address does not compare", [](Session& s) { s.general.DCCAddress = 301; }, false},
      {"eXtended DCC address does not compare", [](Session& s) { s.general.XDCCAddress = 1436; }, false},
      {"DCC Options do not compare", [](Session& s) { s.general.DCCAllow0 = false; }, false},
      {"Palk Start Address does not compare", [](Session& s) { s.general.PalkFlexEnabled = false; }, false},
      {"Palk Start Address does not compare", [](Session& s) { s.model.PalkFlexStart = 6; }, false},
      {"eXtended Address does not compare", [](Session& s) { s.general.ModuleExtAddress = 18; }, true},
      {"eXtended Group Mask does not compare",
       [](Session& s) { s.general.XGM[1] = s.general.XGM[14] = true; }, true},
      {"Green LED configuration does not compare",
       [](Session& s) { s.general.LCGreen[2] = TriState::Checked; }, false},
      {"Orange LED configuration does not compare",
       [](Session& s) { s.general.LCOrange[3] = TriState::Checked; }, false},
      {"Serial Port Configuration does not compare", [](Session& s) { s.general.SerialEnable = false; },
       false},
      {"Serial Port Configuration does not compare", [](Session& s) { s.general.SerialParity = 2; }, false},
  };
  for (const auto& [line, change, result] : cases) {
    Rig r;
    makeEqual(r);
    change(r.s);
    EXPECT_EQ(VerifyGeneralSettings(r.s), result) << line;
    EXPECT_EQ(r.s.report.text(), kFirst + (line.empty() ? "" : line + "\r\n"));
    EXPECT_EQ(r.vorn.targetsOf(112).size(), 11u) << line;
  }
}

TEST(VerifyGeneralTest, FaultyRepliesStopOrAreListed) {
  using Case = std::tuple<uint8_t, Bytes, std::string, bool>;  // item, reply, line, verification goes on
  const std::vector<Case> cases{
      {10, {112}, "ReadIDString: No valid response", false},
      {10, {112, 11, 'V'}, "ReadIDString: No valid response", false},
      {1, {112, 1, 1, 0, 2}, "HWCRead: No valid response size", false},
      {1, {113, 1, 1, 0, 2, 3}, "HWCRead: No valid response type", false},
      {4, {112, 4, 44}, "DCC Address: No valid response", true},
      {12, {112, 4, 28, 23}, "eXtended DCC Address: No valid response", false},
      {5, {112, 5, 6, 0}, "DCC Options: No valid response", false},
      {5, {112, 4, 6}, "DCC Options: No valid response", false},
      {8, {112, 8, 1}, "Palk Start Address: No valid response, size = 3 expected = 4", false},
      {8, {112, 9, 1, 5}, "Palk Start Address: No valid response, msg = 112,9 expected = 112,8", false},
      {2, {112, 2, 17, 0}, "eXtended Address: No valid response, size = 4 expected = 3", false},
      {3, {112, 3, 2, 0, 0}, "eXtended Group Mask: No valid response, size = 5 expected = 6", false},
      {6, {112, 6}, "ReadLEDConfig: No valid response", false},
      {7, {112, 6, 0}, "ReadLEDConfig: No valid response", false},
      {13, {112, 13, 1, 122, 0}, "Serial Port Config: No valid response, size = 5 expected = 4", false},
  };
  // Items that share their checks with another (both DCC addresses, the LED colours, the
  // address group) have one row for the shared check.
  const std::vector<int> all{10, 1, 4, 12, 5, 8, 2, 3, 6, 7, 13};
  for (const auto& [item, reply, line, goesOn] : cases) {
    Rig r;
    makeEqual(r);
    r.answer(item, reply);
    // A wrong data count of either DCC address is listed without clearing the flag.
    EXPECT_EQ(VerifyGeneralSettings(r.s), goesOn) << line;
    EXPECT_EQ(r.s.report.text(), kFirst + line + "\r\n");
    std::vector<int> sent = all;
    if (!goesOn) sent.erase(std::find(sent.begin(), sent.end(), item) + 1, sent.end());
    EXPECT_EQ(r.vorn.targetsOf(112), sent) << line;
    EXPECT_TRUE(r.prompter.entries.empty()) << line;
  }
}

}  // namespace
}  // namespace vorn
