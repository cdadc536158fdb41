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

TEST_F(WindowTest, StartsWithTheDocumentedState) {
  EXPECT_EQ(window->windowTitle(), "untitled[*] - Vorn Config");
  EXPECT_FALSE(window->isWindowModified());
  auto* tabs = find<QTabWidget>("SSTab_Main");
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_FALSE(find("TextResponse")->isVisible());
  EXPECT_FALSE(find("FrameBitrate")->isVisible());
  EXPECT_TRUE(find<QRadioButton>("OptionBitRate_1")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckVornBD")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("CheckXaddress")->isChecked());
  EXPECT_FALSE(find<QCheckBox>("CheckKestro")->isChecked());
  EXPECT_TRUE(find<QCheckBox>("CheckKLnumber")->isChecked());
  EXPECT_FALSE(find("txtXaddr")->isVisible());
  EXPECT_EQ(text("TextAddress"), "1");  // ModuleAddress 0 shown from 1
  EXPECT_EQ(find<UpDown>("UpDownAddress")->minimum(), 1);
  EXPECT_EQ(find<UpDown>("UpDownAddress")->maximum(), 16);
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(find<QComboBox>("ComboPort")->count(), 2);
  EXPECT_EQ(find<QComboBox>("ComboPort")->currentIndex(), -1);
  EXPECT_TRUE(prompter.entries.empty());
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
}

TEST_F(WindowTest, ReleaseLabelOpensTheLogWithModifiersAndTogglesTheReplyBox) {
  session().link.log.appendLine("> 2AD8");
  for (auto mods : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
    rightClick(find("Release"), mods);
    EXPECT_TRUE(prompter.entries.empty()) << "asked something";
    ASSERT_NE(window->commLogWindow(), nullptr);
    EXPECT_TRUE(window->commLogWindow()->isVisible());
    EXPECT_EQ(window->commLogWindow()->windowTitle(), "Kestro Communication");
    window->commLogWindow()->hide();
  }
  CommLogWindow* first = window->commLogWindow();
  session().link.log.appendLine("< 2AD8");  // grows while hidden
  rightClick(find("Release"), Qt::ShiftModifier);
  EXPECT_EQ(window->commLogWindow(), first);
  EXPECT_EQ(first->findChild<QPlainTextEdit*>("txtKestroCommunication")->toPlainText(), "> 2AD8\n< 2AD8");

  QTest::mouseClick(find("Release"), Qt::LeftButton);
  EXPECT_TRUE(prompter.entries.empty());
  EXPECT_FALSE(find("TextResponse")->isVisible());
  QTest::mouseDClick(find("Release"), Qt::LeftButton);
  EXPECT_TRUE(find("TextResponse")->isVisible());
  QTest::mouseDClick(find("Release"), Qt::LeftButton);
  EXPECT_FALSE(find("TextResponse")->isVisible());
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

TEST_F(WindowTest, DoubleClickOnPortLabelUncoversTheBitRate) {
  QTest::mouseDClick(find("LabelPort"), Qt::LeftButton);
  EXPECT_TRUE(find("FrameBitrate")->isVisible());
  QTest::mouseDClick(find("LabelPort"), Qt::LeftButton);
  EXPECT_FALSE(find("FrameBitrate")->isVisible());
}

TEST_F(WindowTest, WithoutPortsEveryCommandAsksForOne) {
  makeWindow(0);
  EXPECT_EQ(find<QComboBox>("ComboPort")->count(), 0);
  click("CommandVerifyAll");
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Select communications port"});
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_EQ(window->jobs().PendingJob(), "");
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

TEST_F(WindowTest, NumberingFromZeroShiftsShownNumbersOnly) {
  typeInto("TextAddress", "6");
  click("CheckKLnumber");
  EXPECT_EQ(session().model.NumberBase, 0);
  EXPECT_EQ(text("TextAddress"), "5");
  EXPECT_EQ(session().link.opts.ModuleAddress, 5);
  EXPECT_EQ(find<UpDown>("UpDownAddress")->maximum(), 15);
  EXPECT_EQ(text("TextECpin"), "0");
  click("CheckKLnumber");
  EXPECT_EQ(text("TextAddress"), "6");
}

TEST_F(WindowTest, EraseSaysOnTheStatusLineThatItWasSent) {
  ASSERT_TRUE(session().link.openDevice("/dev/fake1"));
  click("CommandGenEraseFlash");  // OK, then "Erase"
  ASSERT_EQ(prompter.entries.size(), 2u) << prompter.last();
  EXPECT_EQ(window->statusText().toStdString(), kEraseSentText);
  EXPECT_FALSE(port.written.empty());
}

}  // namespace
}  // namespace vorn::test
