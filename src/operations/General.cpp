#include "operations/General.h"

#include <vector>

#include "model/Addresses.h"
#include "model/GeneralSettingsRules.h"
#include "operations/EraseFlashCode.h"
#include "operations/Session.h"

namespace vorn {

namespace {

constexpr uint8_t kRead = 112;
constexpr uint8_t kWrite = 96;
constexpr int kOneWayPauseMs = 100;
constexpr char kNoValidResponse[] = "No valid response";

using Bytes = std::vector<uint8_t>;

// Redraws the general tab when a read routine ends, however it ends.
class GeneralRedraw {
 public:
  explicit GeneralRedraw(Session& s) : s_(s) {}
  ~GeneralRedraw() {
    if (s_.onGeneralChanged) s_.onGeneralChanged();
  }
  GeneralRedraw(const GeneralRedraw&) = delete;
  GeneralRedraw& operator=(const GeneralRedraw&) = delete;

 private:
  Session& s_;
};

// One read frame; true when the Vorn answered with a valid frame.
bool ask(Session& s, uint8_t item) {
  s.link.Transact(true, {kRead, item});
  return s.link.ReplyOk;
}

bool echoIs(Session& s, uint8_t item) { return s.link.reply(2) == kRead && s.link.reply(3) == item; }

void say(Session& s, const std::string& text) { s.prompter().message(text, Icon::None); }

std::string num(int v) { return std::to_string(v); }

// The messages of the address group name the wrong size or echo they got.
std::string sizeMessage(Session& s, int expected) {
  return "No valid response, size = " + num(s.link.replyCount()) + " expected = " + num(expected);
}
std::string echoMessage(Session& s, uint8_t item) {
  return "No valid response, msg = " + num(s.link.reply(2)) + "," + num(s.link.reply(3)) +
         " expected = 112," + num(item);
}

// Checks an address-group reply and reports what is wrong with it.
bool addrReplyOk(Session& s, uint8_t item, int count) {
  if (s.link.replyCount() != count) {
    say(s, sizeMessage(s, count));
    return false;
  }
  if (!echoIs(s, item)) {
    say(s, echoMessage(s, item));
    return false;
  }
  return true;
}

// One write frame; on a one-way link the Vorn gets a breather before the next one.
bool send(Session& s, const Bytes& req) {
  if (!s.link.Transact(false, req)) return false;
  if (!s.link.opts.CheckVornBD) s.link.clock().sleepMs(kOneWayPauseMs);
  return true;
}

Bytes writeFrame(uint8_t item, std::initializer_list<uint8_t> values) {
  Bytes req{kWrite, item};
  req.insert(req.end(), values);
  return req;
}

// LED functions of one colour (item 6 green, 7 orange); false when unanswered.
bool readLedItem(Session& s, uint8_t item, std::array<TriState, 8>& boxes) {
  if (!ask(s, item)) return false;
  if (s.link.replyCount() == 3 && echoIs(s, item))
    SetLEDBoxesFromMask(boxes, s.link.reply(4));
  else
    say(s, kNoValidResponse);
  return true;
}

}  // namespace

bool ReadGenVersion(Session& s) {
  GeneralRedraw redraw(s);
  s.link.opts.CheckVornBD = true;
  s.general.VersionText = "Unknown";
  if (!ask(s, 0)) return false;
  if (s.link.replyCount() != 6) {
    say(s, "GetVersion: No valid response, size <> 6");
    return false;
  }
  if (!echoIs(s, 0)) {
    say(s, "GetVersion: No valid response");
    return false;
  }
  s.general.VersionText = num(s.link.reply(4)) + "." + num(s.link.reply(5)) + "." + num(s.link.reply(6)) +
                          "." + num(s.link.reply(7));
  return true;
}

bool ReadGenID(Session& s) {
  GeneralRedraw redraw(s);
  s.link.opts.CheckVornBD = true;
  if (!ask(s, 10)) return false;
  const int count = s.link.replyCount();
  if (count <= 1 || !echoIs(s, 10)) {
    say(s, kNoValidResponse);
    return false;
  }
  std::string id;
  for (int k = 4; k <= count + 1; ++k) id += static_cast<char>(s.link.reply(k));
  s.general.IDString = id;
  return true;
}

bool ReadGenHWC(Session& s) {
  GeneralRedraw redraw(s);
  s.link.opts.CheckVornBD = true;
  if (!ask(s, 1)) return false;
  // A reply of the wrong shape is reported but does not stop Read All.
  if (s.link.replyCount() != 6) {
    say(s, "No valid response size");
    return true;
  }
  if (!echoIs(s, 1)) {
    say(s, "No valid response type");
    return true;
  }
  for (int i = 0; i < 4; ++i) {
    const uint8_t code = s.link.reply(4 + i);
    if (code > 3) {
      say(s, "No valid response byte");
      return false;
    }
    SetHWCFromByte(s.general, i, code);
  }
  return true;
}

bool ReadGenDCC(Session& s) {
  GeneralRedraw redraw(s);
  GeneralSettings& g = s.general;
  s.link.opts.CheckVornBD = true;

  // Options first: "Allow Address 0" decides the range the addresses are checked against.
  if (!ask(s, 5)) return false;
  if (s.link.replyCount() != 3)
    say(s, "Received Address, cannot read DCC options");
  else if (!echoIs(s, 5))
    say(s, "Received Address: No valid response");
  else {
    const bool allow0 = g.DCCAllow0;
    SetDCCOptionsFromByte(g, s.link.reply(4));
    // The box's click handler: both addresses are checked again under the new rule.
    if (g.DCCAllow0 != allow0) ClickDCCAllow0(g, g.DCCAllow0);
  }

  if (!ask(s, 4)) return false;
  if (s.link.replyCount() != 4)
    say(s, "Get DCC Address: No valid response, size <> 4");
  else if (!echoIs(s, 4))
    say(s, "Get DCC Address: No valid response");
  else
    EnterDCCAddress(g, JoinAddress(s.link.reply(4), s.link.reply(5)));

  if (!ask(s, 12)) return false;
  if (s.link.replyCount() != 4 || !echoIs(s, 12))
    say(s, kNoValidResponse);
  else
    EnterXDCCAddress(g, JoinAddress(s.link.reply(4), s.link.reply(5)));
  // The bases of both address kinds follow the new settings.
  ShowDCCRange(s.model, g);
  ShowXDCCRange(s.model, g);
  return true;
}

bool ReadGenAddr(Session& s) {
  GeneralRedraw redraw(s);
  GeneralSettings& g = s.general;
  s.link.opts.CheckVornBD = true;

  if (!ask(s, 8)) return false;
  if (addrReplyOk(s, 8, 4)) {
    const bool enable = s.link.reply(4) != 0;
    // Changing the box runs its click handler, warning included unless QuietUpdate.
    if (enable != g.PalkFlexEnabled) {
      ClickPalkFlex(g, enable, s.model.QuietUpdate,
                    [&s](const std::string& text) { return s.prompter().askOkCancel(text, Icon::Warning); });
    }
    s.model.PalkFlexStart = s.link.reply(5);
  }

  if (!ask(s, 2)) return false;
  if (addrReplyOk(s, 2, 3)) g.ModuleExtAddress = s.link.reply(4);

  if (!ask(s, 3)) return false;
  if (addrReplyOk(s, 3, 6)) {
    for (int i = 0; i < 4; ++i) SetXGMFromByte(g, i, s.link.reply(4 + i));
  }
  return true;
}

bool ReadLC(Session& s) {
  GeneralRedraw redraw(s);
  s.link.opts.CheckVornBD = true;
  return readLedItem(s, 6, s.general.LCGreen) && readLedItem(s, 7, s.general.LCOrange);
}

bool ReadGenSerial(Session& s) {
  GeneralRedraw redraw(s);
  s.link.opts.CheckVornBD = true;
  if (!ask(s, 13)) return false;
  if (s.link.replyCount() != 4)
    say(s, sizeMessage(s, 4));
  else if (!echoIs(s, 13))
    say(s, echoMessage(s, 13));
  else
    SetSerialPortFromBytes(s.general, s.link.reply(4), s.link.reply(5));
  return true;
}

bool WriteGenID(Session& s) {
  GeneralSettings& g = s.general;
  g.IDString = CutIDString(g.IDString);
  if (s.onGeneralChanged) s.onGeneralChanged();
  if (!IsSendableIDString(g.IDString)) {
    // Refused rather than altered: the user decides what the Vorn is to be called.
    say(s, "The ID String holds characters the Vorn cannot store (codes above 127).\nNothing was written.");
    return false;
  }
  Bytes req{kWrite, 10};
  for (char c : g.IDString) req.push_back(static_cast<uint8_t>(c));
  return send(s, req);
}

bool WriteGenHWC(Session& s) {
  const GeneralSettings& g = s.general;
  return send(s, writeFrame(1, {HWCByte(g, 0), HWCByte(g, 1), HWCByte(g, 2), HWCByte(g, 3)}));
}

bool WriteGenDCC(Session& s) {
  const GeneralSettings& g = s.general;
  const AddressBytes dcc = SplitAddress(g.DCCAddress);
  const AddressBytes xdcc = SplitAddress(g.XDCCAddress);
  return send(s, writeFrame(5, {DCCOptionsByte(g)})) && send(s, writeFrame(4, {dcc.Lo, dcc.Hi})) &&
         send(s, writeFrame(12, {xdcc.Lo, xdcc.Hi}));
}

bool WriteGenAddr(Session& s) {
  const GeneralSettings& g = s.general;
  // The module's own extended address goes last: it may change what the Vorn answers to.
  return send(s, writeFrame(8, {uint8_t(g.PalkFlexEnabled ? 1 : 0), DataByte(s.model.PalkFlexStart)})) &&
         send(s, writeFrame(3, {XGMByte(g, 0), XGMByte(g, 1), XGMByte(g, 2), XGMByte(g, 3)})) &&
         send(s, writeFrame(2, {DataByte(g.ModuleExtAddress)}));
}

bool WriteLC(Session& s) {
  return send(s, writeFrame(6, {LEDMask(s.general.LCGreen)})) &&
         send(s, writeFrame(7, {LEDMask(s.general.LCOrange)}));
}

bool WriteGenSerial(Session& s) {
  const GeneralSettings& g = s.general;
  return send(s, writeFrame(13, {uint8_t(g.SerialEnable ? 1 : 0), SerialPortConfigByte(g)}));
}

bool EraseFlash(Session& s) {
  // A closed port is said before anything is confirmed.
  if (!s.link.isOpen()) {
    s.prompter().message("Select communications port");
    return false;
  }
  const std::string warning = "WARNING !!\nThis operation will erase the Vorn Configuration Memory\n";
  if (!s.prompter().askOkCancel(warning + "Continue?", Icon::Warning)) return false;
  // The question asks whether to cancel; its buttons say what they do, and only an explicit
  // "Erase" goes on (Escape and closing the box keep the configuration).
  if (!s.prompter().askToAct(warning + "The green LED on the Vorn will be ON during this process\n"
                                       "The erase process may take up to 45 seconds, please be patient\n\n"
                                       "Do you want to cancel this operation?",
                             Icon::Warning, kEraseButton, kKeepButton))
    return false;

  Bytes req{kWrite, 0};
  req.insert(req.end(), EraseFlashCode.begin(), EraseFlashCode.end());
  // The Vorn is busy erasing and cannot answer: the frame must not ask for a reply.
  const bool twoWay = s.link.opts.CheckVornBD;
  s.link.opts.CheckVornBD = false;
  const bool sent = s.link.Transact(false, req);
  s.link.opts.CheckVornBD = twoWay;
  return sent;
}

}  // namespace vorn
