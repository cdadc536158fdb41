// vornsim: a simulated Vorn (or a Kestro interface with Vorns behind it) on a pseudo-terminal.

#include <csignal>
#include <cstdio>
#include <string>

#include "Options.h"
#include "PtyServer.h"
#include "SimLog.h"
#include "Simulator.h"
#include "VornVersion.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gDump = 0;

void onSignal(int) { gStop = 1; }
void onDumpSignal(int) { gDump = 1; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--version") {
    std::fputs(vorn::VersionText("vornsim").c_str(), stdout);
    return 0;
  }
  vornsim::Options opts;
  std::string error;
  bool help = false;
  if (!vornsim::parseOptions(argc, argv, opts, error, help)) {
    std::fprintf(stderr, "vornsim: %s\n", error.c_str());
    return 2;
  }
  if (help) {
    std::fputs(vornsim::usageText(), stdout);
    return 0;
  }

  // SIGTERM, SIGINT and SIGUSR1 (state dump) are only let through while the server sleeps, so no wake-up is
  // lost.
  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGTERM);
  sigaddset(&block, SIGINT);
  sigaddset(&block, SIGUSR1);
  sigprocmask(SIG_BLOCK, &block, nullptr);
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sa.sa_handler = onDumpSignal;
  sigaction(SIGUSR1, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  vornsim::SimLog log;
  if (!opts.logFile.empty() && !log.open(opts.logFile)) {
    std::fprintf(stderr, "vornsim: cannot write the log file %s\n", opts.logFile.c_str());
    return 2;
  }
  vornsim::PtyServer server(opts.baud, log);
  if (!server.open(error)) {
    std::fprintf(stderr, "vornsim: %s\n", error.c_str());
    return 1;
  }
  vornsim::Simulator sim(opts, log);
  std::string modules;
  for (int m : opts.modules) modules += (modules.empty() ? "" : ",") + std::to_string(m);
  std::fprintf(stderr, "vornsim: simulated %s (module %s) on %s; stop with Ctrl-C\n",
               opts.kestro == vornsim::KestroType::None ? "Vorn" : "Kestro interface with Vorn",
               modules.c_str(), server.slavePath().c_str());
  log.line("SERVING " + server.slavePath());
  // The path goes out last: whoever reads it finds the log and stderr lines already written.
  std::printf("%s\n", server.slavePath().c_str());
  std::fflush(stdout);

  server.run(sim, gStop, gDump, opts.exitOnHup);
  const unsigned refused = sim.refusals();
  log.line("EXIT refused=" + std::to_string(refused));
  if (refused > 0) std::fprintf(stderr, "vornsim: %u request(s) refused, see REFUSED in the log\n", refused);
  return opts.strict && refused > 0 ? 3 : 0;
}
