#pragma once

#include <array>
#include <cstdint>

namespace vorn {

inline constexpr int kEventInputs = 4;
inline constexpr int kNoAction = -1;
inline constexpr int kMaxTypedAction = 11;

// The event-control editor's own state (owned by the Session): the pin it shows, the eight
// values its boxes show, and the enable maps, which live only in the eight CheckInitEE boxes.
struct EventControlState {
  int CurECPin = 0;
  std::array<int, kEventInputs> shownOn{0, 1, 2, 3};  // TextECon 0..3
  std::array<int, kEventInputs> shownOff{kNoAction, kNoAction, kNoAction, kNoAction};
  // Box j ticked: event-on actions of input j enabled at start; box 4 + j: event-off.
  std::array<bool, 2 * kEventInputs> CheckInitEE{true, true, true, true, true, true, true, true};
  // False while the boxes do not stand for the Vorn's maps (Read All could not read them,
  // vornctl loaded a file without them): Write All then leaves the Vorn's maps alone,
  // verification does not compare them and a saved file holds none. Reading the maps,
  // loading them from a file or ticking a box makes them count again.
  bool EnableMapsKnown = true;
};

}  // namespace vorn
