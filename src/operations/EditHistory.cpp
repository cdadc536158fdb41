#include "operations/EditHistory.h"

#include <utility>

namespace vorn {

void EditHistory::reset(EditedDocument doc) {
  base_ = std::move(doc);
  steps_.clear();
  index_ = 0;
  clean_ = 0;
}

bool EditHistory::record(const std::string& name, const EditedDocument& doc, int pin, int aspect) {
  if (doc == current()) return false;
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index_), steps_.end());
  if (clean_ && *clean_ > index_) clean_.reset();  // the clean state was undone and is gone now
  steps_.push_back(Step{name, doc, pin, aspect});
  ++index_;
  if (steps_.size() > kLimit) {
    base_ = std::move(steps_.front().after);
    steps_.pop_front();
    --index_;
    if (clean_ && *clean_ == 0)
      clean_.reset();
    else if (clean_)
      --*clean_;
  }
  return true;
}

void EditHistory::amend(const EditedDocument& doc) {
  if (index_ == 0)
    base_ = doc;
  else
    steps_[index_ - 1].after = doc;
}

const EditHistory::Step* EditHistory::undo() {
  if (!canUndo()) return nullptr;
  return &steps_[--index_];
}

const EditHistory::Step* EditHistory::redo() {
  if (!canRedo()) return nullptr;
  return &steps_[index_++];
}

}  // namespace vorn
