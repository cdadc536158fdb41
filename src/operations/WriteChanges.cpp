#include "operations/WriteChanges.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "operations/EventControl.h"
#include "operations/General.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"

namespace vorn {

namespace {

using Block = std::tuple<ChangeItem, int, int>;  // item, pin, aspect

// Where a block stands in Write All: general settings, then pin by pin (layout, initial
// aspect, addresses, aspects, configuration), the event-on actions of every pin, the event-off
// actions, the enable maps, and the address settings last.
std::tuple<int, int, int, int> writeAllOrder(const Block& b) {
  const auto [item, pin, aspect] = b;
  const int i = static_cast<int>(item);
  if (item < ChangeItem::PinFileOnly) return {0, 0, i, 0};
  if (item < ChangeItem::EventOn) return {1, pin, i, aspect};
  if (item < ChangeItem::GenPalk) return {2 + i - static_cast<int>(ChangeItem::EventOn), pin, 0, 0};
  return {5, 0, i, 0};
}

// The blocks to send, each once, in Write All's order.
std::vector<Block> blocksOf(const std::vector<ConfigChange>& changes) {
  std::set<int> relaid;  // pins whose layout changes: all their aspects go with it
  for (const ConfigChange& c : changes) {
    if (c.item == ChangeItem::PinLayout) relaid.insert(c.pin);
  }
  std::set<Block> blocks;
  for (const ConfigChange& c : changes) {
    if (c.fileOnly()) continue;
    if (c.item == ChangeItem::PinAspect && relaid.count(c.pin)) continue;
    blocks.insert(Block{c.item, c.pin, c.item == ChangeItem::PinAspect ? c.aspect : -1});
  }
  std::vector<Block> ordered(blocks.begin(), blocks.end());
  std::sort(ordered.begin(), ordered.end(),
            [](const Block& a, const Block& b) { return writeAllOrder(a) < writeAllOrder(b); });
  return ordered;
}

bool writeBlock(Session& s, const Block& b) {
  const auto [item, pin, aspect] = b;
  switch (item) {
    case ChangeItem::GenID: return WriteGenItem(s, kGenID);
    case ChangeItem::GenDCCOptions: return WriteGenItem(s, kGenDCCOptions);
    case ChangeItem::GenDCCAddress: return WriteGenItem(s, kGenDCCAddress);
    case ChangeItem::GenXDCCAddress: return WriteGenItem(s, kGenXDCCAddress);
    case ChangeItem::GenLEDGreen: return WriteGenItem(s, kGenLEDGreen);
    case ChangeItem::GenLEDOrange: return WriteGenItem(s, kGenLEDOrange);
    case ChangeItem::GenHWC: return WriteGenItem(s, kGenHWC);
    case ChangeItem::GenSerial: return WriteGenItem(s, kGenSerial);
    case ChangeItem::PinFileOnly: return true;
    case ChangeItem::PinLayout: {
      if (!WritePinLayout(s, pin)) return false;
      const int aspects = AspectsInLayout(s.model.pin(pin).AspectConfig);
      for (int a = 0; a < aspects; ++a) {
        if (!WriteAspect(s, pin, a)) return false;
      }
      return true;
    }
    case ChangeItem::PinInit: return WritePinInit(s, pin);
    case ChangeItem::PinAddresses: return WritePinAddresses(s, pin);
    case ChangeItem::PinAspect: return WriteAspect(s, pin, aspect);
    case ChangeItem::PinConfig: return WritePinConfig(s, true, pin);
    case ChangeItem::EventOn: return WritePinEventActions(s, pin, true);
    case ChangeItem::EventOff: return WritePinEventActions(s, pin, false);
    case ChangeItem::EnableMaps: return WriteEnableMaps(s);
    case ChangeItem::GenPalk: return WriteGenItem(s, kGenPalk);
    case ChangeItem::GenXGM: return WriteGenItem(s, kGenXGM);
    case ChangeItem::GenExtAddress: return WriteGenItem(s, kGenExtAddress);
  }
  return false;
}

bool isPinBlock(ChangeItem item) { return item >= ChangeItem::PinLayout && item <= ChangeItem::PinConfig; }

}  // namespace

bool WriteChangedItems(Session& s, const std::vector<ConfigChange>& changes) {
  const std::vector<Block> blocks = blocksOf(changes);
  // A pin that cannot be written as it stands is refused before anything of it goes out.
  std::set<int> checked;
  for (const Block& b : blocks) {
    const int pin = std::get<1>(b);
    if (!isPinBlock(std::get<0>(b)) || !checked.insert(pin).second) continue;
    if (const std::string problem = PinWriteProblem(s.model.pin(pin), pin, s.model.NumberBase);
        !problem.empty()) {
      s.prompter().message(problem, Icon::None);
      return false;
    }
  }
  const int total = static_cast<int>(blocks.size());
  // Progress counts what went out, so that a stop can say how far it got.
  s.reportProgress(0, total, "Writing " + std::to_string(total) + " changes");
  for (int k = 0; k < total; ++k) {
    if (s.stopHere()) return false;
    if (!writeBlock(s, blocks[static_cast<size_t>(k)])) return false;
    s.reportProgress(k + 1, total,
                     "Written change " + std::to_string(k + 1) + " of " + std::to_string(total));
  }
  return true;
}

bool RunWriteChanges(Session& s) {
  bool ok = false;
  if (!s.deviceAsLastKnown()) {
    s.prompter().message("Read All first", Icon::None);
  } else {
    s.trackedWrites = true;
    try {
      ok = WriteChangedItems(s, s.changesToDevice());
    } catch (const JobStopped&) {
      ok = false;
    }
    s.trackedWrites = false;
    if (ok) s.rememberDevice();
    // What was written before the stop shows as still changed: the next Write Changes sends it
    // again, which does no harm.
    if (s.stopped()) {
      const Progress& p = s.lastProgress();
      s.sayStopped("Write Changes stopped after " + std::to_string(p.done) + " of " +
                   std::to_string(p.total) + " changes");
    }
  }
  s.HideBusy();
  return ok;
}

}  // namespace vorn
