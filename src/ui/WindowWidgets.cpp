#include "ui/WindowWidgets.h"

#include <QMouseEvent>

namespace vorn {

PressLabel::PressLabel(const QString& name, const QString& text, QWidget* parent) : QLabel(text, parent) {
  setObjectName(name);
}

void PressLabel::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  emit pressed(e->button(), e->modifiers());
}

void PressLabel::mouseDoubleClickEvent(QMouseEvent* e) {
  QLabel::mouseDoubleClickEvent(e);
  emit doubleClicked();
}

PressButton::PressButton(const QString& name, const QString& text, QWidget* parent)
    : QPushButton(text, parent) {
  setObjectName(name);
}

void PressButton::mousePressEvent(QMouseEvent* e) {
  QPushButton::mousePressEvent(e);
  // The press acts, so the matching release must not click the button a second time.
  setDown(false);
  emit pressedWith(e->button(), e->modifiers());
}

FocusButton::FocusButton(const QString& name, const QString& text, QWidget* parent)
    : QPushButton(text, parent) {
  setObjectName(name);
}

void FocusButton::focusOutEvent(QFocusEvent* e) {
  QPushButton::focusOutEvent(e);
  emit focusLost();
}

}  // namespace vorn
