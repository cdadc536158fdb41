#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "link/Prompter.h"

namespace vorn::test {

// Records every message and question; questions take scripted answers (default: OK / Yes).
class RecordingPrompter : public Prompter {
 public:
  struct Entry {
    std::string text;
    Icon icon;
    char kind;  // 'm' message, 'o' OK/Cancel, 'y' Yes/No, 'a' act/keep
  };

  void message(const std::string& text, Icon icon) override { entries.push_back({text, icon, 'm'}); }
  bool askOkCancel(const std::string& text, Icon icon) override { return ask({text, icon, 'o'}); }
  bool askYesNo(const std::string& text, Icon icon) override { return ask({text, icon, 'y'}); }
  bool askToAct(const std::string& text, Icon icon, const std::string& act,
                const std::string& keep) override {
    actions.push_back({act, keep});
    return ask({text, icon, 'a'});
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.text);
    return out;
  }
  std::string last() const { return entries.empty() ? std::string() : entries.back().text; }
  void clear() { entries.clear(); }

  std::vector<Entry> entries;
  std::deque<bool> answers;  // consumed front first; empty = answer OK / Yes / act
  std::vector<std::pair<std::string, std::string>> actions;  // captions of each act/keep question

 private:
  bool ask(const Entry& e) {
    entries.push_back(e);
    if (answers.empty()) return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace vorn::test
