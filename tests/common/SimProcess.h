#pragma once
// Starts vornsim for a test, waits for the pseudo-terminal path it prints, and stops it again.
//
// Unless the arguments already hold "--log", the simulator writes its log into a temporary
// folder that lives as long as this object; logLines() reads it back. One line per event:
//   SERVING <path> | HOST-OPEN | HOST-CLOSED | RESYNC | EXIT | VANISH frames=N
//   VORN m=<module> t=<toggle 0/1, "-" via tunnel> b=<reply asked 0/1> x=<ext byte or -> data=<d1,d2,..>
//   [raw=..|via=tunnel] REPLY raw=<bytes of the reply frame>     PALK a=<address byte> c=<command> p1=<n>
//   p2=<n> TUNNEL s=<size> data=<payload> raw=..    TRANSPARENT    BADSUM raw=..    REPEAT m=<module> IGNORED
//   m=<module> ... reason=...        ERASED m=<module>

#include <sys/types.h>

#include <string>
#include <vector>

namespace vorn::test {

class SimProcess {
 public:
  // Starts VORNSIM_PATH with `args`; waits at most `startTimeoutMs` for the path line.
  explicit SimProcess(std::vector<std::string> args = {}, int startTimeoutMs = 5000);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool ok() const { return !path_.empty(); }           // started and serving
  const std::string& error() const { return error_; }  // why not, when !ok()
  const std::string& path() const { return path_; }    // the pseudo-terminal to open
  const std::string& logPath() const { return logPath_; }
  pid_t pid() const { return pid_; }

  std::string stderrText() const;  // what the simulator said on stderr (for failure messages)

  std::vector<std::string> logLines() const;
  // Log lines that start with `prefix` (e.g. "VORN ", "PALK ").
  std::vector<std::string> logLines(const std::string& prefix) const;
  // Waits (bounded) until at least `count` log lines start with `prefix`; true when they did.
  bool waitForLog(const std::string& prefix, std::size_t count = 1, int timeoutMs = 3000) const;

  bool running();                   // false once the process has exited
  int stop(int timeoutMs = 3000);   // SIGTERM, wait (SIGKILL after the timeout); exit status
  bool waitForExit(int timeoutMs);  // without sending anything (e.g. after --vanish-after)
  int exitStatus() const { return status_; }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::string path_;
  std::string error_;
  std::string logPath_;
  std::string tempDir_;
};

}  // namespace vorn::test
