#pragma once

#include "link/Link.h"

namespace vorn {

struct KestroCheckResult {
  bool checked = false;      // new state of the "Use Kestro Tunneling" box
  bool setTMVisible = true;  // whether "Activate Transparent Mode" is offered
};

// The "Use Kestro Tunneling" click: with the box now checked, the Kestro system must answer
// and speak protocol 3.2 or later, else the box goes back to clear. Sets opts.CheckKestro.
KestroCheckResult CheckKestroEnable(Link& link, bool nowChecked, bool setTMVisible);

// "Activate Transparent Mode": switches a Lintor, Corvel or Pardo interface into passing
// the serial bytes through. True when the switch command was answered.
bool SetTransparentMode(Link& link);

// Protocol version from which the Kestro system carries Vorn frames itself.
constexpr int kTunnelProtocol = 3200;

}  // namespace vorn
