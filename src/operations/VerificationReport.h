#pragma once

#include <string>

namespace vorn {

// Text of the verification report window; verifications only ever append to it.
class VerificationReport {
 public:
  void ClearVerificationReport() { text_.clear(); }
  void AddVerificationLine(const std::string& line) { text_ += line + "\r\n"; }
  void AppendVerificationText(const std::string& text) { text_ += text; }
  const std::string& text() const { return text_; }

  // Lines that name a difference: not the heading of a verification ("Start ..."), not the
  // numbering note, not the closing word (which has no line end).
  int differences() const {
    int n = 0;
    for (std::size_t pos = 0, end; (end = text_.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
      const std::string line = text_.substr(pos, end - pos);
      if (!line.empty() && line.rfind("Start ", 0) != 0 && line.rfind("Note: ", 0) != 0 &&
          line != "Verify OK")
        ++n;
    }
    return n;
  }

 private:
  std::string text_;
};

}  // namespace vorn
