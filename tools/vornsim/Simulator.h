#pragma once
// The device side behind the pseudo-terminal: turns received bytes into frames, hands each
// frame to the Vorn it addresses (or to the Kestro interface), and sends the replies with the
// line faults the options ask for.

#include <deque>
#include <map>
#include <memory>

#include "FrameReader.h"
#include "Options.h"
#include "SimLog.h"
#include "TunnelFrame.h"
#include "VornDevice.h"

namespace vornsim {

class Output {
 public:
  virtual ~Output() = default;
  virtual void send(const Bytes& bytes, int delayMs) = 0;  // queue bytes for the host
  virtual void vanish() = 0;                               // pull the adapter: close and exit
};

class Simulator {
 public:
  Simulator(const Options& options, SimLog& log);

  void onByte(std::uint8_t b, Output& out);
  void onIdle(Output& out);  // the line has been quiet for a while
  bool waitsForIdle() const { return tunnelling() ? tunnel_.partial() : reader_.pending(); }
  void onHostClosed();

  VornDevice* device(int module);
  void dumpState();  // every Vorn's state into the log, between DUMP and DUMP-END lines
  unsigned refusals() const { return refusals_; }

 private:
  bool tunnelling() const { return opts_.kestro != KestroType::None && !transparent_; }
  bool countFrame(Output& out);  // false when the simulator vanished on this frame
  void onLineEvent(const RxEvent& ev, Output& out);
  void onVornFrame(const RxEvent& ev, Output& out);
  // Logs a request a Vorn (or the Kestro interface) would not take; m = -1 when no module.
  void refuse(int module, const std::string& reason, const Bytes& bytes);
  void onPalk(std::uint8_t address, const Bytes& params);
  void onTunnelEvent(const TunnelEvent& ev, Output& out);
  void onTunnelledVorn(const Bytes& payload);
  VornDevice* accepting(int module, bool hasExt, std::uint8_t ext);  // null when no Vorn takes the frame
  // Runs a request for a module; returns false when no Vorn takes it.
  bool execute(int module, bool hasExt, std::uint8_t ext, const Bytes& data, Bytes& reply, bool& replyExt,
               std::uint8_t& replyExtByte);
  void sendFrame(const Bytes& frame, Output& out);
  // Applies the per-request faults to a reply; false when the request must go unanswered.
  bool applyRequestFaults(const Bytes& request, Bytes& reply) const;
  // Whether module m still answers (--silent-after); counts the replies it is about to give.
  bool answers(int m);

  Options opts_;
  SimLog& log_;
  std::map<int, std::unique_ptr<VornDevice>> devices_;
  std::map<int, int> lastToggle_;  // per module; -1 = any toggle is new (port just opened)
  bool afterResync_ = false;       // the next frame closes a resynchronisation
  int lastTunnelToggle_ = -1;
  Bytes lastTunnelAnswer_;
  unsigned refusals_ = 0;
  std::map<int, Bytes> lastReply_;  // per module: the reply a repeated frame gets again
  FrameReader reader_;
  TunnelReader tunnel_;
  bool transparent_ = false;
  std::deque<Bytes> pendingTunnelReplies_;
  unsigned frames_ = 0;
  unsigned replies_ = 0;
  unsigned silentCount_ = 0;  // replies the module of --silent-after gave
  std::uint32_t noiseSeed_ = 12345;
};

}  // namespace vornsim
