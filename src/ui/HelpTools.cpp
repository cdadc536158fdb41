#include "ui/HelpTools.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "model/Instructions.h"
#include "ui/DeviceConfigWidgets.h"

namespace vorn {

namespace {

QString FormatTime(int time, int base) { return QString::fromStdString(TimeText(kOpFirstTimed, time, base)); }

// OK keeps the result, Cancel puts the opening value back; both only hide the dialog.
// Escape and the title-bar close reject the dialog too, and so act as Cancel.
void AddOkCancel(QDialog* d, QBoxLayout* lay) {
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton("OK", d);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", d);
  cancel->setObjectName("CancelButton");
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  lay->addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, d, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, d, &QDialog::reject);
}

}  // namespace

PatternBits PreparePattern(int value, int outputs) {
  PatternBits b;
  for (int i = 0; i < 7; ++i) {
    int bit = value % 2;
    b.Output[static_cast<size_t>(i)] = bit == 1;
    value = (value - bit) / 2;
  }
  if (outputs >= 6) {
    b.DarkEnabled = false;
  } else {
    b.AllDark = b.Output[5];
    b.NoDark = b.Output[6];
    b.DarkEnabled = true;
  }
  for (int i = 0; i < 7; ++i) {
    b.OutputEnabled[static_cast<size_t>(i)] = i < outputs;
    if (i >= outputs) b.Output[static_cast<size_t>(i)] = false;
  }
  return b;
}

int CalcPattern(const std::array<bool, 7>& outputs, bool allDark, bool noDark) {
  int p = 0;
  for (int i = 0; i < 7; ++i)
    if (outputs[static_cast<size_t>(i)]) p += 1 << i;
  return p + (allDark ? 32 : 0) + (noDark ? 64 : 0);
}

EventBits PrepareEvent(int value) {
  // The parameter is a 7-bit byte; anything else (typed before validation) would select
  // an action option that does not exist.
  if (value < 0) value = 0;
  if (value > 127) value = 127;
  int g = 0;
  if (value > 63) {
    g = 4;
    value -= 64;
  }
  if (value < 4) {
    value = (1 << value) + 16;
    g = 0;
  } else if (value < 8) {
    value = (1 << (value - 4)) + 16;
    g = 4;
  } else if (value < 16) {
    value = 16;
  }
  EventBits b;
  for (int i = 0; i < 4; ++i) {
    int bit = value % 2;
    b.Input[static_cast<size_t>(i)] = bit == 1;
    value = (value - bit) / 2;
  }
  b.Option = value + g;
  return b;
}

int CalcEvent(const std::array<bool, 4>& inputs, int option) {
  int p = 0;
  for (int i = 0; i < 4; ++i)
    if (inputs[static_cast<size_t>(i)]) p += 1 << i;
  for (int k = 1; k <= 3; ++k) {
    if (option == k)
      p += 16 * k;
    else if (option == k + 4)
      p += 64 + 16 * k;
  }
  return p;
}

// ---------------------------------------------------------------------------------------

TimeToolDialog::TimeToolDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgCT");
  setWindowTitle("VornConfig CalcTime");
  auto* lay = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  auto* baseLabel = new QLabel("Base", this);
  baseLabel->setObjectName("LabelCTBase");
  base_ = new ValidatedEdit("TextCTBase", this);
  base_->setText("0");
  baseSpin_ = new UpDown("UpDownCTBase", base_, 0, 3, this);
  grid->addWidget(baseLabel, 0, 0);
  auto* baseRow = new QHBoxLayout;
  baseRow->addWidget(base_);
  baseRow->addWidget(baseSpin_);
  grid->addLayout(baseRow, 0, 1);
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName("SliderCTTime");
  slider_->setRange(0, 63);
  slider_->setSingleStep(1);
  slider_->setPageStep(5);
  grid->addWidget(slider_, 1, 0, 1, 2);
  auto* t = new QLabel("Time = ", this);
  t->setObjectName("LabelCTTime");
  timeValue_ = new QLabel("00:00.00", this);
  timeValue_->setObjectName("LabelCTTimeValue");
  auto* m = new QLabel("Max Time = ", this);
  m->setObjectName("LabelCTMaxTime");
  maxValue_ = new QLabel("00:00.00", this);
  maxValue_->setObjectName("LabelCTMaxTimeValue");
  grid->addWidget(t, 2, 0);
  grid->addWidget(timeValue_, 2, 1);
  grid->addWidget(m, 3, 0);
  grid->addWidget(maxValue_, 3, 1);
  lay->addLayout(grid);
  AddOkCancel(this, lay);

  connect(slider_, &QSlider::valueChanged, this,
          [this](int v) { timeValue_->setText(FormatTime(v, BoxValue(base_->text()))); });
  connect(base_, &ValidatedEdit::validate, this, [this] { validateBase(); });
  connect(baseSpin_, &UpDown::stepped, this, [this] { recompute(); });
}

void TimeToolDialog::prepare(const QString& baseText, int time) {
  base_->setText(baseText);
  slider_->setValue(time);
  // Activation
  savedBase_ = BoxValue(base_->text());
  savedTime_ = slider_->value();
  recompute();
}

void TimeToolDialog::recompute() {
  int base = BoxValue(base_->text());
  maxValue_->setText(FormatTime(63, base));
  timeValue_->setText(FormatTime(slider_->value(), base));
}

void TimeToolDialog::validateBase() {
  int b = BoxValue(base_->text());
  if (b < 0) base_->setText("0");
  if (b > 3) base_->setText("3");
  recompute();
}

QString TimeToolDialog::baseText() const { return base_->text(); }
int TimeToolDialog::time() const { return slider_->value(); }

void TimeToolDialog::reject() {
  cancel();
  QDialog::reject();
}

void TimeToolDialog::cancel() {
  base_->setText(QString::number(savedBase_));
  slider_->setValue(savedTime_);
  recompute();
}

// ---------------------------------------------------------------------------------------

PatternToolDialog::PatternToolDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgVornCalcPattern");
  setWindowTitle("PalkConfig Calculate Pattern");
  auto* lay = new QVBoxLayout(this);
  for (int i = 0; i < 7; ++i) {
    auto* c = new QCheckBox(QString("Output +%1").arg(i), this);
    c->setObjectName(QString("chkUitgang_%1").arg(i));
    outputs_[static_cast<size_t>(i)] = c;
    lay->addWidget(c);
    connect(c, &QCheckBox::clicked, this, [this] { calc(); });
  }
  allDark_ = new QCheckBox("All Dark", this);
  allDark_->setObjectName("chkAllDark");
  noDark_ = new QCheckBox("No Dark-phase", this);
  noDark_->setObjectName("chkNoDark");
  lay->addWidget(allDark_);
  lay->addWidget(noDark_);
  // At most one of the two dark options.
  connect(allDark_, &QCheckBox::clicked, this, [this](bool on) {
    if (on) noDark_->setChecked(false);
    calc();
  });
  connect(noDark_, &QCheckBox::clicked, this, [this](bool on) {
    if (on) allDark_->setChecked(false);
    calc();
  });
  auto* row = new QHBoxLayout;
  auto* l = new QLabel("Parameter", this);
  l->setObjectName("lblParam");
  parameter_ = new QLineEdit("0", this);
  parameter_->setObjectName("txtParameter");
  original_ = new QLineEdit("0", this);
  original_->setObjectName("txtOriginal");
  original_->setVisible(false);
  row->addWidget(l);
  row->addWidget(parameter_);
  row->addWidget(original_);
  lay->addLayout(row);
  AddOkCancel(this, lay);
}

void PatternToolDialog::prepare(int value, int outputs, const QString& originalText) {
  PatternBits b = PreparePattern(value, outputs);
  for (size_t i = 0; i < 7; ++i) {
    outputs_[i]->setChecked(b.Output[i]);
    outputs_[i]->setEnabled(b.OutputEnabled[i]);
  }
  allDark_->setChecked(b.AllDark);
  noDark_->setChecked(b.NoDark);
  allDark_->setEnabled(b.DarkEnabled);
  noDark_->setEnabled(b.DarkEnabled);
  original_->setText(originalText);
  calc();
}

void PatternToolDialog::calc() {
  std::array<bool, 7> o{};
  for (size_t i = 0; i < 7; ++i) o[i] = outputs_[i]->isChecked();
  parameter_->setText(QString::number(CalcPattern(o, allDark_->isChecked(), noDark_->isChecked())));
}

QString PatternToolDialog::parameterText() const { return parameter_->text(); }
void PatternToolDialog::reject() {
  cancel();
  QDialog::reject();
}

void PatternToolDialog::cancel() { parameter_->setText(original_->text()); }

// ---------------------------------------------------------------------------------------

EventToolDialog::EventToolDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgVornCalcEventPattern");
  setWindowTitle("VornConfig CalcETImap");
  auto* lay = new QVBoxLayout(this);
  for (int i = 0; i < 4; ++i) {
    auto* c = new QCheckBox(QString("Event Input %1").arg(i), this);
    c->setObjectName(QString("chkEvent_%1").arg(i));
    inputs_[static_cast<size_t>(i)] = c;
    lay->addWidget(c);
    connect(c, &QCheckBox::clicked, this, [this] { calc(); });
  }
  auto* group = new QButtonGroup(this);
  const char* captions[8] = {"", "Execute On-Event",  "Disable On-Event",  "Enable On-Event",
                             "", "Execute Off-Event", "Disable Off-Event", "Enable Off-Event"};
  for (int k : {1, 2, 3, 5, 6, 7}) {
    auto* r = new QRadioButton(captions[k], this);
    r->setObjectName(QString("optEvent_%1").arg(k));
    options_[static_cast<size_t>(k)] = r;
    group->addButton(r, k);
    lay->addWidget(r);
    connect(r, &QRadioButton::clicked, this, [this] { calc(); });
  }
  options_[1]->setChecked(true);
  auto* row = new QHBoxLayout;
  auto* l = new QLabel("Parameter", this);
  l->setObjectName("lblParameter");
  parameter_ = new QLineEdit("0", this);
  parameter_->setObjectName("txtParameter");
  original_ = new QLineEdit("0", this);
  original_->setObjectName("txtOriginal");
  original_->setVisible(false);
  row->addWidget(l);
  row->addWidget(parameter_);
  row->addWidget(original_);
  lay->addLayout(row);
  AddOkCancel(this, lay);
}

void EventToolDialog::prepare(int value, const QString& originalText) {
  EventBits b = PrepareEvent(value);
  for (size_t i = 0; i < 4; ++i) inputs_[i]->setChecked(b.Input[i]);
  options_[static_cast<size_t>(b.Option)]->setChecked(true);
  original_->setText(originalText);
  calc();  // activation
}

void EventToolDialog::calc() {
  std::array<bool, 4> in{};
  for (size_t i = 0; i < 4; ++i) in[i] = inputs_[i]->isChecked();
  int option = 1;
  for (int k : {1, 2, 3, 5, 6, 7})
    if (options_[static_cast<size_t>(k)]->isChecked()) option = k;
  parameter_->setText(QString::number(CalcEvent(in, option)));
}

QString EventToolDialog::parameterText() const { return parameter_->text(); }
void EventToolDialog::reject() {
  cancel();
  QDialog::reject();
}

void EventToolDialog::cancel() { parameter_->setText(original_->text()); }

}  // namespace vorn
