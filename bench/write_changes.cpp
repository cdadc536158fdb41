// Write Changes after one pin's aspect program was changed (one aspect, all nine steps),
// beside Write All of the same fully programmed Vorn in the same run, against vornsim pacing
// both directions at 19200 and at 38400 bit/s. Each row also shows the wire-time limit of
// the bytes it moved (11 bits per byte, both directions).

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "BenchSupport.h"
#include "operations/Jobs.h"
#include "operations/WriteChanges.h"

namespace {

using namespace vorn;

struct Figures {
  double wall = 0;
  size_t bytes = 0;
  bool ok = false;
};

Figures timeJob(bench::CountingPort& port, const std::function<bool()>& job) {
  port.tx = port.rx = 0;
  const auto t0 = std::chrono::steady_clock::now();
  Figures f;
  f.ok = job();
  f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  f.bytes = port.tx + port.rx;
  return f;
}

bool runAt(int baud, int bitRateIndex) {
  bench::SimBench b({"--baud", std::to_string(baud)});
  if (!b.start(bitRateIndex)) return false;
  Session& s = b.s;

  const Figures all = timeJob(b.port, [&] { return RunWriteAll(s); });
  // One pin's aspect program changes: aspect 2 of pin 7, all nine steps.
  for (int i = 0; i < 9; ++i)
    s.model.instr(7, 2, i) = Instruction{102, 0, 0, 0, static_cast<uint8_t>(i + 1), 1};
  const size_t lines = s.changesToDevice().size();
  const Figures changes = timeJob(b.port, [&] { return RunWriteChanges(s); });

  for (const auto& [name, f] : {std::pair{"Write All", all}, std::pair{"Write Changes", changes}}) {
    const double wire = static_cast<double>(f.bytes) * 11.0 / baud;
    std::printf("| %s | %d | %zu | %.3f | %.3f | %s |\n", name, baud, f.bytes, f.wall, wire,
                f.ok ? "ok" : "FAIL");
  }
  std::printf("(Write Changes listed %zu differences; %.1fx faster than Write All)\n", lines,
              changes.wall > 0 ? all.wall / changes.wall : 0.0);
  if (!b.prompter.entries.empty()) std::printf("messages: %s\n", b.prompter.last().c_str());
  return all.ok && changes.ok;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("| Job | Bit/s | Bytes | Wall s | Wire limit s | Result |\n|---|---|---|---|---|---|\n");
  const bool ok = runAt(19200, 1) & runAt(38400, 2);
  return ok ? 0 : 1;
}
