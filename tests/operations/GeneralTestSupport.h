#pragma once

// Shared by the general-settings tests: a session on the in-memory Vorn whose general items
// hold exactly what a fresh window shows, so a read that decodes nothing it should not leaves
// the settings equal to their start values.

#include <string>
#include <vector>

#include "PinTestRig.h"
#include "model/GeneralSettings.h"

namespace vorn::test {

using Bytes = std::vector<uint8_t>;

struct GeneralRig : PinTestRig {
  GeneralRig() {
    // A window that has not read anything yet, with the LED boxes as mask 0 reads back.
    s.general.LCGreen[7] = TriState::Grey;
    s.general.LCOrange[7] = TriState::Grey;
    vorn.general[1] = {0, 0, 0, 0};
    vorn.general[2] = {0};
    vorn.general[3] = {0, 0, 0, 0};
    vorn.general[4] = {1, 0};
    vorn.general[5] = {0};
    vorn.general[6] = {0};
    vorn.general[7] = {0};
    vorn.general[8] = {0, 0};
    vorn.general[10] = {};
    vorn.general[12] = {1, 0};
    vorn.general[13] = {0, 0};
  }

  // Replaces the answer to "read item" with `data` (from the echo on).
  void answer(uint8_t item, Bytes data) {
    vorn.customReply = [item, data](const Bytes& req) -> std::optional<Bytes> {
      if (req.size() == 2 && req[0] == 112 && req[1] == item) return data;
      return std::nullopt;
    };
  }
  void silenceItem(uint8_t item) {
    vorn.silentOn = [item](const Bytes& req) { return req.size() == 2 && req[0] == 112 && req[1] == item; };
  }
  // Items of the read requests sent, in order.
  std::vector<int> readItems() const {
    std::vector<int> out;
    for (const Bytes& r : vorn.requestsOf(112)) out.push_back(r.at(1));
    return out;
  }
  std::vector<Bytes> writes() const { return vorn.requestsOf(96); }
};

}  // namespace vorn::test
