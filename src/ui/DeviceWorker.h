#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/Prompter.h"
#include "link/SerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"

class QThread;

namespace vorn {

// The device thread of the window: one QThread that owns the serial port and a session of its
// own (its link, and a copy of the configuration for the work at hand). The window hands it
// one piece of work at a time and never waits on the port itself.
//
// Everything that crosses between the threads goes through this object's mutex: the call
// handed over, progress, questions and their answers, the end of a call. Qt's queued signals
// only ring the bell (they carry no data), so the hand-over is visible to ThreadSanitizer too.
class DeviceWorker : public QObject {
  Q_OBJECT
 public:
  struct Call {
    Session::DeviceWork work;
    std::function<void()> done;  // on the window's thread, once the results are back
    bool live = false;           // a live command: input is not held, nothing comes back
    std::string coalesce;        // a queued live call with the same key is replaced
    std::string what;            // what it reads or writes ("ID String"), for the edit history
  };

  // `port` and `clock` belong to the device thread from here on; `windowPrompter` answers the
  // questions and shows the messages of the work, on the window's thread.
  DeviceWorker(SerialPort& port, Clock& clock, Prompter& windowPrompter, QObject* parent = nullptr);
  ~DeviceWorker() override;

  // The session the work runs on. The window reads and writes it only while no call runs:
  // in beforeCall (to hand over the configuration) and afterCall (to take the results back).
  Session& session() { return session_; }
  JobRunner& jobs() { return jobs_; }

  // Queues a call; calls run one at a time in the order given.
  void post(Call call);
  // Whether a call is running or queued.
  bool busy() const { return running_ || !queue_.empty(); }
  // Whether the running call is a live command (the window then lets input through).
  bool runningLive() const { return running_ && runningLive_; }
  // The running job ends at its next exchange (safe from any thread).
  void requestStop() { session_.requestStop(); }

  // Set by the window: before a call goes to the device thread, and after it came back (its
  // `done` follows). The window replays there what the work asked of the display, in order.
  std::function<void(const Call&)> beforeCall;
  std::function<void(const Call&, const std::vector<std::function<void(Session&)>>& displayEvents)> afterCall;

  // Progress of the running job as last reported: exchanges sent of those planned (0 when the
  // job has no plan), and the job's own count and text.
  struct JobProgress {
    int exchanges = 0;
    int planned = 0;
    Progress progress;
  };
  std::function<void(const JobProgress&)> onProgress;

 signals:
  // Bells rung from the device thread; connected queued to the slots below.
  void callFinished();
  void progressPosted();
  void questionPosted();

 private:
  enum class Ask { Message, OkCancel, YesNo, ToAct };
  struct Question {
    Ask kind = Ask::Message;
    std::string text;
    Icon icon = Icon::None;
    std::string act, keep;
  };
  class ThreadPrompter;

  void loop();
  void dispatch();
  void finish();
  void deliverProgress();
  void answerQuestion();
  bool askWindow(const Question& q);  // device thread: waits for the answer
  void record(std::function<void(Session&)> event);

  std::unique_ptr<ThreadPrompter> prompter_;
  Prompter& windowPrompter_;
  SerialPort& port_;
  Session session_;
  JobRunner jobs_;
  QThread* thread_ = nullptr;

  // Window thread only.
  std::deque<Call> queue_;
  bool running_ = false;
  bool runningLive_ = false;
  std::optional<Call> current_;

  // Shared, under mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Call> handed_;  // waiting for the device thread
  bool finished_ = false;
  bool quit_ = false;
  bool progressPending_ = false;
  JobProgress progress_;
  std::optional<Question> question_;
  std::optional<bool> answer_;
  // Device thread only.
  std::chrono::steady_clock::time_point lastProgressBell_{};
  // Device thread while a call runs; the window's once it is back.
  std::vector<std::function<void(Session&)>> events_;
};

}  // namespace vorn
