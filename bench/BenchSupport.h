#pragma once
// Small helpers shared by the benches: CPU and memory figures, a port that counts the bytes
// crossing it, a fully programmed Vorn, and a session on vornsim ready for the jobs.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/Kestro.h"
#include "link/QtSerialPort.h"
#include "link/SerialPort.h"
#include "model/ConfigModel.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

namespace vorn::bench {

// CPU time of the process (RUSAGE_THREAD: of the calling thread).
inline double CpuSeconds(int who = RUSAGE_SELF) {
  rusage ru{};
  getrusage(who, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

inline double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Resident set size in KiB (from /proc/self/statm), 0 when unreadable.
inline long RssKiB() {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  long size = 0, resident = 0;
  const int n = std::fscanf(f, "%ld %ld", &size, &resident);
  std::fclose(f);
  return n == 2 ? resident * 4 : 0;
}

// Counts the bytes that cross the port in each direction.
class CountingPort : public SerialPort {
 public:
  explicit CountingPort(SerialPort& inner) : in_(inner) {}
  void setDevice(const std::string& path) override { in_.setDevice(path); }
  std::string device() const override { return in_.device(); }
  void setBaudRate(int baud) override { in_.setBaudRate(baud); }
  int baudRate() const override { return in_.baudRate(); }
  bool open() override { return in_.open(); }
  void close() override { in_.close(); }
  bool isOpen() const override { return in_.isOpen(); }
  bool writeBytes(const uint8_t* data, size_t n) override {
    tx += n;
    return in_.writeBytes(data, n);
  }
  int bytesWaiting() override { return in_.bytesWaiting(); }
  int readByte() override {
    const int b = in_.readByte();
    if (b >= 0) ++rx;
    return b;
  }
  bool waitForData(int ms) override { return in_.waitForData(ms); }
  std::string errorText() const override { return in_.errorText(); }

  size_t tx = 0;
  size_t rx = 0;

 private:
  SerialPort& in_;
};

// 32 pins, each with 4 aspects of 9 instructions, an initial aspect, a PWM configuration and
// event actions.
inline void FillFullyProgrammed(ConfigModel& m) {
  for (int p = 0; p < kPinsInUse; ++p) {
    PinData& pd = m.pin(p);
    pd.AspectConfig = kLayout4x9;
    for (int a = 0; a < 4; ++a) {
      for (int i = 0; i < 9; ++i) {
        m.instr(p, a, i) =
            Instruction{38, static_cast<uint8_t>(i % 2), 0, static_cast<uint8_t>((a + i) % 32), 0, 0};
      }
    }
    pd.InitAspect = static_cast<uint8_t>(p % 4 + 1);
    pd.PinConfig = {2, 31, 0, 1, 2, 31};
    for (int j = 0; j < 4; ++j) m.eventOn(p, j) = static_cast<int16_t>(j);
  }
}

// A session on vornsim over a pseudo-terminal, counting the bytes it moves. start() opens the
// port (through the Kestro tunnel when asked), settles the general settings from the device
// with a Read All, so that Write All writes what it holds, and fills the model.
struct SimBench {
  explicit SimBench(const std::vector<std::string>& simArgs) : sim(simArgs) {}

  bool start(int bitRateIndex = 1, bool tunnel = false) {
    if (!sim.ok()) {
      std::fprintf(stderr, "vornsim did not start: %s\n", sim.error().c_str());
      return false;
    }
    s.link.setBitRateIndex(bitRateIndex, false);
    if (!s.link.openDevice(sim.path())) {
      std::fprintf(stderr, "cannot open %s\n", sim.path().c_str());
      return false;
    }
    if (tunnel && !CheckKestroEnable(s.link, true, true).checked) {
      std::fprintf(stderr, "tunnel not enabled: %s\n", prompter.last().c_str());
      return false;
    }
    if (!RunReadAll(s)) {
      std::fprintf(stderr, "initial Read All failed: %s\n", prompter.last().c_str());
      return false;
    }
    FillFullyProgrammed(s.model);
    return true;
  }

  test::SimProcess sim;
  QtSerialPort qport;
  CountingPort port{qport};
  test::RecordingPrompter prompter;
  Session s{port, SystemClock(), prompter};
};

}  // namespace vorn::bench
