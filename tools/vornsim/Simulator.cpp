#include "Simulator.h"

#include <algorithm>

namespace vornsim {

namespace {

constexpr std::uint8_t kPollReplyMarker = 0;  // first payload byte of a tunnelled Vorn message

bool startsWith(const Bytes& data, const std::vector<std::vector<int>>& prefixes) {
  for (const auto& prefix : prefixes) {
    if (prefix.size() <= data.size() && std::equal(prefix.begin(), prefix.end(), data.begin())) return true;
  }
  return false;
}

}  // namespace

bool Simulator::applyRequestFaults(const Bytes& request, Bytes& reply) const {
  if (startsWith(request, opts_.ignoreRequests)) return false;
  if (startsWith(request, opts_.shortReplies) && !reply.empty()) reply.pop_back();
  if (startsWith(request, opts_.wrongEchoes) && reply.size() >= 2) reply[1] = (reply[1] + 1) & 0x7F;
  return true;
}

bool Simulator::answers(int m) {
  if (m != opts_.silentModule) return true;
  if (silentCount_ >= static_cast<unsigned>(opts_.silentAfter)) {
    log_.line("SILENT m=" + std::to_string(m));
    return false;
  }
  ++silentCount_;
  return true;
}

Simulator::Simulator(const Options& options, SimLog& log) : opts_(options), log_(log) {
  for (std::size_t i = 0; i < opts_.modules.size(); ++i) {
    const int m = opts_.modules[i];
    VornState s = opts_.demo ? demoState() : defaultState();
    if (i < opts_.ids.size()) s.general.id = opts_.ids[i];
    if (opts_.xaddr >= 0) s.general.extAddress = static_cast<std::uint8_t>(opts_.xaddr);
    devices_[m] = std::make_unique<VornDevice>(std::move(s), opts_.oldFirmware);
    lastToggle_[m] = -1;
  }
}

VornDevice* Simulator::device(int module) {
  auto it = devices_.find(module);
  return it == devices_.end() ? nullptr : it->second.get();
}

void Simulator::dumpState() {
  auto list = [](auto const& arr) { return SimLog::list(Bytes(arr.begin(), arr.end())); };
  log_.line("DUMP");
  for (const auto& [m, dev] : devices_) {
    const VornState& s = dev->state();
    const GeneralState& g = s.general;
    const std::string mod = "m=" + std::to_string(m);
    log_.line("GEN " + mod + " version=" + list(g.version) + " hardware=" + list(g.hardware) +
              " ext=" + std::to_string(g.extAddress) + " mask=" + list(g.groupMask) +
              " dcc=" + list(g.dccAddress) + " options=" + std::to_string(g.dccOptions) +
              " green=" + std::to_string(g.greenLed) + " orange=" + std::to_string(g.orangeLed) +
              " palk=" + std::to_string(g.palkFlexFlag) + "," + std::to_string(g.palkFlexStart) +
              " enable=" + std::to_string(g.enableOnMap) + "," + std::to_string(g.enableOffMap) +
              " xdcc=" + list(g.xdccAddress) + " serial=" + std::to_string(g.serialEnable) + "," +
              std::to_string(g.serialConfig) + " id=" + g.id);
    for (int p = 0; p < kPins; ++p) {
      const PinState& pin = s.pins[p];
      std::string slots;
      for (const auto& slot : pin.slots) slots += (slots.empty() ? "" : ";") + list(slot);
      log_.line("PIN " + mod + " p=" + std::to_string(p) + " layout=" + std::to_string(pin.layout) +
                " init=" + std::to_string(pin.initNibble) + " on=" + list(pin.eventOn) +
                " off=" + list(pin.eventOff) + " addr=" + std::to_string(pin.dccByte) + "," +
                std::to_string(pin.serialByte) + "," + std::to_string(pin.pointerByte) + " stored=" +
                list(pin.stored) + " active=" + list(pin.active) + " live=" + std::to_string(pin.liveLevel) +
                " aspect=" + std::to_string(pin.liveAspect) + " slots=" + slots);
    }
  }
  log_.line("DUMP-END");
}

void Simulator::onHostClosed() {
  reader_.reset();
  tunnel_ = TunnelReader{};
  pendingTunnelReplies_.clear();
  for (auto& [m, t] : lastToggle_) t = -1;
  afterResync_ = false;
  lastTunnelToggle_ = -1;
  lastTunnelAnswer_.clear();
}

bool Simulator::countFrame(Output& out) {
  ++frames_;
  if (opts_.vanishAfter > 0 && frames_ >= static_cast<unsigned>(opts_.vanishAfter)) {
    log_.line("VANISH frames=" + std::to_string(frames_));
    out.vanish();
    return false;
  }
  return true;
}

void Simulator::onByte(std::uint8_t b, Output& out) {
  if (tunnelling()) {
    if (auto ev = tunnel_.feed(b)) onTunnelEvent(*ev, out);
    return;
  }
  if (auto ev = reader_.feed(b)) onLineEvent(*ev, out);
}

void Simulator::onIdle(Output& out) {
  if (tunnelling()) {
    if (auto ev = tunnel_.idle()) onTunnelEvent(*ev, out);
  } else if (auto ev = reader_.idle()) {
    onLineEvent(*ev, out);
  }
}

void Simulator::refuse(int module, const std::string& reason, const Bytes& bytes) {
  ++refusals_;
  log_.line("REFUSED m=" + (module < 0 ? std::string("-") : std::to_string(module)) + " reason=" + reason +
            " bytes=" + SimLog::list(bytes));
}

void Simulator::onLineEvent(const RxEvent& ev, Output& out) {
  const bool closesResync = afterResync_;
  afterResync_ = false;
  switch (ev.kind) {
    case RxEvent::Kind::Resync:
      log_.line("RESYNC");
      // The frame that closes a resynchronisation carries toggle 0; the next one 1.
      for (auto& [m, t] : lastToggle_) t = 1;
      for (auto& [m, r] : lastReply_) r.clear();
      afterResync_ = true;
      break;
    case RxEvent::Kind::BadChecksum:
      log_.line("BADSUM raw=" + SimLog::list(ev.raw));
      refuse(-1, "checksum", ev.raw);
      break;
    case RxEvent::Kind::CutShort: refuse(-1, "frame cut short", ev.raw); break;
    case RxEvent::Kind::Palk:
      // A Palk frame may close the resynchronisation in place of the empty Vorn frame.
      if (closesResync)
        for (auto& [m, t] : lastToggle_) t = 0;
      if (countFrame(out)) onPalk(ev.raw[0], ev.data);
      break;
    case RxEvent::Kind::Vorn:
      if (countFrame(out)) onVornFrame(ev, out);
      break;
  }
}

void Simulator::onPalk(std::uint8_t address, const Bytes& p) {
  log_.line("PALK a=" + std::to_string(address) + " c=" + std::to_string(p[0]) +
            " p1=" + std::to_string(p[1]) + " p2=" + std::to_string(p[2]));
}

VornDevice* Simulator::accepting(int module, bool hasExt, std::uint8_t ext) {
  VornDevice* dev = device(module);
  if (dev == nullptr) return nullptr;
  if (hasExt && opts_.xaddr >= 0 && ext != dev->extAddress()) {
    log_.line("IGNORED m=" + std::to_string(module) + " x=" + std::to_string(ext) +
              " reason=extended address " + std::to_string(dev->extAddress()));
    return nullptr;
  }
  return dev;
}

bool Simulator::execute(int module, bool hasExt, std::uint8_t ext, const Bytes& data, Bytes& reply,
                        bool& replyExt, std::uint8_t& replyExtByte) {
  VornDevice* dev = accepting(module, hasExt, ext);
  if (dev == nullptr) return false;
  const unsigned erasedBefore = dev->erasures();
  reply = dev->execute(data);
  if (dev->erasures() != erasedBefore) log_.line("ERASED m=" + std::to_string(module));
  replyExt = hasExt;
  replyExtByte = ext;
  if (opts_.replyXaddr >= 0) {
    replyExt = true;
    replyExtByte = static_cast<std::uint8_t>(opts_.replyXaddr);
  }
  return true;
}

void Simulator::onVornFrame(const RxEvent& ev, Output& out) {
  const int m = ev.module();
  log_.line("VORN m=" + std::to_string(m) + " t=" + (ev.toggle() ? "1" : "0") +
            " b=" + (ev.wantsReply() ? "1" : "0") + " x=" + (ev.hasExt ? std::to_string(ev.ext) : "-") +
            " data=" + SimLog::list(ev.data) + " raw=" + SimLog::list(ev.raw));
  if (accepting(m, ev.hasExt, ev.ext) == nullptr) return;
  // The toggle bit tells a new frame from the same frame sent again: a repeat is answered
  // with the previous reply and not carried out a second time.
  int& last = lastToggle_[m];
  const int toggle = ev.toggle() ? 1 : 0;
  if (last == toggle) {
    log_.line("REPEAT m=" + std::to_string(m));
    refuse(m, "toggle not flipped", ev.raw);
    if (!opts_.ignoreToggle) {
      if (ev.wantsReply() && !opts_.mute && !lastReply_[m].empty()) sendFrame(lastReply_[m], out);
      return;
    }
  }
  last = toggle;
  lastReply_[m].clear();
  if (const std::string why = device(m)->refusal(ev.data); !why.empty()) {
    refuse(m, why, ev.data);
    return;
  }
  Bytes reply;
  bool replyExt = false;
  std::uint8_t replyExtByte = 0;
  if (!execute(m, ev.hasExt, ev.ext, ev.data, reply, replyExt, replyExtByte)) return;
  if (!ev.wantsReply() || opts_.mute || !applyRequestFaults(ev.data, reply) || !answers(m)) return;
  lastReply_[m] = buildVornReply(ev.start, replyExt, replyExtByte, reply);
  sendFrame(lastReply_[m], out);
}

void Simulator::onTunnelledVorn(const Bytes& payload) {
  // 0, 96 + module, header, [extended address], data...
  const int m = payload[1] - 96;
  const std::uint8_t header = payload[2];
  const bool hasExt = (header & 0x10) != 0;
  std::size_t i = 3;
  std::uint8_t ext = 0;
  if (hasExt) {
    if (payload.size() < 4) return;
    ext = payload[i++];
  }
  const Bytes data(payload.begin() + static_cast<long>(i), payload.end());
  log_.line("VORN m=" + std::to_string(m) + " t=- b=1 x=" + (hasExt ? std::to_string(ext) : "-") +
            " data=" + SimLog::list(data) + " via=tunnel");
  if (data.size() != (header & 0x0Fu)) {
    refuse(m, "count", payload);
    return;
  }
  if (VornDevice* dev = device(m); dev != nullptr) {
    if (const std::string why = dev->refusal(data); !why.empty()) {
      refuse(m, why, data);
      return;
    }
  }
  Bytes reply;
  bool replyExt = false;
  std::uint8_t replyExtByte = 0;
  if (!execute(m, hasExt, ext, data, reply, replyExt, replyExtByte) || opts_.mute) return;
  if (!applyRequestFaults(data, reply) || !answers(m)) return;
  Bytes tunnelled{kPollReplyMarker, static_cast<std::uint8_t>(96 + m),
                  static_cast<std::uint8_t>(0x60 | (replyExt ? 0x10 : 0) | (reply.size() & 0x0F))};
  if (replyExt) tunnelled.push_back(replyExtByte);
  tunnelled.insert(tunnelled.end(), reply.begin(), reply.end());
  pendingTunnelReplies_.push_back(tunnelled);
}

void Simulator::onTunnelEvent(const TunnelEvent& ev, Output& out) {
  if (ev.kind == TunnelEvent::Kind::BadChecksum) {
    log_.line("BADSUM raw=" + SimLog::list(ev.raw) + " via=tunnel");
    return;
  }
  if (!countFrame(out)) return;
  if (ev.kind == TunnelEvent::Kind::Palk) {
    onPalk(ev.raw[0], ev.payload);
    return;
  }
  const Bytes& p = ev.payload;
  log_.line("TUNNEL s=" + std::to_string(p.size()) + " data=" + SimLog::list(p) +
            " raw=" + SimLog::list(ev.raw));
  // Like the Vorn, the interface tells a new frame from one sent again by its toggle bit. An
  // empty poll is let through: the host sets the toggle to 1 whenever the tunnel is switched on,
  // whatever the last frame carried, and then polls first.
  const int toggle = ev.toggle() ? 1 : 0;
  if (toggle == lastTunnelToggle_ && !p.empty()) {
    refuse(-1, "tunnel toggle not flipped", ev.raw);
    sendFrame(lastTunnelAnswer_, out);
    return;
  }
  lastTunnelToggle_ = toggle;
  Bytes answer;
  bool switchToTransparent = false;
  if (p.empty()) {
    if (!pendingTunnelReplies_.empty()) {
      answer = pendingTunnelReplies_.front();
      pendingTunnelReplies_.pop_front();
    }
  } else if (p.size() == 2 && p[0] == 1 && p[1] == 2) {
    const int v = opts_.protocolVersion;
    answer = {1, 2, static_cast<std::uint8_t>((v / 1000) * 8 + (v / 100) % 10),
              static_cast<std::uint8_t>(((v / 10) % 10) * 8 + v % 10)};
  } else if (p.size() == 2 && p[0] == 1 && p[1] == 10) {
    const int v = opts_.ifaceVersion;
    answer = {1, 10, static_cast<std::uint8_t>(opts_.kestro),
              static_cast<std::uint8_t>((v / 1000) * 8 + (v / 100) % 10),
              static_cast<std::uint8_t>(((v / 10) % 10) * 8 + v % 10)};
  } else if (p.size() == 3 && p[0] == 1 && p[1] == 5 && p[2] == 16) {
    switchToTransparent = true;
  } else if (p.size() >= 3 && p[0] == 0 && (p[1] & 0x70) == 0x60) {
    onTunnelledVorn(p);
  }
  lastTunnelAnswer_ = buildTunnelFrame(answer, ev.toggle());
  sendFrame(lastTunnelAnswer_, out);
  if (switchToTransparent) {
    transparent_ = true;
    log_.line("TRANSPARENT");
  }
}

void Simulator::sendFrame(const Bytes& frame, Output& out) {
  ++replies_;
  Bytes bytes;
  if (opts_.noise) {
    for (int k = 0; k < 3; ++k) {
      noiseSeed_ = noiseSeed_ * 1103515245u + 12345u;
      bytes.push_back(static_cast<std::uint8_t>(0x80 | ((noiseSeed_ >> 16) & 0x7F)));
    }
  }
  if (opts_.corruptEvery > 0 && replies_ % static_cast<unsigned>(opts_.corruptEvery) == 0) {
    Bytes bad = frame;
    bad.back() = static_cast<std::uint8_t>(0x80 | ((bad.back() + 1) & 0x7F));
    bytes.insert(bytes.end(), bad.begin(), bad.end());
  }
  bytes.insert(bytes.end(), frame.begin(), frame.end());
  log_.line("REPLY raw=" + SimLog::list(frame));
  out.send(bytes, opts_.latencyMs);
}

}  // namespace vornsim
