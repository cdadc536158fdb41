#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "SimSession.h"
#include "Transcript.h"

namespace vorn::test {
namespace {

// Requests written as the log writes them: data bytes separated by commas, requests by spaces
// ("," alone is an empty one).
std::vector<ByteList> Requests(const std::string& text) {
  std::vector<ByteList> list;
  std::istringstream in(text);
  for (std::string request, byte; in >> request;) {
    std::istringstream bytes(request);
    for (list.emplace_back(); std::getline(bytes, byte, ',');)
      if (!byte.empty()) list.back().push_back(static_cast<std::uint8_t>(std::stoi(byte)));
  }
  return list;
}

// Scripted sessions of raw frames, each against a simulator started with `args`; what the
// simulator logs (its state dump too, cut to the pins named) and says on stderr is recorded in
// tests/vornsim/transcripts/sessions.txt (see Transcript.h). Each script ends when the simulator
// has taken its last frame (a reply, or the log line awaited), so the dump comes after it.
struct Session {
  std::vector<std::string> args;
  std::function<void(SimSession&)> script;
  std::vector<int> pins;  // PIN lines of the dump kept; every pin when empty
};

TEST(SimTranscript, LogAndStateOfScriptedSessions) {
  const auto asks = [](const std::string& requests, int module = 0, int timeoutMs = 2000) {
    return [=](SimSession& s) {
      for (const ByteList& r : Requests(requests)) s.ask(r, module, timeoutMs);
    };
  };
  const Session sessions[] = {
      {{"--modules", "0,15", "--ids", "Yard,Far Siding", "--silent-after", "15,100"},
       [&](SimSession& s) {
         // Each command family: general items, pin layouts, slots, configurations, addresses,
         // initial aspects and event actions, live operations, the feedback poll, an erase.
         asks(
             "112,0 112,10 96,10,65,66 112,10 96,4,3,1 112,4 112,12 98,7,3 99,7,3,8,54,1,31,0,0 115,7,3,8 "
             "114,7 97,8,4,3,1,5,3 65,6,2,5,0,4,0,31 113,8 81,6 102,10,10,16,93 118,10 118,11 100,7,115 "
             "101,7,1,18,47,63 116,7 0,1,7,2 0,38,6,20 0,0,33,5")(s);
         s.ask({});
         s.toggle = !s.toggle;
         s.ask({112, 5});  // the same frame again: the previous reply, not carried out
         ByteList bad = vornFrame(0, s.toggle, {96, 10, 'X', 'Y'});
         bad.back() ^= 1;
         s.write(bad);
         const ByteList cut = vornFrame(0, s.toggle, {112, 10});
         s.write(ByteList(cut.begin(), cut.begin() + 3));
         s.ask({90, 1, 2}, 0, 100);  // an unknown command
         s.write(vornFrame(0, s.toggle, {96, 10, 'Z'}, false));
         s.toggle = !s.toggle;
         s.write({7, 130, 135, 158, check7({7, 130, 135, 158})});  // a Palk frame
         asks("112,10 96,0,42,85,19,108,7,113,62,73 112,10", 15)(s);
       },
       {6, 7, 8, 10}},
      {{"--xaddr", "95", "--latency-ms", "5"},
       [](SimSession& s) {
         s.write(vornFrame(0, s.toggle, {112, 2}, true, 95));
         s.readFrame();
         s.write(vornFrame(0, !s.toggle, {112, 2}, true, 94));  // ignored: not our address
         s.readFrame(100);
         s.toggle = !s.toggle;
         s.ask({112, 2});
       },
       {0}},
      {{"--reply-xaddr", "9", "--short-reply", "112,0", "--wrong-echo", "112,10", "--ignore-request",
        "112,5"},
       asks("112,0 112,10 112,5 112,3", 0, 300),
       {0}},
      {{"--silent-after", "0,2"},
       [&](SimSession& s) {
         asks("112,0 112,1 112,2", 0, 100)(s);
         EXPECT_TRUE(s.sim.waitForLog("SILENT"));
       },
       {0}},
      {{"--vanish-after", "3"}, asks("112,0 112,1", 0, 300), {0}},
      {{"--demo"}, asks("112,0"), {}},
      {{"--demo", "--old-firmware"}, asks("113,0 81,3 113,4 81,5 113,8 113,11 113,14 112,11"), {0}},
      {{"--kestro", "corvel", "--modules", "0,3", "--ids", "Yard,Station"},
       [](SimSession& s) {
         for (const ByteList& p : Requests("1,2 1,10 0,99,98,112,10 , , 1,2")) s.send(p);
         s.toggle = !s.toggle;
         s.send({1, 10});  // the same frame again
         ByteList bad = tunnelFrame({1, 2}, s.toggle);
         bad.back() ^= 1;
         s.write(bad);
         s.send({1, 5, 16});
       },
       {0}},
  };
  std::string text;
  for (const Session& session : sessions) {
    SimSession s(session.args, session.args[0] != "--kestro");
    ASSERT_TRUE(s.ok()) << s.sim.error();
    s.sim.allowRefusals();
    session.script(s);
    if (s.sim.logLines("VANISH").empty()) s.sim.dumpState();
    s.sim.stop();
    text += "# vornsim";
    for (const std::string& a : session.args) text += " " + a;
    text += "\n";
    for (const std::string& line : s.sim.logLines()) {
      const bool pin = line.rfind("PIN ", 0) == 0;
      if (!pin || session.pins.empty() || std::any_of(session.pins.begin(), session.pins.end(), [&](int p) {
            return line.find(" p=" + std::to_string(p) + " ") != std::string::npos;
          }))
        text += line + "\n";
    }
    std::istringstream err(s.sim.stderrText());
    for (std::string line; std::getline(err, line);) text += "! " + line + "\n";
    text += "\n";
  }
  ExpectTranscript("vornsim/transcripts/sessions.txt", Normalise(text));
}

}  // namespace
}  // namespace vorn::test
