#pragma once

#include <QLabel>
#include <QPushButton>

namespace vorn {

// Label that reports mouse presses with their button and modifier keys, and double clicks
// ("Port:" uncovers the bit-rate frame, "Release 3.0.1" is the expert switch).
class PressLabel : public QLabel {
  Q_OBJECT
 public:
  PressLabel(const QString& name, const QString& text, QWidget* parent = nullptr);

 signals:
  void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void doubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// Button that acts on the mouse press itself ("Save File": Shift chooses the compact file).
// The keyboard (Space) still clicks it.
class PressButton : public QPushButton {
  Q_OBJECT
 public:
  PressButton(const QString& name, const QString& text, QWidget* parent = nullptr);

 signals:
  void pressedWith(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
};

// Button that says when it loses the keyboard focus (the feedback monitor's "Monitor").
class FocusButton : public QPushButton {
  Q_OBJECT
 public:
  FocusButton(const QString& name, const QString& text, QWidget* parent = nullptr);

 signals:
  void focusLost();

 protected:
  void focusOutEvent(QFocusEvent* e) override;
};

}  // namespace vorn
