// The general-settings routines against vornsim on a pseudo-terminal, through the real
// serial port: what is written is stored by the device side, read back and verified.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/General.h"
#include "operations/Session.h"
#include "operations/VerifyGeneral.h"

namespace vorn {
namespace {

using test::SimProcess;

const std::string kFirst = "Start General Settings Verification\r\n";

struct SimRig {
  explicit SimRig(std::vector<std::string> args = {}) : sim(std::move(args)) {
    if (sim.ok()) opened = s.link.openDevice(sim.path());
  }
  SimProcess sim;
  QtSerialPort port;
  test::RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  bool opened = false;

  bool logHas(const std::string& part) const {
    const auto lines = sim.logLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
};

bool readAll(Session& s) {
  s.model.QuietUpdate = true;  // as Read All does: no question while the device fills the box
  const bool ok = ReadGenVersion(s) && ReadGenID(s) && ReadGenDCC(s) && ReadGenAddr(s) && ReadLC(s) &&
                  ReadGenHWC(s) && ReadGenSerial(s);
  s.model.QuietUpdate = false;
  return ok;
}

bool writeAll(Session& s) {
  return WriteGenID(s) && WriteGenDCC(s) && WriteLC(s) && WriteGenHWC(s) && WriteGenSerial(s) &&
         WriteGenAddr(s);
}

// Settings different from the simulator's start values in every item.
GeneralSettings distinctive() {
  GeneralSettings g;
  g.IDString = "Signal Box 7";
  g.HWCSink = {true, false, true, false};
  g.HWCSource = {false, true, true, false};
  g.ModuleExtAddress = 42;
  for (int box : {0, 3, 6, 9, 12, 15}) g.XGM[static_cast<size_t>(box)] = true;
  g.DCCAddress = 300;
  g.XDCCAddress = 1500;
  g.DCCRetention = 3;
  g.DCCStateInvert = true;
  g.DCCAllow0 = true;
  g.LCGreen[7] = TriState::Grey;  // nothing chosen: "Idle Flash", sent as mask 0
  g.LCOrange[1] = g.LCOrange[5] = TriState::Checked;
  g.PalkFlexEnabled = true;
  g.SerialEnable = true;
  g.SerialBaudIndex = 2;
  g.SerialDataBits = 1;
  g.SerialParity = 3;
  g.SerialStop = 1;
  return g;
}

TEST(GeneralSimTest, WriteReadVerifyRoundTripOfEverySetting) {
  SimRig r;
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  const GeneralSettings want = distinctive();
  r.s.general = want;
  r.s.model.PalkFlexStart = 9;
  ASSERT_TRUE(writeAll(r.s));
  EXPECT_TRUE(r.logHas("data=96,13,1,122 "));
  EXPECT_TRUE(r.logHas("data=96,4,44,4 "));
  EXPECT_TRUE(r.logHas("data=96,6,0 "));

  // A window that starts afresh reads it all back.
  r.s.general = GeneralSettings{};
  r.s.model.PalkFlexStart = 0;
  ASSERT_TRUE(readAll(r.s));
  GeneralSettings got = r.s.general;
  EXPECT_EQ(got.VersionText, "3.0.1.7");
  got.VersionText = want.VersionText;
  EXPECT_EQ(got, want);
  EXPECT_EQ(r.s.model.PalkFlexStart, 9);

  EXPECT_TRUE(VerifyGeneralSettings(r.s));
  EXPECT_EQ(r.s.report.text(), kFirst);
  EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
}

TEST(GeneralSimTest, OneWayWritesAreStoredAndAskForNoAnswer) {
  SimRig r;
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  r.s.link.opts.CheckVornBD = false;
  r.s.general.DCCAddress = 510;
  r.s.general.XDCCAddress = 2046;
  ASSERT_TRUE(WriteGenDCC(r.s));
  ASSERT_TRUE(r.sim.waitForLog("VORN ", 4));  // the resync's empty frame and three writes
  EXPECT_TRUE(r.logHas("b=0 x=- data=96,12,62,31 "));
  r.s.general = GeneralSettings{};
  ASSERT_TRUE(ReadGenDCC(r.s));
  EXPECT_EQ(r.s.general.DCCAddress, 510);
  EXPECT_EQ(r.s.general.XDCCAddress, 2046);
}

TEST(GeneralSimTest, EraseResetsTheDevice) {
  SimRig r;
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  r.s.general.IDString = "Before";
  ASSERT_TRUE(WriteGenID(r.s));
  r.prompter.answers = {true, true};  // OK, then "Erase"
  ASSERT_TRUE(EraseFlash(r.s));
  ASSERT_TRUE(r.sim.waitForLog("ERASED m=0")) << "the simulator did not take the code";
  EXPECT_TRUE(r.s.link.opts.CheckVornBD);
  ASSERT_TRUE(ReadGenID(r.s));
  EXPECT_EQ(r.s.general.IDString, "");
}

TEST(GeneralSimTest, RoundTripThroughTheKestroTunnel) {
  SimRig r({"--kestro", "lintor"});
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  r.s.link.opts.CheckKestro = true;
  r.s.link.TunnelToggle = 1;
  const GeneralSettings want = distinctive();
  r.s.general = want;
  r.s.model.PalkFlexStart = 100;
  ASSERT_TRUE(writeAll(r.s));
  r.s.general = GeneralSettings{};
  r.s.model.PalkFlexStart = 0;
  ASSERT_TRUE(readAll(r.s));
  GeneralSettings got = r.s.general;
  got.VersionText = want.VersionText;
  EXPECT_EQ(got, want);
  EXPECT_EQ(r.s.model.PalkFlexStart, 100);
  EXPECT_TRUE(VerifyGeneralSettings(r.s));
  EXPECT_EQ(r.s.report.text(), kFirst);
  EXPECT_TRUE(r.logHas("via=tunnel"));
  EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
}

}  // namespace
}  // namespace vorn
