#pragma once

#include <vector>

#include "model/ConfigDiff.h"

namespace vorn {

class Session;

// Sends only what `changes` name, each block with the routine Write All uses for it and in
// Write All's order; lines the Vorn does not store need nothing. A changed aspect layout
// sends the layout and then every aspect of the new layout. Stops at the first block that
// fails and returns false.
bool WriteChangedItems(Session& s, const std::vector<ConfigChange>& changes);

// The "WriteChanges" job: compares with the device as last known, writes the differences
// and, when everything went through, makes the written configuration the device as last
// known. Without a device as last known it says "Read All first" and sends nothing.
bool RunWriteChanges(Session& s);

}  // namespace vorn
