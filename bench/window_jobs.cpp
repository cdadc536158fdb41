// The main window's job runner during a paced Read All: vornsim at 19200 bit/s holding a fully
// programmed Vorn, the window on a real serial port to it, the job started as Timer1 starts it.
// Reports how late a 10 ms timer on the window's thread runs during the job, how soon a Stop
// silences the wire, and the CPU the whole process uses.
//
// Stop is timed on our side of the pty: the port below stamps every request written and every
// reply byte read (on the device thread), so "the exchange in progress" is the one whose
// request went out last before the Stop, and the wire is silent once the last reply byte is in.
// The simulator's log confirms that it received exactly the requests we stamped (the first job
// after the port opened has one more: the frame that resynchronises the link, inside its first
// exchange).

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "BenchSupport.h"
#include "ui/MainWindow.h"
#include "ui/NoSettings.h"

namespace {

using namespace vorn;

// The real port, stamping each exchange: its first request byte out and its last reply byte in.
class StampingPort : public QtSerialPort {
 public:
  struct Exchange {
    double start = 0, end = 0;
  };
  bool writeBytes(const uint8_t* data, size_t n) override {
    const double t = bench::WallSeconds();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (ex_.empty() || readSince_) ex_.push_back({t, t});
      readSince_ = false;
    }
    return QtSerialPort::writeBytes(data, n);
  }
  int readByte() override {
    const int b = QtSerialPort::readByte();
    if (b >= 0) {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!ex_.empty()) ex_.back().end = bench::WallSeconds();
      readSince_ = true;
    }
    return b;
  }
  std::vector<Exchange> take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    readSince_ = false;
    return std::exchange(ex_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<Exchange> ex_;
  bool readSince_ = false;
};

void runFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

struct Run {
  double wall = 0, cpu = 0, windowCpu = 0, stopAt = 0, endAt = 0;
  std::vector<double> lateMs;     // one per beat of the timer while the job ran
  double worst = 0, worstAt = 0;  // the latest beat, and when (s into the job)
  std::vector<StampingPort::Exchange> ex;
  size_t simRequests = 0;  // VORN lines the simulator logged during the run and 300 ms after
};

// One Read All through the window, as Timer1 starts it, with a timer beating every `beatMs` on
// the window's thread; stopped `stopAfterMs` in when > 0.
Run readAll(MainWindow& w, StampingPort& port, test::SimProcess& sim, int beatMs, int stopAfterMs = 0) {
  Run r;
  port.take();
  const size_t simBefore = sim.logLines("VORN ").size();
  QEventLoop loop;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  beat.setInterval(beatMs);
  double last = 0, t0 = 0;  // set before the timer starts
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const double now = bench::WallSeconds();
    r.lateMs.push_back(std::max(0.0, (now - last) * 1000.0 - beatMs));
    if (r.lateMs.back() > r.worst) {
      r.worst = r.lateMs.back();
      r.worstAt = now - t0;
    }
    last = now;
    if (!w.jobs().running() && !w.deviceBusy()) loop.quit();
  });
  if (stopAfterMs > 0) {
    QTimer::singleShot(stopAfterMs, &loop, [&] {
      r.stopAt = bench::WallSeconds();
      w.stopJob();
    });
  }
  w.requestJob("ReadAll");
  const double cpu0 = bench::CpuSeconds(), windowCpu0 = bench::CpuSeconds(RUSAGE_THREAD);
  t0 = bench::WallSeconds();
  last = t0;
  w.timer1Tick();
  beat.start();
  loop.exec();
  r.endAt = bench::WallSeconds();
  r.wall = r.endAt - t0;
  r.cpu = bench::CpuSeconds() - cpu0;
  r.windowCpu = bench::CpuSeconds(RUSAGE_THREAD) - windowCpu0;
  beat.stop();
  runFor(300);  // anything sent late would reach the simulator by now
  r.ex = port.take();
  r.simRequests = sim.logLines("VORN ").size() - simBefore;
  return r;
}

const char* verdict(bool ok) { return ok ? "PASS" : "MISS"; }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("VornConfig");
  KeepNoSettings();

  // A fully programmed Vorn, written once by a session of our own, which then lets the port go.
  bench::SimBench b({"--baud", "19200"});
  if (!b.start() || !RunWriteAll(b.s)) {
    std::fprintf(stderr, "could not program the simulated Vorn: %s\n", b.prompter.last().c_str());
    return 1;
  }
  b.qport.close();

  StampingPort port;
  test::RecordingPrompter prompter;
  const std::string path = b.sim.path();
  MainWindow w(port, SystemClock(), &prompter, [path] { return PortListing{{{1, path, "1  " + path}}, {}}; });
  w.setUnsavedQuestion([] { return QMessageBox::Discard; });
  w.show();
  auto waitIdle = [&w] {
    for (int i = 0; i < 200 && (i < 2 || w.deviceBusy()); ++i) runFor(50);
  };
  waitIdle();  // the port list comes from the device thread
  auto* combo = w.findChild<QComboBox*>("ComboPort");
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  waitIdle();
  if (w.deviceBusy() || !port.isOpen()) {
    std::fprintf(stderr, "the window did not open %s: %s\n", path.c_str(), prompter.last().c_str());
    return 1;
  }

  std::printf("Read All through the window, vornsim paced at 19200 bit/s, fully programmed Vorn\n");
  // Whole Read All with a 10 ms timer: its lateness. The CPU comes from a second one with a
  // 100 ms timer only (to see the job end), so that the measuring costs little of it.
  const Run full = readAll(w, port, b.sim, 10);
  std::vector<double> late = full.lateMs;
  std::sort(late.begin(), late.end());
  const double p99 = late.empty() ? 0 : late[std::min(late.size() - 1, late.size() * 99 / 100)];
  double exMean = 0;
  for (const auto& e : full.ex) exMean += e.end - e.start;
  exMean = full.ex.empty() ? 0 : exMean / static_cast<double>(full.ex.size()) * 1000.0;
  std::printf("  %s; %.2f s, %zu exchanges stamped (mean %.1f ms), %zu requests in the simulator's log\n",
              w.statusText().toStdString().c_str(), full.wall, full.ex.size(), exMean, full.simRequests);
  std::printf("  10 ms timer: %zu beats, late max %.1f ms (%.2f s in), p99 %.1f ms   goal <= 50 ms  %s\n",
              late.size(), full.worst, full.worstAt, p99, verdict(full.worst <= 50));
  const Run quiet = readAll(w, port, b.sim, 100);
  for (const Run* r : {&quiet, &full}) {
    const double pct = 100.0 * r->cpu / r->wall;
    std::printf("  CPU with the %s timer: %.3f s in %.2f s = %.1f %% of a core (window's thread %.1f %%)",
                r == &full ? "10 ms" : "100 ms", r->cpu, r->wall, pct, 100.0 * r->windowCpu / r->wall);
    std::printf(r == &quiet ? "   goal <= 5 %%  %s\n" : "\n", verdict(pct <= 5));
  }

  // Stopped Read Alls, the Stop at a different point of the job each time.
  bool stopOk = true;
  for (const int ms : {1500, 3100, 4700, 6300}) {
    const Run r = readAll(w, port, b.sim, 10, ms);
    if (r.ex.empty() || r.stopAt == 0) {
      std::printf("  Stop at %d ms: the job ended before it\n", ms);
      stopOk = false;
      continue;
    }
    // The exchange in progress: the last whose request went out before the Stop.
    size_t cur = 0, after = 0;
    for (size_t i = 0; i < r.ex.size(); ++i) {
      if (r.ex[i].start <= r.stopAt)
        cur = i;
      else
        ++after;
    }
    double silent = 0;
    for (const auto& e : r.ex) silent = std::max(silent, e.end);
    silent = std::max(0.0, (silent - r.stopAt) * 1000.0);
    const double left = std::max(0.0, (r.ex[cur].end - r.stopAt) * 1000.0);
    const bool ok = after == 0 && silent <= left + 20 && r.simRequests == r.ex.size();
    stopOk = stopOk && ok;
    std::printf(
        "  Stop %4d ms in: last request %.1f ms before it, %zu after it; wire silent %.1f ms after it;\n"
        "    exchange in progress %.1f ms long, %.1f ms of it left: goal silent <= %.1f ms  %s\n"
        "    job over in the window %.0f ms after the Stop (\"%s\"); requests stamped %zu, logged %zu\n",
        ms, (r.stopAt - r.ex.back().start) * 1000.0, after, silent,
        (r.ex[cur].end - r.ex[cur].start) * 1000.0, left, left + 20, verdict(ok),
        (r.endAt - r.stopAt) * 1000.0, w.statusText().toStdString().c_str(), r.ex.size(), r.simRequests);
  }
  std::printf("  Stop within the exchange in progress + 20 ms: %s\n", verdict(stopOk));
  for (const auto& e : prompter.entries) std::printf("message: %s\n", e.text.c_str());
  return 0;
}
