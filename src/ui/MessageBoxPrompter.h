#pragma once

#include <QPointer>
#include <QWidget>

#include "link/Prompter.h"

namespace vorn {

// Message boxes of the window: modal, titled "Vorn Config", owned by the main window.
class MessageBoxPrompter : public Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  void message(const std::string& text, Icon icon = Icon::None) override;
  bool askOkCancel(const std::string& text, Icon icon = Icon::None) override;
  bool askYesNo(const std::string& text, Icon icon = Icon::None) override;
  bool askToAct(const std::string& text, Icon icon, const std::string& act, const std::string& keep) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace vorn
