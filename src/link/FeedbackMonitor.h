#pragma once

#include <functional>
#include <string>

#include "link/Link.h"

namespace vorn {

// The feedback monitor: while running, each tick (the window's 100 ms Timer2) sends an
// empty Vorn frame and lists the four data bytes of the answer in `text()`.
class FeedbackMonitor {
 public:
  explicit FeedbackMonitor(Link& link) : link_(link) {}

  // "Monitor" click. False (and "Select Comm-port") when the port is closed.
  bool start();
  // "Monitor" lost the focus.
  void stop();
  // "Clear" click.
  void clear();
  // Timer tick. A port that is closed or failed stops the monitor (one "Monitoring Stopped")
  // rather than asking for a port on every tick; the window stops its timer when
  // running() turns false.
  void tick();

  bool running() const { return running_; }
  const std::string& text() const { return text_; }
  std::function<void()> onChange;

 private:
  void append(const std::string& s);
  Link& link_;
  bool running_ = false;
  std::string text_;
};

}  // namespace vorn
