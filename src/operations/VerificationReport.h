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

 private:
  std::string text_;
};

}  // namespace vorn
