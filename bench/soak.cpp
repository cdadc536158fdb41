// Soak: consecutive Verify All runs of a fully programmed Vorn against vornsim on a line that
// corrupts every 7th reply and puts noise between frames. Prints every failed run and the
// resident memory at the start, the middle and the end (it should stay flat).
//   bench_soak [runs (500)] [time limit in seconds (0 = none)]

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchSupport.h"
#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/QtSerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

using namespace vorn;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::atoi(argv[1]) : 500;
  const double limit = argc > 2 ? std::atof(argv[2]) : 0.0;

  test::SimProcess sim({"--corrupt-every", "7", "--noise"});
  if (!sim.ok()) {
    std::fprintf(stderr, "vornsim did not start: %s\n", sim.error().c_str());
    return 1;
  }
  QtSerialPort port;
  test::RecordingPrompter prompter;
  Session s(port, SystemClock(), prompter);
  if (!s.link.openDevice(sim.path())) {
    std::fprintf(stderr, "cannot open %s\n", sim.path().c_str());
    return 1;
  }
  // The device gets a full configuration once; every run then verifies it.
  if (!RunReadAll(s)) {
    std::fprintf(stderr, "Read All failed: %s\n", prompter.last().c_str());
    return 1;
  }
  bench::FillFullyProgrammed(s.model);
  if (!RunWriteAll(s)) {
    std::fprintf(stderr, "Write All failed: %s\n", prompter.last().c_str());
    return 1;
  }

  const double t0 = bench::WallSeconds();
  const double cpu0 = bench::CpuSeconds();
  const long rssStart = bench::RssKiB();
  long rssMiddle = 0;
  int failures = 0;
  int done = 0;
  for (; done < runs; ++done) {
    if (done == runs / 2) rssMiddle = bench::RssKiB();
    prompter.clear();
    const bool ok = RunVerifyAll(s);
    const std::string& report = s.report.text();
    if (!ok || report.size() < 9 || report.compare(report.size() - 9, 9, "Verify OK") != 0 ||
        !prompter.entries.empty()) {
      ++failures;
      std::printf("run %d FAILED: %s | %s\n", done + 1, prompter.last().c_str(), report.c_str());
    }
    if (limit > 0 && bench::WallSeconds() - t0 > limit) {
      ++done;
      break;
    }
  }
  if (rssMiddle == 0) rssMiddle = bench::RssKiB();
  const double wall = bench::WallSeconds() - t0;
  std::printf("Verify All runs: %d of %d asked, failures: %d, wall %.1f s (%.3f s per run), cpu %.1f s\n",
              done, runs, failures, wall, wall / (done ? done : 1), bench::CpuSeconds() - cpu0);
  std::printf("RSS KiB: start %ld, middle %ld, end %ld\n", rssStart, rssMiddle, bench::RssKiB());
  return failures == 0 ? 0 : 1;
}
