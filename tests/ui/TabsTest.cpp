// Field handlers of the general tab and the event-control editor, and the job buttons.

#include "Fixtures.h"
#include "ui/Readable.h"

namespace vorn::test {
namespace {

TEST_F(WindowTest, PalkStartRoundsDownToItsStepOfFour) {
  struct Case {
    const char* typed;
    const char* shown;
    int start;
  };
  for (const Case& c : {Case{"13", "13", 3}, Case{"14", "13", 3}, Case{"600", "509", 127}, Case{"0", "1", 0},
                        Case{"abc", "1", 0}, Case{"509", "509", 127}}) {
    enter("TextGenPalkaddr", c.typed);
    EXPECT_EQ(text("TextGenPalkaddr"), c.shown) << c.typed;
    EXPECT_EQ(session().model.PalkFlexStart, c.start) << c.typed;
  }
  auto* spin = w<UpDown>("UpDownGenPalkaddr");
  spin->stepBy(1);  // at 127 already: nothing changes
  EXPECT_EQ(session().model.PalkFlexStart, 127);
  spin->stepBy(-1);
  EXPECT_EQ(session().model.PalkFlexStart, 126);
  EXPECT_EQ(text("TextGenPalkaddr"), "505");
  session().model.PalkFlexStart = 5;  // as a read or a loaded file leaves it
  window->refreshAll();
  EXPECT_EQ(text("TextGenPalkaddr"), "21");
}

TEST_F(WindowTest, IdStringTheVornCannotTakeIsMarkedUntilEdited) {
  session().general.IDString = "Gl\xE4nta";
  window->refreshAll();
  auto* box = w<QLineEdit>("TextGenIDString");
  EXPECT_EQ(box->text(), QString::fromUtf8("Gl\u00E4nta"));
  click("CommandGenIDWrite");
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_NE(prompter.last().find("character 3, \"\u00E4\""), std::string::npos) << prompter.last();
  EXPECT_TRUE(box->property("refused").toBool());
  EXPECT_EQ(box->selectedText(), QString::fromUtf8("\u00E4"));
  box->end(false);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_FALSE(box->property("refused").toBool());
}

TEST_F(WindowTest, LedBoxesFollowTheRuleOnScreen) {
  click("CheckLCGreen_3");
  EXPECT_EQ(session().general.LCGreen[3], TriState::Checked);
  click("CheckLCGreen_7");
  EXPECT_EQ(w<QCheckBox>("CheckLCGreen_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_FALSE(w<QCheckBox>("CheckLCGreen_3")->isChecked());
  click("CheckLCOrange_1");
  click("CheckLCOrange_1");
  EXPECT_EQ(w<QCheckBox>("CheckLCOrange_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(session().general.LCOrange[7], TriState::Grey);
}

TEST_F(WindowTest, DccAddressesClampAndShowTheRange) {
  auto* range = w<QLabel>("LabelGenDCCOutput");
  enter("TextGenDCCAddress", "600");
  EXPECT_EQ(text("TextGenDCCAddress"), "510");
  EXPECT_EQ(range->text(), "Output 2037 .. OVFLOW");
  EXPECT_EQ(range->palette().color(QPalette::WindowText), QColor(Qt::red));
  enter("TextGenDCCAddress", "0");
  EXPECT_EQ(text("TextGenDCCAddress"), "1");
  EXPECT_NE(range->palette().color(QPalette::WindowText), QColor(Qt::red));
  click("ChkGenDCCAllow0");
  enter("TextGenDCCAddress", "-4");
  EXPECT_EQ(text("TextGenDCCAddress"), "0");
  enter("TextGenXDCCAddress", "3000");
  EXPECT_EQ(text("TextGenXDCCAddress"), "2046");
  EXPECT_TRUE(w<QLabel>("LabelGenXDCCOutput")->text().endsWith(" .. OVERFLOW"));
}

// After a change to a dark palette every text coloured only to mean "warning" or "greyed" stays
// readable.
TEST_F(WindowTest, WarningAndGreyedTextsReadInADarkTheme) {
  const QPalette light = QApplication::palette();
  QPalette dark(QColor(53, 53, 53));
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  dark.setColor(QPalette::Text, QColor(220, 220, 220));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  enter("TextGenDCCAddress", "600");  // the range label warns
  showTab(1);
  enter("TextECoff_2", "-1");  // greyed: no action
  showTab(2);
  click("CheckPAspShowDetails");
  click("OptionPAspConf_1");  // empty steps: parameter boxes greyed
  // The theme changes while the window is open.
  QApplication::setPalette(dark);
  QApplication::processEvents();
  for (const char* name : {"LabelAction", "lblPortProblems", "LabelGenDCCOutput", "LabelSrvHWCWarn"}) {
    const QPalette p = w(name)->palette();
    EXPECT_GE(ContrastRatio(p.color(QPalette::WindowText), p.color(QPalette::Window)), kReadableContrast)
        << name;
  }
  for (const char* name : {"TextECoff_2", "TextPAspPar2_0"}) {
    const QPalette p = w(name)->palette();
    EXPECT_GE(ContrastRatio(p.color(QPalette::Text), p.color(QPalette::Base)), kReadableContrast) << name;
  }
  EXPECT_NE(w("TextECoff_2")->palette().color(QPalette::Base), dark.color(QPalette::Base)) << "still greyed";
  EXPECT_TRUE(w("TextPAspPar2_0")->property("greyed").toBool());
  window.reset();
  QApplication::setPalette(light);
}

TEST_F(WindowTest, ModuleExtendedAddressFollowsNumbering) {
  enter("TextGenXaddr", "200");
  EXPECT_EQ(text("TextGenXaddr"), "96");
  EXPECT_EQ(session().general.ModuleExtAddress, 95);
  click("CheckKLnumber");
  EXPECT_EQ(text("TextGenXaddr"), "95");
  EXPECT_EQ(w<QLabel>("LabelGenHWCPin")->text().toStdString(),
            "Pin       0..7         8..15      16..23       24..31");
}

TEST_F(WindowTest, EventEditorClampsAndGreysNoAction) {
  showTab(1);
  enter("TextECon_1", "12");
  EXPECT_EQ(text("TextECon_1"), "11");
  EXPECT_EQ(session().model.eventOn(0, 1), 11);
  enter("TextECoff_2", "-5");
  EXPECT_EQ(text("TextECoff_2"), "-1");
  EXPECT_EQ(session().model.eventOff(0, 2), -1);
  enter("TextECoff_3", "7");
  ASSERT_NE(session().model.eventOff(31, 3), 7);
  enter("TextECpin", "40");
  EXPECT_EQ(text("TextECpin"), "32");
  EXPECT_EQ(w<UpDown>("UpDownECpin")->maximum(), 32) << "the arrows follow the numbering";
  EXPECT_EQ(session().ec.CurECPin, 31);
  EXPECT_EQ(text("TextECon_1"), "1") << "pin 31 shows its own actions";
  EXPECT_EQ(text("TextECoff_2"), "-1");
  EXPECT_EQ(text("TextECoff_3"), QString::number(session().model.eventOff(31, 3)));
  click("CommandECcopy");
  EXPECT_EQ(session().model.eventOn(5, 1), 1);
  click("CheckInitEE_6");
  EXPECT_FALSE(session().ec.CheckInitEE[6]);
}

// The job buttons fill the one job slot and show the label until the timer tick runs the job.
TEST_F(WindowTest, JobButtonsShowTheLabelUntilTheTickRunsTheLastOne) {
  session().model.pin(0).Description = "edited";  // no unsaved-edits question before the port's
  window->modelChanged();
  // The ticks come from the test alone: on a slow, busy machine the window's own timer is
  // already due by the time the button is clicked.
  w<QTimer>("Timer1")->stop();
  click("CommandReadAll");
  EXPECT_FALSE(w("LabelAction")->isVisible());
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Select communications port"});
  EXPECT_EQ(w<QLabel>("LabelGenVersionString")->text(), "Unknown");
  // Selectable, to be copied into a message.
  EXPECT_TRUE(w<QLabel>("LabelGenVersionString")->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_EQ(unsavedAsked, 0);
  EXPECT_EQ(window->jobs().PendingJob(), "");
  EXPECT_EQ(window->statusText(), "Read All not started: Select communications port");
  pickPort(0);
  click("CommandReadAll");
  EXPECT_TRUE(w("LabelAction")->isVisible());
  click("CommandWriteAll");
  EXPECT_EQ(window->jobs().PendingJob(), "WriteAll");
  tick();
  EXPECT_EQ(window->jobs().lastJob(), "WriteAll");
  EXPECT_FALSE(w("LabelAction")->isVisible());
  // Nothing answers on the in-memory port: the status line gives the link's reason.
  click("CommandReadAll");
  tick();
  EXPECT_EQ(window->statusText(),
            "Read All failed: No response received, resetting bidirectional communication");
}

}  // namespace
}  // namespace vorn::test
