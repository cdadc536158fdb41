#pragma once

// A small Vorn for the pin, event-control and job tests: it keeps what the host writes and
// answers every read the way the device does, over the in-memory serial port. Faults are
// scripted per request.

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "FakeSerialPort.h"
#include "FrameBuilder.h"

namespace vorn::test {

class PinTestVorn {
 public:
  using Bytes = std::vector<uint8_t>;

  struct Pin {
    uint8_t layout = 0;
    std::array<std::array<std::array<uint8_t, 5>, 9>, 12> slots{};
    uint8_t init = 0x7F;
    std::array<uint8_t, 4> on{0x00, 0x11, 0x22, 0x33};  // input j sets aspect j, as the tool starts
    std::array<uint8_t, 4> off{0x0F, 0x1F, 0x2F, 0x3F};
    std::array<uint8_t, 3> addr{9, 17, 64};  // DCC 1 + XDCC 1, serial 1, device pointer 0
    Bytes config{0};
    Bytes active{0};
  };

  explicit PinTestVorn(FakeSerialPort& port) : port_(port) {
    port_.responder = [this](const Bytes& chunk) {
      for (const HostFrame& f : parser_.feed(chunk)) handle(f);
    };
  }

  std::array<Pin, 32> pins{};
  // Item -> values as the read reply carries them: what a window that has read nothing shows.
  std::map<int, Bytes> general{
      {0, {1, 2, 3, 4}}, {1, {0, 0, 0, 0}}, {2, {0}}, {3, {0, 0, 0, 0}}, {4, {1, 0}},  {5, {0}},    {6, {0}},
      {7, {0}},          {8, {0, 0}},       {10, {}}, {11, {0, 0}},      {12, {1, 0}}, {13, {0, 0}}};

  // Every data frame the host sent, in order (empty frames of the resync left out).
  std::vector<HostFrame> frames;
  // Scripted faults: return true to stay silent on this request.
  std::function<bool(const Bytes& req)> silentOn;
  // Scripted answers: reply data (from the echo on) replacing the normal answer.
  std::function<std::optional<Bytes>(const Bytes& req)> customReply;

  // The second byte (pin or item) of each request whose first data byte is `cmd`, in order.
  std::vector<int> targetsOf(uint8_t cmd) const {
    std::vector<int> out;
    for (const auto& f : frames) {
      if (f.data.size() > 1 && f.data[0] == cmd) out.push_back(f.data[1]);
    }
    return out;
  }

 private:
  static Bytes cat(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  }
  void handle(const HostFrame& f) {
    if (f.data.empty()) return;
    frames.push_back(f);
    const Bytes& d = f.data;
    std::optional<Bytes> reply = customReply ? customReply(d) : std::nullopt;
    if (!reply) reply = apply(d);
    if (!f.wantsReply() || (silentOn && silentOn(d))) return;
    port_.queue(ReplyFrame(f.start, *reply));
  }

  Bytes apply(const Bytes& d) {
    const uint8_t cmd = d[0];
    if (cmd == 112 && d.size() >= 2) return cat({112, d[1]}, general[d[1]]);
    if (cmd == 96 && d.size() >= 2) {
      general[d[1]] = Bytes(d.begin() + 2, d.end());
      return {96, d[1]};
    }
    if (d.size() < 2 || d[1] > 31) return {cmd};
    Pin& p = pins[d[1]];
    const uint8_t pin = d[1];
    switch (cmd) {
      case 'r': return {'r', pin, p.layout};
      case 's':
        return cat({'s', pin, d[2], d[3]},
                   Bytes(p.slots.at(d[2]).at(d[3]).begin(), p.slots[d[2]][d[3]].end()));
      case 't': return {'t', pin, p.init, p.on[0], p.on[1], p.on[2], p.on[3]};
      case 'u': return {'u', pin, p.off[0], p.off[1], p.off[2], p.off[3]};
      case 'v': return {'v', pin, p.addr[0], p.addr[1], p.addr[2]};
      case 'q':
      case 'Q': return cat({cmd, pin}, cmd == 'q' ? p.config : p.active);
      case 'b': p.layout = d[2]; break;
      case 'c': std::copy(d.begin() + 4, d.begin() + 9, p.slots.at(d[2]).at(d[3]).begin()); break;
      case 'd':
      case 'e':
        for (size_t k = 2; k < d.size(); ++k) {
          const int hi = d[k] / 16;
          if (hi == 7 && cmd == 'd') p.init = d[k];
          if (hi < 4) (cmd == 'd' ? p.on : p.off)[static_cast<size_t>(hi)] = d[k];
        }
        break;
      case 'f': p.addr = {d[2], d[3], d[4]}; break;
      case 'a': p.config.assign(d.begin() + 2, d.end()); break;
      case 'A': p.active.assign(d.begin() + 2, d.end()); break;
      default: break;
    }
    return {cmd, pin};
  }

  FakeSerialPort& port_;
  HostFrameParser parser_;
};

}  // namespace vorn::test
