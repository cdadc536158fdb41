#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"
#include "operations/EventEditor.h"

namespace vorn {

// What a user edits, as one value: pins, event actions, the flexible-address start, the
// general settings and the enable maps. Left out, as nobody edits them: the firmware version
// text (read from the Vorn) and each pin's live level (where a live command left the output).
struct EditedDocument {
  std::array<PinData, kPinTableSize> pins{};
  std::array<std::array<int16_t, kEventGroupSize>, kPinTableSize> eventOn{};
  std::array<std::array<int16_t, kEventGroupSize>, kPinTableSize> eventOff{};
  uint8_t palkFlexStart = 0;
  GeneralSettings general;
  std::array<bool, 2 * kEventInputs> enableMaps{};
  bool enableMapsKnown = true;

  bool operator==(const EditedDocument&) const = default;
};

// The undo history of one document: the document as it was first and after each step, the
// step names ("pin 5 aspect 0 step 2 instruction", "Read All") and the clean point (the state
// last loaded, saved or read). A step is recorded only when the document really changed.
// Whole snapshots: one is about 40 KB, copied and compared in microseconds.
class EditHistory {
 public:
  static constexpr size_t kLimit = 200;  // steps kept; the oldest go first

  struct Step {
    std::string name;
    EditedDocument after;
    int pin = 0;  // where the user was: undo and redo go back there
    int aspect = 0;
  };

  // Starts afresh from `doc` (no steps), clean.
  void reset(EditedDocument doc);
  // Adds a step when `doc` differs from the current state (steps undone are dropped);
  // returns whether it did.
  bool record(const std::string& name, const EditedDocument& doc, int pin, int aspect);
  // Takes `doc` as the current state without a step (a save that normalised a value).
  void amend(const EditedDocument& doc);

  bool canUndo() const { return index_ > 0; }
  bool canRedo() const { return index_ < steps_.size(); }
  // The step an undo or redo would take back or do again ("" when none).
  std::string undoName() const { return canUndo() ? steps_[index_ - 1].name : std::string(); }
  std::string redoName() const { return canRedo() ? steps_[index_].name : std::string(); }
  // Moves one step; the state to show is then current(). Null when there is nothing to move.
  const Step* undo();
  const Step* redo();
  const EditedDocument& current() const { return index_ == 0 ? base_ : steps_[index_ - 1].after; }
  size_t steps() const { return steps_.size(); }

  void markClean() { clean_ = index_; }
  bool isClean() const { return clean_ == index_; }

 private:
  EditedDocument base_;
  std::deque<Step> steps_;
  size_t index_ = 0;                 // steps applied
  std::optional<size_t> clean_ = 0;  // none once the clean state fell off the front
};

}  // namespace vorn
