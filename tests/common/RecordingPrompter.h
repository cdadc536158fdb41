#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/Prompter.h"

namespace vorn::test {

// Records every message and question; questions take scripted answers (default: OK / Yes).
class RecordingPrompter : public Prompter {
 public:
  struct Entry {
    std::string text;
    Icon icon;
    char kind;  // 'm' message, 'o' OK/Cancel, 'y' Yes/No
  };

  void message(const std::string& text, Icon icon) override { entries.push_back({text, icon, 'm'}); }
  bool askOkCancel(const std::string& text, Icon icon) override {
    entries.push_back({text, icon, 'o'});
    return nextAnswer();
  }
  bool askYesNo(const std::string& text, Icon icon) override {
    entries.push_back({text, icon, 'y'});
    return nextAnswer();
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.text);
    return out;
  }
  std::string last() const { return entries.empty() ? std::string() : entries.back().text; }
  void clear() { entries.clear(); }

  std::vector<Entry> entries;
  std::deque<bool> answers;  // consumed front first; empty = answer OK / Yes

 private:
  bool nextAnswer() {
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace vorn::test
