#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/Prompter.h"

namespace vorn::fuzz {

// Answers every question with OK/Yes and forgets every message: the readers must stay sound
// whatever the user clicks, and printing would only slow the fuzzer down.
class SilentPrompter : public Prompter {
 public:
  void message(const std::string&, Icon) override {}
  bool askOkCancel(const std::string&, Icon) override { return true; }
  bool askYesNo(const std::string&, Icon) override { return true; }
  bool askToAct(const std::string&, Icon, const std::string&, const std::string&) override { return true; }
};

// A broken invariant is a finding: abort so both libFuzzer and the replay test notice.
#define VORN_FUZZ_CHECK(cond)                                                       \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

}  // namespace vorn::fuzz
