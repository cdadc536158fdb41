#include "link/PortList.h"

#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>

#include "link/QtSerialPort.h"

namespace vorn {

namespace {
constexpr int kMaxPorts = 16;

// Stable /dev/serial/by-id names keyed by the device they point at.
std::map<std::string, std::string> ByIdNames() {
  std::map<std::string, std::string> names;
  QDir dir(QStringLiteral("/dev/serial/by-id"));
  if (!dir.exists()) return names;
  for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
    const QString target = fi.canonicalFilePath();
    if (!target.isEmpty()) names[target.toStdString()] = fi.absoluteFilePath().toStdString();
  }
  return names;
}
}  // namespace

std::vector<PortCandidate> PortCandidates() {
  std::vector<PortCandidate> out;
#ifdef _WIN32
  for (int n = 1; n <= kMaxPorts; ++n) out.push_back({n, "COM" + std::to_string(n), ""});
  return out;
#endif
  auto seen = [&out](const std::string& p) {
    return std::any_of(out.begin(), out.end(), [&p](const PortCandidate& c) { return c.path == p; });
  };
  if (const char* env = std::getenv("VORNCONFIG_PORTS")) {
    std::string list(env);
    size_t pos = 0;
    while (pos <= list.size() && out.size() < kMaxPorts) {
      size_t end = list.find(':', pos);
      if (end == std::string::npos) end = list.size();
      std::string path = list.substr(pos, end - pos);
      if (!path.empty() && !seen(path)) out.push_back({static_cast<int>(out.size()) + 1, path, ""});
      pos = end + 1;
    }
  }

  auto infos = QSerialPortInfo::availablePorts();
  std::sort(infos.begin(), infos.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
    return a.systemLocation() < b.systemLocation();
  });
  const auto byId = ByIdNames();
  for (const QSerialPortInfo& info : infos) {
    if (out.size() >= kMaxPorts) break;
    const std::string path = info.systemLocation().toStdString();
    if (path.empty() || seen(path)) continue;
#ifdef __APPLE__
    // Each device shows up twice; the call-out twin is the one that opens without carrier.
    if (path.rfind("/dev/tty.", 0) == 0) continue;
#endif
    std::string details = info.description().toStdString();
    const std::string maker = info.manufacturer().toStdString();
    if (!maker.empty() && details.find(maker) == std::string::npos)
      details += (details.empty() ? "" : ", ") + maker;
    const std::string serial = info.serialNumber().toStdString();
    if (!serial.empty()) details += (details.empty() ? "(" : " (") + serial + ")";
    auto it = byId.find(path);
    if (it != byId.end()) details += (details.empty() ? "" : "  ") + it->second;
    out.push_back({static_cast<int>(out.size()) + 1, path, details});
  }
  return out;
}

std::string PortEntryText(const PortCandidate& c) {
  std::string text = std::to_string(c.number) + "  " + c.path;
  if (!c.details.empty()) text += "  " + c.details;
  return text;
}

PortListing ProbePorts() {
  PortListing listing;
  for (const PortCandidate& c : PortCandidates()) {
    QtSerialPort port;
    port.setDevice(c.path);
    if (port.open()) {
      port.close();
      listing.entries.push_back({c.number, c.path, PortEntryText(c)});
    } else {
      listing.failures.push_back({c.number, c.path, port.errorText()});
    }
  }
  return listing;
}

std::string PortPathForNumber(int n) {
  if (n < 1 || n > kMaxPorts) return "";
  const auto cands = PortCandidates();
  if (n > static_cast<int>(cands.size())) return "";
  return cands[static_cast<size_t>(n - 1)].path;
}

int PortNumberOfText(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  int n = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && n < 100000)
    n = n * 10 + (text[i++] - '0');
  return n;
}

std::string PortProblemsText(const std::vector<PortProbeFailure>& failures) {
  if (failures.empty()) return "";
  std::string text = "Cannot open:";
  bool permission = false;
  for (const PortProbeFailure& f : failures) {
    text += " " + f.path + " (" + (f.reason.empty() ? std::string("unknown error") : f.reason) + ")";
    if (f.reason.find("ermission") != std::string::npos) permission = true;
  }
  if (permission) text += " - to use serial ports, add your user to the dialout group and log in again";
  return text;
}

std::string PortOpenProblem(const std::string& path, const std::string& systemReason, PortsShownBy where) {
  const std::string list = where == PortsShownBy::Vornctl ? "`vornctl ports` lists the serial ports"
                                                          : "press \"Refresh\" and pick a port from the list";
  struct stat st {};
  const bool found = stat(path.c_str(), &st) == 0;
  if (!found && errno == ENOENT) return "there is no such device\n" + list;
  // A pty or serial device is a character device; a file or folder, or a device that takes
  // no terminal settings (/dev/null), is none.
  if ((found && !S_ISCHR(st.st_mode)) || systemReason.find("Inappropriate ioctl") != std::string::npos)
    return path + " is not a serial port\n" + list;
  const std::string why = systemReason.empty() ? "unknown error" : systemReason;
  if (why.find("ermission") != std::string::npos) return why + "\n" + kDialoutHint;
  return why;
}

}  // namespace vorn
