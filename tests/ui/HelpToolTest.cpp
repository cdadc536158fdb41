
#include "Fixtures.h"
#include "ui/HelpTools.h"

namespace vorn::test {
namespace {

constexpr int kWait = 102;
constexpr int kJump = 1;
constexpr int kMultibit4 = 14;
constexpr int kMultibit7 = 33;
constexpr int kEventInput = 16;

template <class T>
T* In(QDialog& d, const QString& name) {
  T* c = d.findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name.toStdString();
  return c;
}
QString LabelText(QDialog& d, const char* name) { return In<QLabel>(d, name)->text(); }
bool Checked(QDialog& d, const QString& name) { return In<QAbstractButton>(d, name)->isChecked(); }

using HelpToolTest = EditorTest;

// Cancel (Escape and the title-bar close too) puts the opening values back in each tool; OK
// keeps the result.
TEST_F(HelpToolTest, TimeToolShowsDurationsAndStoresOnlyOnOk) {
  chooseInstruction(2, kWait);
  enter("TextPAspPar2_2", "10");
  enter("TextPAspPar3_2", "2");
  answer = [](QDialog& d) {
    EXPECT_EQ(LabelText(d, "LabelCTTimeValue"), "00:12.80");
    EXPECT_EQ(LabelText(d, "LabelCTMaxTimeValue"), "01:20.64");
    In<UpDown>(d, "UpDownCTBase")->stepBy(-2);
    EXPECT_EQ(LabelText(d, "LabelCTTimeValue"), "00:00.20");
    In<QSlider>(d, "SliderCTTime")->setValue(40);
    In<QPushButton>(d, "CancelButton")->click();
  };
  doubleClick("TextPAspPar2_2");
  EXPECT_EQ(slot(2).Par2, 10);
  EXPECT_EQ(slot(2).Par3, 2);

  // OK, from the time label.
  answer = [](QDialog& d) {
    In<QSlider>(d, "SliderCTTime")->setValue(50);
    In<UpDown>(d, "UpDownCTBase")->stepBy(-2);
    In<QPushButton>(d, "OKButton")->click();
  };
  doubleClick("LabelPAspTime_2");
  EXPECT_EQ(slot(2).Par2, 50);
  EXPECT_EQ(slot(2).Par3, 0);
  EXPECT_EQ(text("TextPAspPar2_2"), "50");
  EXPECT_EQ(w<QLabel>("LabelPAspTime_2")->text(), "00:01.00");

  // A base typed out of range is never stored, even on OK before the box was left.
  answer = [](QDialog& d) {
    auto* base = In<ValidatedEdit>(d, "TextCTBase");
    base->setText("4");
    emit base->validate();  // left: the box takes the highest base
    EXPECT_EQ(base->text(), "3");
    base->setText("4");
    In<QPushButton>(d, "OKButton")->click();
  };
  doubleClick("TextPAspPar3_2");
  EXPECT_EQ(slot(2).Par3, 3);
  EXPECT_EQ(text("TextPAspPar3_2"), "3");
  chooseInstruction(1, kJump);  // no tool for its parameters
  doubleClick("TextPAspPar2_1");
  EXPECT_EQ(prompter.last(), "Help tool not available for this box with the selected command");
  EXPECT_EQ(dialogsRun, 3);
}

TEST_F(HelpToolTest, PatternToolsForFourAndSevenOutputs) {
  chooseInstruction(0, kMultibit4);
  enter("TextPAspPar1_0", "37");
  answer = [](QDialog& d) {
    EXPECT_TRUE(Checked(d, "chkUitgang_0"));
    EXPECT_FALSE(Checked(d, "chkUitgang_1"));
    EXPECT_TRUE(Checked(d, "chkUitgang_2"));
    EXPECT_TRUE(Checked(d, "chkAllDark"));
    EXPECT_FALSE(In<QCheckBox>(d, "chkUitgang_4")->isEnabled());
    In<QCheckBox>(d, "chkNoDark")->click();
    EXPECT_FALSE(Checked(d, "chkAllDark"));
    EXPECT_EQ(In<QLineEdit>(d, "txtParameter")->text(), "69");
    In<QPushButton>(d, "OKButton")->click();
  };
  doubleClick("TextPAspPar1_0");
  EXPECT_EQ(slot(0).Par1, 69);
  EXPECT_EQ(text("TextPAspPar1_0"), "69");

  chooseInstruction(0, kMultibit7);
  enter("TextPAspPar1_0", "127");
  answer = [](QDialog& d) {
    d.show();
    EXPECT_TRUE(Checked(d, "chkUitgang_6"));
    EXPECT_FALSE(In<QCheckBox>(d, "chkAllDark")->isEnabled());
    EXPECT_FALSE(Checked(d, "chkNoDark"));
    In<QCheckBox>(d, "chkUitgang_6")->click();
    d.close();
  };
  doubleClick("TextPAspPar1_0");
  EXPECT_EQ(text("TextPAspPar1_0"), "127");
}

TEST_F(HelpToolTest, EventTool) {
  chooseInstruction(0, kEventInput);
  struct Case {
    const char* value;
    int inputs;  // bit i: chkEvent_i
    int option;
    const char* parameter;
  } cases[] = {{"2", 4, 1, "20"}, {"86", 6, 5, "86"}, {"5", 2, 5, "82"}, {"12", 0, 1, "16"}};
  for (const Case& c : cases) {
    enter("TextPAspPar1_0", c.value);
    answer = [&c](QDialog& d) {
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Checked(d, QString("chkEvent_%1").arg(i)), (c.inputs >> i & 1) != 0) << c.value << " " << i;
      EXPECT_TRUE(Checked(d, QString("optEvent_%1").arg(c.option))) << c.value;
      EXPECT_EQ(In<QLineEdit>(d, "txtParameter")->text(), c.parameter) << c.value;
      In<QPushButton>(d, "OKButton")->click();
    };
    doubleClick("TextPAspPar1_0");
    EXPECT_EQ(text("TextPAspPar1_0"), c.parameter);
  }
  answer = [](QDialog& d) {
    d.show();
    In<QCheckBox>(d, "chkEvent_0")->click();
    QTest::keyClick(&d, Qt::Key_Escape);
  };
  doubleClick("TextPAspPar1_0");
  EXPECT_EQ(text("TextPAspPar1_0"), "16");
}

TEST(EventToolMath, FullFormsRoundTrip) {
  for (int v = 16; v < 128; ++v) {
    if ((v / 16) % 4 == 0) continue;  // no action chosen: not a full form
    EventBits b = PrepareEvent(v);
    EXPECT_EQ(CalcEvent(b.Input, b.Option), v) << v;
  }
  // Numbers beyond a byte still select an existing option.
  for (int v : {-5, 200, 100000}) {
    int option = PrepareEvent(v).Option;
    EXPECT_TRUE(option >= 1 && option <= 7 && option != 4) << v;
  }
}

}  // namespace
}  // namespace vorn::test
