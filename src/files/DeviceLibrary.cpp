#include "files/DeviceLibrary.h"

#include <optional>

#include "files/FieldIO.h"
#include "files/FileAccess.h"
#include "files/PinBlock.h"
#include "files/StandardLibraryPath.h"

namespace vorn {

namespace {

constexpr const char* kHeaderWord = "VornDeviceDefinitions";  // 21 characters
constexpr std::size_t kHeaderWordLength = 21;
constexpr std::size_t kVersionFrom = 22;  // the version text follows the word and one space
constexpr std::size_t kLabelLimit = 50;

int Wrap32(long v) { return static_cast<int>(((v % 32) + 32) % 32); }

bool HeaderOk(const std::string& field) { return field.compare(0, kHeaderWordLength, kHeaderWord) == 0; }

struct BadDefinition {};

// Applies one "Dev" block (the reader stands just after the device name) at pin D.
class DevicePreloader {
 public:
  DevicePreloader(FieldReader& r, ConfigModel& m, int devicePin)
      : r_(r), m_(m), d_(devicePin), t_(devicePin) {}

  void run() {
    for (;;) {
      auto tag = r_.peek();
      if (!tag || *tag == "Dev" || *tag == "End") return;
      r_.next();
      handle(*tag);
    }
  }

  std::vector<int> used;

 private:
  long num(long lo, long hi) {
    auto n = r_.nextNumber(lo, hi);
    if (!n) throw BadDefinition{};
    return *n;
  }
  auto numbers() {
    return [this](long lo, long hi) { return num(lo, hi); };
  }
  uint8_t byte() { return static_cast<uint8_t>(num(0, 255)); }
  std::string text() {
    auto f = r_.next();
    if (!f) throw BadDefinition{};
    return *f;
  }
  bool nextIsNumber() {
    auto f = r_.peek();
    return f && ParseNumber(*f).has_value();
  }

  void handle(const std::string& tag) {
    if (tag == "Pin" || tag == "Pab") {
      const long r = num(0, 255);
      t_ = tag == "Pin" ? Wrap32(d_ + r) : Wrap32(r);
      aspect_ = 0;
      if (t_ != d_) m_.ClearDevice(t_);
      PinData& p = m_.pin(t_);
      p.DevicePointer = static_cast<int16_t>(d_ - t_);
      if (!p.Description.empty() && used.size() < kPinsInUse) used.push_back(t_);
      p.AspectConfig = byte();
      p.InitAspect = static_cast<uint8_t>(num(0, 15));
      p.Description = text();
      ResetPinProgram(m_, t_);
    } else if (tag == "PAM") {
      ReadAddressCounts(m_.pin(t_), true, numbers());
    } else if (tag == "Cfg") {
      readCfg();
    } else if (tag == "Asp") {
      aspect_ = static_cast<int>(num(0, kAspectSlots - 1));
      m_.aspect(t_, aspect_).Description = text();
    } else if (tag == "Ins") {
      const int i = static_cast<int>(num(0, kInstrSlots - 1));
      ReadInstructionFields(m_.instr(t_, aspect_, i), numbers());
    }
  }

  void readCfg() {
    auto& c = m_.pin(t_).PinConfig;
    c[0] = byte();
    auto at = [&c](int k) -> uint8_t& { return c[static_cast<std::size_t>(k)]; };
    switch (c[0]) {
      case 1:
        for (int k = 1; k <= 11; ++k) at(k) = byte();
        break;
      case 2:
      case 3:
        // Older libraries wrote PWM pins with three parameters; the next field then is a tag.
        for (int k = 1; k <= 3; ++k) at(k) = byte();
        if (nextIsNumber()) {
          c[4] = byte();
          c[5] = byte();
        }
        break;
      case 4:
      case 5:
        for (int k = 1; k <= 4; ++k) at(k) = byte();
        break;
      default:
        // Libraries write the other types' bytes too: apply them like the configuration
        // file does rather than leave the pin's previous parameters under a new type.
        for (int k = 0; k <= 11; ++k) at(k) = 0;
        break;
    }
  }

  FieldReader& r_;
  ConfigModel& m_;
  int d_;
  int t_;
  int aspect_ = 0;
};

bool AspectCarriesSomething(const AspectData& a, int slots) {
  if (!a.Description.empty()) return true;
  for (int i = 0; i < slots; ++i) {
    if (a.Instr[static_cast<std::size_t>(i)].Opcode != 0) return true;
  }
  return false;
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

void WritePinBlock(FieldWriter& w, ConfigModel& m, int p, int relative) {
  PinData& d = m.pin(p);
  w.begin(2)
      .text("Pin")
      .number(relative)
      .number(d.AspectConfig)
      .number(d.InitAspect)
      .text(d.Description)
      .end();
  if (d.PinConfig[0] == 1) d.PinConfig[2] &= 63;
  w.begin(4).text("Cfg");
  for (int k = 0; k < ConfigValuesWritten(d.PinConfig[0]); ++k)
    w.number(d.PinConfig[static_cast<std::size_t>(k)]);
  w.end();
  w.begin(4).text("PAM").number(d.XDCCCount).number(d.DCCCount).number(d.SerialCount).end();
  const int slots = SlotsInLayout(d.AspectConfig);
  for (int a = 0; a < AspectsInLayout(d.AspectConfig); ++a) {
    const AspectData& asp = m.aspect(p, a);
    // An aspect with a program but no description is kept, or its program would be lost.
    if (!AspectCarriesSomething(asp, slots)) continue;
    w.begin(4).text("Asp").number(a).text(asp.Description).end();
    for (int i = 0; i < slots; ++i) {
      const Instruction& in = asp.Instr[static_cast<std::size_t>(i)];
      if (in.Opcode == 0) continue;
      w.begin(6)
          .text("Ins")
          .number(i)
          .number(in.Opcode + 16 * in.Fade)
          .number(in.PinOffset)
          .number(in.Par1)
          .number(in.Par2)
          .number(in.Par3)
          .end();
    }
  }
}

}  // namespace

DeviceLibrary::NamesRead DeviceLibrary::readNames(const std::string& path, bool atStart, bool append,
                                                  Prompter& prompter) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return NamesRead::CannotOpen;
  FieldReader r(*bytes);
  const std::string header = r.next().value_or("");
  if (!HeaderOk(header)) {
    prompter.message(kInvalidDefinitionFile, Icon::Exclamation);
    return NamesRead::Invalid;
  }
  if (header.size() > kVersionFrom) DevDefVersion = header.substr(kVersionFrom);
  if (atStart) {
    if (!DevDefVersion.empty()) VersionLabel = DevDefVersion;
  } else if (append) {
    VersionLabel = VersionLabel + " + " + DevDefVersion;
  } else {
    Names.clear();
    VersionLabel = DevDefVersion;
  }
  if (VersionLabel.size() > kLabelLimit) VersionLabel = ".." + VersionLabel.substr(VersionLabel.size() - 48);
  for (auto f = r.next(); f && *f != "End"; f = r.next()) {
    if (*f != "Dev") continue;
    auto name = r.next();
    if (!name) break;
    const std::size_t n = Names.size();
    Names.push_back(*name);
    if (DevDefFiles.size() <= n) DevDefFiles.resize(n + 1);
    DevDefFiles[n] = path;
  }
  return NamesRead::Read;
}

void DeviceLibrary::LoadAtStart(const std::string& programDir, const PathChooser& openDialog,
                                Prompter& prompter) {
  DevDefVersion = "Unknown";
  Names.clear();
  const StandardLibraryLookup where = FindStandardDeviceLibrary(programDir);
  DevDefPath = where.path;
  if (readNames(DevDefPath, true, false, prompter) != NamesRead::CannotOpen) return;
  std::string looked;
  for (const std::string& folder : where.searched) looked += "\n  " + folder;
  prompter.message("Can not find Device Configuration file at standard location\n\nLooked for " +
                       std::string(kStandardDeviceFile) + " in:" + looked,
                   Icon::Exclamation);
  DevDefPath = openDialog ? openDialog(kStandardDeviceFile) : std::string();
  if (DevDefPath.empty() || readNames(DevDefPath, true, false, prompter) == NamesRead::CannotOpen) {
    prompter.message("No Device Configuration available", Icon::Exclamation);
  }
}

bool DeviceLibrary::Reload(const PathChooser& openDialog, bool append, Prompter& prompter) {
  DevDefVersion.clear();
  DevDefPath = openDialog ? openDialog("") : std::string();
  if (DevDefPath.empty() || !ReadFileBytes(DevDefPath)) {
    prompter.message("No Device Configuration file selected", Icon::Exclamation);
    return false;
  }
  return readNames(DevDefPath, false, append, prompter) == NamesRead::Read;
}

bool DeviceLibrary::Preload(ConfigModel& m, int index, const std::string& name, Prompter& prompter,
                            const std::function<void()>& refresh) {
  if (index < 0 || name.empty()) {
    prompter.message("Select Devicename to load");
    return false;
  }
  // A typed name that is not one of the entries has no library of its own.
  if (static_cast<std::size_t>(index) >= Names.size() ||
      static_cast<std::size_t>(index) >= DevDefFiles.size()) {
    prompter.message("No match found");
    return false;
  }
  auto bytes = ReadFileBytes(DevDefFiles[static_cast<std::size_t>(index)]);
  if (!bytes) {
    prompter.message("Can not open " + DevDefFiles[static_cast<std::size_t>(index)], Icon::Exclamation);
    return false;
  }
  FieldReader r(*bytes);
  r.next();  // header
  for (;;) {
    auto f = r.next();
    if (!f || *f == "End") {
      prompter.message("No match found");
      return false;
    }
    if (*f == "Dev" && r.peek() == name) break;
  }
  r.next();  // the name

  const int d = m.CurPin;
  ConfigModel work = m;
  work.ClearDevice(d);
  work.pin(d).DeviceName = name;
  DevicePreloader loader(r, work, d);
  try {
    loader.run();
  } catch (const BadDefinition&) {
    prompter.message(kInvalidDefinitionFile, Icon::Exclamation);
    return false;
  }
  work.RecalcAllStarts();
  m = std::move(work);
  if (refresh) refresh();
  if (!loader.used.empty()) {
    std::string list;
    for (std::size_t i = 0; i < loader.used.size(); ++i)
      list += (i ? ", " : " ") + std::to_string(loader.used[i]);
    prompter.message("The following Pin numbers were already used: \n" + list, Icon::Exclamation);
  }
  return true;
}

std::string WriteDeviceText(ConfigModel& m, int devicePin) {
  FieldWriter w;
  const std::string name = m.pin(devicePin).DeviceName;
  w.begin(0).text(std::string(kHeaderWord) + " " + name).end();
  w.begin(0).text("Dev").text(name).end();
  WritePinBlock(w, m, devicePin, 0);
  for (int p = 0; p < kPinsInUse; ++p) {
    if (p == devicePin || p + m.pin(p).DevicePointer != devicePin) continue;
    WritePinBlock(w, m, p, Wrap32(p - devicePin));
  }
  w.begin(0).text("End").end();
  return w.bytes();
}

bool SaveDevice(ConfigModel& m, const PathChooser& saveDialog, Prompter& prompter) {
  const int d = m.CurPin + m.pin(m.CurPin).DevicePointer;
  if (d < 0 || d >= kPinsInUse || m.pin(d).DevicePointer != 0) {
    prompter.message("Referral is not a device", Icon::Exclamation);
    return false;
  }
  const std::string path = saveDialog ? saveDialog("") : std::string();
  if (path.empty()) return false;
  std::string error;
  if (SaveFileBytes(path, WriteDeviceText(m, d), &error)) return true;
  prompter.message("Can not save " + path + ": " + error, Icon::Exclamation);
  return false;
}

DeviceRefView ShowDeviceRef(ConfigModel& m) {
  DeviceRefView v;
  PinData& cur = m.pin(m.CurPin);
  v.pinText = std::to_string(m.CurPin + cur.DevicePointer + m.NumberBase);
  if (cur.DevicePointer == 0) {
    v.nameText = cur.DeviceName;
    v.nameEnabled = true;
    return v;
  }
  cur.DeviceName.clear();
  v.nameEnabled = false;
  const int d = m.CurPin + cur.DevicePointer;
  const bool devicePin = d >= 0 && d < kPinsInUse && m.pin(d).DevicePointer == 0;
  v.nameText = devicePin ? m.pin(d).DeviceName : "<Referral is no Device !>";
  return v;
}

bool EnterDevicePin(ConfigModel& m, const std::string& typed) {
  auto n = ParseNumber(typed);
  if (!n || *n < m.NumberBase || *n > m.NumberBase + kPinsInUse - 1) return false;
  m.pin(m.CurPin).DevicePointer = static_cast<int16_t>(*n - m.CurPin - m.NumberBase);
  return true;
}

}  // namespace vorn
