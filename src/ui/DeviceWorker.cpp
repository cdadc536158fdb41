#include "ui/DeviceWorker.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>

#include "link/QtSerialPort.h"
#include "operations/JobPlan.h"

namespace vorn {

// The device thread's prompter: every message and question goes to the window's thread, and
// the work waits for the answer there.
class DeviceWorker::ThreadPrompter : public Prompter {
 public:
  explicit ThreadPrompter(DeviceWorker& w) : w_(w) {}
  void message(const std::string& text, Icon icon) override {
    w_.askWindow({Ask::Message, text, icon, {}, {}});
  }
  bool askOkCancel(const std::string& text, Icon icon) override {
    return w_.askWindow({Ask::OkCancel, text, icon, {}, {}});
  }
  bool askYesNo(const std::string& text, Icon icon) override {
    return w_.askWindow({Ask::YesNo, text, icon, {}, {}});
  }
  bool askToAct(const std::string& text, Icon icon, const std::string& act,
                const std::string& keep) override {
    return w_.askWindow({Ask::ToAct, text, icon, act, keep});
  }

 private:
  DeviceWorker& w_;
};

DeviceWorker::DeviceWorker(SerialPort& port, Clock& clock, Prompter& windowPrompter, QObject* parent)
    : QObject(parent),
      prompter_(std::make_unique<ThreadPrompter>(*this)),
      windowPrompter_(windowPrompter),
      port_(port),
      session_(port, clock, *prompter_),
      jobs_(session_) {
  // What the work asks of the display is kept, in order, and done on the window's thread once
  // the call is back: the window never shows a half-done job.
  Session& s = session_;
  s.onBusyChanged = [this](bool on) { record([on](Session& w) { on ? w.ShowBusy() : w.HideBusy(); }); };
  auto hook = [this](std::function<void()> Session::*h) {
    return [this, h] {
      record([h](Session& w) {
        if (w.*h) (w.*h)();
      });
    };
  };
  s.onDisplayRefresh = hook(&Session::onDisplayRefresh);
  s.onPinConfigRefresh = hook(&Session::onPinConfigRefresh);
  s.onGeneralChanged = hook(&Session::onGeneralChanged);
  s.onShowReport = hook(&Session::onShowReport);
  s.onEventControlRefresh = hook(&Session::onEventControlRefresh);
  s.onDeviceKnownChanged = hook(&Session::onDeviceKnownChanged);
  s.onIDStringRefused = [this](int position) {
    record([position](Session& w) {
      if (w.onIDStringRefused) w.onIDStringRefused(position);
    });
  };
  s.onStopped = [this](const std::string& text) { record([text](Session& w) { w.sayStopped(text); }); };
  // The window hears of progress at most every 40 ms: the bar moves smoothly, and the window
  // does not spend its time repainting once per exchange.
  auto post = [this] {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastProgressBell_ < std::chrono::milliseconds(40)) return;
    lastProgressBell_ = now;
    bool ring = false;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      const int planned = jobs_.running() ? PlannedExchanges(jobs_.lastJob(), session_) : 0;
      progress_ = JobProgress{session_.exchanges(), planned, session_.lastProgress()};
      ring = !progressPending_;
      progressPending_ = true;
    }
    if (ring) emit progressPosted();
  };
  s.onProgress = [post](const Progress&) { post(); };
  s.onExchange = post;

  connect(this, &DeviceWorker::callFinished, this, &DeviceWorker::finish, Qt::QueuedConnection);
  connect(this, &DeviceWorker::progressPosted, this, &DeviceWorker::deliverProgress, Qt::QueuedConnection);
  connect(this, &DeviceWorker::questionPosted, this, &DeviceWorker::answerQuestion, Qt::QueuedConnection);

  thread_ = QThread::create([this] { loop(); });
  thread_->setObjectName("DeviceThread");
  // A QSerialPort belongs to the thread that uses it; it goes back to the window's thread
  // when the device thread ends (see loop()).
  if (auto* q = dynamic_cast<QtSerialPort*>(&port_)) q->moveToThread(thread_);
  thread_->start();
}

DeviceWorker::~DeviceWorker() {
  // The running job stops at its next exchange; a question it waits on is answered with its
  // default; then the thread ends and is joined.
  session_.requestStop();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_->wait();
  delete thread_;
}

void DeviceWorker::record(std::function<void(Session&)> event) { events_.push_back(std::move(event)); }

void DeviceWorker::post(Call call) {
  if (call.live && !call.coalesce.empty()) {
    for (Call& queued : queue_) {
      if (queued.coalesce == call.coalesce) {
        queued = std::move(call);
        return;
      }
    }
  }
  queue_.push_back(std::move(call));
  dispatch();
}

void DeviceWorker::dispatch() {
  if (running_ || queue_.empty()) return;
  current_ = std::move(queue_.front());
  queue_.pop_front();
  running_ = true;
  runningLive_ = current_->live;
  events_.clear();
  if (beforeCall) beforeCall(*current_);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    handed_ = Call{current_->work, {}, current_->live, {}};
    finished_ = false;
  }
  wake_.notify_all();
}

void DeviceWorker::loop() {
  for (;;) {
    Session::DeviceWork work;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || handed_.has_value(); });
      if (quit_) break;
      work = std::move(handed_->work);
      handed_.reset();
    }
    try {
      work(session_);
    } catch (const JobStopped&) {
      // A stop that came outside a job's own stop points: the work simply ends.
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    emit callFinished();
  }
  if (port_.isOpen()) port_.close();
  if (auto* q = dynamic_cast<QtSerialPort*>(&port_)) q->moveToThread(QCoreApplication::instance()->thread());
}

void DeviceWorker::finish() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!finished_) return;
    finished_ = false;
    progressPending_ = false;
  }
  Call call = std::move(*current_);
  current_.reset();
  std::vector<std::function<void(Session&)>> events;
  events.swap(events_);
  // Still busy while the results are shown (a report is modal): nothing new starts meanwhile.
  if (afterCall) afterCall(call, events);
  if (call.done) call.done();
  running_ = false;
  runningLive_ = false;
  dispatch();
}

void DeviceWorker::deliverProgress() {
  JobProgress p;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!progressPending_) return;
    progressPending_ = false;
    p = progress_;
  }
  if (running_ && onProgress) onProgress(p);
}

bool DeviceWorker::askWindow(const Question& q) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (quit_) return false;
  question_ = q;
  answer_.reset();
  lock.unlock();
  emit questionPosted();
  lock.lock();
  // The window is going away: the default answer (Cancel, No, keep) lets the work end.
  wake_.wait(lock, [this] { return answer_.has_value() || quit_; });
  const bool yes = answer_.value_or(false);
  answer_.reset();
  return yes;
}

void DeviceWorker::answerQuestion() {
  Question q;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!question_) return;
    q = std::move(*question_);
    question_.reset();
  }
  bool yes = false;
  switch (q.kind) {
    case Ask::Message: windowPrompter_.message(q.text, q.icon); break;
    case Ask::OkCancel: yes = windowPrompter_.askOkCancel(q.text, q.icon); break;
    case Ask::YesNo: yes = windowPrompter_.askYesNo(q.text, q.icon); break;
    case Ask::ToAct: yes = windowPrompter_.askToAct(q.text, q.icon, q.act, q.keep); break;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    answer_ = yes;
  }
  wake_.notify_all();
}

}  // namespace vorn
