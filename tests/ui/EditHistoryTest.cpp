// Undo and redo in the window: every kind of edit is one step, the modified marker follows the
// clean point, and the overview redraws on the edit itself.

#include <QSignalSpy>

#include "Fixtures.h"
#include "ui/PinOverview.h"

namespace vorn::test {
namespace {

constexpr int kSetLevel = 38;  // Par1 only
constexpr int kJump = 1;

const char* kTrio =
    "\"VornDeviceDefinitions A\"\r\n\"Dev\",\"Trio\"\r\n"
    "  \"Pin\",0,2,1,\"head\"\r\n    \"Cfg\",1,64,26,64,127,58,20,20,64,0,64,0\r\n    \"PAM\",1,2,3\r\n"
    "    \"Asp\",1,\"Go\"\r\n      \"Ins\",2,54,1,31,0,0\r\n  \"Pin\",1,0,0,\"tail\"\r\n\"End\"\r\n";

class EditHistoryTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    tab = window->findChild<DeviceConfigTab*>();
    ASSERT_NE(tab, nullptr);
    tab->pinEditor().runDialog = [this](QDialog& d) { d.findChild<QPushButton*>(dialogButton)->click(); };
  }
  QByteArray saved() {
    const QString path = dir.filePath("state.dat");
    EXPECT_TRUE(window->saveFile(false, path));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }
  QAction* action(const char* name) { return w<QAction>(name); }
  void chooseInstruction(int row, int opcode) {
    auto* c = w<QComboBox>(QString("ComboPAspInst_%1").arg(row));
    c->setCurrentIndex(c->findData(opcode));
  }
  QString overviewState(int pin) {
    auto& view = w<PinOverview>("PinOverviewPane")->view();
    return view.model()->index(pin, PinOverviewModel::ColState).data().toString();
  }

  QTemporaryDir dir;
  DeviceConfigTab* tab = nullptr;
  const char* dialogButton = "commandCancel";
};

// Each kind of edit made through the window is one step named in the Edit menu: undone, the
// configuration saves byte for byte as before it; redone, as after it.
TEST_F(EditHistoryTest, EveryKindOfEditIsUndoneAndRedoneByteForByte) {
  const QString other = dir.filePath("other.dat");
  session().general.IDString = "from the file";
  ASSERT_TRUE(window->saveFile(false, other));
  session().general.IDString.clear();
  QFile def(dir.filePath("Trio.def"));
  ASSERT_TRUE(def.open(QIODevice::WriteOnly));
  def.write(kTrio);
  def.close();
  tab->openDeviceDialog = [this](const std::string&) { return dir.filePath("Trio.def").toStdString(); };
  showTab(2);
  click("CheckPAspShowDetails");
  click("OptionPAspConf_1");
  chooseInstruction(0, kSetLevel);

  struct Kind {
    const char* what;
    std::function<void()> prepare;  // not part of the step
    std::function<void()> edit;
    const char* step;
  } kinds[] = {
      {"instruction", {}, [&] { chooseInstruction(2, kJump); }, "pin 1 aspect 0 step 2 instruction"},
      {"parameter", {}, [&] { enter("TextPAspPar1_0", "7"); }, "pin 1 aspect 0 step 0 Level"},
      {"aspect layout", {}, [&] { click("OptionPAspConf_2"); }, "pin 1 aspect layout"},
      {"pin type", {}, [&] { w<QTabWidget>("SSTabPCFG")->setCurrentIndex(2); }, "pin 1 pin type"},
      {"configuration value", {}, [&] { enter("TextPWMAccel", "5"); }, nullptr},
      {"general setting", [&] { showTab(0); }, [&] { enter("TextGenIDString", "Undo me"); },
       "general setting ID String"},
      {"event value", [&] { showTab(1); }, [&] { enter("TextECon_1", "5"); }, "pin 1 input 1 event on"},
      {"enable map", {}, [&] { click("CheckInitEE_6"); }, "enable map: initial event off input 2"},
      {"paste",
       [&] {
         showTab(2);
         dialogButton = "CommandCopyPin";
         click("LabelPAspOutput");
         enter("TextPAspOutput", "7");
         dialogButton = "CommandPastePin";
       },
       [&] { click("LabelPAspOutput"); }, "paste onto pin 7"},
      {"preload",
       [&] {
         QTest::mouseClick(w("CommandReloadDD"), Qt::LeftButton);
         tab->deviceList().setCurrentText("Trio");
       },
       [&] { click("CommandPAspPreLoad"); }, "Load Device Trio at pin 7"},
      {"load file", {}, [&] { ASSERT_TRUE(window->loadFile(other)); }, "Load File other.dat"},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.what);
    if (k.prepare) k.prepare();
    const QByteArray before = saved();
    k.edit();
    const QByteArray after = saved();
    ASSERT_NE(before, after) << "the edit changed nothing";
    ASSERT_TRUE(action("ActionUndo")->isEnabled());
    const QString name = action("ActionUndo")->text();
    if (k.step)
      EXPECT_EQ(name, QString("&Undo: ") + k.step);
    else
      EXPECT_TRUE(name.startsWith("&Undo: pin 1 ")) << name.toStdString();
    action("ActionUndo")->trigger();
    EXPECT_EQ(saved(), before);
    EXPECT_EQ(action("ActionRedo")->text(), "&Redo: " + name.mid(7));
    action("ActionRedo")->trigger();
    EXPECT_EQ(saved(), after);
  }
}

// The marker follows the clean point; the unsaved-edits question comes only with the marker.
TEST_F(EditHistoryTest, ModifiedMarkerFollowsTheCleanPoint) {
  const QString path = dir.filePath("clean.dat");
  auto modified = [&] { return window->isWindowModified(); };
  EXPECT_FALSE(modified());
  EXPECT_FALSE(action("ActionUndo")->isEnabled());
  enter("TextGenIDString", "one");
  EXPECT_TRUE(modified());
  action("ActionUndo")->trigger();
  EXPECT_FALSE(modified());
  EXPECT_EQ(text("TextGenIDString"), "");
  action("ActionRedo")->trigger();
  EXPECT_TRUE(modified());
  EXPECT_EQ(text("TextGenIDString"), "one");
  ASSERT_TRUE(window->saveFile(false, path));
  EXPECT_FALSE(modified());
  action("ActionUndo")->trigger();
  EXPECT_TRUE(modified());
  action("ActionRedo")->trigger();
  EXPECT_FALSE(modified());
  EXPECT_TRUE(window->loadFile(path));
  EXPECT_EQ(unsavedAsked, 0);
  // Typed, not yet left: Ctrl+Z in the box takes the typing back as a step of its own.
  auto* box = w<QLineEdit>("TextGenIDString");
  box->setFocus();
  QTest::keyClicks(box, "X");
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(box->text(), "one");
  EXPECT_EQ(session().general.IDString, "one");
  EXPECT_FALSE(modified());
  QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(session().general.IDString, "oneX");
  EXPECT_TRUE(modified());
  window->loadFile(path);
  EXPECT_EQ(unsavedAsked, 1);
}

// No timer redraws the overview: the edit's own notice does, and an undo's.
TEST_F(EditHistoryTest, OverviewFollowsEachEditAtOnce) {
  w<QTimer>("Timer1")->stop();
  EXPECT_TRUE(w<PinOverview>("PinOverviewPane")->findChildren<QTimer*>().isEmpty());
  session().rememberDevice();
  showTab(2);
  click("CheckPAspShowDetails");
  enter("TextPAspOutput", "5");
  QSignalSpy notices(window.get(), &MainWindow::documentChanged);
  click("OptionPAspConf_1");
  EXPECT_EQ(overviewState(4), "changed");
  ASSERT_EQ(notices.count(), 1);
  EXPECT_EQ(notices[0][0].toString(), "pin 5 aspect layout");
  EXPECT_TRUE(w("CommandShowChanges")->isEnabled());
  enter("TextPAspOutput", "2");
  action("ActionUndo")->trigger();
  EXPECT_EQ(overviewState(4), "");
  EXPECT_EQ(text("TextPAspOutput"), "5") << "undo goes to the pin it changes";
}

}  // namespace
}  // namespace vorn::test
