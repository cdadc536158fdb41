#pragma once

#include <string>

namespace vorn {

enum class Icon { None, Information, Warning, Exclamation, Critical, Question };

// The only way the link and the device operations talk to the user: message boxes in
// the window, stderr in vornctl, a recorder in tests. Texts use "\n" for line breaks.
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual void message(const std::string& text, Icon icon = Icon::None) = 0;
  virtual bool askOkCancel(const std::string& text, Icon icon = Icon::None) = 0;  // true = OK
  virtual bool askYesNo(const std::string& text, Icon icon = Icon::None) = 0;     // true = Yes
  // A question whose two buttons say what they do. True only when the user explicitly picks
  // `act`; `keep` is the default answer, and Escape or closing the box also mean `keep`.
  virtual bool askToAct(const std::string& text, Icon icon, const std::string& act,
                        const std::string& keep) = 0;
};

}  // namespace vorn
