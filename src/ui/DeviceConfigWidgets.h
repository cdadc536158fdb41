#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>

class QToolButton;

namespace vorn {

// Number typed into a box (its leading number, rounded halves to even), before any range
// applies. Huge values saturate instead of overflowing.
int BoxValue(const QString& text);

// Entry box that asks to be validated when clicked, when it loses the focus and on Enter,
// and reports double-clicks (help tools, live values).
class ValidatedEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit ValidatedEdit(const QString& name, QWidget* parent = nullptr);

 signals:
  void validate();
  void doubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

// Label that acts on clicks (copy/paste tools, step dialog, time tool).
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  ClickLabel(const QString& name, const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();
  void doubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// Spinner attached to a text box: two arrow buttons stepping an integer within its own
// range. The value follows the box whenever the program writes the box (setValueQuietly);
// a step writes the box and emits stepped() with the new value.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  UpDown(const QString& name, QLineEdit* buddy, int min, int max, QWidget* parent = nullptr);

  int value() const { return value_; }
  int minimum() const { return min_; }
  int maximum() const { return max_; }
  void setRange(int min, int max);
  void setValueQuietly(int v);
  // One step up (+1) or down (-1), as a click on an arrow does.
  void stepBy(int steps);

 signals:
  void stepped(int value);

 private:
  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
  int min_;
  int max_;
  int value_;
};

// Button that reports the modifier keys held when it is pressed with the left button. Space,
// Enter and Return on the focused button act as a press without modifiers.
class ModifierButton : public QPushButton {
  Q_OBJECT
 public:
  ModifierButton(const QString& name, const QString& text, QWidget* parent = nullptr);

 signals:
  void leftPressed(Qt::KeyboardModifiers modifiers);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

// 8-bit text of the model (Windows-1252) <-> what a box shows; see ui/CodePage1252.h.
QString FromModelText(const std::string& s);
std::string ToModelText(const QString& s);

// Grey (button-face) background for a box whose parameter is not used.
void SetGreyed(QLineEdit* box, bool greyed);

// Writes a number into a box unless it already shows exactly that text.
void SetBoxNumber(QLineEdit* box, int value);

// A label names the box it stands for: the label's text (without the letter mark) becomes
// the box's accessible name, and with `letter` Alt + that letter moves the focus to the box
// (its first occurrence in the text is underlined). Run again when the label's text changes.
void NameBox(QLabel* label, QWidget* box, QChar letter = {});
// Sets the order in which Tab walks the given widgets.
void FocusOrder(std::initializer_list<QWidget*> widgets);

}  // namespace vorn
