#include <gtest/gtest.h>

#include <functional>

#include "PinTestModel.h"
#include "PinTestRig.h"
#include "model/GeneralSettingsRules.h"
#include "operations/General.h"
#include "operations/VerifyGeneral.h"

namespace vorn {
namespace {

using test::Bytes;
using GeneralRig = test::PinTestRig;

const std::string kFirst = "Start General Settings Verification\r\n";

// The same settings, different from the start values everywhere, in the window and (written
// by it) in the Vorn.
void makeEqual(GeneralRig& r) {
  r.s.general = test::DistinctiveGeneral();
  r.s.model.PalkFlexStart = 5;
  ASSERT_TRUE(WriteGenID(r.s) && WriteGenDCC(r.s) && WriteLC(r.s) && WriteGenHWC(r.s) &&
              WriteGenSerial(r.s) && WriteGenAddr(r.s));
  r.vorn.frames.clear();
}

TEST(VerifyGeneralTest, EachDifferenceIsListedAndExtendedAddressingKeepsTheFlag) {
  struct Case {
    const char* line;
    std::function<void(Session&)> change;
    bool result;
  };
  const std::vector<Case> cases{
      {"ID does not compare: VornConfig = <SIGNAL BOX 7> Vorn = <Signal Box 7>",
       [](Session& s) { s.general.IDString = "SIGNAL BOX 7"; }, false},
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
  for (const Case& c : cases) {
    GeneralRig r;
    makeEqual(r);
    c.change(r.s);
    EXPECT_EQ(VerifyGeneralSettings(r.s), c.result) << c.line;
    EXPECT_EQ(r.s.report.text(), kFirst + c.line + "\r\n");
    EXPECT_EQ(r.readItems().size(), 11u) << c.line;
  }
}

TEST(VerifyGeneralTest, FaultyRepliesStopOrAreListed) {
  struct Case {
    uint8_t item;
    Bytes reply;
    const char* line;
    bool goesOn;
  };
  const std::vector<Case> cases{
      {10, {112}, "ReadIDString: No valid response", false},
      {10, {112, 11, 'V'}, "ReadIDString: No valid response", false},
      {1, {112, 1, 1, 0, 2}, "HWCRead: No valid response size", false},
      {1, {113, 1, 1, 0, 2, 3}, "HWCRead: No valid response type", false},
      {4, {112, 4, 44}, "DCC Address: No valid response", true},
      {4, {112, 12, 44, 4}, "DCC Address: No valid response", false},
      {12, {112, 12, 28, 23, 0}, "eXtended DCC Address: No valid response", true},
      {12, {112, 4, 28, 23}, "eXtended DCC Address: No valid response", false},
      {5, {112, 5, 6, 0}, "DCC Options: No valid response", false},
      {5, {112, 4, 6}, "DCC Options: No valid response", false},
      {8, {112, 8, 1}, "Palk Start Address: No valid response, size = 3 expected = 4", false},
      {8, {112, 9, 1, 5}, "Palk Start Address: No valid response, msg = 112,9 expected = 112,8", false},
      {2, {112, 2, 17, 0}, "eXtended Address: No valid response, size = 4 expected = 3", false},
      {2, {96, 2, 17}, "eXtended Address: No valid response, msg = 96,2 expected = 112,2", false},
      {3, {112, 3, 2, 0, 0}, "eXtended Group Mask: No valid response, size = 5 expected = 6", false},
      {3, {96, 3, 2, 0, 0, 4}, "eXtended Group Mask: No valid response, msg = 96,3 expected = 112,3", false},
      {6, {112, 6}, "ReadLEDConfig: No valid response", false},
      {7, {112, 6, 0}, "ReadLEDConfig: No valid response", false},
      {13, {112, 13, 1, 122, 0}, "Serial Port Config: No valid response, size = 5 expected = 4", false},
      {13, {112, 3, 1, 122}, "Serial Port Config: No valid response, msg = 112,3 expected = 112,13", false},
  };
  const std::vector<int> all{10, 1, 4, 12, 5, 8, 2, 3, 6, 7, 13};
  for (const Case& c : cases) {
    GeneralRig r;
    makeEqual(r);
    r.answer(c.item, c.reply);
    // A wrong data count of either DCC address is listed without clearing the flag.
    EXPECT_EQ(VerifyGeneralSettings(r.s), c.goesOn) << c.line;
    EXPECT_EQ(r.s.report.text(), kFirst + c.line + "\r\n");
    std::vector<int> sent = all;
    if (!c.goesOn) sent.erase(std::find(sent.begin(), sent.end(), c.item) + 1, sent.end());
    EXPECT_EQ(r.readItems(), sent) << c.line;
    EXPECT_TRUE(r.prompter.entries.empty()) << c.line;
  }
}

}  // namespace
}  // namespace vorn
