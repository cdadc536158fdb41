#pragma once
// A bare file descriptor on the simulator's pseudo-terminal, and frames built by hand, so the
// simulator is checked without any of the host's link code.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

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

class RawPort {
 public:
  explicit RawPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd_, TCSANOW, &t);
  }
  ~RawPort() { close(); }
  RawPort(const RawPort&) = delete;
  RawPort& operator=(const RawPort&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool write(const ByteList& bytes) {
    return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Reads byte by byte until `count` bytes arrived or `timeoutMs` passed (blocking in poll meanwhile).
  ByteList read(std::size_t count, int timeoutMs = 2000) {
    ByteList got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) < 0) break;
      std::uint8_t b = 0;
      if (::read(fd_, &b, 1) == 1) got.push_back(b);
    }
    return got;
  }

 private:
  int fd_ = -1;
};

}  // namespace vorn::test
