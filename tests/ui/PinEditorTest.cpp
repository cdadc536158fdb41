
#include "Fixtures.h"
#include "ui/CodePage1252.h"

namespace vorn::test {
namespace {

constexpr int kSetLevel = 38;  // relative P.O., Par1 only
constexpr int kJump = 1;       // uses Par2

using PinEditorTest = EditorTest;

// A parameter the instruction does not use is greyed, zeroed and not restored; the relative
// offset shows as typed (clamped to the pins) and is stored modulo 32.
TEST_F(PinEditorTest, StepBoxesStoreWhatTheInstructionUses) {
  chooseInstruction(2, kJump);
  enter("TextPAspPar2_2", "5");
  EXPECT_EQ(slot(2).Par2, 5);
  EXPECT_FALSE(w("TextPAspPar2_2")->property("greyed").toBool());
  chooseInstruction(2, kSetLevel);
  EXPECT_EQ(text("TextPAspPar2_2"), "0");
  EXPECT_EQ(slot(2).Par2, 0);
  EXPECT_TRUE(w("TextPAspPar2_2")->property("greyed").toBool());
  EXPECT_EQ(w<QLabel>("LabelPAspHFade")->text(), "Fade");
  EXPECT_TRUE(w("CheckPAspFade_2")->isVisible());
  EXPECT_FALSE(w<QCheckBox>("CheckPAspFade_2")->isChecked()) << "a new step does not fade";
  click("CheckPAspFade_2");
  EXPECT_EQ(slot(2).Fade, 1);
  chooseInstruction(2, kJump);
  EXPECT_EQ(text("TextPAspPar2_2"), "0");
  EXPECT_FALSE(w("CheckPAspFade_2")->isVisible());
  EXPECT_EQ(w<QLabel>("LabelPASpHParam2")->text(), "Ins#");
  // The headings follow the row being worked on.
  chooseInstruction(0, kSetLevel);
  for (const auto& [box, heading] :
       {std::pair("ComboPAspInst_0", "Level"), std::pair("ComboPAspInst_2", "Asp#")}) {
    w(box)->setFocus();
    EXPECT_EQ(w<QLabel>("LabelPAspHParam1")->text(), heading) << box;
  }

  goToPin(21);  // pin 20 counted from 0
  chooseLayout(1);
  chooseInstruction(0, kSetLevel);
  enter("TextPAspOffset_0", "-25");
  EXPECT_EQ(text("TextPAspOffset_0"), "-20");
  EXPECT_EQ(slot(0).PinOffset, 12);
}

// The "4" layout clamps the aspect shown from a "12" layout pin; an initial aspect above its
// four aspects becomes none.
TEST_F(PinEditorTest, SwitchingLayoutsClampsTheAspects) {
  s.model.pin(0).AspectConfig = kLayout12x3;
  s.model.pin(1).AspectConfig = kLayout4x9;
  s.model.aspect(1, 3).Description = "three";
  tab->refreshAll();
  enter("TextPAspAspect", "99");
  EXPECT_EQ(std::pair(text("TextPAspAspect"), int(s.model.CurAspect)), std::pair(QString("11"), 11));
  enter("TextPAspAspect", "8");
  EXPECT_EQ(s.model.CurAspect, 8);
  goToPin(2);
  EXPECT_EQ(text("TextPAspAspect"), "3");
  EXPECT_EQ(s.model.CurAspect, 3);
  EXPECT_EQ(text("TextPAspAspDesc"), "three");
  QTest::keyClicks(w("TextPAspAspDesc"), "!");  // stored on each key, into the aspect shown
  EXPECT_EQ(s.model.aspect(1, 3).Description, "three!");
  EXPECT_EQ(w<UpDown>("UpDownPAspAspect")->maximum(), 3);
  EXPECT_TRUE(w("ComboPAspInst_8")->isVisibleTo(tab.get()));
  chooseLayout(2);  // "12": three rows
  EXPECT_EQ(s.model.pin(1).AspectConfig, kLayout12x3);
  EXPECT_TRUE(w("ComboPAspInst_2")->isVisibleTo(tab.get()));
  EXPECT_FALSE(w("ComboPAspInst_3")->isVisibleTo(tab.get()));
  enter("TextPAspInit", "7");
  EXPECT_EQ(s.model.pin(1).InitAspect, 8);
  chooseLayout(1);
  EXPECT_EQ(text("TextPAspInit"), "-1");
  EXPECT_EQ(s.model.pin(1).InitAspect, 0);
}

TEST_F(PinEditorTest, AspectSpinnerStoresRowsIntoTheAspectLeft) {
  chooseInstruction(0, kSetLevel);
  w<QLineEdit>("TextPAspPar1_0")->setText("17");  // typed, not yet validated
  w<UpDown>("UpDownPAspAspect")->stepBy(1);
  EXPECT_EQ(s.model.CurAspect, 1);
  EXPECT_EQ(s.model.instr(0, 0, 0).Par1, 17);
  EXPECT_EQ(s.model.instr(0, 1, 0).Par1, 0);
  EXPECT_EQ(text("TextPAspPar1_0"), "0");
  chooseInstruction(0, kSetLevel);
  w<QLineEdit>("TextPAspPar1_0")->setText("99");  // the pin spinner commits too
  w<UpDown>("UpDownPAspOutput")->stepBy(1);
  EXPECT_EQ(s.model.instr(0, 1, 0).Par1, 31);
}

TEST_F(PinEditorTest, DescriptionsStoreOnEveryKeystrokeAsWindows1252) {
  // Typed as a keyboard does, one character per key press (also those beyond ASCII).
  auto type = [this](const char* box, const QString& text) {
    for (const QChar c : text)
      QTest::sendKeyEvent(QTest::Click, w(box), Qt::Key_unknown, QString(c), Qt::NoModifier);
  };
  type("TextPAspDesc", QString::fromUtf8("Sig \u20AC\u201C"));
  EXPECT_EQ(s.model.pin(0).Description, "Sig \x80\x93");
  type("TextPAspAspDesc", "Stop");
  EXPECT_EQ(s.model.aspect(0, 0).Description, "Stop");
  // A character the code page cannot hold is refused, and said.
  type("TextPAspAspDesc", QString::fromUtf8("\u0141"));
  QApplication::processEvents();
  EXPECT_EQ(s.model.aspect(0, 0).Description, "Stop");
  EXPECT_EQ(w<QLineEdit>("TextPAspAspDesc")->text(), "Stop");
  ASSERT_EQ(prompter.entries.size(), 1u);
  EXPECT_EQ(prompter.last().rfind("The character \"\u0141\" cannot be stored", 0), 0u) << prompter.last();
  // Bytes 0x80..0x9F show as what they stand for.
  s.model.pin(0).Description = "\x84Hbf\x85\x92";
  tab->refreshAll();
  EXPECT_EQ(w<QLineEdit>("TextPAspDesc")->text(), QString::fromUtf8("\u201EHbf\u2026\u2019"));
  // Every byte comes back as it was (the no-break space and the rest of the upper half too).
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const CodePageBytes back = ToCodePage(FromCodePage(all));
  EXPECT_TRUE(back.ok()) << back.badPosition;
  EXPECT_EQ(back.bytes, all);
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

}  // namespace
}  // namespace vorn::test
