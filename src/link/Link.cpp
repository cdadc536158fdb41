#include "link/Link.h"

#include <cmath>

#include "link/FrameCodec.h"

namespace vorn {

namespace {
constexpr int kPortLost = -2;
constexpr int kWindowOver = -1;

class SilentPrompter : public Prompter {
 public:
  void message(const std::string&, Icon) override {}
  bool askOkCancel(const std::string&, Icon) override { return false; }
  bool askYesNo(const std::string&, Icon) override { return false; }
  bool askToAct(const std::string&, Icon, const std::string&, const std::string&) override { return false; }
};
}  // namespace

int BitRateForIndex(int index) {
  switch (index) {
    case 0: return 9600;
    case 2: return 38400;
    default: return 19200;
  }
}

Link::Link(SerialPort& port, Clock& clock, Prompter& prompter)
    : port_(port), clock_(clock), prompter_(prompter), replyWindow_(kReplyWindow) {
  port_.setBaudRate(BitRateForIndex(opts.BitRateIndex));
}

bool Link::openDevice(const std::string& path) {
  if (port_.isOpen()) port_.close();
  picked_ = path;
  ++opened_;
  portLost_ = false;
  noAnswerHinted_ = answered_ = false;  // another line or Vorn: hint again
  port_.setDevice(path);
  port_.setBaudRate(BitRateForIndex(opts.BitRateIndex));
  if (!port_.open()) return false;
  LinkToggle = 128;
  return true;
}

void Link::closePort() {
  if (port_.isOpen()) port_.close();
}

bool Link::setBitRateIndex(int index, bool reopen) {
  if (port_.isOpen()) port_.close();
  opts.BitRateIndex = (index >= 0 && index <= 2) ? index : 1;
  noAnswerHinted_ = answered_ = false;  // another line or Vorn: hint again
  port_.setBaudRate(BitRateForIndex(opts.BitRateIndex));
  if (reopen && !picked_.empty()) {
    portLost_ = false;
    if (port_.open()) LinkToggle = 128;
  }
  return port_.isOpen();
}

void Link::setModuleAddress(int address) {
  opts.ModuleAddress = address;
  LinkToggle = 128;
  noAnswerHinted_ = answered_ = false;  // another line or Vorn: hint again
}

Prompter& Link::prompter() {
  static SilentPrompter silent;
  return quiet_ ? silent : prompter_;
}

void Link::say(const std::string& text, Icon icon) {
  lastProblem_ = text.substr(0, text.find('\n'));
  prompter().message(text, icon);
}

std::string Link::noAnswerHint() const {
  const int base = shownNumberBase ? shownNumberBase() : 0;
  std::string text = "Check that the Vorn has power and its cable is in, that it is module " +
                     std::to_string(opts.ModuleAddress + base) +
                     " (the module address in use) and that it runs at " +
                     std::to_string(BitRateForIndex(opts.BitRateIndex)) + " bit/s.";
  if (kestroHeard_) {
    text += "\nA Kestro interface answered on this port: tick \"Use Kestro Tunneling\".";
  } else if (bytesHeard_) {
    text +=
        "\nBytes came back that make no Vorn reply: another bit rate, or a Kestro interface (\"Use Kestro "
        "Tunneling\")?";
  }
  return text;
}

// A port that fails while open (adapter pulled, far end gone) is closed at once and
// reported once; the running exchange then ends without a reply.
void Link::portFailed() {
  std::string why = port_.errorText();
  std::string name = port_.device();
  if (port_.isOpen()) port_.close();
  if (portLost_) return;
  portLost_ = true;
  std::string text = "The communications port " + name + " stopped working and has been closed.";
  if (!why.empty()) text += "\n" + why;
  say(text, Icon::Warning);
}

// Every caller checked that the port was open before the exchange began: a port found
// closed here was closed by the port itself on an error (a drained read, say).
bool Link::writeAll(const std::vector<uint8_t>& bytes) {
  if (port_.isOpen() && port_.writeBytes(bytes.data(), bytes.size())) return true;
  portFailed();
  return false;
}

// Next received byte within the window that began at `start`; blocks on the port for at
// most the time left instead of polling.
int Link::readWithin(double start, double seconds) {
  for (;;) {
    if (!port_.isOpen()) return kPortLost;
    if (port_.bytesWaiting() > 0) {
      int b = port_.readByte();
      if (b >= 0) return b;
    }
    if (!port_.isOpen()) return kPortLost;
    const double elapsed = clock_.now() - start;
    if (elapsed >= seconds || elapsed < 0) return kWindowOver;
    const int ms = std::max(1, static_cast<int>(std::ceil((seconds - elapsed) * 1000.0)));
    port_.waitForData(ms);
  }
}

void Link::SendResync() {
  if (!port_.isOpen()) return;
  writeAll(ResyncPattern());
}

bool Link::ReceiveReply() {
  ReplyReceiver rx(ReplyBuffer);
  // The same bytes seen as a Kestro frame tell a Kestro interface from a silent line; it
  // fills a buffer of its own, ReplyBuffer stays the Vorn's.
  std::array<uint8_t, 21> asTunnel{};
  TunnelReceiver kestro(asTunnel);
  kestro.reset();
  kestroHeard_ = false;
  bytesHeard_ = false;
  const double start = clock_.now();
  for (;;) {
    const int b = readWithin(start, replyWindow_);
    if (b >= 0) {
      bytesHeard_ = true;
      if (kestro.feed(static_cast<uint8_t>(b)) == TunnelReceiver::Event::Complete) kestroHeard_ = true;
    }
    if (b == kPortLost) {
      portFailed();
      return false;
    }
    if (b == kWindowOver) return false;
    switch (rx.feed(static_cast<uint8_t>(b))) {
      case ReplyReceiver::Event::Complete: return true;
      case ReplyReceiver::Event::ExtAddressByte: {
        const int x = rx.extByte();
        if (opts.CheckXaddress && x != opts.ExtAddress)
          say("Incorrect eXtended Address byte \nReceived " + std::to_string(x) + " Expected " +
              std::to_string(opts.ExtAddress));
        else if (!opts.CheckXaddress)
          say("Unexpected eXtended Address Byte " + std::to_string(x));
        break;
      }
      case ReplyReceiver::Event::None:
      case ReplyReceiver::Event::ChecksumBad: break;
    }
  }
}

void Link::mirrorStatusFrom(const Link& other) {
  LinkToggle = other.LinkToggle;
  TunnelToggle = other.TunnelToggle;
  ReplyBuffer = other.ReplyBuffer;
  ReplyOk = other.ReplyOk;
  TextResponse = other.TextResponse;
  if (log.text() != other.log.text()) log.setText(other.log.text());
  picked_ = other.picked_;
  portLost_ = other.portLost_;
  opened_ = other.opened_;
  lastProblem_ = other.lastProblem_;
}

bool Link::Transact(bool wantReply, const std::vector<uint8_t>& data) {
  if (beforeExchange) beforeExchange();
  ReplyOk = false;
  if (!port_.isOpen()) {
    say(kSelectPort);
    return false;
  }
  if (onRequest) onRequest(data);
  if (opts.CheckKestro) return TransactTunnel(wantReply, data);

  const uint8_t a = VornAddressByte(opts.ModuleAddress);
  if (LinkToggle == 128) {
    SendResync();
    if (!writeAll({a, 192, static_cast<uint8_t>(192 - a)})) return false;
    LinkToggle = 64;
  }
  VornFrameParams p;
  p.moduleAddress = opts.ModuleAddress;
  p.toggle = LinkToggle;
  p.wantAnswer = opts.CheckVornBD;
  p.extended = opts.CheckXaddress;
  p.extAddress = opts.ExtAddress;
  const std::vector<uint8_t> frame = BuildVornFrame(p, data);
  if (!writeAll(frame)) return false;

  if (opts.CheckVornBD) {
    if (!ReceiveReply()) {
      if (portLost_ && !port_.isOpen()) return false;
      std::string text = "No response received, resetting bidirectional communication";
      if (!noAnswerHinted_ && !answered_) text += "\n" + noAnswerHint();
      noAnswerHinted_ = true;
      say(text);
      opts.CheckVornBD = false;
    } else {
      TextResponse = "[" + Hex(ReplyBuffer[0]) + "]";
      const int count = ReplyBuffer[1] % 16;
      for (int i = 1; i <= count + 1; ++i)
        TextResponse += " [" + Hex(ReplyBuffer[static_cast<size_t>(i)]) + "]";
      answered_ = true;
      if (ReplyBuffer[0] == frame[0] && ReplyBuffer[1] > 95) {
        ReplyOk = true;
      } else {
        say("Invalid response received, \nReceived: Addr = " + std::to_string(ReplyBuffer[0]) + " Header = " +
            std::to_string(ReplyBuffer[1]) + "\nExpected: Addr = " + std::to_string(a) + " Header > 95 ");
      }
    }
  }
  LinkToggle = static_cast<uint8_t>((LinkToggle + 64) % 128);
  return true;
}

bool Link::TransactTunnel(bool wantReply, const std::vector<uint8_t>& data) {
  const size_t n = data.size() % 16;
  const uint8_t module = static_cast<uint8_t>(96 + (opts.ModuleAddress & 15));
  std::vector<uint8_t> payload{0, module, static_cast<uint8_t>((opts.CheckXaddress ? 112 : 96) + n)};
  if (opts.CheckXaddress) payload.push_back(static_cast<uint8_t>(opts.ExtAddress & 127));
  for (size_t i = 0; i < n; ++i) payload.push_back(data[i] & 127);

  ReplyOk = TunnelSend(payload);
  if (!ReplyOk) return false;
  if (!wantReply) {
    ReplyOk = TunnelSend({});
    return ReplyOk;
  }

  const double start = clock_.now();
  bool matched = false;
  while (ReplyOk) {
    if (ReplyBuffer[0] >= 4 && ReplyBuffer[1] == 0 && ReplyBuffer[2] == module) {
      matched = true;
      ReplyBuffer[0] = static_cast<uint8_t>(4 * (ReplyBuffer[2] % 32) + 3);
      ReplyBuffer[1] = 0;
      const uint8_t h = ReplyBuffer[3];
      int shift = 2;
      if (h & 16) {
        const int x = ReplyBuffer[4] % 128;
        if (!opts.CheckXaddress) {
          say("Unexpected eXtended Address Byte " + std::to_string(x));
          shift = 0;
        } else if (x != opts.ExtAddress) {
          say("Incorrect eXtended Address byte \nReceived " + std::to_string(x) + " Expected " +
              std::to_string(opts.ExtAddress));
          shift = 0;
        } else {
          shift = 3;
        }
      }
      // A header left at 0 fails every caller's size check: the reply is unusable.
      if (shift > 0) {
        ReplyBuffer[1] = h;
        for (size_t i = 2; i <= 16; ++i) ReplyBuffer[i] = ReplyBuffer[i + static_cast<size_t>(shift)];
      }
      break;
    }
    const double elapsed = clock_.now() - start;
    if (elapsed >= replyWindow_ || elapsed < 0) break;
    ReplyOk = TunnelSend({});
  }
  // Polls that kept being answered without our reply are no reply either, and unlike the
  // Kestro system's own silence nothing has said so yet.
  if (!matched && ReplyOk) {
    const int base = shownNumberBase ? shownNumberBase() : 0;
    say("No response received from module " + std::to_string(opts.ModuleAddress + base) +
            " through the Kestro interface",
        Icon::Warning);
  }
  if (!matched) ReplyOk = false;
  return ReplyOk;
}

bool Link::SendPalkFrame(uint8_t a, uint8_t c, uint8_t p1, uint8_t p2) {
  if (beforeExchange) beforeExchange();
  if (!port_.isOpen()) {
    say(kSelectPort);
    return false;
  }
  if (LinkToggle == 128) {
    SendResync();
    if (!writeAll(BuildPalkFrame(a, 0, 0, 0))) return false;
    LinkToggle = 64;
  }
  return writeAll(BuildPalkFrame(a, c, p1, p2));
}

bool Link::TunnelSend(const std::vector<uint8_t>& payload) {
  while (port_.bytesWaiting() > 0) port_.readByte();
  const std::vector<uint8_t> frame = BuildTunnelFrame(TunnelToggle, payload);
  std::string line = "> ";
  for (size_t i = 0; i < frame.size(); ++i) line += Hex(i == 0 ? frame[i] : frame[i] & 127u);
  if (!writeAll(frame)) return false;
  log.appendLine(line);
  TunnelToggle = 1 - TunnelToggle;
  if (TunnelReceive().empty()) {
    if (!port_.isOpen()) return false;  // the port failure has been reported
    std::string text = "No answer from Kestro";
    if (!noAnswerHinted_ && !answered_) {
      text += "\nCheck the Kestro interface's power and cable and the bit rate (" +
              std::to_string(BitRateForIndex(opts.BitRateIndex)) +
              " bit/s); a Vorn cabled straight to this port needs \"Use Kestro Tunneling\" unticked.";
    }
    noAnswerHinted_ = true;
    say(text, Icon::Warning);
    return false;
  }
  answered_ = true;
  return true;
}

std::string Link::TunnelReceive() {
  TunnelReceiver rx(ReplyBuffer);
  rx.reset();
  std::string result;
  const double start = clock_.now();
  for (;;) {
    const int b = readWithin(start, replyWindow_);
    if (b == kPortLost) {
      portFailed();
      break;
    }
    if (b == kWindowOver) break;
    const auto ev = rx.feed(static_cast<uint8_t>(b));
    if (ev == TunnelReceiver::Event::Complete) {
      result = rx.logLine();
      break;
    }
    if (ev == TunnelReceiver::Event::ChecksumBad) {
      say("Checksum Error\nSize = " + std::to_string(rx.size()) + rx.logLine());
      break;
    }
  }
  log.appendLine(rx.logLine());
  return result;
}

}  // namespace vorn
