// The window outside the tabs: changes commands, expert switch and tab guard, size, the port
// list and the link options.

#include "Fixtures.h"
#include "ui/DeviceConfigTab.h"
#include "ui/PinOverview.h"
#include "ui/SecondaryWindows.h"

namespace vorn::test {
namespace {

TEST_F(WindowTest, ChangesCommandsWaitForTheVornAsLastKnown) {
  auto available = [&] {
    std::vector<bool> v;
    for (const char* name : {"ActionShowChanges", "ActionWriteChanges"})
      v.push_back(w<QAction>(name)->isEnabled());
    for (const char* name : {"CommandShowChanges", "CommandWriteChanges"}) v.push_back(w(name)->isEnabled());
    return v;
  };
  EXPECT_EQ(available(), std::vector<bool>(4, false));
  EXPECT_EQ(w<QAction>("ActionWriteChanges")->toolTip(), "Read All first");
  session().rememberDevice();
  EXPECT_EQ(available(), std::vector<bool>(4, true));
  session().model.pin(2).InitAspect = 1;
  QStringList listed;
  window->findChild<DeviceConfigTab*>()->changesDialog = [&](const QStringList& lines, bool) {
    listed = lines;
    return false;
  };
  w<QAction>("ActionShowChanges")->trigger();
  EXPECT_EQ(listed.size(), 1) << "the Device menu shows the changes too";
  session().link.setModuleAddress(3);  // another Vorn on the line
  w<PinOverview>("PinOverviewPane")->refresh();
  EXPECT_EQ(available(), std::vector<bool>(4, false));
}

// Expert mode opens the "Test" tab and shows the expert-only buttons; No hides them again.
TEST_F(WindowTest, ExpertModeGatesTheTestTabAndTheExpertButtons) {
  auto shown = [&] {
    std::vector<bool> v;
    for (const char* name : {"CommandECVerify", "CommandReadPin", "CommandWritePin", "CommandVerifyAllPins"})
      v.push_back(!w(name)->isHidden());
    return v;
  };
  auto* tabs = w<QTabWidget>("SSTab_Main");
  EXPECT_EQ(shown(), std::vector<bool>(4, false)) << "at start";
  tabs->setCurrentIndex(1);
  tabs->setCurrentIndex(3);
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Sorry, This tab is disabled"});

  prompter.clear();
  prompter.answers = {true, false};
  QTest::mouseClick(w("Release"), Qt::RightButton);
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Expert Mode?"});
  EXPECT_EQ(shown(), std::vector<bool>(4, true)) << "after Yes";
  tabs->setCurrentIndex(3);
  EXPECT_EQ(tabs->currentIndex(), 3);
  QTest::mouseClick(w("Release"), Qt::RightButton);
  EXPECT_EQ(shown(), std::vector<bool>(4, false)) << "after No";
  QTest::mouseClick(w("Release"), Qt::RightButton, Qt::AltModifier);  // the log, no question
  EXPECT_EQ(prompter.entries.size(), 2u);
  EXPECT_TRUE(window->commLogWindow() && window->commLogWindow()->isVisible());
}

// The window fits a 1024x600 screen at scale 1, the pin editor's details included, and does
// not grow by itself when they appear: the tabs scroll instead.
TEST_F(WindowTest, FitsSmallScreensAndDoesNotGrowWithDetails) {
  window->resize(1024, 600);
  showTab(2);
  QApplication::processEvents();
  const QSize before = window->size();
  click("CheckPAspShowDetails");
  const QSize min = window->minimumSizeHint().expandedTo(window->minimumSize());
  EXPECT_LE(min.width(), 1024) << min.width() << "x" << min.height();
  EXPECT_LE(min.height(), 600) << min.width() << "x" << min.height();
  EXPECT_EQ(window->size(), before);
}

TEST_F(WindowTest, PickingAPortClosesTheOldOneKeepsTheBitRateAndSaysWhyOneWillNotOpen) {
  QTest::mouseDClick(w("LabelPort"), Qt::LeftButton);
  click("OptionBitRate_2");  // nothing picked: stored only
  EXPECT_FALSE(port.isOpen());
  pickPort(0);
  EXPECT_EQ(port.device(), "/dev/fake1");
  EXPECT_EQ(session().link.LinkToggle, 128);
  pickPort(1);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(port.device(), "/dev/fake2");
  EXPECT_EQ(port.baudRate(), 38400);
  EXPECT_EQ(port.openCount, 2);

  click("cmdRefreshComm");
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(w<QComboBox>("ComboPort")->currentIndex(), -1);
  click("OptionBitRate_0");  // not even opened for a moment (DTR and RTS would rise)
  EXPECT_EQ(port.openCount, 2);
  EXPECT_EQ(port.baudRate(), 9600);

  // Picking a port, or reopening it at another bit rate, that fails says why alike.
  pickPort(1);
  port.failOpen = true;
  click("OptionBitRate_2");
  pickPort(1);
  EXPECT_FALSE(port.isOpen());
  ASSERT_EQ(prompter.entries.size(), 2u);
  for (const auto& e : prompter.entries) EXPECT_EQ(e.text.rfind("Cannot open port 2 (/dev/fake2)", 0), 0u);
}

// Devices that exist but would not open are named beside the port list.
TEST_F(WindowTest, RefusedDevicesAreNamedWithTheDialoutHintOnlyWhenPermissionIsTheCause) {
  listing.failures = {{3, "/dev/ttyUSB0", "Permission denied"}};
  makeWindow(port, clock);
  auto* label = w<QLabel>("lblPortProblems");
  EXPECT_TRUE(label->isVisible());
  EXPECT_TRUE(label->text().contains("/dev/ttyUSB0 (Permission denied)"));
  EXPECT_TRUE(label->text().contains("dialout"));
  EXPECT_EQ(w<QComboBox>("ComboPort")->count(), 2) << "only ports that open are listed";
  listing.failures = {{3, "/dev/ttyS4", "Device or resource busy"}};
  click("cmdRefreshComm");
  EXPECT_TRUE(label->text().contains("/dev/ttyS4 (Device or resource busy)"));
  EXPECT_FALSE(label->text().contains("dialout"));
  listing.failures.clear();
  click("cmdRefreshComm");
  EXPECT_FALSE(label->isVisible());
}

// The shown numbers start at NumberBase (1 here); the link stores them from 0.
TEST_F(WindowTest, AddressBoxesClampToTheirRanges) {
  prompter.answers = {false, true};
  click("CheckXaddress");  // refused: stays off
  EXPECT_FALSE(session().link.opts.CheckXaddress);
  EXPECT_FALSE(w("txtXaddr")->isVisible());
  click("CheckXaddress");
  EXPECT_EQ(prompter.last(), "eXtended Addressing is intended for\nexperienced users only!");
  EXPECT_EQ(prompter.entries[0].icon, Icon::Warning);
  ASSERT_TRUE(w("txtXaddr")->isVisible());
  EXPECT_EQ(w<QLabel>("LabelAddress")->text(), "&Channel Number");  // Alt+C goes to its box
  struct Case {
    const char* box;
    const char* typed;
    const char* shown;
    int stored;
  };
  for (const Case& c : {Case{"txtXaddr", "200", "96", 95}, Case{"txtXaddr", "0", "1", 0},
                        Case{"txtXaddr", "50", "50", 49}, Case{"TextAddress", "40", "16", 15},
                        Case{"TextAddress", "-3", "1", 0}, Case{"TextAddress", "6", "6", 5}}) {
    const bool module = std::string(c.box) == "TextAddress";
    session().link.LinkToggle = 64;
    enter(c.box, c.typed);
    EXPECT_EQ(text(c.box), c.shown) << c.typed;
    EXPECT_EQ(module ? session().link.opts.ModuleAddress : session().link.opts.ExtAddress, c.stored)
        << c.typed;
    EXPECT_EQ(session().link.LinkToggle, module ? 128 : 64) << "only a module address change resyncs";
  }
}

}  // namespace
}  // namespace vorn::test
