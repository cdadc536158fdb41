// Serial devices that exist but would not open are named beside the port list.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "RecordingPrompter.h"
#include "ui/MainWindow.h"

#include <gtest/gtest.h>

namespace vorn::test {
namespace {

TEST(PortProblems, RefusedDevicesAreNamedWithTheDialoutHintOnlyWhenPermissionIsTheCause) {
  FakeClock clock;
  FakeSerialPort port(clock);
  RecordingPrompter prompter;
  PortListing listing;
  listing.entries.push_back({1, "/dev/pts/7", "1  /dev/pts/7"});
  listing.failures.push_back({2, "/dev/ttyUSB0", "Permission denied"});
  MainWindow window(port, clock, &prompter, [&] { return listing; });
  window.show();

  auto* label = window.findChild<QLabel*>("lblPortProblems");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isVisible());
  EXPECT_TRUE(label->text().contains("/dev/ttyUSB0 (Permission denied)"));
  EXPECT_TRUE(label->text().contains("dialout"));
  EXPECT_EQ(window.findChild<QComboBox*>("ComboPort")->count(), 1) << "only ports that open are listed";

  listing.failures = {{3, "/dev/ttyS4", "Device or resource busy"}};
  QTest::mouseClick(window.findChild<QAbstractButton*>("cmdRefreshComm"), Qt::LeftButton);
  EXPECT_TRUE(label->text().contains("/dev/ttyS4 (Device or resource busy)"));
  EXPECT_FALSE(label->text().contains("dialout"));

  listing.failures.clear();
  QTest::mouseClick(window.findChild<QAbstractButton*>("cmdRefreshComm"), Qt::LeftButton);
  EXPECT_FALSE(label->isVisible());
  EXPECT_TRUE(prompter.entries.empty());
}

}  // namespace
}  // namespace vorn::test
