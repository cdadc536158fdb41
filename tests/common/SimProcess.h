#pragma once
// Starts vornsim for a test, waits for the pseudo-terminal path it prints, and stops it again.
//
// The simulator writes its log into a temporary folder that lives as long as this object;
// logLines() reads it back. One line per event:
//   SERVING <path>, HOST-OPEN, HOST-CLOSED, RESYNC, TRANSPARENT, EXIT, VANISH frames=N
//   VORN m=<module> t=<toggle 0/1, - via tunnel> b=<reply asked 0/1> x=<ext byte or ->
//        data=<d1,d2,..> then raw=<frame bytes> or via=tunnel
//   REPLY raw=<bytes of the reply frame>
//   PALK a=<address byte> c=<command> p1=<n> p2=<n>
//   TUNNEL s=<size> data=<payload> raw=<frame bytes>
//   BADSUM raw=..   REPEAT m=<module>   IGNORED m=<module> ... reason=..   ERASED m=<module>
//   REFUSED m=<module or -> reason=<why> bytes=<..>: a request a Vorn would not take
//   DUMP ... DUMP-END around a state dump (see dumpState)
//
// The simulator runs with --strict, and the test that owns it fails when anything was refused
// (checked when the object goes), unless the test says it sends bad requests on purpose.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vorn::test {

class SimProcess {
 public:
  // Starts VORNSIM_PATH with `args`; waits at most `startTimeoutMs` for the path line.
  explicit SimProcess(std::vector<std::string> args = {}, int startTimeoutMs = 5000);
  // Fails the running test when the simulator refused anything.
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool ok() const { return !path_.empty(); }           // started and serving
  const std::string& error() const { return error_; }  // why not, when !ok()
  const std::string& path() const { return path_; }    // the pseudo-terminal to open
  void allowRefusals() { allowRefusals_ = true; }      // the test sends bad requests on purpose

  std::string stderrText() const;  // what the simulator said on stderr (for failure messages)

  std::vector<std::string> logLines() const;
  // Log lines that start with `prefix` (e.g. "VORN ", "PALK ").
  std::vector<std::string> logLines(const std::string& prefix) const;
  // Waits (bounded) until at least `count` log lines start with `prefix`; true when they did.
  bool waitForLog(const std::string& prefix, std::size_t count = 1, int timeoutMs = 3000) const;

  // Asks the simulator for its state (SIGUSR1) and returns the lines it logged for it:
  //   GEN m=<module> version=a,b,c,d hardware=.. ext=.. mask=.. dcc=lo,hi options=.. green=..
  //       orange=.. palk=flag,start enable=on,off xdcc=lo,hi serial=enable,config id=<text to line end>
  //   PIN m=<module> p=<pin> layout=.. init=<nibble> on=<4 nibbles> off=<4 nibbles>
  //       addr=<dcc,serial,pointer bytes> stored=<13 bytes> active=<13 bytes> live=..
  //       aspect=.. slots=<36 slots "c,b2,b3,b4,b5" separated by ';'>
  // Empty when the simulator did not answer in time.
  std::vector<std::string> dumpState(int timeoutMs = 3000);
  // One field ("layout", "stored", ...) of the PIN line of a pin in a dump ("" when absent).
  static std::string pinField(const std::vector<std::string>& dump, int pin, const std::string& field,
                              int module = 0);

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
  bool allowRefusals_ = false;
};

}  // namespace vorn::test
