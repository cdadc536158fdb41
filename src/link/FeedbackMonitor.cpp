#include "link/FeedbackMonitor.h"

namespace vorn {

void FeedbackMonitor::append(const std::string& s) {
  text_ += s;
  if (onChange) onChange();
}

bool FeedbackMonitor::start() {
  if (!link_.isOpen()) {
    link_.prompter().message("Select Comm-port");
    return false;
  }
  if (!running_) append("Start Monitoring\n");
  running_ = true;
  return true;
}

void FeedbackMonitor::stop() {
  if (!running_) return;
  running_ = false;
  append("Monitoring Stopped\n");
}

void FeedbackMonitor::clear() {
  text_.clear();
  if (onChange) onChange();
}

void FeedbackMonitor::tick() {
  if (!running_) return;
  if (!link_.isOpen()) {
    stop();
    return;
  }
  link_.Transact(false, std::vector<uint8_t>{});
  if (!link_.isOpen()) {
    stop();
    return;
  }
  if (!link_.ReplyOk || link_.replyCount() != 4) return;
  std::string line;
  for (int k = 2; k <= 5; ++k) line += "<" + std::to_string(link_.reply(k)) + "> ";
  append(line + "\n");
}

}  // namespace vorn
