#include "ui/DeviceConfigWidgets.h"
#include "ui/Readable.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>
#include <cmath>

#include "ui/CodePage1252.h"

namespace vorn {

int BoxValue(const QString& text) {
  // Leading number: blanks, an optional sign, digits, an optional point and digits.
  const QString t = text.trimmed();
  qsizetype i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  qsizetype digits = 0;
  while (i < t.size() && t[i].isDigit()) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i].isDigit()) ++i, ++digits;
  }
  if (digits == 0) return 0;
  bool ok = false;
  const double v = t.left(i).toDouble(&ok);
  if (!ok) return 0;
  if (v >= INT_MAX / 2) return INT_MAX / 2;
  if (v <= INT_MIN / 2) return INT_MIN / 2;
  return static_cast<int>(std::nearbyint(v));  // default rounding mode: halves to even
}

void SetBoxNumber(QLineEdit* box, int value) {
  const QString t = QString::number(value);
  if (box->text() != t) box->setText(t);
}

void NameBox(QLabel* label, QWidget* box, QChar letter) {
  QString text = label->text();
  text.remove('&');
  box->setAccessibleName(text.endsWith(':') ? text.chopped(1) : text);
  label->setBuddy(box);
  const qsizetype at = letter.isNull() ? -1 : text.indexOf(letter);
  if (at >= 0) text.insert(at, '&');
  if (label->text() != text) label->setText(text);
}

void FocusOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* before = nullptr;
  for (QWidget* w : widgets) {
    if (before) QWidget::setTabOrder(before, w);
    before = w;
  }
}

ModifierButton::ModifierButton(const QString& name, const QString& text, QWidget* parent)
    : QPushButton(text, parent) {
  setObjectName(name);
}

void ModifierButton::mousePressEvent(QMouseEvent* e) {
  QPushButton::mousePressEvent(e);
  if (e->button() == Qt::LeftButton) emit leftPressed(e->modifiers());
}

void ModifierButton::keyPressEvent(QKeyEvent* e) {
  const int k = e->key();
  if (k != Qt::Key_Space && k != Qt::Key_Return && k != Qt::Key_Enter) {
    QPushButton::keyPressEvent(e);
    return;
  }
  e->accept();
  if (!e->isAutoRepeat()) emit leftPressed(Qt::NoModifier);
}

QString FromModelText(const std::string& s) { return FromCodePage(s); }

std::string ToModelText(const QString& s) { return ToCodePageBytes(s); }

void SetGreyed(QLineEdit* box, bool greyed) {
  SetGreyedBase(box, greyed, QApplication::palette(box).color(QPalette::Button));
  box->setProperty("greyed", greyed);
}

ValidatedEdit::ValidatedEdit(const QString& name, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
}

void ValidatedEdit::mousePressEvent(QMouseEvent* e) {
  QLineEdit::mousePressEvent(e);
  if (e->button() == Qt::LeftButton) emit validate();
}

void ValidatedEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  QLineEdit::mouseDoubleClickEvent(e);
  emit doubleClicked();
}

void ValidatedEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  emit validate();
}

void ValidatedEdit::keyPressEvent(QKeyEvent* e) {
  QLineEdit::keyPressEvent(e);
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) emit validate();
}

ClickLabel::ClickLabel(const QString& name, const QString& text, QWidget* parent) : QLabel(text, parent) {
  setObjectName(name);
}

void ClickLabel::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  if (e->button() == Qt::LeftButton) emit clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
  QLabel::mouseDoubleClickEvent(e);
  emit doubleClicked();
}

UpDown::UpDown(const QString& name, QLineEdit* buddy, int min, int max, QWidget* parent)
    : QWidget(parent), buddy_(buddy), min_(min), max_(max), value_(min) {
  setObjectName(name);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(0);
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  up_->setObjectName(name + "_up");
  up_->setAccessibleName("Up");
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  down_->setObjectName(name + "_down");
  down_->setAccessibleName("Down");
  // Two small arrows, together about as tall as a text line, whatever the screen's scale.
  const int h = fontMetrics().height() / 2 + 3;
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(h + 4, h);
    lay->addWidget(b);
  }
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
  connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
  if (buddy_) {
    // The spinner starts from whatever number the box shows, as its buddy.
    connect(buddy_, &QLineEdit::textChanged, this, [this](const QString& t) {
      int v = BoxValue(t);
      value_ = v < min_ ? min_ : (v > max_ ? max_ : v);
    });
  }
}

void UpDown::setRange(int min, int max) {
  min_ = min;
  max_ = max;
  if (value_ < min_) value_ = min_;
  if (value_ > max_) value_ = max_;
}

void UpDown::setValueQuietly(int v) { value_ = v < min_ ? min_ : (v > max_ ? max_ : v); }

void UpDown::stepBy(int steps) {
  int v = value_ + steps;
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  if (v == value_ && buddy_ && BoxValue(buddy_->text()) == v) return;
  value_ = v;
  if (buddy_) SetBoxNumber(buddy_, v);
  value_ = v;
  emit stepped(v);
}

}  // namespace vorn
