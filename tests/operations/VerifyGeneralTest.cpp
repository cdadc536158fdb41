#include <gtest/gtest.h>

#include <functional>

#include "PinTestRig.h"
#include "model/GeneralSettingsRules.h"
#include "operations/VerifyGeneral.h"

namespace vorn {
namespace {

using test::Bytes;
using GeneralRig = test::PinTestRig;

const std::string kFirst = "Start General Settings Verification\r\n";

// Settings and device bytes that compare equal in every stage.
void makeEqual(GeneralRig& r) {
  GeneralSettings& g = r.s.general;
  g.IDString = "Vorn-1";
  g.HWCSink = {true, false, false, true};
  g.HWCSource = {false, false, true, true};
  g.DCCAddress = 300;
  g.XDCCAddress = 1500;
  g.DCCRetention = 2;
  g.DCCStateInvert = true;
  g.PalkFlexEnabled = true;
  r.s.model.PalkFlexStart = 5;
  g.ModuleExtAddress = 17;
  g.XGM[1] = g.XGM[14] = true;
  g.LCGreen = {TriState::Checked, TriState::Unchecked, TriState::Checked};
  g.LCOrange[7] = TriState::Grey;
  g.SerialEnable = true;
  g.SerialBaudIndex = 2;
  g.SerialDataBits = 1;
  g.SerialParity = 3;
  g.SerialStop = 1;
  auto& d = r.vorn.general;
  d[10] = {'V', 'o', 'r', 'n', '-', '1'};
  d[1] = {1, 0, 2, 3};
  d[4] = {44, 4};
  d[12] = {28, 23};
  d[5] = {6};
  d[8] = {1, 5};
  d[2] = {17};
  d[3] = {2, 0, 0, 4};
  d[6] = {5};
  d[7] = {0};
  d[13] = {1, 122};
}

TEST(VerifyGeneralTest, EachDifferenceIsListedAndExtendedAddressingKeepsTheFlag) {
  struct Case {
    const char* line;
    std::function<void(Session&)> change;
    bool result;
  };
  const std::vector<Case> cases{
      {"ID does not compare: VornConfig = <VORN-1> Vorn = <Vorn-1>",
       [](Session& s) { s.general.IDString = "VORN-1"; }, false},
      {"Hardware configuration does not compare", [](Session& s) { s.general.HWCSink = {}; }, false},
      {"DCC address does not compare", [](Session& s) { s.general.DCCAddress = 301; }, false},
      {"eXtended DCC address does not compare", [](Session& s) { s.general.XDCCAddress = 1436; }, false},
      {"DCC Options do not compare", [](Session& s) { s.general.DCCAllow0 = true; }, false},
      {"Palk Start Address does not compare", [](Session& s) { s.general.PalkFlexEnabled = false; }, false},
      {"Palk Start Address does not compare", [](Session& s) { s.model.PalkFlexStart = 6; }, false},
      {"eXtended Address does not compare", [](Session& s) { s.general.ModuleExtAddress = 18; }, true},
      {"eXtended Group Mask does not compare",
       [](Session& s) { s.general.XGM[0] = s.general.XGM[15] = true; }, true},
      {"Green LED configuration does not compare",
       [](Session& s) { s.general.LCGreen[2] = TriState::Unchecked; }, false},
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
