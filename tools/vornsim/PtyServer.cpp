#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vornsim {

namespace {

constexpr auto kHungUpNap = std::chrono::milliseconds(5);  // re-check for a host while nobody holds the line
constexpr auto kIdleGap = std::chrono::milliseconds(30);

timespec toTimespec(PtyServer::Clock::duration d) {
  if (d < PtyServer::Clock::duration::zero()) d = PtyServer::Clock::duration::zero();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
  return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

bool sameTermios(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

}  // namespace

PtyServer::PtyServer(int baud, SimLog& log) : log_(log) {
  if (baud > 0) {
    byteTime_ =
        std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(11'000'000'000LL / baud));
  }
}

PtyServer::~PtyServer() {
  if (master_ >= 0) ::close(master_);
}

bool PtyServer::open(std::string& error) {
  int slave = -1;
  char name[256] = {};
  if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
    error = std::string("openpty failed: ") + std::strerror(errno);
    return false;
  }
  termios t{};
  ::tcgetattr(slave, &t);
  ::cfmakeraw(&t);
  // A rate no host setting uses, so that whatever the host sets next is a real change.
  ::cfsetispeed(&t, B4800);
  ::cfsetospeed(&t, B4800);
  ::tcsetattr(slave, TCSANOW, &t);
  ::tcgetattr(slave, &restTermios_);
  ::close(slave);  // the host opens the slave; keeping it open here would hide its close
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  slavePath_ = name;
  return true;
}

void PtyServer::send(const Bytes& bytes, int delayMs) {
  if (vanished_) return;
  const auto notBefore = Clock::now() + std::chrono::milliseconds(delayMs);
  for (std::uint8_t b : bytes) {
    txLast_ = std::max(notBefore, txLast_) + byteTime_;
    tx_.push_back({b, txLast_});
  }
}

void PtyServer::vanish() {
  vanished_ = true;
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  tx_.clear();
  rx_.clear();
}

void PtyServer::readInput(Clock::time_point now) {
  std::uint8_t buf[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) return;  // EAGAIN, or EIO once the host has gone
    for (ssize_t i = 0; i < n; ++i) {
      rxLast_ = std::max(now, rxLast_) + byteTime_;
      rx_.push_back({buf[i], rxLast_});
    }
    if (static_cast<std::size_t>(n) < sizeof buf) return;  // drained; poll tells about more
  }
}

void PtyServer::writeDue(Clock::time_point now) {
  std::uint8_t buf[4096];
  std::size_t n = 0;
  while (n < tx_.size() && n < sizeof buf && tx_[n].due <= now) {
    buf[n] = tx_[n].byte;
    ++n;
  }
  txBlocked_ = false;
  if (n == 0) return;
  const ssize_t w = ::write(master_, buf, n);
  if (w < 0) {
    if (errno == EAGAIN)
      txBlocked_ = true;
    else
      tx_.clear();  // nobody to receive it
    return;
  }
  tx_.erase(tx_.begin(), tx_.begin() + w);
  if (static_cast<std::size_t>(w) < n) txBlocked_ = true;
}

void PtyServer::restoreIfChanged() {
  termios now{};
  if (::tcgetattr(master_, &now) == 0 && !sameTermios(now, restTermios_)) {
    ::tcsetattr(master_, TCSANOW, &restTermios_);
  }
}

void PtyServer::hostClosed(Simulator& sim) {
  hostOpen_ = false;
  tx_.clear();
  rx_.clear();
  ::tcflush(master_, TCIOFLUSH);  // nothing stale for the next host
  ::tcsetattr(master_, TCSANOW, &restTermios_);
  sim.onHostClosed();
  log_.line("HOST-CLOSED");
}

void PtyServer::run(Simulator& sim, volatile std::sig_atomic_t& stop, volatile std::sig_atomic_t& dump,
                    bool exitOnHup) {
  sigset_t waitMask;
  sigprocmask(SIG_SETMASK, nullptr, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGUSR1);
  Clock::time_point lastInput = Clock::now();

  while (!stop && !vanished_) {
    if (dump) {
      dump = 0;
      sim.dumpState();
    }
    auto now = Clock::now();
    while (!rx_.empty() && rx_.front().due <= now && !vanished_) {
      const std::uint8_t b = rx_.front().byte;
      rx_.pop_front();
      sim.onByte(b, *this);
    }
    if (vanished_) break;
    if (sim.waitsForIdle() && rx_.empty() && now - lastInput >= kIdleGap) sim.onIdle(*this);
    now = Clock::now();
    writeDue(now);

    // Sleep until the next byte is due, input arrives, or the line idles.
    Clock::time_point wake = Clock::time_point::max();
    if (!rx_.empty()) wake = std::min(wake, rx_.front().due);
    if (!tx_.empty() && !txBlocked_) wake = std::min(wake, tx_.front().due);
    if (sim.waitsForIdle()) wake = std::min(wake, lastInput + kIdleGap);
    pollfd pfd{master_, static_cast<short>(POLLIN | (txBlocked_ ? POLLOUT : 0)), 0};
    timespec ts{};
    timespec* timeout = nullptr;
    if (wake != Clock::time_point::max()) {
      ts = toTimespec(wake - now);
      timeout = &ts;
    }
    if (!hostOpen_) {
      ts = timespec{0, 0};  // just look: a hang-up shows at once, its absence means a host came
      timeout = &ts;
    }
    const int r = ::ppoll(&pfd, 1, timeout, &waitMask);
    if (r < 0) continue;  // EINTR: a signal, checked at the top
    now = Clock::now();
    if (pfd.revents & POLLIN) {
      readInput(now);
      lastInput = now;
    }
    if (pfd.revents & POLLHUP) {
      // Nobody holds the slave. The master reports this on every poll, so nap instead.
      if (hostOpen_ || !rx_.empty()) {
        // Deliver what the host wrote before it closed, unpaced, then forget the session.
        while (!rx_.empty() && !vanished_) {
          const std::uint8_t b = rx_.front().byte;
          rx_.pop_front();
          sim.onByte(b, *this);
        }
        if (vanished_) break;
        hostClosed(sim);
        if (exitOnHup) break;
      } else {
        restoreIfChanged();  // a host may have opened and closed between two looks
      }
      timespec nap = toTimespec(kHungUpNap);
      ::ppoll(nullptr, 0, &nap, &waitMask);
    } else if (!hostOpen_) {
      hostOpen_ = true;
      log_.line("HOST-OPEN");
    }
  }
}

}  // namespace vornsim
