// One run of the figures for the benchmark report, as markdown table rows:
//   - Write All, Read All and Verify All of a fully programmed Vorn against vornsim over a
//     pseudo-terminal, direct and through the Kestro tunnel, unpaced and with the simulator
//     pacing both directions at 19200 and 38400 bit/s, beside the wire-time limit of the bytes
//     moved (11 bits per byte) and with the host's CPU time;
//   - configuration file save and load times.
//   bench_report [jobs|files]   (both when no argument)

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "RecordingPrompter.h"
#include "files/ConfigFile.h"

using namespace vorn;

namespace {

bool jobRows(bool tunnel, int baud) {
  std::vector<std::string> args;
  if (tunnel) args = {"--kestro", "lintor"};
  if (baud) {
    args.push_back("--baud");
    args.push_back(std::to_string(baud));
  }
  bench::SimBench b(args);
  if (!b.start(baud == 38400 ? 2 : 1, tunnel)) return false;
  Session& s = b.s;
  bench::CountingPort& port = b.port;
  test::RecordingPrompter& prompter = b.prompter;

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
    port.tx = port.rx = 0;
    prompter.clear();
    const double cpu0 = bench::CpuSeconds();
    const double t0 = bench::WallSeconds();
    const bool ok = row.job();
    const double wall = bench::WallSeconds() - t0;
    const double cpu = bench::CpuSeconds() - cpu0;
    const size_t bytes = port.tx + port.rx;
    char limit[64] = "-";
    char ratio[64] = "-";
    if (baud) {
      const double wire = static_cast<double>(bytes) * 11.0 / baud;
      std::snprintf(limit, sizeof limit, "%.2f", wire);
      std::snprintf(ratio, sizeof ratio, "%+.1f%%", 100.0 * (wall / wire - 1.0));
    }
    std::printf("| %s | %s | %s | %zu | %.2f | %s | %s | %.3f | %.1f%% | %s |\n", row.name,
                tunnel ? "tunnelled" : "direct", baud ? std::to_string(baud).c_str() : "unpaced", bytes, wall,
                limit, ratio, cpu, 100.0 * cpu / wall, ok && prompter.entries.empty() ? "ok" : "FAILED");
    std::fflush(stdout);
    allOk = allOk && ok;
  }
  return allOk;
}

bool fileRows() {
  QTemporaryDir dir;
  const std::string path = dir.filePath("full.dat").toStdString();
  ConfigModel m;
  GeneralSettings g;
  g.IDString = "Bench";
  bench::FillFullyProgrammed(m);
  test::RecordingPrompter prompter;
  constexpr int kRounds = 50;
  std::vector<double> save, load;
  bool ok = true;
  for (int i = 0; i < kRounds; ++i) {
    double t0 = bench::WallSeconds();
    ok = SaveConfigFile(path, m, g, ConfigFileMode::Full, prompter) && ok;
    save.push_back(bench::WallSeconds() - t0);
    ConfigModel back;
    GeneralSettings gBack;
    t0 = bench::WallSeconds();
    ok = LoadConfigFile(path, back, gBack, prompter) == ConfigLoadStatus::Loaded && ok;
    load.push_back(bench::WallSeconds() - t0);
  }
  auto row = [&](const char* what, std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    std::printf("| %s | %d | %.2f | %.2f | %.2f | %s |\n", what, kRounds, 1000.0 * sum / kRounds,
                1000.0 * v[v.size() / 2], 1000.0 * v.back(), ok ? "ok" : "FAILED");
  };
  std::printf("\n| File (fully programmed, full mode) | Rounds | Mean ms | Median ms | Max ms | Result |\n");
  std::printf("|---|---|---|---|---|---|\n");
  row("Save", save);
  row("Load", load);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string only = argc > 1 ? argv[1] : "";
  bool ok = true;
  if (only.empty() || only == "jobs") {
    std::printf(
        "| Job | Link | Pacing | Bytes | Wall s | Wire limit s | Over limit | CPU s | CPU/wall | Result |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (bool tunnel : {false, true}) {
      for (int baud : {0, 19200, 38400}) ok = jobRows(tunnel, baud) && ok;
    }
  }
  if (only.empty() || only == "files") ok = fileRows() && ok;
  return ok ? 0 : 1;
}
