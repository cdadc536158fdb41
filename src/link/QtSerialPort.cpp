#include "link/QtSerialPort.h"

namespace vorn {

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()) {}

QtSerialPort::~QtSerialPort() {
  if (port_->isOpen()) port_->close();
}

void QtSerialPort::setDevice(const std::string& path) {
  device_ = path;
  if (!port_->isOpen()) port_->setPortName(QString::fromStdString(path));
}

void QtSerialPort::setBaudRate(int baud) {
  baud_ = baud;
  if (port_->isOpen()) port_->setBaudRate(baud);
}

bool QtSerialPort::open() {
  error_.clear();
  if (port_->isOpen()) return true;
  port_->setPortName(QString::fromStdString(device_));
  port_->setBaudRate(baud_);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::OddParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  port_->clearError();
  if (!port_->open(QIODevice::ReadWrite)) {
    error_ = port_->errorString().toStdString();
    port_->clearError();
    return false;
  }
  // Some USB adapters stay silent without DTR; both lines are left in a known state.
  port_->setDataTerminalReady(true);
  port_->setRequestToSend(true);
  port_->clearError();
  return true;
}

void QtSerialPort::close() {
  if (port_->isOpen()) port_->close();
  port_->clearError();
}

bool QtSerialPort::checkFailure() {
  const auto err = port_->error();
  if (err == QSerialPort::NoError) return false;
  if (err == QSerialPort::TimeoutError) {
    port_->clearError();
    return false;
  }
  if (err == QSerialPort::ReadError || err == QSerialPort::WriteError || err == QSerialPort::ResourceError ||
      err == QSerialPort::DeviceNotFoundError || err == QSerialPort::PermissionError) {
    error_ = port_->errorString().toStdString();
    port_->close();
    port_->clearError();
    return true;
  }
  port_->clearError();
  return false;
}

bool QtSerialPort::writeBytes(const uint8_t* data, size_t n) {
  if (!port_->isOpen()) return false;
  const qint64 written = port_->write(reinterpret_cast<const char*>(data), static_cast<qint64>(n));
  if (written != static_cast<qint64>(n)) {
    checkFailure();
    if (port_->isOpen()) {
      error_ = port_->errorString().toStdString();
      port_->close();
    }
    return false;
  }
  // Without an event loop nothing drains QSerialPort's write buffer: push it out now.
  while (port_->bytesToWrite() > 0) {
    if (!port_->waitForBytesWritten(1000)) {
      if (checkFailure()) return false;
      if (port_->bytesToWrite() > 0) {
        error_ = "write timed out";
        port_->close();
        return false;
      }
    }
  }
  return !checkFailure();
}

int QtSerialPort::bytesWaiting() {
  if (!port_->isOpen()) return 0;
  if (port_->bytesAvailable() == 0) {
    // A zero wait pulls whatever the device holds into the buffer without blocking.
    port_->waitForReadyRead(0);
    if (checkFailure()) return 0;
  }
  return static_cast<int>(port_->bytesAvailable());
}

int QtSerialPort::readByte() {
  if (!port_->isOpen() || port_->bytesAvailable() == 0) return -1;
  char c = 0;
  if (port_->read(&c, 1) != 1) {
    checkFailure();
    return -1;
  }
  return static_cast<uint8_t>(c);
}

bool QtSerialPort::waitForData(int ms) {
  if (!port_->isOpen()) return false;
  if (port_->bytesAvailable() > 0) return true;
  const bool ready = port_->waitForReadyRead(ms < 0 ? 0 : ms);
  if (checkFailure()) return false;
  return ready || port_->bytesAvailable() > 0;
}

}  // namespace vorn
