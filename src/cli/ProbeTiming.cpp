#include "cli/ProbeTiming.h"

#include <algorithm>

namespace vorn::cli {

double ProbeTiming::now() {
  const double real = clock_.now();
  return anchorShown_ + (real - anchorReal_) * (fast_ ? kProbeFactor : 1);
}

void ProbeTiming::setFast(bool fast) {
  anchorShown_ = now();
  anchorReal_ = clock_.now();
  fast_ = fast;
}

bool ProbeTiming::waitForData(int ms) {
  return port_.waitForData(fast_ ? std::max(1, ms / kProbeFactor) : ms);
}

}  // namespace vorn::cli
