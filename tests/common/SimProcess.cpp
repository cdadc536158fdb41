#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

namespace vorn::test {

namespace {

using SteadyClock = std::chrono::steady_clock;

int msLeft(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> args, int startTimeoutMs) {
  char tmpl[] = "/tmp/vornsim-test-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) {
    error_ = std::string("mkdtemp: ") + std::strerror(errno);
    return;
  }
  tempDir_ = tmpl;
  bool hasLog = false;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "--log") {
      hasLog = true;
      logPath_ = args[i + 1];
    }
  }
  if (!hasLog) {
    logPath_ = tempDir_ + "/vornsim.log";
    args.push_back("--log");
    args.push_back(logPath_);
  }
  const std::string errPath = tempDir_ + "/stderr.txt";

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    error_ = std::string("pipe: ") + std::strerror(errno);
    return;
  }
  std::vector<std::string> argv{VORNSIM_PATH, "--strict"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const pid_t parent = ::getpid();

  pid_ = ::fork();
  if (pid_ == 0) {
    // Child: a crashed test must not leave simulators behind.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out[1], STDOUT_FILENO);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) ::dup2(err, STDERR_FILENO);
    const int devnull = ::open("/dev/null", O_RDONLY);
    if (devnull >= 0) ::dup2(devnull, STDIN_FILENO);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  if (pid_ < 0) {
    error_ = std::string("fork: ") + std::strerror(errno);
    ::close(out[0]);
    return;
  }

  // Read the first line (the path), bounded.
  std::string line;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(startTimeoutMs);
  bool eof = false;
  while (line.find('\n') == std::string::npos && !eof) {
    pollfd pfd{out[0], POLLIN, 0};
    const int r = ::poll(&pfd, 1, msLeft(deadline));
    if (r == 0) break;
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    char buf[256];
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n <= 0)
      eof = true;
    else
      line.append(buf, static_cast<std::size_t>(n));
  }
  ::close(out[0]);  // the simulator writes nothing more to stdout
  const auto nl = line.find('\n');
  if (nl == std::string::npos || nl == 0) {
    const std::string text = stderrText();
    error_ = "vornsim did not report its path" + (text.empty() ? std::string() : ": " + text);
    stop(1000);
    return;
  }
  path_ = line.substr(0, nl);
}

SimProcess::~SimProcess() {
  const int status = stop();
  const auto* gtest = ::testing::UnitTest::GetInstance();
  const bool inTest = gtest->current_test_info() != nullptr || gtest->current_test_suite() != nullptr;
  if (!allowRefusals_ && inTest && !path_.empty()) {
    const std::vector<std::string> refused = logLines("REFUSED ");
    if (!refused.empty() || status == 3) {
      std::string text;
      for (const std::string& line : refused) text += "\n  " + line;
      ADD_FAILURE() << "vornsim refused " << refused.size() << " request(s):" << text;
    }
  }
  if (!tempDir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
  }
}

bool SimProcess::running() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid_ = -1;
    return false;
  }
  return r == 0;
}

bool SimProcess::waitForExit(int timeoutMs) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  while (running()) {
    if (msLeft(deadline) == 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

int SimProcess::stop(int timeoutMs) {
  if (!running()) return status_;
  ::kill(pid_, SIGTERM);
  if (!waitForExit(timeoutMs)) {
    ::kill(pid_, SIGKILL);
    waitForExit(timeoutMs);
  }
  return status_;
}

std::vector<std::string> SimProcess::dumpState(int timeoutMs) {
  const std::size_t before = logLines("DUMP-END").size();
  if (!running() || ::kill(pid_, SIGUSR1) != 0) return {};
  if (!waitForLog("DUMP-END", before + 1, timeoutMs)) return {};
  std::vector<std::string> dump;
  std::size_t ends = 0;
  for (const std::string& line : logLines()) {
    if (line == "DUMP-END")
      ++ends;
    else if (ends == before && (line.rfind("GEN ", 0) == 0 || line.rfind("PIN ", 0) == 0))
      dump.push_back(line);
  }
  return dump;
}

std::string SimProcess::pinField(const std::vector<std::string>& dump, int pin, const std::string& field,
                                 int module) {
  const std::string head = "PIN m=" + std::to_string(module) + " p=" + std::to_string(pin) + " ";
  for (const std::string& line : dump) {
    if (line.rfind(head, 0) != 0) continue;
    const auto at = line.find(" " + field + "=");
    if (at == std::string::npos) return "";
    const auto from = at + field.size() + 2;
    return line.substr(from, line.find(' ', from) - from);
  }
  return "";
}

std::string SimProcess::stderrText() const {
  std::ifstream err(tempDir_ + "/stderr.txt");
  return std::string((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
}

std::vector<std::string> SimProcess::logLines() const { return logLines(std::string()); }

std::vector<std::string> SimProcess::logLines(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::ifstream in(logPath_);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  }
  return lines;
}

bool SimProcess::waitForLog(const std::string& prefix, std::size_t count, int timeoutMs) const {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (logLines(prefix).size() >= count) return true;
    if (msLeft(deadline) == 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace vorn::test
