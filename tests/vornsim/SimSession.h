#pragma once
// The simulator seen through a bare file descriptor on its pseudo-terminal, with frames built
// and replies parsed by hand, so it is checked without any of the host's link code.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SimProcess.h"

namespace vorn::test {

using ByteList = std::vector<std::uint8_t>;

inline std::uint8_t check7(const ByteList& bytes) {
  unsigned sum = 0;
  for (auto b : bytes) sum += b & 0x7F;
  return static_cast<std::uint8_t>(0x80 | ((128 - sum % 128) % 128));
}

// A Vorn request: start 4m+3 (+64 toggle), header 192 + 32B + 16X + n, [ext], data, check.
inline ByteList vornFrame(int module, bool toggle, const ByteList& data, bool reply = true, int ext = -1) {
  ByteList f{static_cast<std::uint8_t>((toggle ? 64 : 0) + 4 * module + 3),
             static_cast<std::uint8_t>(192 + (reply ? 32 : 0) + (ext >= 0 ? 16 : 0) + data.size())};
  if (ext >= 0) f.push_back(static_cast<std::uint8_t>(128 + ext));
  for (auto d : data) f.push_back(static_cast<std::uint8_t>(128 + d));
  f.push_back(check7(f));
  return f;
}

inline const ByteList kResyncBytes{0, 0, 0, 255, 255, 255, 170, 170, 170};

// Tunnel frame: start byte codes the size (40 + s below 8, s - 8 up to 15, 16 + (s - 16) above).
inline ByteList tunnelFrame(const ByteList& payload, bool toggle) {
  const std::size_t s = payload.size();
  ByteList f{static_cast<std::uint8_t>((toggle ? 64 : 0) + (s < 8 ? 40 + s : s < 16 ? s - 8 : s))};
  for (auto b : payload) f.push_back(static_cast<std::uint8_t>(128 + b));
  f.push_back(check7(f));
  return f;
}

struct SimSession {
  // `resyncFirst`: as the host does on opening the port (tunnel tests and the worked example go without).
  explicit SimSession(std::vector<std::string> args = {}, bool resyncFirst = true) : sim(std::move(args)) {
    if (!sim.ok()) return;
    fd = ::open(sim.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    if (resyncFirst) resync(0);
  }
  ~SimSession() {
    if (fd >= 0) ::close(fd);
  }
  bool ok() const { return sim.ok() && fd >= 0; }

  void write(const ByteList& bytes) {
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Reads byte by byte until `count` bytes arrived or `timeoutMs` passed (blocking in poll meanwhile).
  ByteList read(std::size_t count, int timeoutMs = 2000) {
    ByteList got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{fd, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) < 0) break;
      std::uint8_t b = 0;
      if (::read(fd, &b, 1) == 1) got.push_back(b);
    }
    return got;
  }

  // As the host does on opening the port and on changing the module address: the pattern,
  // then an empty frame with toggle 0 that needs no answer.
  void resync(int toModule) {
    module = toModule;
    write(kResyncBytes);
    write(vornFrame(module, false, {}, false));
    toggle = true;
  }

  // Reads one reply frame (start byte to check byte), skipping bytes with bit 7 set before it.
  ByteList readFrame(int timeoutMs = 2000) {
    ByteList frame;
    std::size_t expected = 0;
    while (frame.size() < 2 || frame.size() < expected) {
      ByteList b = read(1, timeoutMs);
      if (b.empty()) return {};
      if (frame.empty() && b[0] >= 128) continue;
      frame.push_back(b[0]);
      if (frame.size() == 2) expected = 2 + ((frame[1] & 0x10) ? 1 : 0) + (frame[1] & 0x0F) + 1;
    }
    return frame;
  }

  // Sends data to a module and returns the data bytes of its reply (nullopt without reply).
  std::optional<ByteList> ask(const ByteList& data, int toModule = 0, int timeoutMs = 2000) {
    if (toModule != module) resync(toModule);
    const ByteList request = vornFrame(module, toggle, data);
    toggle = !toggle;
    write(request);
    const ByteList reply = readFrame(timeoutMs);
    if (reply.empty()) return std::nullopt;
    EXPECT_EQ(reply[0], request[0]) << "reply start byte";
    EXPECT_EQ(reply.back(), check7(ByteList(reply.begin(), reply.end() - 1))) << "reply check byte";
    EXPECT_GE(reply[1] & 0x7F, 96) << "reply header";
    const std::size_t first = (reply[1] & 0x10) ? 3 : 2;
    ByteList out;
    for (std::size_t i = first; i + 1 < reply.size(); ++i) out.push_back(reply[i] & 0x7F);
    return out;
  }

  // Sends a write-style request and waits for its acknowledgement, so later reads see it.
  void tell(const ByteList& data, int module = 0) { ASSERT_TRUE(ask(data, module).has_value()); }

  // Sends one tunnel frame and returns the payload of the answer (nullopt: none, or a bad one).
  std::optional<ByteList> send(const ByteList& payload) {
    write(tunnelFrame(payload, toggle));
    toggle = !toggle;
    ByteList all = read(1);
    if (all.empty() || all[0] >= 128) return std::nullopt;
    const int t = all[0];
    const std::size_t s = (t & 8) ? t % 8 : 8 + t % 8 + 8 * ((t >> 4) & 1);
    const ByteList rest = read(s + 1);
    all.insert(all.end(), rest.begin(), rest.end());
    if (all.size() != s + 2 || all.back() != check7(ByteList(all.begin(), all.end() - 1)))
      return std::nullopt;
    ByteList answer;
    for (std::size_t i = 1; i <= s; ++i) answer.push_back(all[i] & 0x7F);
    return answer;
  }

  SimProcess sim;
  int fd = -1;
  int module = 0;
  bool toggle = true;
};

}  // namespace vorn::test
