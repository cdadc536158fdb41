#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/ConfigModel.h"
#include "model/GeneralSettings.h"
#include "model/Instructions.h"  // IntRange

namespace vorn {

// ---------------------------------------------------------------------------------------
// Ranges of the Vorn on the general tab (LabelGenDCCOutput, LabelGenXDCCOutput)
// ---------------------------------------------------------------------------------------

// Caption of a range label; Overflow means the label is drawn in red.
struct RangeLabel {
  std::string Text;
  bool Overflow = false;
  bool operator==(const RangeLabel&) const = default;
};

// First DCC output of the Vorn for the basic decoder address as the box holds it.
int DCCBaseFor(int dccAddress, bool allow0, int numberBase);
// First extended DCC address of the Vorn.
int XDCCBaseFor(int xdccAddress, bool allow0, int numberBase);

RangeLabel DCCRangeLabel(int dccAddress, bool allow0, int numberBase, int dccTotal);
RangeLabel XDCCRangeLabel(int xdccAddress, bool allow0, int numberBase, int xdccTotal);

// ShowDCCRange / ShowXDCCRange: store the base in the model and give the label.
RangeLabel ShowDCCRange(ConfigModel& m, const GeneralSettings& g);
RangeLabel ShowXDCCRange(ConfigModel& m, const GeneralSettings& g);

// ---------------------------------------------------------------------------------------
// Addresses of the current pin (lblDCCAddress, lblXDCCAddress, lblSerialAddress,
// lblPinAddress). The bases must have been computed by ShowDCCRange/ShowXDCCRange.
// ---------------------------------------------------------------------------------------

std::string DCCAddressText(const ConfigModel& m);
std::string XDCCAddressText(const ConfigModel& m);

// What the serial and pin address labels depend on besides the model.
struct SerialAddressContext {
  int ModuleAddress = 0;         // 0..15, stored form
  int ExtAddress = 0;            // 0..95, stored form
  bool UseExtAddress = false;    // CheckXaddress
  bool PalkFlexEnabled = false;  // CheckGenPalkaddr
};

struct SerialAddressTexts {
  std::string Serial;  // lblSerialAddress
  std::string Pin;     // lblPinAddress: "m.s" or "m.x.s"
  bool operator==(const SerialAddressTexts&) const = default;
};
SerialAddressTexts SerialAddressText(const ConfigModel& m, const SerialAddressContext& c);

// ---------------------------------------------------------------------------------------
// Address count editors of the current pin (TextPaspDCCn, TextPAspXDCCn, TextPaspPalkn)
// ---------------------------------------------------------------------------------------

enum class AddressKind { DCC = 0, XDCC = 1, Serial = 2 };

IntRange AddressCountRange(AddressKind kind);  // 0..6, 0..1, 0..6

// Clamps, stores the count of m.CurPin and rebuilds that kind's start table.
// Returns the value the box shows.
int SetAddressCount(ConfigModel& m, AddressKind kind, int typed);

// ShowAddressCounts: a count box (with its spinner) is visible when details are on or its
// text is not "1"; the heading LabelPASPAdrCnt when any box is.
struct AddressCountVisibility {
  std::array<bool, 3> Box{};  // indexed by AddressKind
  bool Heading = false;
  bool operator==(const AddressCountVisibility&) const = default;
};
AddressCountVisibility AddressCountsVisible(const std::array<std::string_view, 3>& boxTexts, bool details);

// ---------------------------------------------------------------------------------------
// General address entries. Box ranges are in shown numbers.
// ---------------------------------------------------------------------------------------

IntRange DCCAddressRange(bool allow0);           // TextGenDCCAddress: 1-a .. 510
IntRange XDCCAddressRange(bool allow0);          // TextGenXDCCAddress: 1-a .. 2046
IntRange ModuleAddressBoxRange(int numberBase);  // TextAddress: n .. n+15
IntRange ExtAddressBoxRange(int numberBase);     // txtXaddr, TextGenXaddr: n .. n+95
IntRange PalkFlexStartBoxRange(int numberBase);  // TextGenPalkaddr: n .. n+508

inline constexpr int kPalkFlexStartMax = 127;  // PalkFlexStart is counted in fours

// PalkFlexStart for a typed start address (clamped, rounded down to the step of four),
// and the address the box shows for a stored start.
uint8_t PalkFlexStartFromBox(int typed, int numberBase);
int PalkFlexStartBoxValue(int palkFlexStart, int numberBase);
// UpDownGenPalkaddr: one step down or up within 0..127.
uint8_t PalkFlexStartStep(int palkFlexStart, bool up);

// ---------------------------------------------------------------------------------------
// Numbering from 0 or 1 (CheckKLnumber)
// ---------------------------------------------------------------------------------------

int NumberBaseFor(bool startAtOne);
std::string_view HWCPinCaption(int numberBase);  // LabelGenHWCPin

// Spinner ranges that move with the numbering base; stored values stay.
struct NumberingRanges {
  IntRange Address;     // UpDownAddress
  IntRange Xaddr;       // UpDownXaddr
  IntRange GenXaddr;    // UpDownGenXaddr
  IntRange PAspOutput;  // UpDownPAspOutput
  IntRange ECpin;       // UpDownECpin
  bool operator==(const NumberingRanges&) const = default;
};
NumberingRanges NumberingRangesFor(int numberBase);

}  // namespace vorn
