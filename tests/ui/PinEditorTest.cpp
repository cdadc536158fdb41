#include <QLabel>
#include <QPalette>

#include "DeviceConfigFixture.h"

namespace vorn::test {
namespace {

constexpr int kSetLevel = 38;  // relative P.O., Par1 only
constexpr int kJump = 1;       // uses Par2
constexpr int kWait = 102;     // timed, no P.O.
constexpr int kAccel = 96;     // P.O. is an acceleration

using PinEditorTest = DeviceTabTest;

TEST_F(PinEditorTest, StartState) {
  EXPECT_EQ(text("TextPAspOutput"), "1");
  EXPECT_EQ(text("TextPAspAspect"), "0");
  EXPECT_EQ(text("TextPAspInit"), "-1");
  EXPECT_TRUE(w<QAbstractButton>("OptionPAspConf_0")->isChecked());
  EXPECT_FALSE(w("TextPAspAspect")->isVisible());
  EXPECT_FALSE(w("ComboPAspInst_0")->isVisible());
  EXPECT_FALSE(w("FrameAspdetails")->isVisible());
  for (const char* hidden :
       {"CommandPCFGGetParam_0", "CommandPCFGSetParam_0", "CommandPCFGGetParam_1", "CommandPCFGSetParam_1",
        "CommandPAspReadPin", "CommandPAspWritePin", "SSTabPCFG"})
    EXPECT_FALSE(w(hidden)->isVisible()) << hidden;
}

TEST_F(PinEditorTest, RelativeOffsetIsClampedToThePins) {
  setDetails(true);
  goToPin(21);  // pin 20 counted from 0
  chooseLayout(1);
  chooseInstruction(0, kSetLevel);
  struct Case {
    const char* typed;
    const char* shown;
    int stored;
  } cases[] = {{"15", "11", 11}, {"-25", "-20", 12}, {"abc", "0", 0}, {"2.5", "2", 2}, {"-3x", "-3", 29}};
  for (const Case& c : cases) {
    enter("TextPAspOffset_0", c.typed);
    EXPECT_EQ(text("TextPAspOffset_0"), c.shown) << c.typed;
    EXPECT_EQ(slot(0).PinOffset, c.stored) << c.typed;
  }
}

TEST_F(PinEditorTest, StoredOffsetShownRelativeToThePin) {
  for (int p : {1, 5}) {
    s.model.pin(p).AspectConfig = kLayout4x9;
    s.model.instr(p, 0, 0) = Instruction{kSetLevel, 0, 30, 0, 0, 0};
  }
  goToPin(6);
  EXPECT_EQ(text("TextPAspOffset_0"), "-2");
  goToPin(2);
  EXPECT_EQ(text("TextPAspOffset_0"), "30");
  EXPECT_EQ(s.model.instr(1, 0, 0).PinOffset, 30);
}

TEST_F(PinEditorTest, AccelerationMinusOneIsStoredAs127) {
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(0, kAccel);
  typeAndClick("TextPAspOffset_0", "-1");
  EXPECT_EQ(slot(0).PinOffset, 127);
  EXPECT_EQ(text("TextPAspOffset_0"), "-1");
  typeAndClick("TextPAspOffset_0", "-5");
  EXPECT_EQ(text("TextPAspOffset_0"), "-1");
  EXPECT_EQ(slot(0).PinOffset, 127);
}

TEST_F(PinEditorTest, UnusedParameterIsGreyedZeroedAndNotRestored) {
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(2, kJump);
  enter("TextPAspPar2_2", "5");
  EXPECT_EQ(slot(2).Par2, 5);
  EXPECT_FALSE(box("TextPAspPar2_2")->property("greyed").toBool());
  chooseInstruction(2, kSetLevel);
  EXPECT_EQ(text("TextPAspPar2_2"), "0");
  EXPECT_EQ(slot(2).Par2, 0);
  EXPECT_TRUE(box("TextPAspPar2_2")->property("greyed").toBool());
  EXPECT_EQ(box("TextPAspPar2_2")->palette().color(QPalette::Base),
            QApplication::palette(box("TextPAspPar2_2")).color(QPalette::Button));
  EXPECT_EQ(w<QLabel>("LabelPAspHFade")->text(), "Fade");
  EXPECT_TRUE(w("CheckPAspFade_2")->isVisible());
  chooseInstruction(2, kJump);
  EXPECT_EQ(text("TextPAspPar2_2"), "0");
  EXPECT_FALSE(w("CheckPAspFade_2")->isVisible());
  EXPECT_EQ(w<QLabel>("LabelPASpHParam2")->text(), "Ins#");
}

// The parameter headings describe the row being worked on, else the first row holding an
// instruction (never a hidden row); each box names its parameter; greyed boxes take no focus.
TEST_F(PinEditorTest, HeadingsAndTooltipsFollowTheRowWorkedOn) {
  tab->activateWindow();
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(3, kJump);
  chooseInstruction(5, kWait);
  auto headings = [&] {
    QStringList h;
    for (const char* n : {"LabelPAspOffset", "LabelPAspHParam1", "LabelPASpHParam2", "LabelPAspHParam3"})
      h << w<QLabel>(n)->text();
    return h;
  };
  const QStringList jump{"P.O.", "Asp#", "Ins#", ""};
  const QStringList wait{"", "", "Time", "Base"};
  EXPECT_EQ(headings(), jump);
  box("TextPAspPar2_5")->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(headings(), wait);
  chooseLayout(2);  // rows 3 to 8 hidden, rows 0 to 2 empty
  EXPECT_EQ(headings(), (QStringList{"", "", "", ""}));
  chooseLayout(1);
  EXPECT_EQ(headings(), jump);

  EXPECT_TRUE(box("TextPAspPar2_3")->toolTip().startsWith("Ins#\n"));
  EXPECT_EQ(box("TextPAspPar3_3")->toolTip(), "Not used by this instruction");
  EXPECT_EQ(box("TextPAspPar3_3")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(box("TextPAspPar2_3")->focusPolicy(), Qt::StrongFocus);
}

TEST_F(PinEditorTest, TimeLabelFollowsTheParameters) {
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(1, kWait);
  struct Case {
    const char* par2;
    const char* base;
    const char* time;
  } cases[] = {
      {"50", "0", "00:01.00"}, {"1", "0", "00:00.02"}, {"63", "3", "10:45.12"}, {"63", "9", "10:45.12"}};
  for (const Case& c : cases) {
    enter("TextPAspPar2_1", c.par2);
    enter("TextPAspPar3_1", c.base);
    EXPECT_EQ(w<QLabel>("LabelPAspTime_1")->text(), c.time) << c.par2 << "/" << c.base;
  }
}

TEST_F(PinEditorTest, FourLayoutClampsAspectShownFromTwelveLayout) {
  s.model.pin(0).AspectConfig = kLayout12x3;
  s.model.pin(1).AspectConfig = kLayout4x9;
  s.model.aspect(1, 3).Description = "three";
  tab->refreshAll();
  setDetails(true);
  enter("TextPAspAspect", "8");
  EXPECT_EQ(s.model.CurAspect, 8);
  goToPin(2);
  EXPECT_EQ(text("TextPAspAspect"), "3");
  EXPECT_EQ(s.model.CurAspect, 3);
  EXPECT_EQ(text("TextPAspAspDesc"), "three");
  EXPECT_EQ(w<UpDown>("UpDownPAspAspect")->maximum(), 3);
  EXPECT_TRUE(w("ComboPAspInst_8")->isVisibleTo(tab.get()));
  // "12" layout: three rows.
  chooseLayout(2);
  EXPECT_EQ(s.model.pin(1).AspectConfig, kLayout12x3);
  EXPECT_TRUE(w("ComboPAspInst_2")->isVisibleTo(tab.get()));
  EXPECT_FALSE(w("ComboPAspInst_3")->isVisibleTo(tab.get()));
}

TEST_F(PinEditorTest, InitialAspectAboveFourLayoutBecomesNone) {
  chooseLayout(2);
  enter("TextPAspInit", "7");
  EXPECT_EQ(s.model.pin(0).InitAspect, 8);
  chooseLayout(1);
  EXPECT_EQ(text("TextPAspInit"), "-1");
  EXPECT_EQ(s.model.pin(0).InitAspect, 0);
}

TEST_F(PinEditorTest, CountBoxesHiddenWithDetailsOffUnlessChanged) {
  for (const char* b : {"TextPaspDCCn", "TextPAspXDCCn", "TextPaspPalkn", "LabelPASPAdrCnt"})
    EXPECT_FALSE(w(b)->isVisible()) << b;
  setDetails(true);
  EXPECT_TRUE(w("TextPaspDCCn")->isVisible());
  enter("TextPaspDCCn", "9");
  EXPECT_EQ(text("TextPaspDCCn"), "6");
  EXPECT_EQ(s.model.pin(0).DCCCount, 6);
  w<UpDown>("UpDownPaspDCCn")->stepBy(-4);
  EXPECT_EQ(s.model.pin(0).DCCCount, 2);
  EXPECT_EQ(s.model.DCCStart[1], 2);
  setDetails(false);
  EXPECT_TRUE(w("TextPaspDCCn")->isVisible());
  EXPECT_TRUE(w("LabelPASPAdrCnt")->isVisible());
  EXPECT_FALSE(w("TextPAspXDCCn")->isVisible());
}

TEST_F(PinEditorTest, HelpToolNotAvailableOnNonTimedRow) {
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(0, kJump);
  enter("TextPAspPar2_0", "4");
  doubleClick("TextPAspPar2_0");
  doubleClick("TextPAspPar1_0");
  ASSERT_EQ(prompter.entries.size(), 2u);
  EXPECT_EQ(prompter.entries[0].text, "Help tool not available for this box with the selected command");
  EXPECT_EQ(prompter.entries[0].icon, Icon::None);
  EXPECT_EQ(dialogsRun, 0);
  EXPECT_EQ(slot(0).Par2, 4);
}

TEST_F(PinEditorTest, AspectSpinnerStoresRowsIntoTheAspectLeft) {
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(0, kSetLevel);
  box("TextPAspPar1_0")->setText("17");  // typed, not yet validated
  w<UpDown>("UpDownPAspAspect")->stepBy(1);
  EXPECT_EQ(s.model.CurAspect, 1);
  EXPECT_EQ(s.model.instr(0, 0, 0).Par1, 17);
  EXPECT_EQ(s.model.instr(0, 1, 0).Par1, 0);
  EXPECT_EQ(text("TextPAspPar1_0"), "0");
}

TEST_F(PinEditorTest, PinSpinnerCommitsBeforeMoving) {
  setDetails(true);
  chooseLayout(1);
  chooseInstruction(0, kSetLevel);
  box("TextPAspPar1_0")->setText("99");
  w<UpDown>("UpDownPAspOutput")->stepBy(1);
  EXPECT_EQ(s.model.CurPin, 1);
  EXPECT_EQ(s.model.instr(0, 0, 0).Par1, 31);
  EXPECT_EQ(text("TextPAspOutput"), "2");
}

TEST_F(PinEditorTest, DescriptionsStoreOnEveryKeystroke) {
  chooseLayout(1);
  QTest::keyClicks(w("TextPAspDesc"), "Sig");
  EXPECT_EQ(s.model.pin(0).Description, "Sig");
  QTest::keyClicks(w("TextPAspAspDesc"), "Stop");
  EXPECT_EQ(s.model.aspect(0, 0).Description, "Stop");
}

TEST_F(PinEditorTest, DeviceReferenceOfAMember) {
  s.model.pin(1).DeviceName = "Signal";
  s.model.pin(3).DevicePointer = -2;
  goToPin(4);
  EXPECT_EQ(text("TextDevicePin"), "2");
  EXPECT_EQ(text("TextDeviceDescription"), "Signal");
  EXPECT_FALSE(w("TextDeviceDescription")->isEnabled());
  s.model.pin(1).DevicePointer = 1;
  tab->refreshAll();
  EXPECT_EQ(text("TextDeviceDescription"), "<Referral is no Device !>");
  // A typed device pin outside the 32 pins changes nothing.
  QLineEdit* dp = w<QLineEdit>("TextDevicePin");
  for (const char* bad : {"40", "0", "x"}) {
    dp->setText(bad);
    emit dp->textEdited(bad);
    EXPECT_EQ(s.model.pin(3).DevicePointer, -2) << bad;
  }
  dp->setText("1");
  emit dp->textEdited("1");
  EXPECT_EQ(s.model.pin(3).DevicePointer, -3);
}

TEST_F(PinEditorTest, DetailsAndExpertModeGateTheButtons) {
  chooseLayout(1);
  setDetails(true);
  EXPECT_TRUE(w("CommandPAspWriteAspect")->isVisible());
  EXPECT_TRUE(w("CommandPCFGGetParam_0")->isVisible());
  EXPECT_FALSE(w("CommandPCFGGetParam_1")->isVisible());
  EXPECT_FALSE(w("CommandPAspReadPin")->isVisible());
  tab->setExpertMode(true);
  EXPECT_TRUE(w("CommandPCFGSetParam_1")->isVisible());
  EXPECT_TRUE(w("CommandPAspReadPin")->isVisible());
  chooseLayout(0);
  EXPECT_FALSE(w("CommandPAspWriteAspect")->isVisible());
  EXPECT_FALSE(w("LabelPAspHStep")->isVisible());
}

TEST_F(PinEditorTest, JobButtonsRequestTheirJobs) {
  setDetails(true);
  tab->setExpertMode(true);
  for (const char* b :
       {"CommandReadPin", "CommandWritePin", "CommandReadDevice", "CommandWriteDevice", "CommandReadAllPins",
        "CommandWriteAllPins", "CommandVerifyAllPins", "CommandPAspReadPin", "CommandPAspWritePin"})
    click(b);
  EXPECT_EQ(jobs, (std::vector<std::string>{"ReadPin", "WritePin", "ReadDevice", "WriteDevice", "ReadAllPins",
                                            "WriteAllPins", "VerifyAllPins", "PAspReadPin", "PAspWritePin"}));
}

}  // namespace
}  // namespace vorn::test
