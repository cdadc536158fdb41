#pragma once

#include <string>
#include <vector>

namespace vorn {

// One candidate behind a port number 1..16.
struct PortCandidate {
  int number = 0;
  std::string path;
  std::string details;  // description, maker, serial number, stable by-id name (may be "")
};

struct PortEntry {
  int number = 0;
  std::string path;
  std::string text;  // "<n>  <path>[  <details>]": the leading number is the port number
};

struct PortProbeFailure {
  int number = 0;
  std::string path;
  std::string reason;  // e.g. "Permission denied"
};

struct PortListing {
  std::vector<PortEntry> entries;          // ports that opened
  std::vector<PortProbeFailure> failures;  // candidates that did not
};

// Candidates in port-number order: the paths of VORNCONFIG_PORTS (colon-separated) first,
// then the system's serial ports sorted by path; duplicates dropped, at most 16.
std::vector<PortCandidate> PortCandidates();

// Text of a list entry for a candidate.
std::string PortEntryText(const PortCandidate& c);

// Opens and closes every candidate; lists those that opened.
PortListing ProbePorts();

// Device path behind port number n (1..16), "" when there is none.
std::string PortPathForNumber(int n);

// What the window says beside the port list about candidates that would not open ("" when
// all opened); a refused permission gets the dialout hint.
std::string PortProblemsText(const std::vector<PortProbeFailure>& failures);

inline constexpr const char* kDialoutHint =
    "Serial ports belong to the group dialout: add yourself once with  sudo usermod -aG dialout $USER  "
    "and log out and in again.";

// Where the user finds the ports that exist: the window's port list or `vornctl ports`.
enum class PortsShownBy { Window, Vornctl };

// Why a port did not open, for after "Can not open <path>: ": the cause in plain words and
// the next step. A path that does not exist points at the port list, one that is no
// terminal "is not a serial port", a refused permission gets the dialout group and the
// command that adds the user.
std::string PortOpenProblem(const std::string& path, const std::string& systemReason, PortsShownBy where);

// Number value of a list text ("3  /dev/ttyUSB0" -> 3; 0 when it has none).
int PortNumberOfText(const std::string& text);

}  // namespace vorn
