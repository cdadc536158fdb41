#pragma once

#include "link/Clock.h"
#include "link/SerialPort.h"

namespace vorn::cli {

// Lets the link look for modules with a short reply window: while fast, time runs
// kProbeFactor times quicker for the link's clock and its waits on the port shrink to
// match, so the 2.0 s window becomes a quarter of a second. Off, both pass straight through.
class ProbeTiming : public Clock, public SerialPort {
 public:
  static constexpr int kProbeFactor = 8;

  ProbeTiming(Clock& clock, SerialPort& port) : clock_(clock), port_(port), anchorReal_(clock.now()) {}

  void setFast(bool fast);

  // Clock
  double now() override;
  void sleepMs(int ms) override { clock_.sleepMs(ms); }

  // SerialPort
  void setDevice(const std::string& path) override { port_.setDevice(path); }
  std::string device() const override { return port_.device(); }
  void setBaudRate(int baud) override { port_.setBaudRate(baud); }
  int baudRate() const override { return port_.baudRate(); }
  bool open() override { return port_.open(); }
  void close() override { port_.close(); }
  bool isOpen() const override { return port_.isOpen(); }
  bool writeBytes(const uint8_t* data, size_t n) override { return port_.writeBytes(data, n); }
  int bytesWaiting() override { return port_.bytesWaiting(); }
  int readByte() override { return port_.readByte(); }
  bool waitForData(int ms) override;
  std::string errorText() const override { return port_.errorText(); }

 private:
  Clock& clock_;
  SerialPort& port_;
  bool fast_ = false;
  // Time stays continuous across switches: now = anchorShown + (real - anchorReal) x factor.
  double anchorReal_;
  double anchorShown_ = 0;
};

}  // namespace vorn::cli
