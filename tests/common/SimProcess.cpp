#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace vorn::test {

namespace {

// Polls `done` every 5 ms for at most `timeoutMs`; true once it held.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> args, int startTimeoutMs) {
  char tmpl[] = "/tmp/vornsim-test-XXXXXX";
  int out[2];
  if (::mkdtemp(tmpl) == nullptr || ::pipe2(out, O_CLOEXEC) != 0) {
    error_ = std::strerror(errno);
    return;
  }
  tempDir_ = tmpl;
  logPath_ = tempDir_ + "/vornsim.log";
  std::vector<std::string> argv{VORNSIM_PATH, "--strict", "--log", logPath_};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const std::string errPath = tempDir_ + "/stderr.txt";
  const pid_t parent = ::getpid();

  pid_ = ::fork();
  if (pid_ == 0) {
    // Child: a crashed test must not leave simulators behind.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  ::close(out[1]);

  // The first line on stdout is the path; bounded, and nothing more comes there.
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startTimeoutMs);
  char c = 0;
  while (pid_ > 0 && c != '\n') {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd pfd{out[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) break;
    if (::read(out[0], &c, 1) != 1) break;
    line += c;
  }
  ::close(out[0]);
  if (c != '\n' || line.size() < 2) {
    const std::string text = stderrText();
    error_ = "vornsim did not report its path" + (text.empty() ? std::string() : ": " + text);
    stop(1000);
    return;
  }
  path_ = line.substr(0, line.size() - 1);
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
  std::error_code ec;
  if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_, ec);
}

bool SimProcess::running() {
  int status = 0;
  const pid_t r = pid_ > 0 ? ::waitpid(pid_, &status, WNOHANG) : -1;
  if (r == 0) return true;
  if (r == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid_ = -1;
  }
  return false;
}

bool SimProcess::waitForExit(int timeoutMs) {
  return WaitUntil([this] { return !running(); }, timeoutMs);
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
  std::vector<std::string> dump;  // the lines of the last dump, ours
  for (const std::string& line : logLines()) {
    if (line == "DUMP") dump.clear();
    if (line.rfind("GEN ", 0) == 0 || line.rfind("PIN ", 0) == 0) dump.push_back(line);
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
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  }
  return lines;
}

bool SimProcess::waitForLog(const std::string& prefix, std::size_t count, int timeoutMs) const {
  return WaitUntil([&] { return logLines(prefix).size() >= count; }, timeoutMs);
}

}  // namespace vorn::test
