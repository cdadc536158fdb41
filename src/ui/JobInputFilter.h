#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace vorn {

// While a job runs, drops the user's input (mouse, keys, wheel, touch, drops, context menus)
// instead of holding it: nothing clicked or typed during a job acts after it. The Stop control
// still takes clicks, Escape asks for the stop, and a modal box the job opens (a message, the
// verification report) takes input as usual. Installed on the application only while active.
class JobInputFilter : public QObject {
  Q_OBJECT
 public:
  JobInputFilter(QWidget* stopControl, std::function<void()> onStop, QObject* parent = nullptr);
  ~JobInputFilter() override;

  void setActive(bool on);
  bool active() const { return active_; }

 protected:
  bool eventFilter(QObject* target, QEvent* e) override;

 private:
  QPointer<QWidget> stop_;
  std::function<void()> onStop_;
  bool active_ = false;
};

}  // namespace vorn
