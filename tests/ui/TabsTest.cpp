// Field handlers of the general tab and the event-control editor.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <algorithm>

#include "WindowFixture.h"
#include "files/ConfigFile.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/GeneralTab.h"
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
                        Case{"abc", "1", 0}}) {
    typeInto("TextGenPalkaddr", c.typed);
    EXPECT_EQ(text("TextGenPalkaddr"), c.shown) << c.typed;
    EXPECT_EQ(session().model.PalkFlexStart, c.start) << c.typed;
  }
  auto* spin = find<UpDown>("UpDownGenPalkaddr");
  typeInto("TextGenPalkaddr", "509");
  spin->stepBy(1);  // at 127 already: nothing changes
  EXPECT_EQ(session().model.PalkFlexStart, 127);
  EXPECT_EQ(text("TextGenPalkaddr"), "509");
  spin->stepBy(-1);
  EXPECT_EQ(session().model.PalkFlexStart, 126);
  EXPECT_EQ(text("TextGenPalkaddr"), "505");
}

TEST_F(WindowTest, IdStringTheVornCannotTakeIsMarkedUntilEdited) {
  session().general.IDString = "Gl\xE4nta";
  window->refreshAll();
  auto* box = find<QLineEdit>("TextGenIDString");
  EXPECT_EQ(box->text(), QString::fromUtf8("Gl\u00E4nta"));
  click("CommandGenIDWrite");
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_NE(prompter.last().find("character 3, \"\u00E4\""), std::string::npos) << prompter.last();
  EXPECT_TRUE(box->property("refused").toBool());
  EXPECT_EQ(box->selectedText(), QString::fromUtf8("\u00E4"));
  box->setFocus();
  box->end(false);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_FALSE(box->property("refused").toBool());
}

TEST_F(WindowTest, LedBoxesFollowTheRuleOnScreen) {
  click("CheckLCGreen_3");
  EXPECT_EQ(session().general.LCGreen[3], TriState::Checked);
  click("CheckLCGreen_7");
  EXPECT_EQ(find<QCheckBox>("CheckLCGreen_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_FALSE(find<QCheckBox>("CheckLCGreen_3")->isChecked());
  click("CheckLCOrange_1");
  click("CheckLCOrange_1");
  EXPECT_EQ(find<QCheckBox>("CheckLCOrange_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(session().general.LCOrange[7], TriState::Grey);
}

TEST_F(WindowTest, DccAddressesClampAndShowTheRange) {
  typeInto("TextGenDCCAddress", "600");
  EXPECT_EQ(text("TextGenDCCAddress"), "510");
  EXPECT_EQ(find<QLabel>("LabelGenDCCOutput")->text(), "Output 2037 .. OVFLOW");
  EXPECT_EQ(find<QLabel>("LabelGenDCCOutput")->palette().color(QPalette::WindowText), QColor(Qt::red));
  typeInto("TextGenDCCAddress", "0");
  EXPECT_EQ(text("TextGenDCCAddress"), "1");
  EXPECT_EQ(find<QLabel>("LabelGenDCCOutput")->text(), "Output 1 .. 32");
  EXPECT_EQ(find<QLabel>("LabelGenDCCOutput")->palette().color(QPalette::WindowText),
            QApplication::palette().color(QPalette::WindowText));
  click("ChkGenDCCAllow0");
  typeInto("TextGenDCCAddress", "-4");
  EXPECT_EQ(text("TextGenDCCAddress"), "0");
  typeInto("TextGenXDCCAddress", "3000");
  EXPECT_EQ(text("TextGenXDCCAddress"), "2046");
  EXPECT_TRUE(find<QLabel>("LabelGenXDCCOutput")->text().endsWith(" .. OVERFLOW"));
}

// After a change to a dark palette every text coloured only to mean "warning" or "greyed" stays
// readable.
TEST_F(WindowTest, WarningAndGreyedTextsReadInADarkTheme) {
  const QPalette light = QApplication::palette();
  QPalette dark(QColor(53, 53, 53));
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  dark.setColor(QPalette::Text, QColor(220, 220, 220));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  typeInto("TextGenDCCAddress", "600");  // the range label warns
  showTab(1);
  typeInto("TextECoff_2", "-1");  // greyed: no action
  showTab(2);
  click("CheckPAspShowDetails");
  click("OptionPAspConf_1");  // empty steps: parameter boxes greyed
  // The theme changes while the window is open.
  QApplication::setPalette(dark);
  QApplication::processEvents();
  struct Seen {
    const char* name;
    QPalette::ColorRole text, behind;
  } seen[] = {{"LabelAction", QPalette::WindowText, QPalette::Window},
              {"lblPortProblems", QPalette::WindowText, QPalette::Window},
              {"LabelGenDCCOutput", QPalette::WindowText, QPalette::Window},
              {"LabelSrvHWCWarn", QPalette::WindowText, QPalette::Window},
              {"TextECoff_2", QPalette::Text, QPalette::Base},
              {"TextPAspPar2_0", QPalette::Text, QPalette::Base}};
  for (const Seen& s : seen) {
    const QPalette p = find(s.name)->palette();
    EXPECT_GE(ContrastRatio(p.color(s.text), p.color(s.behind)), kReadableContrast) << s.name;
  }
  EXPECT_NE(find("TextECoff_2")->palette().color(QPalette::Base), dark.color(QPalette::Base))
      << "still greyed";
  EXPECT_TRUE(find("TextPAspPar2_0")->property("greyed").toBool());
  window.reset();
  QApplication::setPalette(light);
}

TEST_F(WindowTest, ModuleExtendedAddressFollowsNumbering) {
  typeInto("TextGenXaddr", "200");
  EXPECT_EQ(text("TextGenXaddr"), "96");
  EXPECT_EQ(session().general.ModuleExtAddress, 95);
  click("CheckKLnumber");
  EXPECT_EQ(text("TextGenXaddr"), "95");
  EXPECT_EQ(find<QLabel>("LabelGenHWCPin")->text().toStdString(),
            "Pin       0..7         8..15      16..23       24..31");
}

TEST_F(WindowTest, EventEditorClampsAndGreysNoAction) {
  showTab(1);
  typeInto("TextECon_1", "12");
  EXPECT_EQ(text("TextECon_1"), "11");
  EXPECT_EQ(session().model.eventOn(0, 1), 11);
  typeInto("TextECoff_2", "-5");
  EXPECT_EQ(text("TextECoff_2"), "-1");
  EXPECT_EQ(session().model.eventOff(0, 2), -1);
  EXPECT_EQ(find<QWidget>("TextECoff_2")->palette().color(QPalette::Base), QColor(224, 224, 224));
  typeInto("TextECoff_2", "4");
  EXPECT_EQ(find<QWidget>("TextECoff_2")->palette().color(QPalette::Base),
            QApplication::palette().color(QPalette::Base));

  typeInto("TextECpin", "0");
  EXPECT_EQ(text("TextECpin"), "1");
  EXPECT_EQ(session().ec.CurECPin, 0);
  typeInto("TextECpin", "40");
  EXPECT_EQ(text("TextECpin"), "32");
  EXPECT_EQ(session().ec.CurECPin, 31);
  EXPECT_EQ(text("TextECon_1"), "1") << "pin 31 shows its own actions";
  EXPECT_EQ(text("TextECoff_2"), "-1");

  click("CommandECcopy");
  EXPECT_EQ(session().model.eventOn(5, 1), 1);
  click("CheckInitEE_6");
  EXPECT_FALSE(session().ec.CheckInitEE[6]);
}

TEST_F(WindowTest, ReadAllThenWriteAllWithinOneTickRunsOnlyWriteAll) {
  auto* combo = find<QComboBox>("ComboPort");
  emit combo->activated(0);
  ASSERT_TRUE(port.isOpen());
  click("CheckVornBD");  // one-way: writes go on without answers, reads would tick it again
  click("CommandReadAll");
  EXPECT_TRUE(find("LabelAction")->isVisible());
  click("CommandWriteAll");
  EXPECT_EQ(window->jobs().PendingJob(), "WriteAll");
  window->timer1Tick();
  EXPECT_EQ(window->jobs().PendingJob(), "");
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_FALSE(session().link.opts.CheckVornBD) << "a read routine ran";
  const std::vector<uint8_t> versionRead{128 + 112, 128 + 0};
  const std::vector<uint8_t> idWrite{128 + 96, 128 + 10};
  auto contains = [&](const std::vector<uint8_t>& seq) {
    return std::search(port.written.begin(), port.written.end(), seq.begin(), seq.end()) !=
           port.written.end();
  };
  EXPECT_FALSE(contains(versionRead));
  EXPECT_TRUE(contains(idWrite));
  window->timer1Tick();  // the slot is empty now
  EXPECT_FALSE(find("LabelAction")->isVisible());
}

TEST_F(WindowTest, ReadAllWithThePortClosedShowsTheLabelThenFails) {
  click("CommandReadAll");
  EXPECT_TRUE(find("LabelAction")->isVisible());
  window->timer1Tick();
  EXPECT_FALSE(find("LabelAction")->isVisible());
  EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Select communications port"});
  EXPECT_EQ(find<QLabel>("LabelGenVersionString")->text(), "Unknown");
  EXPECT_EQ(window->statusText(), "Read All failed");
}

}  // namespace
}  // namespace vorn::test
