#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/Link.h"

namespace vorn {

// The feedback monitor: while running, each tick (the window's 100 ms Timer2) sends an
// empty Vorn frame and lists the four data bytes of the answer in `text()`, on the direct
// link and through the Kestro tunnel alike. The text keeps its last kMaxLines lines.
class FeedbackMonitor {
 public:
  static constexpr std::size_t kMaxLines = 500;

  explicit FeedbackMonitor(Link& link) : link_(&link) {}
  // The link the monitor sends on from now on (the window's device thread has its own).
  void bind(Link& link) { link_ = &link; }

  // "Monitor" click. False (and "Select Comm-port") when the port is closed.
  bool start();
  // "Monitor" lost the focus.
  void stop();
  // "Clear" click.
  void clear();
  // Timer tick. A port that is closed or failed, or a Kestro system that does not answer,
  // stops the monitor (one "Monitoring Stopped") rather than repeating a message on every
  // tick; the window stops its timer when running() turns false. A direct link that asks
  // for no answers gets one line saying so.
  void tick();

  bool running() const { return running_; }
  const std::string& text() const { return text_; }
  // Called with each piece appended (whole lines), and after clear(); a display appends
  // rather than redrawing the whole text.
  std::function<void(const std::string&)> onAppend;
  std::function<void()> onClear;

 private:
  void append(const std::string& s);
  // Data bytes of the Vorn answer the last exchange brought back (direct, or unwrapped from
  // the tunnel frame), if there was one for this module.
  std::optional<std::vector<uint8_t>> answerData() const;

  Link* link_;
  bool running_ = false;
  bool saidNoFeedback_ = false;
  std::size_t lines_ = 0;
  std::string text_;
};

}  // namespace vorn
