#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorn {

// The few serial-port operations the program needs. Bytes go out and come in one at a
// time; waitForData blocks (without spinning) until a byte is waiting or ms have passed.
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  virtual void setDevice(const std::string& path) = 0;  // while closed
  virtual std::string device() const = 0;
  virtual void setBaudRate(int baud) = 0;  // always odd parity, 8 data bits, 1 stop bit
  virtual int baudRate() const = 0;
  virtual bool open() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual bool writeBytes(const uint8_t* data, size_t n) = 0;
  bool writeByte(uint8_t b) { return writeBytes(&b, 1); }
  virtual int bytesWaiting() = 0;
  virtual int readByte() = 0;  // -1 when nothing is waiting
  virtual bool waitForData(int ms) = 0;
  // Why the last open failed or why the port closed under us ("" when nothing went wrong).
  virtual std::string errorText() const = 0;
};

}  // namespace vorn
