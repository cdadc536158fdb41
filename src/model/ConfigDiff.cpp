#include "model/ConfigDiff.h"

#include <iterator>
#include "model/GeneralSettingsRules.h"
#include "model/Instructions.h"
#include "model/PinConfigParams.h"

namespace vorn {

namespace {

using std::to_string;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }
std::string onOff(bool b) { return b ? "on" : "off"; }

class Lister {
 public:
  Lister(const VornConfiguration& a, const VornConfiguration& b, int base) : a_(a), b_(b), n_(base) {}

  std::vector<ConfigChange> run() {
    general();
    for (int p = 0; p < kPinsInUse; ++p) pin(p);
    for (int p = 0; p < kPinsInUse; ++p) events(p, true);
    for (int p = 0; p < kPinsInUse; ++p) events(p, false);
    enableMaps();
    addresses();
    return std::move(out_);
  }

 private:
  void add(ChangeItem item, std::string text, int pin = -1, int aspect = -1) {
    out_.push_back(ConfigChange{item, pin, aspect, std::move(text)});
  }
  template <typename T>
  void field(ChangeItem item, const std::string& what, const T& x, const T& y) {
    if (!(x == y)) add(item, "General: " + what + " " + show(x) + " -> " + show(y));
  }
  static std::string show(const std::string& s) { return quoted(s); }
  static std::string show(int v) { return to_string(v); }
  static std::string show(bool v) { return onOff(v); }

  void general() {
    const GeneralSettings& x = a_.general;
    const GeneralSettings& y = b_.general;
    field(ChangeItem::GenID, "ID string", x.IDString, y.IDString);
    field(ChangeItem::GenDCCAddress, "DCC address", x.DCCAddress, y.DCCAddress);
    field(ChangeItem::GenXDCCAddress, "extended DCC address", x.XDCCAddress, y.XDCCAddress);
    static const char* kRetention[4] = {"62.5ms", "125ms", "250ms", "500ms"};
    const int rx = DCCOptionsByte(x) & 3;
    const int ry = DCCOptionsByte(y) & 3;
    if (rx != ry)
      add(ChangeItem::GenDCCOptions,
          std::string("General: packet retention ") + kRetention[rx] + " -> " + kRetention[ry]);
    field(ChangeItem::GenDCCOptions, "basic packet state invert", x.DCCStateInvert, y.DCCStateInvert);
    field(ChangeItem::GenDCCOptions, "address 0 allowed", x.DCCAllow0, y.DCCAllow0);
    static const char* kGreen[7] = {"Basic DCC Packet", "eXtd DCC Packet", "Palk Message", "Vorn Message",
                                    "Green 4",          "Green 5",         "Green 6"};
    static const char* kOrange[7] = {"DCC Checksum Error", "Orange 1", "Orange 2", "Orange 3",
                                     "Orange 4",           "Orange 5", "Orange 6"};
    led(ChangeItem::GenLEDGreen, "green", kGreen, LEDMask(x.LCGreen), LEDMask(y.LCGreen));
    led(ChangeItem::GenLEDOrange, "orange", kOrange, LEDMask(x.LCOrange), LEDMask(y.LCOrange));
    for (int i = 0; i < 4; ++i) {
      const std::string group = "pins " + to_string(8 * i + n_) + ".." + to_string(8 * i + 7 + n_) + " ";
      field(ChangeItem::GenHWC, group + "sink driver", x.HWCSink[i], y.HWCSink[i]);
      field(ChangeItem::GenHWC, group + "source driver", x.HWCSource[i], y.HWCSource[i]);
    }
    static const char* kBaud[8] = {"9600", "14400", "19200", "28800", "38400", "57600", "76800", "115200"};
    field(ChangeItem::GenSerial, "serial port", x.SerialEnable, y.SerialEnable);
    if (x.SerialBaudIndex != y.SerialBaudIndex)
      add(ChangeItem::GenSerial, std::string("General: serial baud rate ") + kBaud[x.SerialBaudIndex % 8] +
                                     " -> " + kBaud[y.SerialBaudIndex % 8]);
    if (SerialPortConfigByte(x) / 8 != SerialPortConfigByte(y) / 8) {
      auto frame = [](const GeneralSettings& g) {
        const char* parity[4] = {"no parity", "parity 1", "even parity", "odd parity"};
        return std::string(g.SerialDataBits ? "8" : "7") + " data bits, " + parity[g.SerialParity % 4] +
               ", " + (g.SerialStop ? "2" : "1") + " stop bits";
      };
      add(ChangeItem::GenSerial, "General: serial " + frame(x) + " -> " + frame(y));
    }
  }

  void led(ChangeItem item, const char* colour, const char* const* names, uint8_t x, uint8_t y) {
    for (int k = 0; k < 7; ++k) {
      const bool bx = (x >> k) & 1;
      const bool by = (y >> k) & 1;
      if (bx != by)
        add(item, std::string("General: ") + colour + " LED " + quoted(names[k]) + " " + onOff(bx) + " -> " +
                      onOff(by));
    }
  }

  void addresses() {
    const GeneralSettings& x = a_.general;
    const GeneralSettings& y = b_.general;
    field(ChangeItem::GenPalk, "Palk flexible addressing", x.PalkFlexEnabled, y.PalkFlexEnabled);
    field(ChangeItem::GenPalk, "Palk flex-address start", a_.model.PalkFlexStart * 4 + n_,
          b_.model.PalkFlexStart * 4 + n_);
    for (int i = 0; i < 16; ++i)
      field(ChangeItem::GenXGM, "extended group mask " + to_string(i), x.XGM[i], y.XGM[i]);
    field(ChangeItem::GenExtAddress, "module extended address", x.ModuleExtAddress + n_,
          y.ModuleExtAddress + n_);
  }

  std::string pinName(int p) const {
    const std::string& d =
        b_.model.pin(p).Description.empty() ? a_.model.pin(p).Description : b_.model.pin(p).Description;
    return "Pin " + to_string(p + n_) + (d.empty() ? "" : " " + quoted(d));
  }

  std::string deviceText(int p, const PinData& pd) const {
    const int d = p + pd.DevicePointer;
    if (pd.DevicePointer == 0) return "own device";
    if (d < 0 || d >= kPinsInUse) return "pointer " + to_string(pd.DevicePointer);
    const std::string& name =
        b_.model.pin(d).DeviceName.empty() ? a_.model.pin(d).DeviceName : b_.model.pin(d).DeviceName;
    return "part of " + (name.empty() ? "" : quoted(name) + " on ") + pinName(d);
  }

  void pin(int p) {
    const PinData& x = a_.model.pin(p);
    const PinData& y = b_.model.pin(p);
    const std::string P = pinName(p) + ": ";
    if (x.Description != y.Description)
      add(ChangeItem::PinFileOnly,
          P + "description " + quoted(x.Description) + " -> " + quoted(y.Description) + " (file only)", p);
    if (x.DeviceName != y.DeviceName)
      add(ChangeItem::PinFileOnly,
          P + "device name " + quoted(x.DeviceName) + " -> " + quoted(y.DeviceName) + " (file only)", p);
    if (x.AspectConfig != y.AspectConfig)
      add(ChangeItem::PinLayout,
          P + "aspect layout " + layout(x.AspectConfig) + " -> " + layout(y.AspectConfig), p);
    if (x.InitAspect != y.InitAspect)
      add(ChangeItem::PinInit,
          P + "initial aspect " + initText(x.InitAspect) + " -> " + initText(y.InitAspect), p);
    count(p, P + "DCC addresses ", x.DCCCount, y.DCCCount);
    count(p, P + "extended DCC addresses ", x.XDCCCount, y.XDCCCount);
    count(p, P + "serial addresses ", x.SerialCount, y.SerialCount);
    if (x.DevicePointer != y.DevicePointer)
      add(ChangeItem::PinAddresses, P + "device " + deviceText(p, x) + " -> " + deviceText(p, y), p);
    // Aspects as the newer layout holds them: that is what a write sends.
    const int aspects = AspectsInLayout(y.AspectConfig);
    const int slots = SlotsInLayout(y.AspectConfig);
    for (int a = 0; a < aspects; ++a) {
      const AspectData& ax = x.Aspects[static_cast<size_t>(a)];
      const AspectData& ay = y.Aspects[static_cast<size_t>(a)];
      const std::string A = P + "aspect " + to_string(a) + " ";
      if (ax.Description != ay.Description)
        add(ChangeItem::PinFileOnly,
            A + "description " + quoted(ax.Description) + " -> " + quoted(ay.Description) + " (file only)", p,
            a);
      for (int i = 0; i < slots; ++i) {
        const Instruction& ix = ax.Instr[static_cast<size_t>(i)];
        const Instruction& iy = ay.Instr[static_cast<size_t>(i)];
        if (ix == iy) continue;
        std::string tx = InstructionText(ix, p);
        std::string ty = InstructionText(iy, p);
        if (tx == ty) {  // they differ in bytes the instruction does not use
          tx = rawSlot(ix);
          ty = rawSlot(iy);
        }
        add(ChangeItem::PinAspect, A + "step " + to_string(i) + ": " + tx + " -> " + ty, p, a);
      }
    }
    const uint8_t tx = x.PinConfig[0];
    const uint8_t ty = y.PinConfig[0];
    if (tx != ty) add(ChangeItem::PinConfig, P + "type " + PinTypeText(tx) + " -> " + PinTypeText(ty), p);
    const int sent = ConfigElementsSent(ty);
    for (int k = 1; k < sent; ++k) {
      const uint8_t vx = x.PinConfig[static_cast<size_t>(k)];
      const uint8_t vy = y.PinConfig[static_cast<size_t>(k)];
      if (vx != vy)
        add(ChangeItem::PinConfig,
            P + "configuration byte " + to_string(k) + " " + to_string(vx) + " -> " + to_string(vy), p);
    }
  }

  void count(int p, const std::string& what, int x, int y) {
    if (x != y) add(ChangeItem::PinAddresses, what + to_string(x) + " -> " + to_string(y), p);
  }

  static std::string layout(uint8_t c) {
    if (c == kLayout4x9) return "4";
    if (c == kLayout12x3) return "12";
    return c == 0 ? "0" : "0 (code " + to_string(c) + ")";
  }
  static std::string rawSlot(const Instruction& in) {
    return "code " + to_string(CombinedCode(in)) + " bytes " + to_string(in.PinOffset) + ", " +
           to_string(in.Par1) + ", " + to_string(in.Par2) + ", " + to_string(in.Par3);
  }
  static std::string initText(int v) { return v == 0 ? "none" : to_string(v - 1); }
  static std::string action(int v) { return v < 0 ? "none" : "aspect " + to_string(v); }

  void events(int p, bool on) {
    const ConfigModel& x = a_.model;
    const ConfigModel& y = b_.model;
    for (int j = 0; j < 4; ++j) {
      const int vx = on ? x.eventOn(p, j) : x.eventOff(p, j);
      const int vy = on ? y.eventOn(p, j) : y.eventOff(p, j);
      if (vx != vy)
        add(on ? ChangeItem::EventOn : ChangeItem::EventOff,
            pinName(p) + ": event-" + (on ? "on" : "off") + " for input " + to_string(j) + ": " + action(vx) +
                " -> " + action(vy),
            p);
    }
  }

  void enableMaps() {
    if (!b_.enableMapsKnown) return;  // nothing to bring anywhere
    auto state = [](bool known, bool on) { return !known ? "unknown" : (on ? "enabled" : "disabled"); };
    for (int k = 0; k < 8; ++k) {
      const bool x = a_.initEnable[static_cast<size_t>(k)];
      const bool y = b_.initEnable[static_cast<size_t>(k)];
      if (x != y || !a_.enableMapsKnown)
        add(ChangeItem::EnableMaps, std::string("Enable map: event-") + (k < 4 ? "on" : "off") +
                                        " of input " + to_string(k % 4) + " at start " +
                                        state(a_.enableMapsKnown, x) + " -> " + state(true, y));
    }
  }

  const VornConfiguration& a_;
  const VornConfiguration& b_;
  const int n_;
  std::vector<ConfigChange> out_;
};

}  // namespace

std::string PinTypeText(int type) {
  static constexpr const char* kTypes[] = {"Clear",        "Servo", "PWM",
                                           "PWM inverted", "Input", "Input inverted"};
  if (type < 0 || type >= std::ssize(kTypes)) return "type " + to_string(type);
  return kTypes[type];
}

std::string InstructionText(const Instruction& in, int pin) {
  if (in.Opcode == 0) return "empty";
  const InstrDef& def = InstrDefFor(in.Opcode);
  std::string t = InstrListName(in.Opcode);
  if (in.Fade) t += " fade";
  std::vector<int> params;
  if (!def.defined()) {
    params = {in.PinOffset, in.Par1, in.Par2, in.Par3};
  } else {
    if (def.UsesPinOffset) params.push_back(ShownPinOffset(in.Opcode, pin, in.PinOffset));
    if (def.UsesPar1) params.push_back(ShownPar1(in.Opcode, in.Par1));
    if (def.UsesPar2) params.push_back(in.Par2);
    if (def.UsesPar3) params.push_back(in.Par3);
  }
  for (size_t k = 0; k < params.size(); ++k) t += (k == 0 ? " " : ", ") + to_string(params[k]);
  return t;
}

std::vector<ConfigChange> CompareConfigurations(const VornConfiguration& before,
                                                const VornConfiguration& after, int numberBase) {
  return Lister(before, after, numberBase).run();
}

std::array<bool, kPinsInUse> PinsWithDeviceChanges(const std::vector<ConfigChange>& changes) {
  std::array<bool, kPinsInUse> pins{};
  for (const ConfigChange& c : changes) {
    if (!c.fileOnly() && c.pin >= 0 && c.pin < kPinsInUse) pins[static_cast<size_t>(c.pin)] = true;
  }
  return pins;
}

}  // namespace vorn
