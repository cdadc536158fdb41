#pragma once
// Serves a pseudo-terminal: raw mode, the slave closed on our side (the host owns it), pacing
// of both directions at a chosen bit rate, delayed output, and recovery when the host closes.

#include <termios.h>
#include <chrono>
#include <csignal>
#include <deque>
#include <string>

#include "Simulator.h"

namespace vornsim {

class PtyServer : public Output {
 public:
  using Clock = std::chrono::steady_clock;

  PtyServer(int baud, SimLog& log);
  ~PtyServer() override;

  bool open(std::string& error);
  const std::string& slavePath() const { return slavePath_; }

  // Runs until `stop` is set by a signal, the simulator vanishes, or (with exitOnHup) the
  // host closes the port. Whenever `dump` is set (SIGUSR1) the simulator's state is logged.
  void run(Simulator& sim, volatile std::sig_atomic_t& stop, volatile std::sig_atomic_t& dump,
           bool exitOnHup);

  void send(const Bytes& bytes, int delayMs) override;
  void vanish() override;

 private:
  struct Timed {
    std::uint8_t byte;
    Clock::time_point due;
  };
  void readInput(Clock::time_point now);
  void writeDue(Clock::time_point now);
  void hostClosed(Simulator& sim);
  void restoreIfChanged();

  int master_ = -1;
  std::string slavePath_;
  termios restTermios_{};  // what the line is put back to whenever the host lets go
  Clock::duration byteTime_{};
  std::deque<Timed> rx_;
  std::deque<Timed> tx_;
  Clock::time_point rxLast_{};
  Clock::time_point txLast_{};
  bool txBlocked_ = false;
  bool hostOpen_ = false;
  bool vanished_ = false;
  SimLog& log_;
};

}  // namespace vornsim
