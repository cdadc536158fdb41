#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "link/FeedbackMonitor.h"

class QPlainTextEdit;
class QTimer;

namespace vorn {

class Session;
class FocusButton;
class ValidatedEdit;

// Tab "Test": raw Palk command, reset / clear / lamp test of whole modules, and the
// feedback monitor (Timer2, 100 ms).
class TestTab : public QWidget {
  Q_OBJECT
 public:
  TestTab(Session& s, QWidget* parent = nullptr);

  // Ticks are skipped while this says a device job runs (the link is busy then).
  void setBusyCheck(std::function<bool()> busy) { busy_ = std::move(busy); }
  // The port went away or was closed: a running monitor ends.
  void portChanged();
  FeedbackMonitor& monitor() { return monitor_; }
  QTimer* timer2() const { return timer2_; }

 private:
  void tick();
  void stopMonitor();
  void monitorStep(std::function<void(FeedbackMonitor&)> step);

  Session& s_;
  FeedbackMonitor monitor_;
  std::function<bool()> busy_;
  bool monitorOn_ = false;  // as the monitor last said
  std::array<ValidatedEdit*, 3> palkParam_{};
  QPlainTextEdit* fbm_;
  FocusButton* monitorBtn_;
  QTimer* timer2_;
};

}  // namespace vorn
