#pragma once

#include <QSerialPort>
#include <QThread>
#include <memory>

#include "link/SerialPort.h"

namespace vorn {

// SerialPort over QSerialPort, usable without a running event loop (vornctl, tests): writes
// are flushed before returning and reads pull from the device on demand. A device that
// reports a read, write or resource error while open is closed at once.
class QtSerialPort : public SerialPort {
 public:
  QtSerialPort();
  ~QtSerialPort() override;

  void setDevice(const std::string& path) override;
  std::string device() const override { return device_; }
  void setBaudRate(int baud) override;
  int baudRate() const override { return baud_; }
  bool open() override;
  void close() override;
  bool isOpen() const override { return port_->isOpen(); }
  bool writeBytes(const uint8_t* data, size_t n) override;
  int bytesWaiting() override;
  int readByte() override;
  bool waitForData(int ms) override;
  std::string errorText() const override { return error_; }
  // Hands the port to another thread (call from the thread it belongs to, while closed): a
  // QSerialPort is used only by the thread it belongs to.
  // A port still held by another thread (a second window on the same port while the first
  // one's device thread runs) is a fault of the caller; it stops the program at once rather
  // than failing later inside Qt's notifiers.
  void moveToThread(QThread* thread) {
    if (port_->thread() != QThread::currentThread())
      qFatal("QtSerialPort: the serial port is still held by another device thread");
    port_->moveToThread(thread);
  }

 private:
  bool checkFailure();  // true when the port broke (and has been closed)
  std::unique_ptr<QSerialPort> port_;
  std::string device_;
  int baud_ = 19200;
  std::string error_;
};

}  // namespace vorn
