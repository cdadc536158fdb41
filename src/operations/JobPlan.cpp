#include "operations/JobPlan.h"

#include "model/ConfigModel.h"
#include "operations/Session.h"

namespace vorn {

namespace {

// Exchanges of the general settings: each read or write request of a settings item.
constexpr int kGeneralReads = 12;   // version, ID, 3 DCC, 3 addressing, 2 LED, hardware, serial port
constexpr int kGeneralWrites = 8;   // ID, 3 DCC, 2 LED, hardware, serial port (addresses go last)
constexpr int kAddressWrites = 3;   // flexible addressing, group mask, extended address
constexpr int kGeneralChecks = 11;  // what Verify All compares of the general settings
constexpr int kEventRequests = 2 * kPinsInUse;

// Layout, initial aspect, addresses and configuration, and one request per step.
int pinExchanges(const Session& s, int pin) {
  const PinData& pd = s.model.pin(pin);
  return 4 + AspectsInLayout(pd.AspectConfig) * SlotsInLayout(pd.AspectConfig);
}

int allPins(const Session& s) {
  int n = 0;
  for (int p = 0; p < kPinsInUse; ++p) n += pinExchanges(s, p);
  return n;
}

int devicePins(const Session& s) {
  const int cur = s.model.CurPin;
  const int device = cur + s.model.pin(cur).DevicePointer;
  int n = 0;
  for (int p = 0; p < kPinsInUse; ++p) {
    if (p + s.model.pin(p).DevicePointer == device) n += pinExchanges(s, p);
  }
  return n;
}

int maps(const Session& s) { return s.ec.EnableMapsKnown ? 1 : 0; }

}  // namespace

int PlannedExchanges(const std::string& job, const Session& s) {
  const int cur = pinExchanges(s, s.model.CurPin);
  if (job == "ReadAll") return kGeneralReads + allPins(s) + kEventRequests + 1;
  if (job == "WriteAll") return kGeneralWrites + allPins(s) + kEventRequests + maps(s) + kAddressWrites;
  if (job == "VerifyAll") return kGeneralChecks + kEventRequests + maps(s) + allPins(s);
  if (job == "ReadPin" || job == "WritePin") return cur;
  if (job == "PAspReadPin" || job == "PAspWritePin") return cur - 1;  // no configuration
  if (job == "ReadDevice") return 1 + kPinsInUse + devicePins(s);
  if (job == "WriteDevice") return devicePins(s);
  if (job == "ReadAllPins" || job == "WriteAllPins" || job == "VerifyAllPins") return allPins(s);
  if (job == "ECReadAll" || job == "ECWriteAll") return kEventRequests;
  if (job == "ECVerify") return kEventRequests + maps(s);
  return 0;
}

}  // namespace vorn
