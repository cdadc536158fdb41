// Transaction rate of the device link against vornsim over a pseudo-terminal (general
// setting reads, 112,0), beside the round-trip rate of a bare pty echo measured in the same
// run (the ceiling for this machine), then the CPU spent during one 2.0 s reply window
// against a muted device. Usage: bench_transact [N]   (default 20000 reads)

#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "RecordingPrompter.h"
#include "SimProcess.h"
#include "link/Kestro.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"

namespace {

using namespace vorn;

double Cpu() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double Wall() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Round trips of a 5-byte request and a 7-byte answer through a raw pty, the far end
// answering from a thread as soon as a request is complete.
double PtyEchoRate(int n) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 0;
  termios t{};
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  std::atomic<bool> stop{false};
  std::thread far([&] {
    unsigned char buf[64];
    size_t got = 0;
    pollfd p{master, POLLIN, 0};
    while (!stop) {
      if (poll(&p, 1, 100) <= 0) continue;
      ssize_t r = read(master, buf, sizeof buf);
      if (r <= 0) break;
      got += static_cast<size_t>(r);
      while (got >= 5) {
        const unsigned char answer[7] = {87, 229, 240, 128, 128, 128, 1};
        if (write(master, answer, 7) != 7) return;
        got -= 5;
      }
    }
  });
  const unsigned char req[5] = {87, 226, 240, 128, 215};
  const double t0 = Wall();
  int done = 0;
  for (; done < n; ++done) {
    if (write(slave, req, 5) != 5) break;
    size_t got = 0;
    unsigned char buf[64];
    pollfd p{slave, POLLIN, 0};
    while (got < 7) {
      if (poll(&p, 1, 1000) <= 0) break;
      ssize_t r = read(slave, buf, sizeof buf);
      if (r <= 0) break;
      got += static_cast<size_t>(r);
    }
    if (got < 7) break;
  }
  const double dt = Wall() - t0;
  stop = true;
  far.join();
  close(slave);
  close(master);
  return done / dt;
}

struct Rig {
  explicit Rig(std::vector<std::string> args) : sim(std::move(args)) {}
  test::SimProcess sim;
  QtSerialPort port;
  test::RecordingPrompter prompter;
  Link link{port, SystemClock(), prompter};
};

void Reads(const char* title, std::vector<std::string> args, int n, bool tunnel) {
  Rig r(std::move(args));
  if (!r.sim.ok() || !r.link.openDevice(r.sim.path())) {
    std::printf("%-34s could not start: %s\n", title, r.sim.error().c_str());
    return;
  }
  if (tunnel && !CheckKestroEnable(r.link, true, true).checked) {
    std::printf("%-34s tunnel refused: %s\n", title, r.prompter.last().c_str());
    return;
  }
  int ok = 0;
  const double c0 = Cpu(), t0 = Wall();
  for (int i = 0; i < n; ++i) {
    r.link.Transact(true, {112, 0});
    if (r.link.ReplyOk) ++ok;
  }
  const double dt = Wall() - t0, dc = Cpu() - c0;
  std::printf("%-34s %6d/%d ok  %9.0f tx/s  %7.1f us CPU/tx  (%.2f s)\n", title, ok, n, n / dt, dc / n * 1e6,
              dt);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // QSerialPort's notifiers want one, even unused
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
  std::printf("bare pty echo (5 out, 7 back)      %9.0f round trips/s\n", PtyEchoRate(n));
  Reads("vornsim, direct, unpaced", {}, n, false);
  Reads("vornsim, direct, 19200 bit/s", {"--baud", "19200"}, std::min(n, 300), false);
  Reads("vornsim, Kestro tunnel, unpaced", {"--kestro", "lintor"}, std::min(n, 5000), true);

  Rig muted({"--mute"});
  if (muted.sim.ok() && muted.link.openDevice(muted.sim.path())) {
    const double c0 = Cpu(), t0 = Wall();
    muted.link.Transact(true, {112, 0});
    const double dt = Wall() - t0, dc = Cpu() - c0;
    std::printf("muted device: window %.3f s, CPU %.4f s = %.2f%% of one core\n", dt, dc, 100.0 * dc / dt);
  }
  return 0;
}
