#pragma once

#include <functional>
#include <string>

namespace vorn {

// Text of the communication log window: one "> "/"< " line per tunnel frame.
class CommLog {
 public:
  void appendLine(const std::string& line) {
    text_ += line;
    text_ += "\r\n";
    if (onChange) onChange();
  }
  // Takes over another log's text (a window showing the log of the link that does the work).
  void setText(const std::string& text) {
    text_ = text;
    if (onChange) onChange();
  }
  void clear() {
    text_.clear();
    if (onChange) onChange();
  }
  const std::string& text() const { return text_; }
  std::function<void()> onChange;

 private:
  std::string text_;
};

}  // namespace vorn
