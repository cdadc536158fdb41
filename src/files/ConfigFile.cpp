#include "files/ConfigFile.h"

#include <array>
#include <optional>

#include "files/FieldIO.h"
#include "files/FileAccess.h"
#include "files/PinBlock.h"
#include "model/Addresses.h"
#include "model/CodePage1252.h"
#include "model/Instructions.h"

namespace vorn {

namespace {

constexpr std::array<const char*, 8> kBaudTexts = {"9600",  "14400", "19200", "28800",
                                                   "38400", "57600", "76800", "115200"};
constexpr const char* kHeaderWord = "VornConfiguration";  // 17 characters
constexpr std::size_t kHeaderLength = 22;

template <typename T, std::size_t N>
T& At(std::array<T, N>& a, int i) {
  return a[static_cast<std::size_t>(i)];
}

int Mask(const std::array<bool, 16>& boxes, int group) {
  int v = 0;
  for (int j = 0; j < 4; ++j) v |= boxes[static_cast<std::size_t>(4 * group + j)] ? (1 << j) : 0;
  return v;
}

int LedMask(const std::array<TriState, 8>& boxes) {
  int v = 0;
  for (int k = 0; k < 7; ++k) v |= boxes[static_cast<std::size_t>(k)] == TriState::Checked ? (1 << k) : 0;
  return v;
}

void WriteGeneral(FieldWriter& w, const ConfigModel& m, const GeneralSettings& g) {
  w.begin(0).text("VornConfiguration 0032").end();
  w.begin(0).text("ID$").text(g.IDString).end();
  const int options = g.DCCRetention + 4 * (g.DCCStateInvert ? 1 : 0) + 8 * (g.DCCAllow0 ? 1 : 0);
  w.begin(0).text("DCC").number(g.DCCAddress).number(g.XDCCAddress).number(options).end();
  w.begin(0).text("XAD").number(m.PalkFlexStart).number(g.PalkFlexEnabled ? 1 : 0).number(g.ModuleExtAddress);
  for (int i = 0; i < 4; ++i) w.number(Mask(g.XGM, i));
  w.end();
  w.begin(0).text("HWC");
  for (int i = 0; i < 4; ++i)
    w.number(2 * (g.HWCSource[static_cast<std::size_t>(i)] ? 1 : 0) +
             (g.HWCSink[static_cast<std::size_t>(i)] ? 1 : 0));
  w.end();
  w.begin(0).text("LED").number(LedMask(g.LCGreen)).number(LedMask(g.LCOrange)).end();
  w.begin(0)
      .text("SPC")
      .number(g.SerialEnable ? 1 : 0)
      .text(SerialBaudText(g.SerialBaudIndex))
      .number(g.SerialDataBits == 1 ? 8 : 7)
      .number(g.SerialParity == 3   ? 3
              : g.SerialParity == 2 ? 2
                                    : 0)
      .number(g.SerialStop == 1 ? 2 : 1)
      .end();
  for (int on = 1; on >= 0; --on) {
    for (int p = 0; p < kPinsInUse; ++p) {
      w.begin(0).text(on ? "Eon" : "Eof").number(p);
      for (int j = 0; j < 4; ++j) w.number((on ? m.eventOn(p, j) : m.eventOff(p, j)) + 1);
      w.end();
    }
  }
}

int ConfigValuesWritten(uint8_t type) {
  switch (type) {
    case 1: return 12;
    case 2:
    case 3: return 6;
    case 4:
    case 5: return 5;
    default: return 1;
  }
}

bool AspectCarriesSomething(const AspectData& a, int slots) {
  if (!a.Description.empty()) return true;
  for (int i = 0; i < slots; ++i) {
    if (a.Instr[static_cast<std::size_t>(i)].Opcode != 0) return true;
  }
  return false;
}

void WritePin(FieldWriter& w, ConfigModel& m, int p, ConfigFileMode mode) {
  PinData& d = m.pin(p);
  const bool compact = mode == ConfigFileMode::Compact;
  w.begin(0).text("Pin").number(p).number(d.AspectConfig).number(d.InitAspect).text(d.Description).end();
  w.begin(2).text("Dev").number(d.DevicePointer).text(d.DeviceName).end();
  if (d.PinConfig[0] == 1) d.PinConfig[2] &= 63;
  w.begin(2).text("Cfg");
  for (int k = 0; k < ConfigValuesWritten(d.PinConfig[0]); ++k)
    w.number(d.PinConfig[static_cast<std::size_t>(k)]);
  w.end();
  w.begin(2).text("PAM").number(d.XDCCCount).number(d.DCCCount).number(d.SerialCount).end();
  const int slots = SlotsInLayout(d.AspectConfig);
  for (int a = 0; a < AspectsInLayout(d.AspectConfig); ++a) {
    const AspectData& asp = m.aspect(p, a);
    // Compact files leave out aspects that carry nothing; one with a program but no
    // description is kept, or its program would be lost.
    if (compact && !AspectCarriesSomething(asp, slots)) continue;
    w.begin(2).text("Asp").number(a).text(asp.Description).end();
    for (int i = 0; i < slots; ++i) {
      const Instruction& in = asp.Instr[static_cast<std::size_t>(i)];
      if (compact && in.Opcode == 0) continue;
      w.begin(4)
          .text("Ins")
          .number(i)
          .number(CombinedCode(in))
          .number(in.PinOffset)
          .number(in.Par1)
          .number(in.Par2)
          .number(in.Par3)
          .end();
    }
  }
}

// ---------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------

// Why a file was refused, and on which line.
struct Invalid {
  int line = 0;  // 0: no line to name
  std::string what;
};

constexpr const char* kEndsEarly = "the file ends before \"End\"";

// A field as the message shows it: in quotes, cut short when long.
std::string Shown(const std::string& field) {
  std::string s = field.size() > 24 ? field.substr(0, 24) + "..." : field;
  return "\"" + Cp1252ToUtf8(s) + "\"";
}

class Loader {
 public:
  Loader(std::string_view bytes, ConfigModel& m, GeneralSettings& g, int version)
      : r_(bytes), m_(m), g_(g), v_(version) {}

  void skipHeader() { r_.next(); }

  std::optional<EnableMapBytes> maps;

  void run() {
    for (;;) {
      auto tag = r_.next();
      if (!tag) throw Invalid{r_.line(), kEndsEarly};
      if (*tag == "End") return;
      handle(*tag);
    }
  }

 private:
  long num(long lo, long hi) {
    const std::string f = text();
    const auto n = ParseNumber(f);
    if (!n) throw Invalid{r_.line(), "expected a number, found " + Shown(f)};
    if (*n < lo || *n > hi) {
      throw Invalid{r_.line(), "expected a number from " + std::to_string(lo) + " to " + std::to_string(hi) +
                                   ", found " + std::to_string(*n)};
    }
    return *n;
  }
  auto numbers() {
    return [this](long lo, long hi) { return num(lo, hi); };
  }
  uint8_t byte() { return static_cast<uint8_t>(num(0, 255)); }
  std::string text() {
    auto f = r_.next();
    if (!f) throw Invalid{r_.line(), kEndsEarly};
    return *f;
  }

  void handle(const std::string& tag) {
    if (tag == "ID$") {
      g_.IDString = text();
    } else if (tag == "DCC") {
      g_.DCCAddress = static_cast<int>(num(0, DCCAddressRange(true).Max));
      if (v_ >= 32) g_.XDCCAddress = static_cast<int>(num(0, XDCCAddressRange(true).Max));
      if (v_ > 22) {
        const long options = num(0, 255);
        g_.DCCAllow0 = (options & 8) != 0;
        g_.DCCStateInvert = (options & 4) != 0;
        g_.DCCRetention = static_cast<uint8_t>(options & 3);
      }
      ShowDCCRange(m_, g_);
      ShowXDCCRange(m_, g_);
    } else if (tag == "XAD") {
      m_.PalkFlexStart = static_cast<uint8_t>(num(0, 127));
      g_.PalkFlexEnabled = num(0, 255) == 1;
      // Raw 7-bit bytes as a Vorn may report them, not only what the window lets one type.
      g_.ModuleExtAddress = static_cast<uint8_t>(num(0, 127));
      for (int i = 0; i < 4; ++i) {
        const long mask = num(0, 255);
        for (int j = 0; j < 4; ++j) At(g_.XGM, 4 * i + j) = (mask & (1 << j)) != 0;
      }
    } else if (tag == "HWC") {
      for (int i = 0; i < 4; ++i) {
        const long v = num(0, 255);
        At(g_.HWCSink, i) = (v & 1) != 0;
        At(g_.HWCSource, i) = (v & 2) != 0;
      }
    } else if (tag == "LED") {
      readLed(g_.LCGreen);
      readLed(g_.LCOrange);
    } else if (tag == "SPC") {
      g_.SerialEnable = num(0, 255) == 1;
      const std::string baud = text();
      for (int i = 0; i < 8; ++i) {
        if (baud == kBaudTexts[static_cast<std::size_t>(i)]) g_.SerialBaudIndex = static_cast<uint8_t>(i);
      }
      g_.SerialDataBits = num(0, 255) == 8 ? 1 : 0;
      const long parity = num(0, 255);
      g_.SerialParity = parity == 3 ? 3 : parity == 2 ? 2 : 0;
      g_.SerialStop = num(0, 255) == 2 ? 1 : 0;
    } else if (tag == "Eon" || tag == "Evt" || tag == "Eof") {
      const int q = pinNumber();
      for (int j = 0; j < 4; ++j) {
        // Stored as action + 1; the Vorn reports actions 0..14 or none.
        const auto v = static_cast<int16_t>(num(0, 15) - 1);
        (tag == "Eof" ? m_.eventOff(q, j) : m_.eventOn(q, j)) = v;
      }
    } else if (tag == "Pin") {
      pin_ = pinNumber();
      PinData& d = m_.pin(pin_);
      d.AspectConfig = byte();
      d.InitAspect = static_cast<uint8_t>(num(0, 15));  // a Vorn reports up to 15
      d.Description = text();
      ResetPinProgram(m_, pin_);
    } else if (tag == "Dev") {
      // The device pin must be one of the Vorn's pins.
      const auto ptr = static_cast<int16_t>(num(-pin_, kPinsInUse - 1 - pin_));
      m_.pin(pin_).DevicePointer = ptr;
      m_.pin(pin_).DeviceName = text();
    } else if (tag == "PAM") {
      ReadAddressCounts(m_.pin(pin_), v_ >= 32, numbers());
    } else if (tag == "Cfg") {
      readCfg();
    } else if (tag == "Asp") {
      aspect_ = static_cast<int>(num(0, kAspectSlots - 1));
      m_.aspect(pin_, aspect_).Description = text();
    } else if (tag == "Ins") {
      const int i = static_cast<int>(num(0, kInstrSlots - 1));
      ReadInstructionFields(m_.instr(pin_, aspect_, i), numbers());
    } else if (tag == "Ena") {
      EnableMapBytes e;
      e.on = byte();
      e.off = byte();
      maps = e;
    }
    // Any other field is not a tag we know: skip it and read the next one as a tag.
  }

  int pinNumber() { return static_cast<int>(num(0, kPinsInUse - 1)); }

  void readLed(std::array<TriState, 8>& boxes) {
    const long mask = num(0, 255);
    for (int k = 0; k < 7; ++k) {
      At(boxes, k) = (mask != 0 && (mask & (1 << k)) != 0) ? TriState::Checked : TriState::Unchecked;
    }
    At(boxes, 7) = mask != 0 ? TriState::Unchecked : TriState::Grey;
  }

  void readCfg() {
    auto& c = m_.pin(pin_).PinConfig;
    c[0] = byte();
    switch (c[0]) {
      case 1:
        for (int k = 1; k <= 11; ++k) At(c, k) = byte();
        // Older files kept the servo speed in the high nibble.
        if (c[2] >= 16 && (c[2] & 8) == 0) c[2] = static_cast<uint8_t>(c[2] / 16 + 40);
        break;
      case 2:
      case 3:
        for (int k = 1; k <= 3; ++k) At(c, k) = byte();
        if (v_ < 20) {
          c[4] = 0;
          c[5] = 31;
        } else {
          c[4] = byte();
          c[5] = byte();
        }
        for (int k = 6; k <= 11; ++k) At(c, k) = 0;
        break;
      case 4:
      case 5:
        for (int k = 1; k <= 4; ++k) At(c, k) = byte();
        break;
      default:
        for (int k = 0; k <= 11; ++k) At(c, k) = 0;
        break;
    }
    m_.pin(pin_).LiveLevel = c[1];
  }

  FieldReader r_;
  ConfigModel& m_;
  GeneralSettings& g_;
  int v_;
  int pin_ = 0;
  int aspect_ = 0;
};

}  // namespace

const char* SerialBaudText(int index) {
  return (index >= 0 && index < 8) ? kBaudTexts[static_cast<std::size_t>(index)] : kBaudTexts[0];
}

std::string WriteConfigText(ConfigModel& m, const GeneralSettings& g, ConfigFileMode mode,
                            const std::optional<EnableMapBytes>& maps) {
  FieldWriter w;
  WriteGeneral(w, m, g);
  for (int p = 0; p < kPinsInUse; ++p) {
    if (mode == ConfigFileMode::Compact && m.pin(p).Description.empty()) continue;
    WritePin(w, m, p, mode);
  }
  if (maps) w.begin(0).text("Ena").number(maps->on).number(maps->off).end();
  w.begin(0).text("End").end();
  return w.bytes();
}

bool CompactHoldsNoPin(const ConfigModel& m) {
  for (int p = 0; p < kPinsInUse; ++p) {
    if (!m.pin(p).Description.empty()) return false;
  }
  return true;
}

bool SaveConfigFile(const std::string& path, ConfigModel& m, const GeneralSettings& g, ConfigFileMode mode,
                    Prompter& prompter, const std::optional<EnableMapBytes>& maps) {
  std::string error;
  if (SaveFileBytes(path, WriteConfigText(m, g, mode, maps), &error)) return true;
  prompter.message("Can not save " + path + ": " + error, Icon::Exclamation);
  return false;
}

ConfigLoadStatus ReadConfigText(const std::string& bytes, ConfigModel& m, GeneralSettings& g,
                                Prompter& prompter, std::optional<EnableMapBytes>* maps,
                                const std::string& name) {
  // The reader's own first line, then where and what: the file's name and line.
  auto refuse = [&](const Invalid& why) {
    std::string where = name;
    if (why.line > 0) where += (where.empty() ? "" : ", ") + std::string("line ") + std::to_string(why.line);
    prompter.message(std::string(kInvalidConfigFile) + "\n" + where + (where.empty() ? "" : ": ") + why.what,
                     Icon::Exclamation);
    return ConfigLoadStatus::Invalid;
  };
  FieldReader header(bytes);
  const std::string first = header.next().value_or("");
  if (first.compare(0, 17, kHeaderWord) != 0) {
    if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) return refuse({0, "the file is empty"});
    return refuse({0, "not a configuration file (no \"VornConfiguration\" header)"});
  }
  if (first.size() != kHeaderLength)
    return refuse({header.line(), "the header needs a four-digit version, found " + Shown(first)});
  const int version = static_cast<int>(LeadingInteger(std::string_view(first).substr(kHeaderLength - 4)));
  if (version < kDataFileVersion) {
    prompter.message("Data File Version = " + std::to_string(version), Icon::Information);
  }
  ConfigModel model = m;
  GeneralSettings general = g;
  std::optional<EnableMapBytes> loadedMaps;
  try {
    Loader loader(bytes, model, general, version);
    loader.skipHeader();
    loader.run();
    loadedMaps = loader.maps;
  } catch (const Invalid& why) {
    return refuse(why);
  }
  model.RecalcAllStarts();
  ShowDCCRange(model, general);
  ShowXDCCRange(model, general);
  m = std::move(model);
  g = std::move(general);
  if (maps) *maps = loadedMaps;
  return ConfigLoadStatus::Loaded;
}

ConfigLoadStatus LoadConfigFile(const std::string& path, ConfigModel& m, GeneralSettings& g,
                                Prompter& prompter, std::optional<EnableMapBytes>* maps) {
  std::string error;
  auto bytes = ReadFileBytes(path, &error);
  if (!bytes) {
    prompter.message("Can not open " + path + (error.empty() ? "" : ": " + error), Icon::Exclamation);
    return ConfigLoadStatus::CannotOpen;
  }
  return ReadConfigText(*bytes, m, g, prompter, maps, path == "-" ? "standard input" : path);
}

}  // namespace vorn
