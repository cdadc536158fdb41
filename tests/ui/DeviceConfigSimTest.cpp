// The device tab against the simulated Vorn over a real pseudo-terminal: a program edited in
// the window goes to the Vorn with "Write Pin" and compares with "Verify All Pins".

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/Jobs.h"
#include "operations/Live.h"
#include "operations/Session.h"
#include "ui/DeviceConfigTab.h"
#include "ui/DeviceConfigWidgets.h"

namespace vorn::test {
namespace {

struct SimTabRig {
  SimProcess sim;
  QtSerialPort port;
  RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  JobRunner jobs{s};
  std::string shownReport;
  std::vector<bool> results;
  DeviceConfigTab tab{s, [this](const std::string& name) {
                        // The window's timer tick, run at once.
                        if (jobs.request(name) && jobs.tick()) results.push_back(jobs.lastResult());
                      }};

  SimTabRig() {
    s.onShowReport = [this] { shownReport = s.report.text(); };
    s.onDisplayRefresh = [this] { tab.refreshAll(); };
    s.onPinConfigRefresh = [this] { tab.refreshPinConfig(); };
    if (sim.ok()) s.link.openDevice(sim.path());
    tab.setExpertMode(true);  // the single-pin buttons
    tab.show();
  }
  template <class T = QWidget>
  T* w(const char* name) {
    return tab.findChild<T*>(name);
  }
  void enter(const char* name, const char* value) {
    auto* b = w<ValidatedEdit>(name);
    b->setText(value);
    QTest::keyClick(b, Qt::Key_Return);
  }
  void click(const char* name) {
    QWidget* b = w(name);
    ASSERT_TRUE(b && b->isVisible() && b->isEnabled()) << name;
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(qMin(8, b->width() / 2), b->height() / 2));
  }
};

TEST(DeviceConfigSimTest, EditedProgramWrittenAndVerified) {
  SimTabRig r;
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  r.click("CommandReadAllPins");  // the window starts from what the Vorn holds
  ASSERT_EQ(r.results, std::vector<bool>{true}) << r.prompter.last();

  r.click("CheckPAspShowDetails");
  r.enter("TextPAspOutput", "4");
  r.click("OptionPAspConf_1");
  r.enter("TextPAspAspect", "2");
  auto* inst = r.w<QComboBox>("ComboPAspInst_0");
  inst->setCurrentIndex(inst->findData(38));  // Set Level
  r.enter("TextPAspOffset_0", "1");
  r.enter("TextPAspPar1_0", "20");
  auto* wait = r.w<QComboBox>("ComboPAspInst_1");
  wait->setCurrentIndex(wait->findData(102));  // Wait
  r.enter("TextPAspPar2_1", "25");
  r.enter("TextPAspPar3_1", "1");
  r.enter("TextPAspInit", "2");
  r.w<QTabWidget>("SSTabPCFG")->setCurrentIndex(2);  // PWM
  r.enter("TextPWMOnLevel", "20");
  const PinData edited = r.s.model.pin(3);
  EXPECT_EQ(edited.Aspects[2].Instr[1], (Instruction{102, 0, 0, 0, 25, 1}));

  r.click("CommandWritePin");
  r.click("CommandVerifyAllPins");
  ASSERT_EQ(r.results, (std::vector<bool>{true, true, true})) << r.prompter.last() << r.shownReport;
  ASSERT_GE(r.shownReport.size(), 9u);
  EXPECT_EQ(r.shownReport.substr(r.shownReport.size() - 9), "Verify OK") << r.shownReport;

  // An edit not written yet does not compare.
  r.enter("TextPAspPar1_0", "21");
  r.click("CommandVerifyAllPins");
  EXPECT_EQ(r.results.back(), false);
  EXPECT_EQ(r.shownReport.find("Verify OK"), std::string::npos) << r.shownReport;

  // What the Vorn holds is what was written.
  r.s.model.pin(3) = PinData{};
  r.tab.refreshAll();
  r.click("CommandReadPin");
  EXPECT_TRUE(r.s.model.pin(3) == edited);
  EXPECT_EQ(r.w<QLineEdit>("TextPAspPar1_0")->text(), "20");
}

TEST(DeviceConfigSimTest, LiveCommandsSendTheirBytes) {
  SimTabRig r;
  ASSERT_TRUE(r.sim.ok()) << r.sim.error();
  r.click("CheckPAspShowDetails");
  r.enter("TextPAspOutput", "4");  // pin 3
  r.click("OptionPAspConf_1");
  r.enter("TextPAspAspect", "2");
  ASSERT_EQ(r.s.model.SerialStart[3], 3);

  auto* test = r.w<QPushButton>("CommandPAspTestAspect");
  test->setFocus();
  QTest::keyClick(test, Qt::Key_Space);  // plain Test from the keyboard
  ASSERT_TRUE(r.sim.waitForLog("VORN ", 1));
  EXPECT_NE(r.sim.logLines("VORN ").back().find("data=0,1,3,2"), std::string::npos)
      << r.sim.logLines("VORN ").back();
  QTest::mouseClick(test, Qt::LeftButton, Qt::ControlModifier);
  ASSERT_TRUE(r.sim.waitForLog("VORN ", 2));
  EXPECT_NE(r.sim.logLines("VORN ").back().find("data=0,0,3,2"), std::string::npos)
      << r.sim.logLines("VORN ").back();

  // Flexible Palk addressing: 4 x 10 + 3 = 43 is module 1, output 11.
  r.s.general.PalkFlexEnabled = true;
  r.s.model.PalkFlexStart = 10;
  // Shift + Test from the button's context menu.
  ASSERT_EQ(test->contextMenuPolicy(), Qt::ActionsContextMenu);
  test->findChild<QAction*>("ActionPAspTest_1")->trigger();
  ASSERT_TRUE(r.sim.waitForLog("PALK ", 1));
  const std::string palk = r.sim.logLines("PALK ").back();
  EXPECT_NE(palk.find("a=7 c=1 p1=11 p2=2"), std::string::npos) << palk;
  test->findChild<QAction*>("ActionPAspTest_4")->trigger();
  EXPECT_EQ(r.prompter.last(), TestHelpText());

  // Without serial addresses nothing is sent.
  r.w<UpDown>("UpDownPaspPalkn")->stepBy(-1);
  ASSERT_EQ(r.s.model.pin(3).SerialCount, 0);
  QTest::mouseClick(test, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(r.prompter.last(), "You have no Palk-address(es) assigned to Pin 4");
  EXPECT_EQ(r.prompter.entries.back().icon, Icon::Critical);

  // No level is known yet: the boxes are empty and Jump asks for one, sending nothing.
  r.w<QTabWidget>("SSTabPCFG")->setCurrentIndex(1);
  EXPECT_EQ(r.w<QLineEdit>("TextPosition")->text(), "");
  const size_t framesBefore = r.sim.logLines("VORN ").size();
  r.click("CommandStopSrv");
  EXPECT_EQ(r.prompter.last(),
            "No position has been set for pin 4 yet: type one and press \"Set\", or move the slider.");
  // Sliders send while they have the focus; the jump buttons never use the dynamics.
  r.w<QTabWidget>("SSTabPCFG")->setCurrentIndex(2);
  EXPECT_EQ(r.w<QLineEdit>("TextPWMLevel")->text(), "");
  auto* pwm = r.w<QSlider>("SliderPWM");
  r.w<QAbstractButton>("CheckPWMSlow")->setChecked(true);
  pwm->setValue(5);  // no focus: nothing sent
  QFocusEvent in(QEvent::FocusIn);
  QApplication::sendEvent(pwm, &in);
  pwm->setValue(9);
  r.click("CommandPWMJump");
  r.w<QTabWidget>("SSTabPCFG")->setCurrentIndex(1);
  auto* servo = r.w<QSlider>("SliderServo");
  r.w<QAbstractButton>("CheckSrvDynamic")->setChecked(true);
  QApplication::sendEvent(servo, &in);
  servo->setValue(-64);
  QTest::keyClick(servo, Qt::Key_Right);  // one position per arrow key
  servo->setValue(63);
  r.click("CommandStopSrv");
  const char* expected[] = {"data=0,54,3,9", "data=0,38,3,9",   "data=0,55,3,0",
                            "data=0,55,3,1", "data=0,55,3,127", "data=0,39,3,127"};
  ASSERT_TRUE(r.sim.waitForLog("VORN ", framesBefore + std::size(expected)));
  const auto lines = r.sim.logLines("VORN ");
  ASSERT_EQ(lines.size(), framesBefore + std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_NE(lines[framesBefore + i].find(expected[i]), std::string::npos) << lines[framesBefore + i];
  EXPECT_EQ(r.s.model.pin(3).LiveLevel, 127);
  EXPECT_GE(servo->width(), 256);
  EXPECT_EQ(r.w<QLabel>("LabelPWMLevel")->buddy(), r.w<QLineEdit>("TextPWMLevel"));
}

}  // namespace
}  // namespace vorn::test
