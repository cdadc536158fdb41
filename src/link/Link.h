#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/CommLog.h"
#include "link/Prompter.h"
#include "link/SerialPort.h"

namespace vorn {

// Options of the main window that shape every frame, plus the link state bytes.
struct LinkOptions {
  int ModuleAddress = 0;  // 0..15
  int ExtAddress = 0;     // 0..95
  bool CheckVornBD = true;
  bool CheckXaddress = false;
  bool CheckKestro = false;
  int BitRateIndex = 1;  // 0 = 9600, 1 = 19200, 2 = 38400
};

int BitRateForIndex(int index);

// Reply window of the direct link and of each tunnel frame, seconds.
constexpr double kReplyWindow = 2.0;

// What every device action says, before anything else, when no port is open.
inline constexpr const char* kSelectPort = "Select communications port";

// The device link: one serial port, the request/reply transaction on the direct link or
// through the Kestro tunnel, the Palk frame and the resynchronisation pattern.
class Link {
 public:
  Link(SerialPort& port, Clock& clock, Prompter& prompter);

  LinkOptions opts;
  uint8_t LinkToggle = 0;  // 128 = resync pending, else the toggle bit of the next frame
  int TunnelToggle = 0;
  std::array<uint8_t, 21> ReplyBuffer{};
  bool ReplyOk = false;
  std::string TextResponse;  // raw bytes of the last direct reply, as the window shows them
  CommLog log;               // tunnel frames sent and received
  // Numbering base of the module number in messages (the window's "Start numbering at 1").
  std::function<int()> shownNumberBase;

  SerialPort& port() { return port_; }
  Clock& clock() { return clock_; }
  // Where the link and the device routines speak to the user; a silent one while quiet.
  Prompter& prompter();
  bool isOpen() const { return port_.isOpen(); }

  // Opens the port on a device (closing any open one first); sets LinkToggle = 128.
  bool openDevice(const std::string& path);
  void closePort();
  // Bit-rate option: closes, sets the rate and, when `reopen` and a device was picked,
  // opens it again. Returns whether the port is open afterwards.
  bool setBitRateIndex(int index, bool reopen = true);
  // Module address change: resync before the next frame.
  void setModuleAddress(int address);

  // Frames data (n = data.size(), taken modulo 16) and exchanges it with the Vorn.
  bool Transact(bool wantReply, const std::vector<uint8_t>& data);
  bool Transact(bool wantReply, std::initializer_list<uint8_t> data) {
    return Transact(wantReply, std::vector<uint8_t>(data));
  }
  void SendResync();
  // One-way Palk frame; false when the port was closed or refused the bytes.
  bool SendPalkFrame(uint8_t a, uint8_t c, uint8_t p1, uint8_t p2);

  // One direct reply into ReplyBuffer within the 2.0 s window (used by Transact).
  bool ReceiveReply();
  // One tunnel frame out and its answer in (ReplyBuffer: [0] = size, [1..] payload).
  bool TunnelSend(const std::vector<uint8_t>& payload);
  // Log text of the valid tunnel frame received within 2.0 s, or "".
  std::string TunnelReceive();

  // The device last picked (kept while the port is closed, for bit-rate changes).
  const std::string& pickedDevice() const { return picked_; }
  // How many times a device was picked: a new pick may be another Vorn.
  int devicePicks() const { return opened_; }
  // Called with every request before it goes out (the session watches for writes).
  std::function<void(const std::vector<uint8_t>&)> onRequest;
  // Set when the port failed while open and was closed; cleared by openDevice.
  bool portLost() const { return portLost_; }
  // Called before every exchange (a request frame or a Palk frame) goes out, before anything
  // is sent; a session ends a stopped job here, between two exchanges, by throwing.
  std::function<void()> beforeExchange;
  // What a window shows of a link whose work runs elsewhere: the port picked, how often, a
  // lost port, the last reply and the log are taken over from the link that did the work.
  void mirrorStatusFrom(const Link& other);

  // A job begins. A reply that does not come gets the hint of what to check once a job (not
  // once a request), and only while the Vorn has not answered since: one that answered is
  // powered, cabled and addressed right.
  void beginJob() {
    noAnswerHinted_ = answered_ = false;
    lastProblem_.clear();
  }
  // First line of the last fault the link reported since the job began ("" when none): the
  // reason a failed job gives in the status line.
  const std::string& lastProblem() const { return lastProblem_; }
  // What to check when the Vorn did not answer: power and cable, the module address in use,
  // the bit rate, and the Kestro option when a Kestro interface seems to be on the port.
  std::string noAnswerHint() const;

  // How long a reply may take, per direct reply and per tunnel frame (kReplyWindow unless
  // set). Looking for modules on a bus shortens it: a silent address then costs a fraction
  // of a second instead of two.
  void setReplyWindow(double seconds) { replyWindow_ = seconds; }
  double replyWindow() const { return replyWindow_; }
  // While quiet, messages are not shown (the last problem is still kept) and questions get
  // their default answer: a silent address is what a search expects, not a fault.
  void setQuiet(bool on) { quiet_ = on; }
  bool quiet() const { return quiet_; }

  // Reply helpers for callers: data count and byte k of ReplyBuffer.
  int replyCount() const { return ReplyBuffer[1] % 16; }
  uint8_t reply(int k) const { return ReplyBuffer.at(static_cast<size_t>(k)); }

 private:
  bool TransactTunnel(bool wantReply, const std::vector<uint8_t>& data);
  bool writeAll(const std::vector<uint8_t>& bytes);
  int readWithin(double start, double seconds);
  void portFailed();
  void say(const std::string& text, Icon icon = Icon::None);

  SerialPort& port_;
  Clock& clock_;
  Prompter& prompter_;
  std::string picked_;
  bool portLost_ = false;
  int opened_ = 0;
  bool noAnswerHinted_ = false;
  bool answered_ = false;
  std::string lastProblem_;
  bool kestroHeard_ = false;  // the last reply window brought a Kestro frame, no Vorn reply
  bool bytesHeard_ = false;   // ... or at least some bytes
  double replyWindow_;
  bool quiet_ = false;
};

}  // namespace vorn
