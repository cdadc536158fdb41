#pragma once

#include <string>

#include "link/Prompter.h"

namespace vorn::cli {

// vornctl's user interface: every message box becomes one line on stderr (line breaks shown
// as " / "); questions are printed and declined, as nobody is there to answer them. While
// muted (probing for modules) messages are dropped. Progress of long jobs is shown on one
// rewritten line, and only when stderr is a terminal.
class StderrUi : public Prompter {
 public:
  StderrUi();

  void message(const std::string& text, Icon icon = Icon::None) override;
  bool askOkCancel(const std::string& text, Icon icon = Icon::None) override;
  bool askYesNo(const std::string& text, Icon icon = Icon::None) override;
  bool askToAct(const std::string& text, Icon icon, const std::string& act, const std::string& keep) override;

  void progress(const std::string& text);
  void endProgress();
  void setMuted(bool muted) { muted_ = muted; }

  // One line: CR LF, LF and CR each become " / ".
  static std::string OneLine(const std::string& text);

 private:
  void line(const std::string& text);
  bool terminal_ = false;
  bool progressShown_ = false;
  bool muted_ = false;
};

}  // namespace vorn::cli
