#include "operations/VerifyGeneral.h"

#include <string>

#include "model/GeneralSettingsRules.h"
#include "operations/Session.h"

namespace vorn {

namespace {

constexpr uint8_t kRead = 112;

// Reply checks of one stage; each stage starts by asking for its item.
class Stage {
 public:
  Stage(Session& s, uint8_t item) : s_(s), item_(item) {
    s_.link.Transact(true, {kRead, item});
    answered_ = s_.link.ReplyOk;
  }

  bool answered() const { return answered_; }
  int count() const { return s_.link.replyCount(); }
  bool echoOk() const { return s_.link.reply(2) == kRead && s_.link.reply(3) == item_; }
  uint8_t at(int k) const { return s_.link.reply(k); }

  // "<what>: No valid response, size = n expected = m" and the echo counterpart.
  std::string sizeLine(const std::string& what, int expected) const {
    return what + ": No valid response, size = " + std::to_string(count()) +
           " expected = " + std::to_string(expected);
  }
  std::string echoLine(const std::string& what) const {
    return what + ": No valid response, msg = " + std::to_string(at(2)) + "," + std::to_string(at(3)) +
           " expected = 112," + std::to_string(item_);
  }

  // Size then echo, with the counted-form lines; false (line written) when either is wrong.
  bool shapeOk(const std::string& what, int expected) const {
    if (count() != expected) {
      s_.report.AddVerificationLine(sizeLine(what, expected));
      return false;
    }
    if (!echoOk()) {
      s_.report.AddVerificationLine(echoLine(what));
      return false;
    }
    return true;
  }

 private:
  Session& s_;
  uint8_t item_;
  bool answered_ = false;
};

}  // namespace

bool VerifyGeneralSettings(Session& s) {
  VerificationReport& report = s.report;
  const GeneralSettings& g = s.general;
  auto line = [&report](const std::string& text) { report.AddVerificationLine(text); };
  auto stop = [&line](const std::string& text) {
    line(text);
    return false;
  };
  bool flag = true;

  line("Start General Settings Verification");
  s.link.opts.CheckVornBD = true;

  // 1. Identity string; an unanswered frame is skipped, but said, so that the report is not
  // taken for a clean one.
  if (Stage st(s, 10); !st.answered()) {
    line("ID String not verified: no response");
  } else {
    if (st.count() <= 1 || !st.echoOk()) return stop("ReadIDString: No valid response");
    std::string device;
    for (int k = 4; k <= st.count() + 1; ++k) device += static_cast<char>(st.at(k));
    // Compared as it would be written: only the first 12 characters travel.
    if (CutIDString(g.IDString) != device) {
      line("ID does not compare: VornConfig = <" + g.IDString + "> Vorn = <" + device + ">");
      flag = false;
    }
  }

  // 2. Hardware configuration; the same.
  if (Stage st(s, 1); !st.answered()) {
    line("Hardware configuration not verified: no response");
  } else {
    if (st.count() != 6) return stop("HWCRead: No valid response size");
    if (!st.echoOk()) return stop("HWCRead: No valid response type");
    for (int i = 0; i < 4; ++i) {
      if (HWCByte(g, i) != st.at(4 + i)) {
        line("Hardware configuration does not compare");
        flag = false;
        break;
      }
    }
  }

  // 3, 4. DCC and extended DCC address: a reply of the wrong size is listed and passed over.
  struct AddressStage {
    uint8_t item;
    int value;
    const char* fault;
    const char* differs;
  };
  for (const AddressStage& a :
       {AddressStage{4, g.DCCAddress, "DCC Address: No valid response", "DCC address does not compare"},
        AddressStage{12, g.XDCCAddress, "eXtended DCC Address: No valid response",
                     "eXtended DCC address does not compare"}}) {
    Stage st(s, a.item);
    if (!st.answered()) return false;
    if (st.count() != 4) {
      line(a.fault);
      continue;
    }
    if (!st.echoOk()) return stop(a.fault);
    if (a.value != JoinAddress(st.at(4), st.at(5))) {
      line(a.differs);
      flag = false;
    }
  }

  // 5. DCC options.
  {
    Stage st(s, 5);
    if (!st.answered()) return false;
    if (st.count() != 3 || !st.echoOk()) return stop("DCC Options: No valid response");
    if (DCCOptionsByte(g) != st.at(4)) {
      line("DCC Options do not compare");
      flag = false;
    }
  }

  // 6. Flexible Palk addressing: flag and start compared as one number.
  {
    Stage st(s, 8);
    if (!st.answered()) return false;
    if (!st.shapeOk("Palk Start Address", 4)) return false;
    if ((g.PalkFlexEnabled ? 128 : 0) + DataByte(s.model.PalkFlexStart) != st.at(4) * 128 + st.at(5)) {
      line("Palk Start Address does not compare");
      flag = false;
    }
  }

  // 7, 8. The module's extended address and group mask: listed, but Verify All goes on.
  {
    Stage st(s, 2);
    if (!st.answered()) return false;
    if (!st.shapeOk("eXtended Address", 3)) return false;
    if (DataByte(g.ModuleExtAddress) != st.at(4)) line("eXtended Address does not compare");
  }
  {
    Stage st(s, 3);
    if (!st.answered()) return false;
    if (!st.shapeOk("eXtended Group Mask", 6)) return false;
    for (int i = 0; i < 4; ++i) {
      if (XGMByte(g, i) != st.at(4 + i)) {
        line("eXtended Group Mask does not compare");
        break;
      }
    }
  }

  // 9, 10. LED functions; even a missing answer is listed here.
  struct LedStage {
    uint8_t item;
    uint8_t mask;
    const char* differs;
  };
  for (const LedStage& l : {LedStage{6, LEDMask(g.LCGreen), "Green LED configuration does not compare"},
                            LedStage{7, LEDMask(g.LCOrange), "Orange LED configuration does not compare"}}) {
    Stage st(s, l.item);
    if (!st.answered() || st.count() != 3 || !st.echoOk()) return stop("ReadLEDConfig: No valid response");
    if (l.mask != st.at(4)) {
      line(l.differs);
      flag = false;
    }
  }

  // 11. Serial port: enable and configuration compared as one number.
  {
    Stage st(s, 13);
    if (!st.answered()) return false;
    if (!st.shapeOk("Serial Port Config", 4)) return false;
    if ((g.SerialEnable ? 128 : 0) + SerialPortConfigByte(g) != st.at(4) * 128 + st.at(5)) {
      line("Serial Port Configuration does not compare");
      flag = false;
    }
  }

  return flag;
}

}  // namespace vorn
