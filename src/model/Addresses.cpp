#include "model/Addresses.h"

namespace vorn {

namespace {

// Highest first output number plus total that still fits the DCC accessory space.
constexpr int kDCCOutputLimit = 2044;
constexpr int kXDCCAddressLimit = 2046;

int AllowZero(bool allow0) { return allow0 ? 1 : 0; }

RangeLabel RangeText(int base, int total, bool fits, const char* overflowTail) {
  if (total == 0) return {"No addr in use", false};
  if (fits) return {"Output " + std::to_string(base) + " .. " + std::to_string(base + total - 1), false};
  return {"Output " + std::to_string(base) + overflowTail, true};
}

}  // namespace

int DCCBaseFor(int dccAddress, bool allow0, int numberBase) {
  const int a = AllowZero(allow0);
  return (dccAddress - 1 + a) * 4 + (a == 1 ? numberBase : 1);
}

int XDCCBaseFor(int xdccAddress, bool allow0, int numberBase) {
  return xdccAddress + (allow0 ? numberBase : 0);
}

RangeLabel DCCRangeLabel(int dccAddress, bool allow0, int numberBase, int dccTotal) {
  return RangeText(DCCBaseFor(dccAddress, allow0, numberBase), dccTotal,
                   dccAddress * 4 + dccTotal <= kDCCOutputLimit, " .. OVFLOW");
}

RangeLabel XDCCRangeLabel(int xdccAddress, bool allow0, int numberBase, int xdccTotal) {
  return RangeText(XDCCBaseFor(xdccAddress, allow0, numberBase), xdccTotal,
                   xdccAddress + xdccTotal <= kXDCCAddressLimit, " .. OVERFLOW");
}

RangeLabel ShowDCCRange(ConfigModel& m, const GeneralSettings& g) {
  m.DCCBase = DCCBaseFor(g.DCCAddress, g.DCCAllow0, m.NumberBase);
  return DCCRangeLabel(g.DCCAddress, g.DCCAllow0, m.NumberBase, m.DCCTotal);
}

RangeLabel ShowXDCCRange(ConfigModel& m, const GeneralSettings& g) {
  m.XDCCBase = XDCCBaseFor(g.XDCCAddress, g.DCCAllow0, m.NumberBase);
  return XDCCRangeLabel(g.XDCCAddress, g.DCCAllow0, m.NumberBase, m.XDCCTotal);
}

std::string DCCAddressText(const ConfigModel& m) {
  if (m.pin(m.CurPin).DCCCount == 0) return "-";
  return std::to_string(m.DCCStart[m.CurPin] + m.DCCBase);
}

std::string XDCCAddressText(const ConfigModel& m) {
  if (m.pin(m.CurPin).XDCCCount == 0) return "-";
  return std::to_string(m.XDCCStart[m.CurPin] + m.XDCCBase);
}

SerialAddressTexts SerialAddressText(const ConfigModel& m, const SerialAddressContext& c) {
  if (m.pin(m.CurPin).SerialCount == 0) return {"-", "-"};
  const int s = m.SerialStart[m.CurPin];
  const int n = m.NumberBase;
  SerialAddressTexts t;
  if (c.PalkFlexEnabled) {
    t.Serial = std::to_string(n + s + 4 * m.PalkFlexStart);
  } else {
    // Without flexible addressing a module owns 32 serial addresses.
    t.Serial = s > 31 ? "-" : std::to_string(n + s + 32 * c.ModuleAddress);
  }
  if (s > 127) {
    t.Pin = "-";
  } else {
    t.Pin = std::to_string(c.ModuleAddress + n) + ".";
    if (c.UseExtAddress) t.Pin += std::to_string(c.ExtAddress + n) + ".";
    t.Pin += std::to_string(s + n);
  }
  return t;
}

IntRange AddressCountRange(AddressKind kind) {
  return kind == AddressKind::XDCC ? IntRange{0, 1} : IntRange{0, 6};
}

int SetAddressCount(ConfigModel& m, AddressKind kind, int typed) {
  const int v = AddressCountRange(kind).clamp(typed);
  PinData& p = m.pin(m.CurPin);
  switch (kind) {
    case AddressKind::DCC:
      p.DCCCount = static_cast<uint8_t>(v);
      m.RecalcDCCStart();
      break;
    case AddressKind::XDCC:
      p.XDCCCount = static_cast<uint8_t>(v);
      m.RecalcXDCCStart();
      break;
    case AddressKind::Serial:
      p.SerialCount = static_cast<uint8_t>(v);
      m.RecalcSerialStart();
      break;
  }
  return v;
}

AddressCountVisibility AddressCountsVisible(const std::array<std::string_view, 3>& boxTexts, bool details) {
  AddressCountVisibility v;
  for (size_t i = 0; i < boxTexts.size(); ++i) {
    v.Box[i] = details || boxTexts[i] != "1";
    v.Heading = v.Heading || v.Box[i];
  }
  return v;
}

IntRange DCCAddressRange(bool allow0) { return {1 - AllowZero(allow0), 510}; }
IntRange XDCCAddressRange(bool allow0) { return {1 - AllowZero(allow0), 2046}; }
IntRange ModuleAddressBoxRange(int numberBase) { return {numberBase, numberBase + 15}; }
IntRange ExtAddressBoxRange(int numberBase) { return {numberBase, numberBase + 95}; }
IntRange PalkFlexStartBoxRange(int numberBase) { return {numberBase, numberBase + 4 * kPalkFlexStartMax}; }

uint8_t PalkFlexStartFromBox(int typed, int numberBase) {
  const int v = PalkFlexStartBoxRange(numberBase).clamp(typed);
  return static_cast<uint8_t>((v - numberBase) / 4);
}

int PalkFlexStartBoxValue(int palkFlexStart, int numberBase) { return 4 * palkFlexStart + numberBase; }

uint8_t PalkFlexStartStep(int palkFlexStart, bool up) {
  int v = palkFlexStart;
  if (up && v < kPalkFlexStartMax) ++v;
  if (!up && v > 0) --v;
  return static_cast<uint8_t>(v);
}

int NumberBaseFor(bool startAtOne) { return startAtOne ? 1 : 0; }

std::string_view HWCPinCaption(int numberBase) {
  return numberBase == 1 ? "Pin       1..8         9..16      17..24       25..32"
                         : "Pin       0..7         8..15      16..23       24..31";
}

NumberingRanges NumberingRangesFor(int n) {
  return {{n, n + 15}, {n, n + 95}, {n, n + 95}, {n, n + 31}, {n, n + 31}};
}

}  // namespace vorn
