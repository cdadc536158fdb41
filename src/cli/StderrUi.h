#pragma once

#include <string>

#include "link/Prompter.h"

namespace vorn::cli {

// vornctl's user interface: every message box goes to stderr, its first line (what the
// window shows first) on a line of its own, then the cause and the next step. Questions are
// printed and declined, as nobody is there to answer them. Progress of long jobs is shown
// on one rewritten line, and only when stderr is a terminal.
class StderrUi : public Prompter {
 public:
  StderrUi();

  void message(const std::string& text, Icon icon = Icon::None) override;
  bool askOkCancel(const std::string& text, Icon icon = Icon::None) override;
  bool askYesNo(const std::string& text, Icon icon = Icon::None) override;
  bool askToAct(const std::string& text, Icon icon, const std::string& act, const std::string& keep) override;

  void progress(const std::string& text);
  void endProgress();

  // CR LF and a lone CR become LF.
  static std::string Lines(const std::string& text);

 private:
  void line(const std::string& text);
  bool terminal_ = false;
  bool progressShown_ = false;
};

}  // namespace vorn::cli
