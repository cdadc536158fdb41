// The device tab and the Test tab against the simulated Vorn over a real
// pseudo-terminal; the act-or-keep message box; and the device tab's pictures.

#include "Fixtures.h"
#include "model/ConfigDiff.h"
#include "model/PinConfigParams.h"
#include "operations/Live.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/PinOverview.h"
#include "ui/TestTab.h"

namespace vorn::test {
namespace {

// The device tab on a session linked to the simulated Vorn; the jobs its buttons ask for run
// at once, as the window's timer tick would.
class SimTabTest : public ::testing::Test, public Controls {
 protected:
  explicit SimTabTest(std::vector<std::string> simArgs = {}) : sim(std::move(simArgs)) {
    s.onShowReport = [this] { shownReport = s.report.text(); };
    s.onDisplayRefresh = [this] { tab.refreshAll(); };
    s.onPinConfigRefresh = [this] { tab.refreshPinConfig(); };
    if (sim.ok()) s.link.openDevice(sim.path());
    root = &tab;
  }
  bool run(const char* job) { return jobs.request(job) && jobs.tick() && jobs.lastResult(); }

  SimProcess sim;
  QtSerialPort port;
  RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  JobRunner jobs{s};
  std::string shownReport;
  std::vector<bool> results;
  DeviceConfigTab tab{s, [this](const std::string& name) {
                        if (jobs.request(name) && jobs.tick()) results.push_back(jobs.lastResult());
                      }};
};

class DeviceConfigSimTest : public SimTabTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.ok()) << sim.error();
    tab.setExpertMode(true);  // the single-pin buttons
    tab.show();
  }
};

// A program edited in the window goes to the Vorn with "Write Changes" and "Write Pin" and
// compares with "Verify All Pins"; the overview marks the pin on the way.
TEST_F(DeviceConfigSimTest, EditedProgramWrittenVerifiedAndMarkedInTheOverview) {
  auto* view = w<QTableView>("PinOverview");
  auto state = [&](int row) {
    tab.refreshOverview();
    return view->model()->index(row, PinOverviewModel::ColState).data().toString();
  };
  ASSERT_TRUE(run("ReadAll")) << prompter.last();  // the window starts from what the Vorn holds

  // The table and the editor share the current pin and its number, arrow keys included.
  view->setCurrentIndex(view->model()->index(5, 0));
  EXPECT_EQ(text("TextPAspOutput"), "6");
  auto shown = [&] {
    tab.refreshAll();
    tab.refreshOverview();
    return std::pair(text("TextPAspOutput"),
                     view->model()->index(5, PinOverviewModel::ColPin).data().toString());
  };
  EXPECT_EQ(shown(), std::pair(QString("6"), QString("6")));
  const PinData device = s.model.pin(4), member = s.model.pin(5);
  s.model.pin(4).DeviceName = "Home";
  s.model.pin(5).DevicePointer = -1;                  // a member names its device
  s.model.pin(5).PinConfig = {kCfgServo, kCfgInput};  // the type is the first byte's
  tab.refreshOverview();
  const QModelIndex cell = view->model()->index(5, PinOverviewModel::ColDevice);
  EXPECT_EQ(cell.data().toString(), "Home");
  EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), "Home");  // a long name shows whole
  EXPECT_EQ(cell.siblingAtColumn(PinOverviewModel::ColType).data().toString().toStdString(),
            PinTypeText(kCfgServo));
  s.model.pin(4) = device;
  s.model.pin(5) = member;
  s.model.NumberBase = 0;
  EXPECT_EQ(shown(), std::pair(QString("5"), QString("5")));
  s.model.NumberBase = 1;
  shown();
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_EQ(s.model.CurPin, 4);
  enter("TextPAspOutput", "4");
  tab.refreshOverview();
  EXPECT_EQ(view->currentIndex().row(), 3);

  click("CheckPAspShowDetails");
  click("OptionPAspConf_1");
  enter("TextPAspAspect", "2");
  auto* combo = w<QComboBox>("ComboPAspInst_0");
  combo->setCurrentIndex(combo->findData(38));  // Set Level
  enter("TextPAspOffset_0", "1");
  enter("TextPAspPar1_0", "20");
  combo = w<QComboBox>("ComboPAspInst_1");
  combo->setCurrentIndex(combo->findData(102));  // Wait
  enter("TextPAspPar2_1", "25");
  enter("TextPAspPar3_1", "1");
  w<QTabWidget>("SSTabPCFG")->setCurrentIndex(2);  // PWM
  enter("TextPWMOnLevel", "20");
  EXPECT_EQ(s.model.pin(3).Aspects[2].Instr[1], (Instruction{102, 0, 0, 0, 25, 1}));
  EXPECT_EQ(state(3), "changed");
  QStringList listed;
  tab.changesDialog = [&](const QStringList& lines, bool) {
    listed = lines;
    return true;
  };
  click("CommandWriteChanges");
  ASSERT_FALSE(listed.isEmpty());
  for (const QString& line : listed) EXPECT_TRUE(line.startsWith("Pin 4")) << line.toStdString();
  EXPECT_EQ(state(3), "");
  click("CommandVerifyAllPins");
  ASSERT_EQ(results, (std::vector<bool>{true, true})) << prompter.last() << shownReport;
  EXPECT_TRUE(QString::fromStdString(shownReport).endsWith("Verify OK")) << shownReport;
  EXPECT_EQ(state(2), "ok");

  // An edit not written yet does not compare; the pin shows its report lines.
  enter("TextPAspInit", "2");
  click("CommandVerifyAllPins");
  EXPECT_EQ(results.back(), false);
  EXPECT_EQ(shownReport.find("Verify OK"), std::string::npos) << "the report of the run before stays";
  EXPECT_EQ(state(3), "changed, differs");
  EXPECT_EQ(w<QLabel>("lblPinFindings")->text(), "Pin 4: Init does not compare");

  // What the Vorn holds after "Write Pin" is what was edited.
  click("CommandWritePin");
  const PinData edited = s.model.pin(3);
  s.model.pin(3) = PinData{};
  tab.refreshAll();
  click("CommandReadPin");
  EXPECT_TRUE(s.model.pin(3) == edited);
  EXPECT_EQ(text("TextPAspPar1_0"), "20");
  EXPECT_EQ(results, (std::vector<bool>{true, true, false, true, true}));
}

TEST_F(DeviceConfigSimTest, LiveCommandsSendTheirBytes) {
  click("CheckPAspShowDetails");
  enter("TextPAspOutput", "4");  // pin 3, serial address 3
  click("OptionPAspConf_1");
  enter("TextPAspAspect", "2");
  auto* test = w<QPushButton>("CommandPAspTestAspect");
  test->setFocus();
  QTest::keyClick(test, Qt::Key_Space);  // plain Test from the keyboard
  QTest::mouseClick(test, Qt::LeftButton, Qt::ControlModifier);

  // Flexible Palk addressing: 4 x 10 + 3 = 43 is module 1, output 11. Shift + Test from the
  // button's context menu.
  s.general.PalkFlexEnabled = true;
  s.model.PalkFlexStart = 10;
  test->findChild<QAction*>("ActionPAspTest_1")->trigger();
  ASSERT_TRUE(sim.waitForLog("PALK ", 1));
  EXPECT_NE(sim.logLines("PALK ").back().find("a=7 c=1 p1=11 p2=2"), std::string::npos)
      << sim.logLines("PALK ").back();
  test->findChild<QAction*>("ActionPAspTest_4")->trigger();
  EXPECT_EQ(prompter.last(), TestHelpText());

  // Without serial addresses nothing is sent.
  w<UpDown>("UpDownPaspPalkn")->stepBy(-1);
  QTest::mouseClick(test, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(prompter.last(), "You have no Palk-address(es) assigned to Pin 4");

  // No level is known yet: Jump asks for one, sending nothing.
  w<QTabWidget>("SSTabPCFG")->setCurrentIndex(1);
  click("CommandStopSrv");
  EXPECT_EQ(prompter.last(),
            "No position has been set for pin 4 yet: type one and press \"Set\", or move the slider.");
  // Sliders send while they have the focus; the jump buttons never use the dynamics.
  w<QTabWidget>("SSTabPCFG")->setCurrentIndex(2);
  auto* pwm = w<QSlider>("SliderPWM");
  w<QAbstractButton>("CheckPWMSlow")->setChecked(true);
  pwm->setValue(5);  // no focus: nothing sent
  QFocusEvent in(QEvent::FocusIn);
  QApplication::sendEvent(pwm, &in);
  pwm->setValue(9);
  click("CommandPWMJump");
  w<QTabWidget>("SSTabPCFG")->setCurrentIndex(1);
  auto* servo = w<QSlider>("SliderServo");
  w<QAbstractButton>("CheckSrvDynamic")->setChecked(true);
  QApplication::sendEvent(servo, &in);
  servo->setValue(-64);
  QTest::keyClick(servo, Qt::Key_Right);  // one position per arrow key
  servo->setValue(63);
  click("CommandStopSrv");
  // The frames in order, the resync first.
  const char* expected[] = {"data= ",        "data=0,1,3,2",    "data=0,0,3,2",
                            "data=0,54,3,9", "data=0,38,3,9",   "data=0,55,3,0",
                            "data=0,55,3,1", "data=0,55,3,127", "data=0,39,3,127"};
  ASSERT_TRUE(sim.waitForLog("VORN ", std::size(expected)));
  const auto lines = sim.logLines("VORN ");
  ASSERT_EQ(lines.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_NE(lines[i].find(expected[i]), std::string::npos) << lines[i];
  EXPECT_EQ(s.model.pin(3).LiveLevel, 127);
}

TEST_F(DeviceConfigSimTest, PalkSendShowsTheValuesItSent) {
  TestTab testTab(s);
  testTab.show();
  const char* typed[3] = {"9", "3.6", "200"};
  const char* shown[3] = {"9", "4", "127"};
  auto box = [&](int i) { return testTab.findChild<QLineEdit*>(QString("TextPalkParameter_%1").arg(i)); };
  for (int i = 0; i < 3; ++i) box(i)->setText(typed[i]);
  QTest::mouseClick(testTab.findChild<QPushButton*>("CommandSendPalk"), Qt::LeftButton);
  ASSERT_TRUE(sim.waitForLog("PALK a=3 c=9", 1));
  EXPECT_NE(sim.logLines("PALK a=3 c=9").back().find("p1=4 p2=127"), std::string::npos)
      << sim.logLines("PALK a=3 c=9").back();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(box(i)->text(), shown[i]);
  // "Clear All" goes to the module on the link, "Clear All 0" to module 0: every output each.
  s.link.setModuleAddress(2);
  QTest::mouseClick(testTab.findChild<QPushButton*>("Command_Clr_0"), Qt::LeftButton);
  QTest::mouseClick(testTab.findChild<QPushButton*>("Command_Clr_1"), Qt::LeftButton);
  EXPECT_TRUE(sim.waitForLog("PALK a=11 c=8 ", 32) && sim.waitForLog("PALK a=3 c=8 ", 32));
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

// The act-or-keep question (Erase Flash) as a real message box: Escape, closing it and Enter
// (on the default button) keep; only the act button acts.
TEST(MessageBoxes, OnlyTheActButtonActs) {
  MessageBoxPrompter prompter;
  std::function<void(QMessageBox&)> gesture;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    EXPECT_EQ(box->defaultButton()->text(), "Keep");
    gesture(*box);
  });
  poll.start();
  const std::pair<std::function<void(QMessageBox&)>, bool> gestures[] = {
      {[](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
      {[](QMessageBox& box) { box.close(); }, false},
      {[](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, false},
      {[](QMessageBox& box) {
         for (QAbstractButton* b : box.buttons())
           if (b->text() == "Erase") b->click();
       },
       true},
  };
  for (const auto& [g, acts] : gestures) {
    gesture = g;
    EXPECT_EQ(prompter.askToAct("Erase?", Icon::Warning, "Erase", "Keep"), acts);
  }
}

// Not a check: when VORN_SCREENSHOT_DIR is set (scripts/screenshots.sh), saves pictures of
// the device tab with details on, as read from the demo Vorn.
class DeviceTabScreenshots : public SimTabTest {
 protected:
  DeviceTabScreenshots() : SimTabTest({"--demo"}) {}
  void SetUp() override {
    out = std::getenv("VORN_SCREENSHOT_DIR");
    if (!out) GTEST_SKIP() << "VORN_SCREENSHOT_DIR not set";
    ASSERT_TRUE(sim.ok()) << sim.error();
  }
  void showPin(const char* shownPin) {
    auto* pin = w<ValidatedEdit>("TextPAspOutput");
    pin->setText(shownPin);
    emit pin->validate();
    tab.refreshPinConfig();
  }
  void save(const char* file) {
    QTest::qWait(150);
    EXPECT_TRUE(tab.grab().save(QDir(out).filePath(file))) << file;
  }
  const char* out = nullptr;
};

// A four-aspect signal and a servo pin.
TEST_F(DeviceTabScreenshots, DeviceConfigurationTabDetails) {
  tab.resize(1280, 820);
  tab.show();
  w<QAbstractButton>("CommandReadAllPins")->click();
  s.model.pin(3).Description = "Distant signal";
  const char* aspects[4] = {"Caution", "Clear", "Expect stop", "Dark"};
  for (int a = 0; a < 4; ++a) s.model.aspect(3, a).Description = aspects[a];
  s.model.pin(4).Description = "Point 1 servo";
  s.model.aspect(4, 0).Description = "Straight";
  tab.setExpertMode(true);
  w<QAbstractButton>("CheckPAspShowDetails")->setChecked(true);
  showPin("4");
  save("device-tab-signal.png");
  showPin("5");
  save("device-tab-servo.png");
}

// The pin overview after Read All, an edited step on the servo pin and Verify All: the servo
// pin is "changed, differs", the others "ok".
TEST_F(DeviceTabScreenshots, PinOverviewWithChangedAndVerifiedPins) {
  tab.resize(1600, 900);
  tab.show();
  ASSERT_TRUE(run("ReadAll")) << prompter.last();
  s.model.pin(3).Description = "Distant signal";
  s.model.pin(4).Description = "Point 1 servo";
  s.model.pin(4).DeviceName = "Servo turnout";
  s.model.pin(7).Description = "Fire flicker";
  s.model.instr(4, 1, 0).Par1 = static_cast<uint8_t>(s.model.instr(4, 1, 0).Par1 ^ 8);
  ASSERT_TRUE(jobs.request("VerifyAll") && jobs.tick());
  w<QAbstractButton>("CheckPAspShowDetails")->setChecked(true);
  showPin("5");
  tab.refreshOverview();
  save("device-tab-overview.png");
}

}  // namespace
}  // namespace vorn::test
