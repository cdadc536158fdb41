// Live commands on the in-memory Vorn: what is refused, and how a port failure in the middle
// of a 32-frame command ends it.

#include <gtest/gtest.h>

#include "PinTestRig.h"
#include "operations/Live.h"

namespace vorn::test {
namespace {

using Bytes = std::vector<uint8_t>;

// Palk frames to address byte `a` with `command` that the host wrote.
std::vector<Bytes> palkFrames(const Bytes& written, uint8_t a, uint8_t command) {
  std::vector<Bytes> out;
  for (size_t i = 0; i + 5 <= written.size(); ++i)
    if (written[i] == a && written[i + 1] == 128 + command)
      out.emplace_back(written.begin() + i, written.begin() + i + 5);
  return out;
}

// Every pin with six serial addresses: pin 23 (shown 24) starts at offset 138.
struct SixPerPin : PinTestRig {
  SixPerPin() {
    s.model.NumberBase = 1;
    for (int p = 0; p < kPinsInUse; ++p) s.model.pin(p).SerialCount = 6;
    s.model.RecalcAllStarts();
    s.model.CurAspect = 2;
  }
};

TEST(LiveTest, SerialOffsetsBeyondOneDataByteAreRefused) {
  struct Case {
    int pin;
    TestKeys keys;
    bool sent;
  };
  const Case cases[] = {
      {23, {false, true, false}, false},  // Control: offset 138
      {23, {true, true, false}, false},   // Shift + Control: the same offset in a Palk frame
      {21, {false, true, false}, true},   // offset 126 still fits
      {23, {}, true},                     // plain Test addresses the pin itself
  };
  for (const Case& c : cases) {
    SixPerPin r;
    r.s.model.CurPin = static_cast<uint8_t>(c.pin);
    EXPECT_EQ(TestAspect(r.s, c.keys), c.sent) << c.pin;
    EXPECT_EQ(r.port.written.empty(), !c.sent) << c.pin;
    if (c.sent) {
      EXPECT_TRUE(r.prompter.entries.empty()) << r.prompter.last();
      continue;
    }
    ASSERT_EQ(r.prompter.entries.size(), 1u);
    EXPECT_EQ(
        r.prompter.last(),
        "Pin 24 has serial address offset 138: a live command reaches offsets 0 to 127 only. Nothing was "
        "sent.");
    EXPECT_EQ(r.prompter.entries[0].icon, Icon::Critical);
  }
  SixPerPin r;
  r.s.model.CurPin = 21;
  ASSERT_TRUE(TestAspect(r.s, {false, true, false}));
  EXPECT_EQ(r.vorn.frames.at(0).data, (Bytes{0, 0, 126, 2}));
}

TEST(LiveTest, PortFailingMidwayEndsClearAllAndLampTestWithOneMessage) {
  struct Case {
    bool (*command)(Session&, int);
    uint8_t palkCommand;
  };
  for (const Case& c : {Case{&ClearAllOutputs, 8}, Case{&LampTestAllOutputs, 10}}) {
    PinTestRig r;
    int sent = 0;
    r.port.responder = [&](const Bytes& chunk) {
      if (chunk.size() == 5 && chunk[1] == 128 + c.palkCommand && ++sent == 5) r.port.failWrite = true;
    };
    EXPECT_FALSE(c.command(r.s, 3));
    EXPECT_EQ(sent, 5);
    ASSERT_EQ(r.prompter.entries.size(), 1u) << r.prompter.last();
    EXPECT_EQ(r.prompter.last().rfind("The communications port /dev/fake-vorn stopped working", 0), 0u);
    EXPECT_FALSE(r.s.link.isOpen());
  }
  PinTestRig r;
  ASSERT_TRUE(LampTestAllOutputs(r.s, 15));
  const auto frames = palkFrames(r.port.written, 63, 10);
  ASSERT_EQ(frames.size(), 32u);
  for (size_t out = 0; out < 32; ++out) {
    EXPECT_EQ(frames[out][0], 63);
    EXPECT_EQ(frames[out][2], 128 + out);
    EXPECT_EQ(frames[out][3], 128 + 30);
  }
  r.s.link.closePort();
  r.prompter.clear();
  EXPECT_FALSE(ClearAllOutputs(r.s, 0));
  EXPECT_EQ(r.prompter.texts(), std::vector<std::string>{"Select communications port"});
}

}  // namespace
}  // namespace vorn::test
