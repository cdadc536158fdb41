#include "link/Kestro.h"

#include <string>

#include "link/FrameCodec.h"

namespace vorn {

namespace {
const char* const kNotSupported = "Your system does not support this function";

// Protocol version from the answer now in ReplyBuffer, or -1 when it is not a 1,2,x,y answer.
int ProtocolAnswer(const Link& link) {
  const auto& r = link.ReplyBuffer;
  if (r[0] != 4 || r[1] != 1 || r[2] != 2) return -1;
  return KestroVersion(r[3], r[4]);
}
}  // namespace

KestroCheckResult CheckKestroEnable(Link& link, bool nowChecked, bool setTMVisible) {
  KestroCheckResult res{nowChecked, setTMVisible};
  if (!nowChecked) {
    link.opts.CheckKestro = false;
    res.setTMVisible = true;
    return res;
  }
  if (!link.isOpen()) {
    link.opts.CheckKestro = false;
    link.prompter().message("Select communications port", Icon::Warning);
    res.checked = false;
    return res;
  }
  link.TunnelToggle = 1;
  if (!link.TunnelSend({})) {
    link.opts.CheckKestro = false;
    res.checked = false;
    return res;
  }
  if (link.TunnelSend({1, 2})) {
    const int v = ProtocolAnswer(link);
    if (v >= kTunnelProtocol) {
      res.setTMVisible = false;
    } else if (v >= 0) {
      link.prompter().message(std::string(kNotSupported) + "\nProtocol = " + std::to_string(v / 1000) + "." +
                                  std::to_string(v % 1000),
                              Icon::Warning);
      res.checked = false;
    } else {
      res.checked = false;
      link.prompter().message(kNotSupported, Icon::Warning);
    }
  }
  link.TunnelSend({});
  if (!link.isOpen()) res.checked = false;  // the port failed on the way
  link.opts.CheckKestro = res.checked;
  return res;
}

bool SetTransparentMode(Link& link) {
  Prompter& ui = link.prompter();
  if (!link.isOpen()) {
    ui.message("Select communications port", Icon::Warning);
    return false;
  }
  if (!link.TunnelSend({})) return false;
  if (!link.TunnelSend({1, 2})) return false;
  if (ProtocolAnswer(link) >= kTunnelProtocol) {
    link.TunnelSend({});
    if (!ui.askYesNo("Your Kestro system supports Vorn Tunneling\n"
                     "We recommend to use the Kestro Tunneling option instead\n"
                     "Do you still want to activate Transparant Mode?"))
      return false;
  }
  if (!link.TunnelSend({1, 10})) return false;
  const auto& r = link.ReplyBuffer;
  if (r[0] != 5 || r[1] != 1 || r[2] != 10) {
    link.TunnelSend({});
    ui.message(kNotSupported, Icon::Warning);
    return false;
  }
  const int type = r[3];
  const int w = KestroVersion(r[4], r[5]);
  std::string success;
  std::string refusal;
  switch (type) {
    case 2:
      success = "Your Lintor has been put in Transparent Mode";
      if (w < 1020) refusal = "Your Lintor does not support this function";
      break;
    case 3: success = "Your Corvel has been put in Transparent Mode"; break;
    case 10:
      success = "Your Pardo has been put in Transparent Mode";
      if (w < 1030) refusal = "Your Pardo does not support this function";
      break;
    default: refusal = kNotSupported; break;
  }
  if (!refusal.empty()) {
    link.TunnelSend({});
    ui.message(refusal, Icon::Warning);
    return false;
  }
  if (!link.TunnelSend({1, 5, 16})) return false;
  ui.message(success, Icon::Information);
  return true;
}

}  // namespace vorn
