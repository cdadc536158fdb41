
#include "Fixtures.h"
#include "ui/EditDialogs.h"

namespace vorn::test {
namespace {

Instruction Step(uint8_t op, uint8_t p1 = 0) { return Instruction{op, 0, 0, p1, 0, 0}; }

// Steps 0..9 numbered by their Par1, so moves are easy to read.
AspectData Numbered() {
  AspectData a;
  a.Description = "asp";
  for (int i = 0; i < kInstrSlots; ++i)
    a.Instr[static_cast<size_t>(i)] = Step(38, static_cast<uint8_t>(i + 1));
  return a;
}
std::vector<int> Par1s(const AspectData& a) {
  std::vector<int> v;
  for (const Instruction& in : a.Instr) v.push_back(in.Par1);
  return v;
}

TEST(EditSteps, InsertAndDeleteWithinTheLayout) {
  struct Case {
    const char* what;
    bool insert;
    int step;
    uint8_t layout;
    std::vector<int> after;
  } cases[] = {
      {"insert 2, layout 12", true, 2, kLayout12x3, {1, 2, 0, 4, 5, 6, 7, 8, 9, 10}},
      {"insert 2, layout 4", true, 2, kLayout4x9, {1, 2, 0, 3, 4, 5, 6, 7, 8, 10}},
      {"insert 0, layout 12", true, 0, kLayout12x3, {0, 1, 2, 4, 5, 6, 7, 8, 9, 10}},
      {"delete 0, layout 4", false, 0, kLayout4x9, {2, 3, 4, 5, 6, 7, 8, 9, 0, 10}},
      {"delete 1, layout 12", false, 1, kLayout12x3, {1, 3, 0, 4, 5, 6, 7, 8, 9, 10}},
      {"delete 8, layout 4", false, 8, kLayout4x9, {1, 2, 3, 4, 5, 6, 7, 8, 0, 10}},
  };
  for (const Case& c : cases) {
    AspectData a = Numbered();
    if (c.insert)
      InsertStep(a, c.step, LastStepOfLayout(c.layout));
    else
      DeleteStep(a, c.step, LastStepOfLayout(c.layout));
    EXPECT_EQ(Par1s(a), c.after) << c.what;
  }
}

TEST(EditPins, ClearKeepsCountsLiveLevelAndStepNine) {
  ConfigModel m;
  PinData& p = m.pin(4);
  p.AspectConfig = kLayout4x9;
  p.LiveLevel = 77;
  p.DCCCount = 3;
  p.Aspects[12] = Numbered();
  p.InitAspect = 5;
  m.pin(6).DevicePointer = -2;  // a member of the device on pin 4
  m.pin(6).DeviceName = "Signal";
  ClearPin(m, 4);
  EXPECT_EQ(std::tuple(p.AspectConfig, p.InitAspect, m.pin(6).DevicePointer, m.pin(6).DeviceName),
            std::tuple(0, 0, 0, std::string()));
  EXPECT_EQ(p.LiveLevel, 77);
  EXPECT_EQ(p.DCCCount, 3);
  EXPECT_EQ(p.Aspects[12].Instr[8], Instruction{});
  EXPECT_EQ(p.Aspects[12].Instr[9].Par1, 10);
}

using EditDialogTest = DeviceTabTest;

// A pasted member still points at its device pin; the pasted counts move the address tables.
TEST_F(EditDialogTest, CopyAndPastePinThroughTheDialog) {
  tab->LoadDeviceLibraryAtStart(VORN_SOURCE_DIR "/data");  // as the window does at start
  EXPECT_GT(w<QComboBox>("cboDevice")->count(), 0);
  s.model.pin(1).DeviceName = "Signal";
  PinData& source = s.model.pin(3);
  source.Description = "source";
  source.DevicePointer = -2;
  source.AspectConfig = kLayout4x9;
  source.DCCCount = 3;
  goToPin(4);
  answer = [](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Edit Pin 4");
    d.findChild<QPushButton*>("CommandCopyPin")->click();
  };
  click("LabelPAspOutput");
  source.Description = "changed later";  // the copy is deep
  goToPin(11);
  answer = [](QDialog& d) { d.findChild<QPushButton*>("CommandPastePin")->click(); };
  click("LabelPAspOutput");
  EXPECT_EQ(s.model.pin(10).DevicePointer, -9);
  EXPECT_EQ(text("TextPAspDesc"), "source");
  EXPECT_TRUE(w<QAbstractButton>("OptionPAspConf_1")->isChecked());
  EXPECT_EQ(s.model.DCCStart[11], s.model.DCCStart[10] + 3);
}

TEST_F(EditDialogTest, AspectCopyPasteAndStepDialog) {
  s.model.pin(0).AspectConfig = kLayout4x9;
  s.model.aspect(0, 0) = Numbered();
  tab->refreshAll();
  showDetails();
  answer = [](QDialog& d) {
    d.findChild<QPushButton*>("CommandCopy")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted) << "Copy closes the dialog";
  };
  click("LabelPAspAspect");
  enter("TextPAspAspect", "2");
  answer = [](QDialog& d) { d.findChild<QPushButton*>("CommandPaste")->click(); };
  click("LabelPAspAspect");
  EXPECT_EQ(Par1s(s.model.aspect(0, 2)), Par1s(Numbered()));
  EXPECT_EQ(text("TextPAspAspDesc"), "asp");

  answer = [](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Edit Step 0 of Pin 1, Aspect 2");
    d.findChild<QPushButton*>("commandInsert")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted) << "Insert closes the dialog";
  };
  click("LabelPAspStep_0");
  EXPECT_EQ(Par1s(s.model.aspect(0, 2)), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
  answer = [](QDialog& d) {
    d.findChild<QPushButton*>("commandDelete")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted) << "Delete closes the dialog";
  };
  click("LabelPAspStep_0");
  EXPECT_EQ(tab->pinEditor().selectedStep(), 0);
  EXPECT_EQ(Par1s(s.model.aspect(0, 2)), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 0, 10}));
  EXPECT_EQ(text("TextPAspPar1_0"), "1");
}

}  // namespace
}  // namespace vorn::test
