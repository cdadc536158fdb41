#include "link/FeedbackMonitor.h"

#include <algorithm>

namespace vorn {

namespace {
constexpr int kFeedbackBytes = 4;
const char* const kNoFeedback =
    "No feedback: \"Bidirectional Comm.\" is off, so the Vorn is not asked to answer\n";
}  // namespace

void FeedbackMonitor::append(const std::string& s) {
  text_ += s;
  lines_ += static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
  while (lines_ > kMaxLines) {
    text_.erase(0, text_.find('\n') + 1);
    --lines_;
  }
  if (onAppend) onAppend(s);
}

bool FeedbackMonitor::start() {
  if (!link_->isOpen()) {
    link_->prompter().message("Select Comm-port");
    return false;
  }
  if (!running_) {
    append("Start Monitoring\n");
    saidNoFeedback_ = false;
  }
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
  lines_ = 0;
  if (onClear) onClear();
}

std::optional<std::vector<uint8_t>> FeedbackMonitor::answerData() const {
  if (!link_->ReplyOk) return std::nullopt;
  const auto& b = link_->ReplyBuffer;
  if (!link_->opts.CheckKestro) {
    const auto first = b.begin() + 2;
    return std::vector<uint8_t>(first, first + link_->replyCount());
  }
  // A tunnel frame: [0] = payload size, then 0, 96 + module, header, [extended address], data.
  const std::size_t size = b[0];
  if (size < 3 || b[1] != 0 || b[2] != 96 + (link_->opts.ModuleAddress & 15)) return std::nullopt;
  const uint8_t header = b[3];
  std::size_t first = 4;
  if (header & 16) {
    if (!link_->opts.CheckXaddress || b[4] != link_->opts.ExtAddress) return std::nullopt;
    first = 5;
  }
  const std::size_t count = header % 16;
  if (first - 1 + count > size || first + count > b.size()) return std::nullopt;
  const auto begin = b.begin() + static_cast<std::ptrdiff_t>(first);
  return std::vector<uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(count));
}

void FeedbackMonitor::tick() {
  if (!running_) return;
  if (!link_->isOpen()) {
    stop();
    return;
  }
  const bool answered = link_->Transact(false, std::vector<uint8_t>{});
  // A port that failed, or a Kestro system that stopped answering (said once by the link),
  // ends the monitor instead of repeating the message every tick.
  if (!link_->isOpen() || (!answered && link_->opts.CheckKestro)) {
    stop();
    return;
  }
  if (!link_->opts.CheckKestro && !link_->opts.CheckVornBD) {
    if (!saidNoFeedback_) append(kNoFeedback);
    saidNoFeedback_ = true;
    return;
  }
  saidNoFeedback_ = false;
  const auto data = answerData();
  if (!data || data->size() != kFeedbackBytes) return;
  std::string line;
  for (uint8_t v : *data) line += "<" + std::to_string(v) + "> ";
  append(line + "\n");
}

}  // namespace vorn
