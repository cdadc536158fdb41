#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/ConfigFile.h"

#include "operations/EventEditor.h"

namespace vorn {

class Session;

// Event-control command bytes.
inline constexpr uint8_t kCmdEventOffRead = 'u';
inline constexpr uint8_t kCmdEventOffWrite = 'e';
inline constexpr uint8_t kCmdGenRead = 112;
inline constexpr uint8_t kCmdGenWrite = 96;
inline constexpr uint8_t kItemEnableMaps = 11;

// ---- Encodings ------------------------------------------------------------------------

// Action byte: input number in the high nibble, the aspect (or 15 for none) in the low one.
uint8_t EncodeActionByte(int input, int action);
// -1 when the byte names another input or carries 15.
int DecodeActionByte(int input, uint8_t b);
// Enable maps: bit j set = input j disabled at start (the inverse of the boxes).
uint8_t EnableMapOn(const EventControlState& ec);
uint8_t EnableMapOff(const EventControlState& ec);
// The maps as a file carries them, or nullopt while they are not known.
std::optional<EnableMapBytes> EnableMapsForFile(const EventControlState& ec);
// Maps read from the Vorn or a file set the boxes and count as known; none (a file without
// them) leaves the boxes as they are.
void SetEnableMaps(EventControlState& ec, const std::optional<EnableMapBytes>& maps);
// Said when a file without maps is written to or verified against a Vorn.
inline constexpr const char* kNoEnableMapsInFile =
    "The file holds no enable maps: they were left as they are on the Vorn";
inline constexpr const char* kEnableMapsNotCompared =
    "The file holds no enable maps: they were not compared with the Vorn's";

// ---- Editor (model side; the window draws what these decide) --------------------------

int ClampEventAction(int typed);                                    // -1..11
inline bool EventBoxGrey(int value) { return value == kNoAction; }  // light grey (224,224,224)
// Pin chooser: clamps the typed (shown) number, selects the pin, refreshes the editor.
// Returns the number the box then shows.
int EnterECPin(Session& s, int typed);
// An event box left or stepped: clamps, stores in the model for CurECPin, returns the value shown.
int EnterEventOn(Session& s, int input, int typed);
int EnterEventOff(Session& s, int input, int typed);
// Shows CurECPin's actions in the eight boxes (and tells the window to redraw them).
void ShowEventControl(Session& s);
// "Copy to All": the eight shown values into every pin 0..31. No device traffic.
void CopyEventsToAll(Session& s);

// ---- Device routines ------------------------------------------------------------------

bool ReadEventActions(Session& s);         // all 32 pins
bool WriteEventActions(Session& s);        // all 32 pins
bool ReadEventActionsSingle(Session& s);   // CurECPin ("Read")
bool WriteEventActionsSingle(Session& s);  // CurECPin ("Write")
// One pin's event-on (or event-off) actions, refused with a message when a value cannot travel.
bool WritePinEventActions(Session& s, int pin, bool on);
bool ReadEnableMaps(Session& s);
bool WriteEnableMaps(Session& s);
bool VerifyEventControl(Session& s);

}  // namespace vorn
