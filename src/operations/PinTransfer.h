#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vorn {

class Session;
struct PinData;

// Moving one pin's part of the configuration (aspect layout, program slots, initial aspect,
// address counts, device pointer, configuration bytes) between the model and the Vorn.
// Every routine returns true when its block went through completely; link failures have
// already been reported by the link, invalid replies are reported here.

// Pin command letters.
inline constexpr uint8_t kCmdReadLayout = 'r';
inline constexpr uint8_t kCmdReadSlot = 's';
inline constexpr uint8_t kCmdReadEventOn = 't';  // also carries the initial-aspect byte
inline constexpr uint8_t kCmdReadAddrConfig = 'v';
inline constexpr uint8_t kCmdReadStoredConfig = 'q';
inline constexpr uint8_t kCmdReadActiveConfig = 'Q';
inline constexpr uint8_t kCmdWriteLayout = 'b';
inline constexpr uint8_t kCmdWriteSlot = 'c';
inline constexpr uint8_t kCmdWriteEventOn = 'd';  // also takes the initial-aspect byte
inline constexpr uint8_t kCmdWriteAddrConfig = 'f';
inline constexpr uint8_t kCmdWriteFlashConfig = 'a';
inline constexpr uint8_t kCmdWriteActiveConfig = 'A';

// ---- Pure encodings (byte forms on the wire) ------------------------------------------

// High nibble 7, low nibble InitAspect - 1, or 15 for "none".
uint8_t InitAspectByte(uint8_t initAspect);
// nullopt when the byte is not an initial-aspect byte (high nibble not 7).
std::optional<uint8_t> DecodeInitAspectByte(uint8_t b);

uint8_t DccConfigByte(const PinData& pin);         // 0000 x ddd
uint8_t SerialConfigByte(const PinData& pin);      // 0001 0sss
uint8_t DevicePointerByte(int16_t devicePointer);  // 010p pppp
// Device pointer of `pin` from the 5 bits of a device-pointer byte.
int16_t DecodeDevicePointer(uint8_t b, int pin);

// Why this pin cannot be written as it stands ("" when it can): a field the wire bytes
// cannot hold would be cut into a different value, or spill into a neighbouring field.
std::string PinWriteProblem(const PinData& pin, int pinNo, int numberBase);

// ---- Device routines ------------------------------------------------------------------

bool ReadPinProgram(Session& s, int pin);
bool ReadPinConfig(Session& s, bool stored, int pin);  // 'q' stored / 'Q' active
bool ReadPin(Session& s, int pin);
bool ReadAllPins(Session& s);
bool ReadDevice(Session& s, int pin);

bool WritePinProgram(Session& s, int pin);
// The three single frames of WritePinProgram ('b', 'd', 'f'), unchecked: callers check the
// pin with PinWriteProblem first.
bool WritePinLayout(Session& s, int pin);
bool WritePinInit(Session& s, int pin);
bool WritePinAddresses(Session& s, int pin);
bool WriteAspect(Session& s, int pin, int aspect);
bool WritePinConfig(Session& s, bool flash, int pin);  // 'a' flash / 'A' active
bool WritePin(Session& s, int pin);
bool WriteAllPins(Session& s);

// Compares pins 0..31 with the Vorn, writing differences to the verification report.
bool VerifyPins(Session& s);

}  // namespace vorn
