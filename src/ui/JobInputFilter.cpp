#include "ui/JobInputFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vorn {

namespace {

bool isUserInput(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: return true;
    default: return false;
  }
}

}  // namespace

JobInputFilter::JobInputFilter(QWidget* stopControl, std::function<void()> onStop, QObject* parent)
    : QObject(parent), stop_(stopControl), onStop_(std::move(onStop)) {}

JobInputFilter::~JobInputFilter() { setActive(false); }

void JobInputFilter::setActive(bool on) {
  if (on == active_ || !qApp) return;
  active_ = on;
  if (on) {
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
  }
}

bool JobInputFilter::eventFilter(QObject* target, QEvent* e) {
  if (!isUserInput(e->type())) return false;
  // Window-level events reach the widgets, and are judged there.
  auto* w = qobject_cast<QWidget*>(target);
  if (!w) return false;
  if (QWidget* modal = QApplication::activeModalWidget(); modal && w->window() == modal) return false;
  if (stop_ && (w == stop_ || stop_->isAncestorOf(w))) return false;
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape && onStop_)
    onStop_();
  // An accepted override keeps the key from reaching any shortcut.
  if (e->type() == QEvent::ShortcutOverride) e->accept();
  return true;
}

}  // namespace vorn
