// Keyboard and screen reader, first start and a common laptop screen: the focus chain, the
// accessible names, where the window opens, the pin overview's columns, a still layout and
// the words of the status line.

#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QSet>

#include "Fixtures.h"
#include "model/PinConfigParams.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/PinOverview.h"
#include "ui/ScreenFit.h"
#include "ui/Wording.h"

namespace vorn::test {
namespace {

std::string describe(const QWidget* w) {
  return w ? QString("%1 (%2)").arg(w->objectName(), w->metaObject()->className()).toStdString() : "none";
}

// What a screen reader names a widget by. A list's own name is the item it shows (on this
// platform): the label that names it comes as a relation.
QString accessibleName(QWidget* w) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  if (!a) return {};
  if (a->role() != QAccessible::ComboBox) return a->text(QAccessible::Name);
  for (const auto& [label, relation] : a->relations(QAccessible::Label))
    if (label->role() != QAccessible::Grouping) return label->text(QAccessible::Name);  // not its group
  return {};
}

// The part of the window a widget is read in: its group box or pane.
QWidget* blockOf(QWidget* w) {
  if (w->inherits("QTabBar")) return w;
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (p->inherits("QGroupBox") || p->inherits("QTabWidget") || p->inherits("vorn::LinkPanel") ||
        p->inherits("vorn::PinEditor") || p->inherits("vorn::PinConfigEditor") ||
        p->inherits("vorn::PinOverview"))
      return p;
  return nullptr;
}

class KeyboardTest : public WindowTest {
 protected:
  QRect place(QWidget* w) { return QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size()); }
  // Presses `key` until the focus comes back to where it started; the stops in order, each
  // with how it looked while it had the focus.
  std::vector<std::pair<QWidget*, QImage>> walk(Qt::Key key) {
    std::vector<std::pair<QWidget*, QImage>> stops;
    QWidget* start = QApplication::focusWidget();
    EXPECT_NE(start, nullptr);
    for (int i = 0; start && i < 300; ++i) {
      QWidget* now = QApplication::focusWidget();
      if (i > 0 && now == start) return stops;
      stops.emplace_back(now, now->grab().toImage());
      QTest::keyClick(now, key);
    }
    ADD_FAILURE() << "the focus does not come back to " << describe(start);
    return stops;
  }
};

// Tab walks every tab from start-up: each stop visible, enabled and showing its focus, none
// twice, in reading order within each group; the overview is one stop and the step boxes
// are reached; Shift+Tab walks the same way back.
TEST_F(KeyboardTest, TabWalksEveryTabOnceInReadingOrder) {
  prompter.answers = {true};
  QTest::mouseClick(w("Release"), Qt::RightButton);  // expert mode: the Test tab and every button
  ConfigModel& m = session().model;                  // pin 1: a PWM output with a "Set Level" first step
  m.pin(0).PinConfig[0] = kCfgPwm;
  m.pin(0).AspectConfig = kLayout4x9;
  m.instr(0, 0, 0).Opcode = 38;
  window->refreshAll();
  QWidget* first = QApplication::focusWidget();
  ASSERT_NE(first, nullptr) << "no focus at start-up";
  QTest::keyClick(first, Qt::Key_Tab);  // from here on the focus moves by keyboard
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  ASSERT_EQ(QApplication::focusWidget(), first);
  std::vector<std::string> seen;
  for (int tab = 0; tab < 4; ++tab) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    showTab(tab);
    if (tab == 2) click("CheckPAspShowDetails");
    if (tab > 0) w<QTabWidget>("SSTab_Main")->tabBar()->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const auto stops = walk(Qt::Key_Tab);
    QSet<QWidget*> once;
    std::map<QWidget*, QWidget*> previous;  // block -> its last stop
    for (const auto& [stop, look] : stops) {
      seen.push_back(stop->objectName().toStdString());
      EXPECT_TRUE(stop->isVisible() && stop->isEnabled()) << describe(stop);
      EXPECT_FALSE(once.contains(stop)) << describe(stop) << " visited twice";
      once.insert(stop);
      QWidget*& before = previous[blockOf(stop)];
      if (before) {
        const QRect a = place(before), b = place(stop);
        const bool sameRow = b.center().y() >= a.top() && b.center().y() <= a.bottom();
        EXPECT_TRUE((sameRow && b.left() > a.left()) || b.top() > a.center().y())
            << describe(before) << " at " << a.x() << "," << a.y() << " then " << describe(stop) << " at "
            << b.x() << "," << b.y();
      }
      before = stop;
    }
    // Where each spinner sits by its box: the layout record (LayoutTest).
    // Each stop looked different while it had the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    for (const auto& [stop, look] : stops) {
      if (stop == QApplication::focusWidget()) continue;
      EXPECT_NE(stop->grab().toImage(), look) << describe(stop) << " shows no focus";
    }
    // Shift+Tab: the same stops backwards.
    QWidget* start = stops.front().first;
    start->setFocus(Qt::TabFocusReason);
    const auto back = walk(Qt::Key_Backtab);
    ASSERT_EQ(back.size(), stops.size());
    for (size_t i = 1; i < back.size(); ++i) EXPECT_EQ(back[i].first, stops[stops.size() - i].first);
  }
  for (const char* name : {"PinOverview", "ComboPAspInst_0", "TextPAspPar1_0", "ComboPAspInst_8",
                           "CheckGenXGM_15", "TextECoff_3", "textFBM", "SliderPWM"})
    EXPECT_EQ(std::count(seen.begin(), seen.end(), name), 1) << name;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "ComboPort"), 4) << "once in each walk";
}

// Every box, list, button and table has a name of its own within its tab (and above the tabs),
// from its label and the row or column it belongs to; the overview reads as a table.
TEST_F(WindowTest, EveryInputHasANameOfItsOwnWithinItsTab) {
  auto* tabs = w<QTabWidget>("SSTab_Main");
  std::vector<QWidget*> parts{window.get()};
  for (int i = 0; i < tabs->count(); ++i) parts.push_back(tabs->widget(i));
  for (QWidget* part : parts) {
    std::map<QString, std::string> names;
    for (QWidget* w : part->findChildren<QWidget*>()) {
      if (!(w->focusPolicy() & Qt::TabFocus) || w->window() != window.get() || w->focusProxy()) continue;
      if (part == window.get() && tabs->isAncestorOf(w)) continue;
      const QString name = accessibleName(w);
      EXPECT_FALSE(name.trimmed().isEmpty()) << describe(w);
      const auto [it, fresh] = names.emplace(name, describe(w));
      EXPECT_TRUE(fresh) << describe(w) << " and " << it->second << " are both \"" << name.toStdString()
                         << "\"";
    }
  }
  for (const auto& [box, name] : {std::pair{"CheckGenXGM_3", "eXt Group Mask 3"},
                                  {"ComboPort", "Port:"},
                                  {"TextGenDCCAddress", "Basic Decoder Addr"},
                                  {"TextECoff_2", "Input 2 Event Off"}})
    EXPECT_EQ(accessibleName(w(box)).toStdString(), name);
  // A step box is named by its row and the heading its instruction gives it.
  session().model.pin(0).AspectConfig = kLayout4x9;
  session().model.instr(0, 0, 2).Opcode = 102;  // Wait: Time, Base
  window->refreshAll();
  EXPECT_EQ(accessibleName(w("TextPAspPar2_2")), "Step 2 Time");

  QAccessibleTableInterface* table =
      QAccessible::queryAccessibleInterface(w("PinOverview"))->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), kPinsInUse);
  EXPECT_EQ(table->columnDescription(PinOverviewModel::ColState), "State");
  // The bit rate hides behind a double-click on the port's label: its tip tells.
  EXPECT_TRUE(w("LabelPort")->toolTip().contains("bit rate"));
}

// The window opens inside the screen's available area with its frame; where the preferred
// size does not fit, maximised.
TEST(StartGeometry, InsideTheAvailableAreaWithTheFrame) {
  const QMargins frame(4, 30, 4, 4);
  struct Case {
    QRect available;
    bool maximised;
  };
  for (const Case& c :
       {Case{{0, 0, 1024, 600}, true}, Case{{0, 0, 1366, 768}, true}, Case{{0, 27, 1366, 741}, true},
        Case{{0, 0, 1280, 720}, true}, Case{{0, 0, 1920, 1080}, false}, Case{{1920, 0, 1920, 1048}, false},
        Case{{0, 0, 1288, 834}, false}}) {  // the last: just fits with the frame
    const StartPlacement p = PlaceOnScreen(c.available, frame, QSize(1280, 800));
    EXPECT_TRUE(c.available.contains(p.geometry.marginsAdded(frame))) << c.available.width();
    EXPECT_EQ(p.maximised, c.maximised) << c.available.width() << "x" << c.available.height();
  }
}

// At 1366x768 with details on, pin, type and state show without sideways scrolling, the
// state whole; after a file load the current pin's row is in view.
TEST_F(WindowTest, OverviewShowsTheStateAt1366x768) {
  window->resize(PlaceOnScreen({0, 0, 1366, 768}, {4, 30, 4, 4}, {1280, 800}).geometry.size());
  showTab(2);
  click("CheckPAspShowDetails");
  for (int p = 0; p < kPinsInUse; ++p) session().model.pin(p).Description = "A rather long description";
  session().model.CurPin = 25;
  QTemporaryDir dir;
  ASSERT_TRUE(window->saveFile(false, dir.filePath("f.dat")));
  ASSERT_TRUE(window->loadFile(dir.filePath("f.dat")));
  session().rememberDevice();
  session().model.pin(20).InitAspect = 3;
  session().pinMarks[20] = Session::PinMark::Differs;  // "changed, differs"
  w<PinOverview>("PinOverviewPane")->refresh();
  QApplication::processEvents();
  auto& view = w<PinOverview>("PinOverviewPane")->view();
  ASSERT_EQ(view.model()->index(20, PinOverviewModel::ColState).data().toString(), "changed, differs");
  const int right = view.viewport()->width();
  for (int c : {PinOverviewModel::ColPin, PinOverviewModel::ColType, PinOverviewModel::ColState}) {
    EXPECT_GE(view.columnViewportPosition(c), 0) << c;
    EXPECT_LE(view.columnViewportPosition(c) + view.columnWidth(c), right) << c;
  }
  EXPECT_LT(view.columnViewportPosition(PinOverviewModel::ColDescription), right);
  EXPECT_GE(view.columnWidth(PinOverviewModel::ColState),
            view.fontMetrics().horizontalAdvance("changed, differs"));
  EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(view.model()->index(25, 0)).center()));
}

// Changing pin, kind or details moves none of the boxes that stay visible.
TEST_F(EditorTest, BoxesStayWhereTheyAreWhenThePinOrDetailsChange) {
  ConfigModel& m = s.model;
  m.pin(4).PinConfig[0] = kCfgServo;
  m.pin(4).AspectConfig = kLayout12x3;
  m.pin(4).DCCCount = 2;
  m.pin(4).SerialCount = 2;
  s.general.HWCSink[0] = true;  // the servo's hardware warning shows
  const char* still[] = {"TextPAspOutput",   "TextPAspDesc",          "TextDeviceDescription",
                         "OptionPAspConf_2", "CheckPAspShowDetails",  "TextPAspAspect",
                         "TextPAspInit",     "CommandPAspTestAspect", "ComboPAspInst_0",
                         "TextPAspPar1_0",   "TextPAspPar3_2"};
  auto places = [&] {
    std::vector<QPoint> v;
    for (const char* name : still) v.push_back(w(name)->mapTo(tab.get(), QPoint(0, 0)));
    return v;
  };
  chooseInstruction(0, 38);  // Set Level: "P.O.", "Level"
  QApplication::processEvents();
  const std::vector<QPoint> pin1 = places();
  goToPin(5);
  chooseInstruction(0, 102);  // Wait: "Time", "Base"
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_EQ(places(), pin1) << "pin 5";
  EXPECT_TRUE(w("LabelSrvHWCWarn")->isVisible());
  EXPECT_TRUE(w("TextPaspDCCn")->isVisible());
  showDetails();  // off: the count of 1 goes, the step table goes
  QApplication::processEvents();
  EXPECT_FALSE(w("TextPAspXDCCn")->isVisible());
  for (int i = 0; i < 5; ++i) QApplication::processEvents();  // layouts settle level by level
  EXPECT_EQ(w("TextPAspAspect")->mapTo(tab.get(), QPoint(0, 0)), pin1[5]);
  const QRect heading = w("LabelPASPAdrCnt")->geometry();
  const QRect dcc = w("TextPaspDCCn")->parentWidget()->geometry();
  const QRect serial = w("TextPaspPalkn")->parentWidget()->geometry();
  EXPECT_EQ(serial.left() - dcc.right(), dcc.left() - heading.right()) << "no gap where Ext. DCC was";
  chooseLayout(0);  // no aspects: no empty step table
  EXPECT_FALSE(w("FrameAspdetails")->isVisible());
}

TEST(Wording, CountsAndDurations) {
  EXPECT_EQ(CountText(1, "change"), "1 change");
  EXPECT_EQ(CountText(2, "change"), "2 changes");
  EXPECT_EQ(CountText(0, "difference"), "0 differences");
  EXPECT_EQ(DurationText(0.0004), "0 ms");
  EXPECT_EQ(DurationText(0.0449), "45 ms");
  EXPECT_EQ(DurationText(0.9994), "999 ms");
  EXPECT_EQ(DurationText(1.0), "1.0 s");
  EXPECT_EQ(DurationText(14.24), "14.2 s");
}

}  // namespace
}  // namespace vorn::test
