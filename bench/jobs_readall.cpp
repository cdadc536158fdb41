// Read All, Write All and Verify All of a fully programmed Vorn (32 pins, each with 4 aspects
// of 9 instructions) against vornsim over a pseudo-terminal: once unpaced, once with the
// simulator pacing both directions at 19200 bit/s. Each job is shown beside the wire-time
// limit of the bytes it moved (11 bits per byte, both directions) and with the CPU time the
// host spent.

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

using namespace vorn;

using bench::CountingPort;

struct Figures {
  double wall = 0;
  double cpu = 0;
  size_t tx = 0;
  size_t rx = 0;
  bool ok = false;
};

Figures timeJob(CountingPort& port, const std::function<bool()>& job) {
  port.tx = port.rx = 0;
  const double cpu0 = bench::CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  Figures f;
  f.ok = job();
  f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  f.cpu = bench::CpuSeconds() - cpu0;
  f.tx = port.tx;
  f.rx = port.rx;
  return f;
}

bool runMode(const char* label, const std::vector<std::string>& simArgs) {
  bench::SimBench b(simArgs);
  if (!b.start()) return false;
  Session& s = b.s;

  struct Row {
    const char* name;
    std::function<bool()> job;
  };
  const Row rows[] = {
      {"Write All", [&] { return RunWriteAll(s); }},
      {"Read All", [&] { return RunReadAll(s); }},
      {"Verify All", [&] { return RunVerifyAll(s); }},
  };
  bool allOk = true;
  for (const Row& row : rows) {
    const Figures f = timeJob(b.port, row.job);
    const double wire = static_cast<double>(f.tx + f.rx) * 11.0 / 19200.0;
    std::printf(
        "%-9s %-10s %s  wall %7.3f s  cpu %6.3f s (%4.1f%%)  bytes out %6zu in %6zu  "
        "wire limit at 19200 %7.3f s  wall/limit %5.2f\n",
        label, row.name, f.ok ? "ok  " : "FAIL", f.wall, f.cpu, 100.0 * f.cpu / f.wall, f.tx, f.rx, wire,
        f.wall / wire);
    allOk = allOk && f.ok;
  }
  if (!b.prompter.entries.empty()) std::printf("messages: %s\n", b.prompter.last().c_str());
  return allOk;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("Fully programmed Vorn: 32 pins x 4 aspects x 9 instructions, over a pty.\n");
  // "unpaced" or "paced" as the only argument runs just that half.
  const std::string only = argc > 1 ? argv[1] : "";
  bool ok = true;
  if (only != "paced") ok = runMode("unpaced", {}) && ok;
  if (only != "unpaced") ok = runMode("paced", {"--baud", "19200"}) && ok;
  return ok ? 0 : 1;
}
