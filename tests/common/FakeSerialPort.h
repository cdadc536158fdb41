#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "link/SerialPort.h"

namespace vorn::test {

// In-memory serial port for unit tests. Bytes written are kept in `written`; a responder
// sees each write and may queue bytes for the host to read. waitForData with nothing
// queued advances the fake clock by the full wait, so timeouts cost no real time.
class FakeSerialPort : public SerialPort {
 public:
  explicit FakeSerialPort(FakeClock& clock) : clock_(clock) {}

  void setDevice(const std::string& path) override { device_ = path; }
  std::string device() const override { return device_; }
  void setBaudRate(int baud) override { baud_ = baud; }
  int baudRate() const override { return baud_; }
  bool open() override {
    if (failOpen) return false;
    ++openCount;
    return open_ = true;
  }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  bool writeBytes(const uint8_t* data, size_t n) override {
    if (!open_ || failWrite) return false;
    written.insert(written.end(), data, data + n);
    if (responder) responder(std::vector<uint8_t>(data, data + n));
    return true;
  }
  int bytesWaiting() override { return static_cast<int>(incoming.size()); }
  int readByte() override {
    if (incoming.empty()) return -1;
    int b = incoming.front();
    incoming.pop_front();
    return b;
  }
  bool waitForData(int ms) override {
    if (!incoming.empty()) return true;
    if (vanishOnWait) {  // the adapter is pulled while the host waits for an answer
      open_ = false;
      error = "Input/output error";
      return false;
    }
    clock_.advance(ms / 1000.0);
    return false;
  }
  std::string errorText() const override { return error; }

  void queue(const std::vector<uint8_t>& bytes) {
    incoming.insert(incoming.end(), bytes.begin(), bytes.end());
  }

  std::vector<uint8_t> written;
  std::deque<uint8_t> incoming;
  std::function<void(const std::vector<uint8_t>&)> responder;
  bool failOpen = false;
  bool failWrite = false;
  bool vanishOnWait = false;
  std::string error;
  int openCount = 0;

 private:
  FakeClock& clock_;
  std::string device_;
  int baud_ = 19200;
  bool open_ = false;
};

}  // namespace vorn::test
