// The erase questions as real message boxes, and the Test tab, against the simulated Vorn.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/General.h"
#include "operations/Session.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/TestTab.h"

namespace vorn::test {
namespace {

// Answers each modal message box as it shows up.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::function<void(QMessageBox&)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box && box->isVisible() && box != last_) {
        last_ = box;
        texts.push_back(box->text().toStdString());
        answer_(*box);
      }
    });
    timer_.start();
  }
  std::vector<std::string> texts;

 private:
  std::function<void(QMessageBox&)> answer_;
  QTimer timer_;
  QPointer<QMessageBox> last_;  // cleared when that box is gone, whatever reuses its address
};

size_t EraseFrames(const SimProcess& sim) {
  const auto lines = sim.logLines("VORN ");
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("data=96,0,") != std::string::npos;
  }));
}

TEST(LiveSimTest, OnlyAnExplicitEraseSendsTheEraseRequest) {
  SimProcess sim;
  ASSERT_TRUE(sim.ok()) << sim.error();
  QtSerialPort port;
  MessageBoxPrompter prompter;
  Session s{port, SystemClock(), prompter};
  ASSERT_TRUE(s.link.openDevice(sim.path()));

  enum class Gesture { Escape, Close, Enter, Erase };
  for (Gesture g : {Gesture::Escape, Gesture::Close, Gesture::Enter, Gesture::Erase}) {
    std::string defaultCaption;
    BoxAnswerer answerer([&](QMessageBox& box) {
      if (box.text().endsWith("Continue?")) {
        box.button(QMessageBox::Ok)->click();
        return;
      }
      defaultCaption = box.defaultButton() ? box.defaultButton()->text().toStdString() : "";
      switch (g) {
        case Gesture::Escape: QTest::keyClick(&box, Qt::Key_Escape); break;
        case Gesture::Close: box.close(); break;
        case Gesture::Enter: QTest::keyClick(&box, Qt::Key_Return); break;
        case Gesture::Erase:
          for (QAbstractButton* b : box.buttons())
            if (b->text() == "Erase") b->click();
          break;
      }
    });
    EXPECT_EQ(EraseFlash(s), g == Gesture::Erase) << static_cast<int>(g);
    ASSERT_EQ(answerer.texts.size(), 2u);
    EXPECT_EQ(defaultCaption, "Keep configuration");
  }
  ASSERT_TRUE(sim.waitForLog("ERASED m=0")) << "the simulator did not take the code";
  EXPECT_EQ(EraseFrames(sim), 1u) << "only the explicit Erase sent the request";

  // A closed port is said before any question.
  s.link.closePort();
  BoxAnswerer answerer([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
  EXPECT_FALSE(EraseFlash(s));
  EXPECT_EQ(answerer.texts, std::vector<std::string>{"Select communications port"});
}

TEST(LiveSimTest, PalkSendShowsTheValuesItSent) {
  SimProcess sim;
  ASSERT_TRUE(sim.ok()) << sim.error();
  QtSerialPort port;
  RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
  ASSERT_TRUE(s.link.openDevice(sim.path()));
  TestTab tab(s);
  tab.show();
  const char* typed[3] = {"9", "3.6", "200"};
  for (int i = 0; i < 3; ++i)
    tab.findChild<QLineEdit*>(QString("TextPalkParameter_%1").arg(i))->setText(typed[i]);
  QTest::mouseClick(tab.findChild<QPushButton*>("CommandSendPalk"), Qt::LeftButton);
  ASSERT_TRUE(sim.waitForLog("PALK a=3 c=9", 1));
  EXPECT_NE(sim.logLines("PALK a=3 c=9").back().find("p1=4 p2=127"), std::string::npos)
      << sim.logLines("PALK a=3 c=9").back();
  const char* shown[3] = {"9", "4", "127"};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(tab.findChild<QLineEdit*>(QString("TextPalkParameter_%1").arg(i))->text(), shown[i]);
  EXPECT_TRUE(prompter.entries.empty()) << prompter.last();
}

}  // namespace
}  // namespace vorn::test
