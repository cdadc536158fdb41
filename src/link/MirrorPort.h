#pragma once

#include <string>

#include "link/SerialPort.h"

namespace vorn {

// The port as the window sees it while another thread owns the real one: it shows what that
// port last reported (device, rate, open or not, the last error) and never sends or receives.
class MirrorPort : public SerialPort {
 public:
  void mirror(const SerialPort& real) {
    device_ = real.device();
    baud_ = real.baudRate();
    open_ = real.isOpen();
    error_ = real.errorText();
  }

  void setDevice(const std::string& path) override { device_ = path; }
  std::string device() const override { return device_; }
  void setBaudRate(int baud) override { baud_ = baud; }
  int baudRate() const override { return baud_; }
  bool open() override { return false; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  bool writeBytes(const uint8_t*, size_t) override { return false; }
  int bytesWaiting() override { return 0; }
  int readByte() override { return -1; }
  bool waitForData(int) override { return false; }
  std::string errorText() const override { return error_; }

 private:
  std::string device_;
  int baud_ = 19200;
  bool open_ = false;
  std::string error_;
};

}  // namespace vorn
