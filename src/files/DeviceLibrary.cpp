#include "files/DeviceLibrary.h"

#include <optional>

#include "files/FieldIO.h"
#include "files/FileAccess.h"
#include "files/PinBlock.h"
#include "files/StandardLibraryPath.h"
#include "model/CodePage1252.h"
#include "model/Instructions.h"

namespace vorn {

namespace {

constexpr const char* kHeaderWord = "VornDeviceDefinitions";  // 21 characters
constexpr std::size_t kHeaderWordLength = 21;
constexpr std::size_t kVersionFrom = 22;  // the version text follows the word and one space
constexpr std::size_t kLabelLimit = 50;

int Wrap32(long v) { return static_cast<int>(((v % 32) + 32) % 32); }

bool HeaderOk(const std::string& field) { return field.compare(0, kHeaderWordLength, kHeaderWord) == 0; }

std::string DefinitionFault(const std::string& path, const std::string& fault) {
  return std::string(kInvalidDefinitionFile) + " " + path + ", " + fault + "\nNothing of it was used.";
}

constexpr const char* kNoLibraryHeader = "not a device library (no \"VornDeviceDefinitions\" header)";

// A library read by its structure: every tag takes its own fields, so a description is only
// ever a text, whatever it says ("Dev", "End", ...).
struct LibraryRecord {
  std::string tag;  // "Pin", "Pab", "Cfg", "PAM", "Asp" or "Ins"
  std::vector<long> numbers;
  std::string text;  // the description of "Pin", "Pab" and "Asp"
};

struct LibraryDevice {
  std::string name;
  std::vector<LibraryRecord> records;
};

struct ParsedLibrary {
  std::vector<LibraryDevice> devices;
  std::string fault;  // "line N: ..." when the library is not sound
};

struct LibraryFault {
  int line;
  std::string what;
};

class LibraryParser {
 public:
  explicit LibraryParser(std::string_view bytes) : r_(bytes) {}

  ParsedLibrary run() {
    ParsedLibrary out;
    try {
      r_.next();  // the header, checked by the caller
      parse(out.devices);
    } catch (const LibraryFault& f) {
      out.devices.clear();
      out.fault = "line " + std::to_string(f.line) + ": " + f.what;
    }
    return out;
  }

 private:
  [[noreturn]] void fail(const std::string& what) { throw LibraryFault{r_.line(), what}; }

  std::string field(const std::string& tag) {
    auto f = r_.next();
    if (!f) fail("the library ends inside a \"" + tag + "\" line, before its \"End\"");
    return *f;
  }
  long num(const std::string& tag, long lo, long hi) {
    const std::string f = field(tag);
    auto n = ParseNumber(f);
    if (!n || *n < lo || *n > hi) {
      fail("\"" + tag + "\" expects a number from " + std::to_string(lo) + " to " + std::to_string(hi) +
           ", not \"" + Cp1252ToUtf8(f) + "\"");
    }
    return *n;
  }
  bool nextIsNumber() {
    auto f = r_.peek();
    return f && ParseNumber(*f).has_value();
  }

  void parse(std::vector<LibraryDevice>& devices) {
    LibraryDevice outside;  // lines before the first "Dev" belong to no device
    LibraryDevice* dev = &outside;
    for (;;) {
      auto tag = r_.next();
      if (!tag) fail("the library ends before its \"End\"");
      if (*tag == "End") return;
      if (*tag == "Dev") {
        devices.push_back(LibraryDevice{field("Dev"), {}});
        dev = &devices.back();
        continue;
      }
      const bool known =
          *tag == "Pin" || *tag == "Pab" || *tag == "Cfg" || *tag == "PAM" || *tag == "Asp" || *tag == "Ins";
      // Not a tag of ours: skipped like any unknown field.
      if (known) dev->records.push_back(record(*tag));
    }
  }

  LibraryRecord record(const std::string& tag) {
    LibraryRecord rec{tag, {}, {}};
    auto n = [&](long lo, long hi) { rec.numbers.push_back(num(tag, lo, hi)); };
    if (tag == "Pin" || tag == "Pab") {
      n(0, 255);  // pin number
      n(0, 255);  // AspectConfig
      n(0, 15);   // InitAspect
      rec.text = field(tag);
    } else if (tag == "PAM") {
      n(0, 1);
      n(0, 7);
      n(0, 7);
    } else if (tag == "Asp") {
      n(0, kAspectSlots - 1);
      rec.text = field(tag);
    } else if (tag == "Ins") {
      n(0, kInstrSlots - 1);
      for (int k = 0; k < 5; ++k) n(0, 255);
    } else {  // "Cfg"
      n(0, 255);
      switch (rec.numbers[0]) {
        case 1:
          for (int k = 1; k <= 11; ++k) n(0, 255);
          break;
        case 2:
        case 3:
          // Older libraries wrote PWM pins with three parameters; the next field then is a tag.
          for (int k = 1; k <= 3; ++k) n(0, 255);
          if (nextIsNumber()) {
            n(0, 255);
            n(0, 255);
          }
          break;
        case 4:
        case 5:
          for (int k = 1; k <= 4; ++k) n(0, 255);
          break;
        default:
          // Other types carry parameters that are not applied.
          while (nextIsNumber()) r_.next();
          break;
      }
    }
    return rec;
  }

  FieldReader r_;
};

// Applies one device's records at pin D.
class DevicePreloader {
 public:
  DevicePreloader(ConfigModel& m, int devicePin) : m_(m), d_(devicePin), t_(devicePin) {}

  void apply(const LibraryRecord& rec) {
    std::size_t k = 0;
    auto num = [&rec, &k](long, long) { return rec.numbers[k++]; };
    const std::string& tag = rec.tag;
    if (tag == "Pin" || tag == "Pab") {
      const long r = num(0, 0);
      t_ = tag == "Pin" ? Wrap32(d_ + r) : Wrap32(r);
      aspect_ = 0;
      if (t_ != d_) m_.ClearDevice(t_);
      PinData& p = m_.pin(t_);
      p.DevicePointer = static_cast<int16_t>(d_ - t_);
      if (!p.Description.empty() && used.size() < kPinsInUse) used.push_back(t_);
      p.AspectConfig = static_cast<uint8_t>(num(0, 0));
      p.InitAspect = static_cast<uint8_t>(num(0, 0));
      p.Description = rec.text;
      ResetPinProgram(m_, t_);
    } else if (tag == "PAM") {
      ReadAddressCounts(m_.pin(t_), true, num);
    } else if (tag == "Cfg") {
      applyCfg(rec.numbers);
    } else if (tag == "Asp") {
      aspect_ = static_cast<int>(num(0, 0));
      m_.aspect(t_, aspect_).Description = rec.text;
    } else if (tag == "Ins") {
      const int i = static_cast<int>(num(0, 0));
      ReadInstructionFields(m_.instr(t_, aspect_, i), num);
    }
  }

  std::vector<int> used;

 private:
  void applyCfg(const std::vector<long>& v) {
    auto& c = m_.pin(t_).PinConfig;
    const auto type = static_cast<uint8_t>(v[0]);
    if (type < 1 || type > 5) {
      // Libraries write the other types' bytes too: apply them like the configuration
      // file does rather than leave the pin's previous parameters under a new type.
      c.fill(0);
      c[0] = type;
      return;
    }
    for (std::size_t k = 0; k < v.size() && k < c.size(); ++k) c[k] = static_cast<uint8_t>(v[k]);
  }

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
          .number(CombinedCode(in))
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
    prompter.message(DefinitionFault(path, kNoLibraryHeader), Icon::Exclamation);
    return NamesRead::Invalid;
  }
  // The whole library must be sound before any of its names is offered.
  const ParsedLibrary lib = LibraryParser(*bytes).run();
  if (!lib.fault.empty()) {
    prompter.message(DefinitionFault(path, lib.fault), Icon::Exclamation);
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
  for (const LibraryDevice& dev : lib.devices) {
    const std::size_t n = Names.size();
    Names.push_back(dev.name);
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
  const std::string& path = DevDefFiles[static_cast<std::size_t>(index)];
  FieldReader header(*bytes);
  if (!HeaderOk(header.next().value_or(""))) {
    prompter.message(DefinitionFault(path, kNoLibraryHeader), Icon::Exclamation);
    return false;
  }
  const ParsedLibrary lib = LibraryParser(*bytes).run();
  if (!lib.fault.empty()) {
    prompter.message(DefinitionFault(path, lib.fault), Icon::Exclamation);
    return false;
  }
  const LibraryDevice* found = nullptr;
  for (const LibraryDevice& dev : lib.devices) {
    if (dev.name == name) {
      found = &dev;
      break;
    }
  }
  if (!found) {
    prompter.message("No match found");
    return false;
  }

  const int d = m.CurPin;
  ConfigModel work = m;
  work.ClearDevice(d);
  work.pin(d).DeviceName = name;
  DevicePreloader loader(work, d);
  for (const LibraryRecord& rec : found->records) loader.apply(rec);
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
