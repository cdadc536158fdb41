#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "link/PortList.h"

using namespace vorn;

TEST(PortList, EntryTextStartsWithPortNumber) {
  struct Case {
    PortCandidate c;
    std::string text;
  };
  const Case cases[] = {
      {{3, "/dev/ttyUSB0", ""}, "3  /dev/ttyUSB0"},
      {{12, "/dev/ttyUSB1", "FT232R USB UART (A50285BI)"}, "12  /dev/ttyUSB1  FT232R USB UART (A50285BI)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortEntryText(c.c), c.text);
    EXPECT_EQ(PortNumberOfText(c.text), c.c.number);
  }
  EXPECT_EQ(PortNumberOfText(""), 0);
  EXPECT_EQ(PortNumberOfText("/dev/ttyS0"), 0);
}

TEST(PortList, EnvironmentPathsComeFirstInOrderWithoutDuplicates) {
  setenv("VORNCONFIG_PORTS", "/tmp/a::/tmp/b:/tmp/a:", 1);
  const auto c = PortCandidates();
  const std::string pathOf2 = PortPathForNumber(2);
  unsetenv("VORNCONFIG_PORTS");
  ASSERT_GE(c.size(), 2u);
  EXPECT_EQ(c[0].path, "/tmp/a");
  EXPECT_EQ(c[0].number, 1);
  EXPECT_EQ(c[1].path, "/tmp/b");
  EXPECT_EQ(c[1].number, 2);
  EXPECT_EQ(pathOf2, "/tmp/b");
  EXPECT_LE(c.size(), 16u);
  for (size_t i = 2; i < c.size(); ++i) EXPECT_NE(c[i].path, "/tmp/a");
  EXPECT_EQ(PortPathForNumber(0), "");
  EXPECT_EQ(PortPathForNumber(17), "");
}

// Why a port did not open, by what the path is and what the system said.
TEST(PortList, OpenProblemNamesTheCauseAndTheNextStep) {
  const std::string list = "\n`vornctl ports` lists the serial ports";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"/nonexistent/ttyX", "No such file or directory", "there is no such device" + list},
      {"/", "Is a directory", "/ is not a serial port" + list},
      {"/dev/null", "Inappropriate ioctl for device", "/dev/null is not a serial port" + list},
      {"/dev/null", "Permission denied", std::string("Permission denied\n") + kDialoutHint},
      {"/dev/null", "Device or resource busy", "Device or resource busy"},
  };
  for (const auto& [path, reason, says] : cases)
    EXPECT_EQ(PortOpenProblem(path, reason, PortsShownBy::Vornctl), says) << path << " " << reason;
  EXPECT_EQ(PortOpenProblem("/nonexistent/ttyX", "", PortsShownBy::Window),
            "there is no such device\npress \"Refresh\" and pick a port from the list");
}
