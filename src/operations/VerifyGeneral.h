#pragma once

namespace vorn {

class Session;

// Compares the general settings with those of the connected Vorn, item by item, and lists
// each difference or fault in the verification report. True when nothing was found that
// must stop Verify All (a differing extended address or group mask is listed but does not).
bool VerifyGeneralSettings(Session& s);

}  // namespace vorn
