// The window outside the tabs: start state, expert switch, tab guard, release label, port
// list and link options.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

#include "WindowFixture.h"
#include "operations/General.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/SecondaryWindows.h"

namespace vorn::test {
namespace {

void rightClick(QWidget* w, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::mouseClick(w, Qt::RightButton, mods);
  QApplication::processEvents();
}

// Expert mode opens the "Test" tab and shows the expert-only buttons; No hides them again.
TEST_F(WindowTest, ExpertModeGatesTheTestTabAndTheExpertButtons) {
  const char* expertOnly[] = {"CommandECVerify", "CommandReadPin", "CommandWritePin", "CommandVerifyAllPins"};
  auto shown = [&] {
    std::vector<bool> v;
    for (const char* name : expertOnly) v.push_back(!find(name)->isHidden());
    return v;
  };
  EXPECT_EQ(shown(), std::vector<bool>(4, false)) << "at start";
  auto* tabs = find<QTabWidget>("SSTab_Main");
  tabs->setCurrentIndex(1);
  tabs->setCurrentIndex(3);
  EXPECT_EQ(tabs->currentIndex(), 1);
  ASSERT_EQ(prompter.texts(), std::vector<std::string>{"Sorry, This tab is disabled"});
  EXPECT_EQ(prompter.entries[0].icon, Icon::None);

  prompter.clear();
  prompter.answers = {true, false};
  rightClick(find("Release"));
  ASSERT_EQ(prompter.texts(), std::vector<std::string>{"Expert Mode?"});
  EXPECT_EQ(prompter.entries[0].kind, 'y');
  EXPECT_EQ(shown(), std::vector<bool>(4, true)) << "after Yes";
  tabs->setCurrentIndex(3);
  EXPECT_EQ(tabs->currentIndex(), 3);
  EXPECT_EQ(prompter.entries.size(), 1u);

  rightClick(find("Release"));
  EXPECT_FALSE(window->expertMode());
  EXPECT_EQ(shown(), std::vector<bool>(4, false)) << "after No";
  rightClick(find("Release"), Qt::AltModifier);  // with a modifier: the log, no question
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
  QApplication::processEvents();
  const QSize min = window->minimumSizeHint().expandedTo(window->minimumSize());
  EXPECT_LE(min.width(), 1024) << min.width() << "x" << min.height();
  EXPECT_LE(min.height(), 600) << min.width() << "x" << min.height();
  EXPECT_EQ(window->size(), before);
}

TEST_F(WindowTest, PickingAPortClosesTheOldOneAndKeepsTheBitRate) {
  auto* combo = find<QComboBox>("ComboPort");
  QTest::mouseDClick(find("LabelPort"), Qt::LeftButton);
  click("OptionBitRate_2");  // nothing picked: stored only
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(session().link.opts.BitRateIndex, 2);

  combo->setCurrentIndex(0);
  emit combo->activated(0);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(port.device(), "/dev/fake1");
  EXPECT_EQ(port.baudRate(), 38400);
  EXPECT_EQ(session().link.LinkToggle, 128);

  combo->setCurrentIndex(1);
  emit combo->activated(1);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(port.device(), "/dev/fake2");
  EXPECT_EQ(port.baudRate(), 38400);
  EXPECT_EQ(port.openCount, 2);

  click("cmdRefreshComm");
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(combo->currentIndex(), -1);
  click("OptionBitRate_0");
  EXPECT_FALSE(port.isOpen());
}

TEST_F(WindowTest, APortThatWillNotOpenSaysSo) {
  port.failOpen = true;
  auto* combo = find<QComboBox>("ComboPort");
  emit combo->activated(1);
  EXPECT_FALSE(port.isOpen());
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_EQ(prompter.entries[0].text.rfind("Cannot open port 2 (/dev/fake2)", 0), 0u);
}

TEST_F(WindowTest, AddressBoxesClampToTheirRanges) {
  struct Case {
    const char* box;
    const char* typed;
    const char* shown;
    int stored;
  };
  prompter.answers = {true};
  click("CheckXaddress");
  EXPECT_EQ(prompter.last(), "eXtended Addressing is intended for\nexperienced users only!");
  ASSERT_TRUE(find("txtXaddr")->isVisible());
  EXPECT_EQ(find<QLabel>("LabelAddress")->text(), "Channel Number");
  for (const Case& c :
       {Case{"txtXaddr", "200", "96", 95}, Case{"txtXaddr", "0", "1", 0}, Case{"txtXaddr", "50", "50", 49}}) {
    session().link.LinkToggle = 64;
    typeInto(c.box, c.typed);
    EXPECT_EQ(text(c.box), c.shown) << c.typed;
    EXPECT_EQ(session().link.opts.ExtAddress, c.stored) << c.typed;
    EXPECT_EQ(session().link.LinkToggle, 64) << "extended address needs no resync";
  }
  for (const Case& c : {Case{"TextAddress", "40", "16", 15}, Case{"TextAddress", "-3", "1", 0},
                        Case{"TextAddress", "6", "6", 5}}) {
    session().link.LinkToggle = 64;
    typeInto(c.box, c.typed);
    EXPECT_EQ(text(c.box), c.shown) << c.typed;
    EXPECT_EQ(session().link.opts.ModuleAddress, c.stored) << c.typed;
    EXPECT_EQ(session().link.LinkToggle, 128) << "module address change resyncs";
  }
}

TEST_F(WindowTest, ExtendedAddressingRefusedStaysOff) {
  prompter.answers = {false};
  click("CheckXaddress");
  EXPECT_FALSE(find<QCheckBox>("CheckXaddress")->isChecked());
  EXPECT_FALSE(session().link.opts.CheckXaddress);
  EXPECT_FALSE(find("txtXaddr")->isVisible());
  EXPECT_EQ(prompter.entries.at(0).icon, Icon::Warning);
}

}  // namespace
}  // namespace vorn::test
