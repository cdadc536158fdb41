// The window against the simulated Vorn on a pseudo-terminal, through the real serial port;
// and the pictures of its tabs.

#include "Fixtures.h"
#include "files/FileAccess.h"
#include "files/ModuleIndex.h"
#include "model/GeneralSettingsRules.h"
#include "ui/ModulesPanel.h"
#include "ui/SecondaryWindows.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <deque>

namespace vorn::test {
namespace {

void postClick(QWidget* w) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  const QPointF global = w->mapToGlobal(at);
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                 Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                 Qt::NoButton, Qt::NoModifier));
}

class DeviceWindowTest : public WindowTest {
 protected:
  void SetUp() override {}

  // The verification report is modal: it is closed as soon as it shows.
  void closeReportsAsTheyShow() {
    reportCloser.setInterval(20);
    QObject::connect(&reportCloser, &QTimer::timeout, [this] {
      if (auto* r = window->reportWindow(); r && r->isVisible()) r->accept();
    });
    reportCloser.start();
  }
  QTimer reportCloser;

  // Clicks a job button and runs the job as Timer1 does; `during` runs once inside the job,
  // at the first repaint after it got past `pins` pins of the step whose progress starts with
  // `step`.
  void runJob(const char* button, const std::string& step, int pins, const std::function<void()>& during) {
    QTimer poll;
    poll.setInterval(0);
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      const Progress& p = window->shownProgress();
      if (acted || !window->jobs().running() || p.text.rfind(step, 0) != 0 || p.done < pins) return;
      acted = true;
      during();
    });
    poll.start();
    QTest::mouseClick(w(button), Qt::LeftButton);
    tick();
    poll.stop();
    EXPECT_TRUE(acted) << "the job ended before the test could act";
  }
};

// Read All fills the general tab from the demo Vorn; Verify All then finds no difference, and
// one after an edit of the window.
TEST_F(DeviceWindowTest, ReadAllThenVerifyAllAgainstTheDemoVorn) {
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo"}));
  click("CommandReadAll");
  tick();
  ASSERT_TRUE(prompter.entries.empty()) << prompter.last();
  EXPECT_EQ(w<QLabel>("LabelGenVersionString")->text(), "3.0.1.12");
  EXPECT_EQ(text("TextGenIDString"), "Demo Layout");
  EXPECT_TRUE(w<QCheckBox>("ChkGenHWCSource_3")->isChecked());
  EXPECT_EQ(w<QCheckBox>("CheckLCOrange_7")->checkState(), Qt::PartiallyChecked);
  EXPECT_TRUE(w<QRadioButton>("OptionGenSerialParity_3")->isChecked());
  EXPECT_TRUE(window->statusText().startsWith("Read All finished: 32 pins in "))
      << window->statusText().toStdString();

  closeReportsAsTheyShow();
  click("CommandVerifyAll");
  tick();
  ASSERT_NE(window->reportWindow(), nullptr);
  EXPECT_EQ(window->statusText(), "Verify OK") << window->reportWindow()->reportText().toStdString();
  window->session().general.IDString = "Elsewhere";
  click("CommandVerifyAll");
  tick();
  EXPECT_EQ(window->statusText(), "Verification found 1 difference")
      << window->reportWindow()->reportText().toStdString();
}

// A module address typed in the window resynchronises the device thread's link before its
// next frame, whatever toggle the other module was left at: each Vorn answers with its own ID.
TEST_F(DeviceWindowTest, TypedModuleAddressResynchronisesTheDeviceThread) {
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--modules", "0,3", "--ids", "Yard West,Station"}));
  showTab(0);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const std::size_t resyncs = sim->logLines("RESYNC").size();
    enter("TextAddress", "4");
    for (int k = 0; k <= round; ++k) click("CommandGenIDRead");  // one read, then two
    EXPECT_EQ(text("TextGenIDString"), "Station");
    enter("TextAddress", "1");
    click("CommandGenIDRead");
    EXPECT_EQ(text("TextGenIDString"), "Yard West");
    EXPECT_EQ(sim->logLines("RESYNC").size(), resyncs + 2);
  }
}

// Three Vorns on one bus: Find Modules lists them (directly and through a Kestro interface);
// switching between them keeps each one's edits and Write Changes; Back Up All saves each as
// vornctl would, Verify All Modules checks them; a module that falls silent is listed as such.
TEST_F(DeviceWindowTest, ModulesPanelFindsSwitchesBacksUpAndVerifiesEveryModule) {
  const std::vector<std::string> bus{"--modules", "0,3,7", "--ids", "Yard West,Station,Shed"};
  ASSERT_NO_FATAL_FAILURE(makeSimWindow(bus));
  ModulesPanel& panel = *window->modulesPanel();
  auto* list = w<QTreeWidget>("ListModules");
  auto listed = [&](int column) {
    std::string s;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      s += list->topLevelItem(i)->text(column).toStdString() + ";";
    return s;
  };
  auto find = [&] {
    w<QAction>("ActionModules")->trigger();
    QElapsedTimer clock;
    clock.start();
    click("CommandFindModules");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(listed(0) + listed(1), "1;4;8;Yard West;Station;Shed;");
  };
  auto use = [&](int row) {
    list->setCurrentItem(list->topLevelItem(row));
    click("CommandUseModule");
  };
  find();
  ASSERT_TRUE(window->modulesDock()->isVisible());
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();  // silent addresses say nothing

  // Module 0 read and edited, then 3 and back: the edit and its Write Changes list are still there.
  click("CommandReadAll");
  tick();
  enter("TextGenIDString", "Yard East");
  ASSERT_EQ(session().changesToDevice().size(), 1u);
  use(1);
  EXPECT_EQ(session().link.opts.ModuleAddress, 3);
  EXPECT_EQ(session().deviceAsLastKnown(), nullptr);
  EXPECT_NE(text("TextGenIDString"), "Yard East");
  EXPECT_EQ(window->windowTitle().toStdString(), "untitled[*] - module 4 \u2014 Station - Vorn Config");
  EXPECT_EQ(listed(3), "kept;open;;");
  // Closing says what would be lost with module 0's edits.
  prompter.answers = {false};
  EXPECT_FALSE(window->close());
  ASSERT_FALSE(prompter.actions.empty());
  EXPECT_EQ(prompter.actions.back(), std::make_pair(std::string("Close Anyway"), std::string("Cancel")));
  EXPECT_NE(prompter.last().find("Unsaved changes of module 1 are lost"), std::string::npos)
      << prompter.last();
  EXPECT_FALSE(w<QAction>("ActionUndo")->isEnabled()) << "module 4 has nothing to undo";
  use(0);
  EXPECT_EQ(text("TextGenIDString"), "Yard East");
  EXPECT_EQ(session().changesToDevice().size(), 1u);
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_TRUE(w<QAction>("ActionUndo")->text().startsWith("&Undo: ")) << "module 1's history came back";
  EXPECT_EQ(unsavedAsked, 0);  // nothing was lost, so nothing to ask
  auto* tab = window->findChild<DeviceConfigTab*>();
  ASSERT_NE(tab, nullptr);
  tab->changesDialog = [](const QStringList&, bool) { return true; };
  auto writeChanges = [&] {
    w<QAction>("ActionWriteChanges")->trigger();
    tick();
  };
  writeChanges();
  const auto dump = sim->dumpState();
  EXPECT_TRUE(std::any_of(dump.begin(), dump.end(), [](const std::string& l) {
    return l.rfind("GEN m=0 ", 0) == 0 && l.find(" id=Yard East") != std::string::npos;
  }));

  // Back Up All: three full files, as vornctl reads each module; then they all verify.
  QTemporaryDir folder;
  const std::string dir = folder.path().toStdString();
  panel.folderChooser = [&](bool) { return folder.path(); };
  click("CommandBackUpAll");
  EXPECT_EQ(listed(4), "saved module-00.dat;saved module-03.dat;saved module-07.dat;");
  const auto index = ReadModuleIndexText(ReadFileBytes(dir + "/modules.txt").value_or(""));
  ASSERT_TRUE(index && index->size() == 3u);
  EXPECT_EQ((*index)[0].id, "Yard East");
  closeReportsAsTheyShow();
  click("CommandVerifyAllModules");
  EXPECT_EQ(listed(4), "Verify OK;Verify OK;Verify OK;");
  enter("TextGenIDString", "Yard North");
  writeChanges();
  click("CommandVerifyAllModules");
  EXPECT_EQ(listed(4), "1 difference;Verify OK;Verify OK;");
  list->setCurrentItem(list->topLevelItem(0));
  click("CommandModuleReport");
  EXPECT_NE(window->reportWindow()->reportText().indexOf("VornConfig = <Yard East> Vorn = <Yard North>"), -1);

  // Module 3 falls silent in the middle of Back Up All: listed as such, the others saved.
  ASSERT_NO_FATAL_FAILURE(
      makeSimWindow({"--modules", "0,3,7", "--ids", "Yard West,Station,Shed", "--silent-after", "3,12"}));
  window->modulesPanel()->folderChooser = [&](bool) { return folder.path() + "/part"; };
  QDir().mkpath(folder.path() + "/part");
  list = w<QTreeWidget>("ListModules");
  find();
  click("CommandBackUpAll");
  EXPECT_EQ(listed(4),
            "saved module-00.dat;read failed: No response received, resetting bidirectional "
            "communication;saved module-07.dat;");

  // Through a Kestro interface.
  std::vector<std::string> kestro = bus;
  kestro.insert(kestro.end(), {"--kestro", "lintor"});
  ASSERT_NO_FATAL_FAILURE(makeSimWindow(kestro));
  click("CheckKestro");
  list = w<QTreeWidget>("ListModules");
  find();
  // Stop ends the search between two addresses, with what it found so far.
  QTimer stopper;
  stopper.setInterval(0);
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (window->jobs().running() && window->shownProgress().done >= 2) window->stopJob();
  });
  stopper.start();
  click("CommandFindModules");
  EXPECT_EQ(listed(0), "1;");
  EXPECT_EQ(w<QLabel>("LabelModulesSummary")->text(), "Find Modules stopped: 1 module found: 1");

  // Another port is another bus: the list goes, and the title names no module of it.
  listing.entries.push_back({2, "/dev/vorn-absent", "2  /dev/vorn-absent"});
  click("cmdRefreshComm");
  pickPort(1);
  EXPECT_EQ(list->topLevelItemCount(), 0);
  EXPECT_EQ(window->windowTitle().indexOf("module"), -1) << window->windowTitle().toStdString();
}

TEST_F(DeviceWindowTest, ClicksDuringReadAllAreDroppedAndStopLeavesEverythingAsItWas) {
  ASSERT_NO_FATAL_FAILURE(
      makeSimWindow({"--demo", "--latency-ms", "3"}));  // slow enough to act during the job
  const ConfigModel before = window->session().model;
  const GeneralSettings generalBefore = window->session().general;
  runJob("CommandReadAll", "Reading pin", 2, [&] {
    postClick(w("CommandWriteAll"));
    QCoreApplication::postEvent(w("TextGenIDString"),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
    EXPECT_TRUE(w("CommandStop")->isVisible());
    postClick(w("CommandStop"));
  });
  EXPECT_TRUE(window->jobs().lastStopped());
  EXPECT_EQ(window->statusText(), "Read All stopped; nothing was changed");
  EXPECT_TRUE(window->session().model.Pins == before.Pins);
  EXPECT_TRUE(window->session().model.EventOn == before.EventOn);
  EXPECT_TRUE(window->session().general == generalBefore);
  EXPECT_EQ(text("TextGenIDString"), "");
  EXPECT_FALSE(window->isWindowModified());

  // Nothing clicked during the read acts afterwards.
  QTest::qWait(450);
  EXPECT_EQ(window->jobs().PendingJob(), "");
  EXPECT_EQ(window->jobs().lastJob(), "ReadAll");
  for (const std::string& line : sim->logLines("VORN "))
    EXPECT_EQ(line.find("data=96,"), std::string::npos) << line;
  EXPECT_FALSE(w("CommandStop")->isVisible());
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

// Read All is one undoable step, a stopped one none; Undo waits for the job and never talks to
// the Vorn; Revert Pin to Vorn takes an edited pin back to what the Vorn holds.
TEST_F(DeviceWindowTest, ReadAllIsOneStepAndRevertPinLeavesNothingToWrite) {
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo", "--latency-ms", "3"}));
  QTemporaryDir dir;
  auto saved = [&] {
    EXPECT_TRUE(window->saveFile(false, dir.filePath("s.dat")));
    QFile f(dir.filePath("s.dat"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  };
  auto* undo = w<QAction>("ActionUndo");
  auto* revertPin = w<QAction>("ActionRevertPin");
  EXPECT_FALSE(revertPin->isEnabled());
  EXPECT_EQ(revertPin->toolTip(), "Read All first");
  enter("TextGenIDString", "mine");
  runJob("CommandReadAll", "Reading pin", 2, [&] {
    EXPECT_FALSE(undo->isEnabled());
    postClick(w("CommandStop"));
  });
  EXPECT_EQ(undo->text(), "&Undo: general setting ID String");
  const QByteArray before = saved();
  click("CommandReadAll");
  tick();
  ASSERT_EQ(undo->text(), "&Undo: Read All");
  EXPECT_FALSE(window->isWindowModified());
  ASSERT_TRUE(revertPin->isEnabled());

  QStringList changes;
  window->findChild<DeviceConfigTab*>()->changesDialog = [&](const QStringList& lines, bool) {
    changes = lines;
    return false;
  };
  showTab(2);
  enter("TextPAspOutput", "3");
  enter("TextPAspDesc", "edited");
  click(w<QAbstractButton>("OptionPAspConf_2")->isChecked() ? "OptionPAspConf_1" : "OptionPAspConf_2");
  click("CommandShowChanges");
  EXPECT_EQ(changes.size(), 2) << changes.join("\n").toStdString();
  revertPin->trigger();
  EXPECT_EQ(undo->text(), "&Undo: Revert Pin 3 to Vorn");
  click("CommandShowChanges");
  EXPECT_TRUE(changes.isEmpty()) << changes.join("\n").toStdString();

  showTab(0);
  enter("TextGenIDString", "other");
  click("CommandGenIDRead");
  EXPECT_EQ(undo->text(), "&Undo: Read ID String");

  const size_t exchanges = sim->logLines("VORN ").size();
  for (int i = 0; i < 10 && undo->text() != "&Undo: Read All"; ++i) undo->trigger();
  undo->trigger();
  EXPECT_EQ(saved(), before);
  EXPECT_EQ(sim->logLines("VORN ").size(), exchanges) << "undo sent something";
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

TEST_F(DeviceWindowTest, EscapeStopsWriteAllAndSaysWhichPinsWereWritten) {
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo", "--latency-ms", "3"}));
  runJob("CommandWriteAll", "Writing pin", 3, [&] {
    QCoreApplication::postEvent(window.get(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  });
  // It stops at the next exchange: between two pins, or inside one, naming what of it went out.
  const QRegularExpressionMatch m =
      QRegularExpression(
          "^Write All stopped (?:after pin (\\d+) of 32: the general settings except the addresses and pins "
          "1 "
          "to \\1|in pin (\\d+) of 32 after its (?:aspect \\d+ slot \\d+|the [a-z ]+): the general settings "
          "except the addresses, pins 1 to (\\d+) and part of pin \\2) were written$")
          .match(window->statusText());
  ASSERT_TRUE(m.hasMatch()) << window->statusText().toStdString();
  const int whole = m.captured(1).isEmpty() ? m.captured(3).toInt() : m.captured(1).toInt();
  if (!m.captured(2).isEmpty()) {
    EXPECT_EQ(m.captured(2).toInt(), whole + 1);
  }
  EXPECT_GE(whole, 3);
  EXPECT_LT(whole, 32);
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

// The device works on a thread of its own: during a Read All the window's own timers keep time
// (a screen reader's calls and repaints are served the same way).
TEST_F(DeviceWindowTest, TheWindowKeepsTimeDuringReadAll) {
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo", "--latency-ms", "3"}));
  QElapsedTimer clock;
  qint64 last = 0, worst = 0;
  int beats = 0;
  QTimer beat;
  beat.setInterval(10);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (window->jobs().running() && beats++ > 0) worst = std::max(worst, now - last - 10);
    last = now;
  });
  clock.start();
  beat.start();
  click("CommandReadAll");
  tick();
  beat.stop();
  EXPECT_TRUE(window->statusText().startsWith("Read All finished")) << window->statusText().toStdString();
  EXPECT_GT(beats, 20) << "the read was too short to tell";
  EXPECT_LE(worst, 100) << "the window's timer was " << worst << " ms late";
}

// A question the device work asks comes up in the window while the work waits; the work goes
// on with the answer given there.
TEST_F(DeviceWindowTest, AQuestionOfTheDeviceWorkIsAnsweredInTheWindow) {
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo"}));
  // Flexible addressing on in the Vorn, off in the window.
  prompter.answers = {true};
  click("CheckGenPalkaddr");
  click("CommandGenAddrWrite");
  click("CheckGenPalkaddr");
  ASSERT_FALSE(w<QCheckBox>("CheckGenPalkaddr")->isChecked());
  enter("TextGenXaddr", "7");
  for (const bool answer : {false, true}) {
    SCOPED_TRACE(answer);
    prompter.entries.clear();
    prompter.answers = {answer};
    click("CommandGenAddrRead");
    EXPECT_TRUE(prompter.texts() == std::vector<std::string>{kPalkFlexWarning}) << prompter.last();
    EXPECT_EQ(w<QCheckBox>("CheckGenPalkaddr")->isChecked(), answer);
    // The read went on past the question: the extended address is the Vorn's again (0).
    EXPECT_EQ(text("TextGenXaddr"), QString::number(session().model.NumberBase));
  }
}

// Every action that reaches the Vorn replaces the status line, live commands too; an erase
// given up says that nothing went out.
TEST_F(DeviceWindowTest, EachDeviceActionSaysInTheStatusLineHowItWent) {
  prompter.answers = {true};  // "Expert Mode?"
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo", "--module", "2"}));
  QTest::mouseClick(w("Release"), Qt::RightButton);
  enter("TextAddress", "3");
  const struct {
    int tab;
    const char* button;
    std::deque<bool> answers;
    const char* said;
  } cases[] = {
      {0, "CommandGenIDRead", {}, "ID String read"},
      {0, "CommandGenEraseFlash", {true, false}, "Erase Flash cancelled: nothing was sent"},
      {3, "Command_LT_0", {}, "Lamp Test sent to module 3"},
      {3, "Command_Clr_1", {}, "Clear All sent to module 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    showTab(c.tab);
    prompter.answers = c.answers;
    window->showStatus("before");
    click(c.button);
    EXPECT_EQ(window->statusText().toStdString(), c.said);
  }
  EXPECT_EQ(sim->logLines("ERASED").size(), 0u);
  // The lamp test went to module 3 (address byte 4 * 2 + 3), Clear All to module 1 (3).
  EXPECT_TRUE(sim->waitForLog("PALK a=", 64));
  EXPECT_EQ(sim->logLines("PALK a=11 ").size(), 32u);
  EXPECT_EQ(sim->logLines("PALK a=3 ").size(), 32u);
}

// Not a check: when VORN_SCREENSHOT_DIR is set (scripts/screenshots.sh), saves a picture of
// each tab after a Read All from the demo Vorn.
using Screenshots = DeviceWindowTest;

TEST_F(Screenshots, EachTabAfterReadAll) {
  const char* out = std::getenv("VORN_SCREENSHOT_DIR");
  if (!out) GTEST_SKIP() << "VORN_SCREENSHOT_DIR not set";
  prompter.answers = {true};  // "Expert Mode?"
  size = QSize(1280, 860);
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo"}));
  QTest::mouseClick(w("Release"), Qt::RightButton);
  window->requestJob("ReadAll");
  tick();
  EXPECT_TRUE(prompter.texts() == std::vector<std::string>{"Expert Mode?"}) << prompter.last();
  auto save = [&](const QString& name) {
    QTest::qWait(150);
    EXPECT_TRUE(window->grab().save(QDir(out).filePath(name))) << name.toStdString();
  };
  const char* names[4] = {"tab-general.png", "tab-event-control.png", "tab-device-configuration.png",
                          "tab-test.png"};
  for (int i = 0; i < 4; ++i) {
    w<QTabWidget>("SSTab_Main")->setCurrentIndex(i);
    save(names[i]);
  }
  // The device tab with details at screen sizes ("WxH ..." in VORN_SCREENSHOT_SIZES).
  w<QTabWidget>("SSTab_Main")->setCurrentIndex(2);
  w<QAbstractButton>("CheckPAspShowDetails")->setChecked(true);
  const char* sizes = std::getenv("VORN_SCREENSHOT_SIZES");
  for (const QString& size : QString(sizes ? sizes : "1366x768").split(' ', Qt::SkipEmptyParts)) {
    const QStringList wh = size.split('x');
    ASSERT_EQ(wh.size(), 2) << size.toStdString();
    window->resize(wh[0].toInt(), wh[1].toInt());
    save("window-" + size + "-details.png");
  }
}

// The "Modules" panel after Find Modules, a switch to module 4 and a backup that verified.
TEST_F(Screenshots, ModulesPanel) {
  const char* out = std::getenv("VORN_SCREENSHOT_DIR");
  if (!out) GTEST_SKIP() << "VORN_SCREENSHOT_DIR not set";
  size = QSize(1440, 860);
  ASSERT_NO_FATAL_FAILURE(makeSimWindow({"--demo", "--modules", "0,3,7", "--ids", "Yard West,Station,Shed"}));
  w<QAction>("ActionModules")->trigger();
  click("CommandFindModules");
  QTemporaryDir folder;
  window->modulesPanel()->folderChooser = [&](bool) { return folder.path(); };
  click("CommandBackUpAll");
  click("CommandVerifyAllModules");
  auto* list = w<QTreeWidget>("ListModules");
  list->setCurrentItem(list->topLevelItem(1));
  click("CommandUseModule");
  window->requestJob("ReadAll");
  tick();
  w<QTabWidget>("SSTab_Main")->setCurrentIndex(2);
  window->resizeDocks({window->modulesDock()}, {470}, Qt::Horizontal);
  QTest::qWait(150);
  EXPECT_TRUE(window->grab().save(QDir(out).filePath("modules-panel.png")));
}

}  // namespace
}  // namespace vorn::test
