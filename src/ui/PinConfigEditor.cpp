#include "ui/PinConfigEditor.h"

#include <memory>

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "operations/Live.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/Readable.h"

namespace vorn {

namespace {

struct BoxNames {
  const char* Text;
  const char* Spin;
};

// Indexed by ConfigBox.
const BoxNames kBoxNames[kConfigBoxCount] = {
    {"TextSrvInitPos", "UpDownIP"},
    {"TextMidpoint", "UpDownMidpoint"},
    {"TextSrvAntiMass", "UpDownAM"},
    {"TextSrvFriction", "UpDownFriction"},
    {"TextSrvMaxSpd", "UpDownMaxSpeed"},
    {"TextSrvMaxAccel", "UpDownMaxAccel"},
    {"TextBounceDown", "UpDownBD"},
    {"TextBounceDownFactor", "UpDownBDF"},
    {"TextBounceUp", "UpDownBU"},
    {"TextBounceUpFactor", "UpDownBUF"},
    {"TextPWMInitLevel", "UpDownIL"},
    {"TextPWMAccel", "UpDownPWMAccel"},
    {"TextPWMOffLevel", "UpDownPWMOffLevel"},
    {"TextPWMOnLevel", "UpDownPWMOnLevel"},
    {"TextInputDelay_0", "UpDownInputDelay_0"},
    {"TextInputDelay_1", "UpDownInputDelay_1"},
};

// Row by row, two to a row: each row a pair that belongs together.
constexpr ConfigBox kServoBoxes[] = {
    ConfigBox::SrvInitPos,  ConfigBox::Midpoint,      ConfigBox::SrvMaxSpd,  ConfigBox::SrvMaxAccel,
    ConfigBox::SrvAntiMass, ConfigBox::SrvFriction,   ConfigBox::BounceDown, ConfigBox::BounceDownFactor,
    ConfigBox::BounceUp,    ConfigBox::BounceUpFactor};

// Alt + letter for each box, where its label has a letter free on this tab (0: none).
char LetterOf(ConfigBox b) {
  switch (b) {
    case ConfigBox::SrvInitPos:
    case ConfigBox::PWMInitLevel: return 'l';
    case ConfigBox::Midpoint: return 'o';
    case ConfigBox::SrvAntiMass: return '1';
    case ConfigBox::SrvFriction: return 'g';
    case ConfigBox::BounceDown: return 'B';
    case ConfigBox::BounceDownFactor: return 'c';
    case ConfigBox::BounceUp: return 'u';
    case ConfigBox::BounceUpFactor: return 'r';
    case ConfigBox::PWMAccel: return 'r';
    case ConfigBox::PWMOffLevel: return 'O';
    case ConfigBox::InputOffDelay: return 'y';
    case ConfigBox::InputOnDelay: return 'b';
    default: return 0;
  }
}

void KeepRoomWhenHidden(QWidget* w) {
  QSizePolicy keep = w->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  w->setSizePolicy(keep);
}
constexpr ConfigBox kPwmBoxes[] = {ConfigBox::PWMInitLevel, ConfigBox::PWMAccel, ConfigBox::PWMOffLevel,
                                   ConfigBox::PWMOnLevel};
constexpr ConfigBox kInputBoxes[] = {ConfigBox::InputOffDelay, ConfigBox::InputOnDelay};

// Commit order of the servo tab.
constexpr ConfigBox kServoCommit[] = {
    ConfigBox::Midpoint,    ConfigBox::SrvMaxSpd,      ConfigBox::SrvMaxAccel,
    ConfigBox::SrvAntiMass, ConfigBox::SrvFriction,    ConfigBox::BounceUp,
    ConfigBox::BounceDown,  ConfigBox::BounceUpFactor, ConfigBox::BounceDownFactor};

size_t Idx(ConfigBox b) { return static_cast<size_t>(b); }

QString ViewText(std::string_view v) { return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size())); }

const char* const kWarning = "Warning: Hardware Configuration Mismatch";
const char* const kSliderTip = "Move slider for target position";

// Wide enough to pick every value with the mouse; the arrow keys step by one.
void ConfigureLiveSlider(QSlider* slider) {
  slider->setToolTip(kSliderTip);
  slider->setMinimumWidth(256);
  slider->setSingleStep(1);
  slider->setFocusPolicy(Qt::StrongFocus);
}

const char* const kDynamicTip = "If checked, use active dynamic parameters, else go directly to position";

}  // namespace

PinConfigEditor::PinConfigEditor(Session& s, QWidget* parent) : QWidget(parent), s_(s) {
  liveSetTo_.fill(-1);
  build();
  applyDetails(false, false);
}

PinData& PinConfigEditor::pin() { return s_.model.pin(s_.model.CurPin); }

QWidget* PinConfigEditor::boxRow(ConfigBox box, QWidget* parent, QLabel* label) {
  const ConfigBoxRule& r = RuleFor(box);
  auto* w = new QWidget(parent);
  auto* lay = new QHBoxLayout(w);
  lay->setContentsMargins(0, 0, 0, 0);
  if (!label) label = new QLabel(ViewText(r.Label), w);
  label->setParent(w);
  auto* edit = new ValidatedEdit(kBoxNames[Idx(box)].Text, w);
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("-0000") + 12);
  auto* spin = new UpDown(kBoxNames[Idx(box)].Spin, edit, r.Spinner.Min, r.Spinner.Max, w);
  lay->addWidget(label, 1);
  lay->addWidget(edit);
  NameBox(label, edit, QChar(LetterOf(box)));
  lay->addWidget(spin);
  boxes_[Idx(box)] = edit;
  spins_[Idx(box)] = spin;
  connect(edit, &ValidatedEdit::validate, this, [this, box] { validateBox(box); });
  // The initial level's spinner only writes its box; the box's change handler stores.
  if (box != ConfigBox::PWMInitLevel)
    connect(spin, &UpDown::stepped, this, [this, box](int v) { spinBox(box, v); });
  connect(spin, &UpDown::stepped, this, [this, box] { edited(box); });
  return w;
}

void PinConfigEditor::build() {
  auto* top = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTabPCFG");
  tabs_->tabBar()->setAccessibleName("Pin Configuration");
  // The same width whatever the pin's kind and whether details show: the program editor
  // beside it then keeps its place.
  KeepRoomWhenHidden(tabs_);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  auto* clear = new QWidget;
  auto* clearLay = new QVBoxLayout(clear);
  auto* clearLabel = new QLabel("Pin is not configured", clear);
  clearLabel->setObjectName("LabelPCFGClear");
  clearLay->addWidget(clearLabel);
  clearLay->addStretch();
  tabs_->addTab(clear, "Clear");
  tabs_->addTab(buildServoTab(), "Servo");
  tabs_->addTab(buildPwmTab(), "PWM");
  tabs_->addTab(buildInputTab(), "Input");
  top->addWidget(tabs_);
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) { tabClicked(i); });

  auto* btns = new QHBoxLayout;
  const char* getCaptions[2] = {"Get Pin Config", "Read Pin Config"};
  const char* setCaptions[2] = {"Set Pin Config", "Write Pin Config"};
  const char* setTips[2] = {"Sets Active Servo parameters (not permanent)",
                            "Writes Servo Parameters to Flash memory"};
  for (int i = 0; i < 2; ++i) {
    getParam_[i] = new QPushButton(getCaptions[i], this);
    getParam_[i]->setObjectName(QString("CommandPCFGGetParam_%1").arg(i));
    setParam_[i] = new QPushButton(setCaptions[i], this);
    setParam_[i]->setObjectName(QString("CommandPCFGSetParam_%1").arg(i));
    setParam_[i]->setToolTip(setTips[i]);
    KeepRoomWhenHidden(getParam_[i]);
    KeepRoomWhenHidden(setParam_[i]);
    btns->addWidget(getParam_[i]);
    btns->addWidget(setParam_[i]);
    // Index 1 is the stored (flash) configuration, index 0 the active one.
    connect(getParam_[i], &QPushButton::clicked, this, [this, i] {
      auto read = std::make_shared<bool>(false);
      const std::string what = configText(i == 1);
      s_.device([read, i](Session& w) { *read = ReadPinConfig(w, i == 1, w.model.CurPin); },
                [this, read, i, what] {
                  s_.status(what + (*read ? " read" : ": read failed"));
                  if (!*read) return;
                  if (i == 0) markLiveKnown();  // the active configuration carries the live level
                  ShowPinConfig();
                },
                what);
    });
    connect(setParam_[i], &QPushButton::clicked, this, [this, i] {
      if (commitVisibleFields) commitVisibleFields();
      auto written = std::make_shared<bool>(false);
      const std::string what = configText(i == 1);
      s_.device([written, i](Session& w) { *written = WritePinConfig(w, i == 1, w.model.CurPin); },
                [this, written, what] { s_.status(what + (*written ? " written" : ": write failed")); });
    });
  }
  btns->addStretch();
  top->addLayout(btns);
}

std::string PinConfigEditor::configText(bool stored) const {
  return std::string(stored ? "Stored" : "Active") + " configuration of pin " +
         std::to_string(s_.model.CurPin + s_.model.NumberBase);
}

// Live commands: the current pin as it is now; a newer position replaces one not yet sent.
void PinConfigEditor::sendServo(int position, bool dynamic) {
  const int pin = s_.model.CurPin;
  const std::string said = "Servo position " + std::to_string(position) + " sent to pin " +
                           std::to_string(pin + s_.model.NumberBase);
  auto sent = std::make_shared<bool>(false);
  s_.live([=](Session& w) { *sent = SendServoPosition(w, pin, position, dynamic); },
          [this, sent, said] { s_.status(*sent ? said : "Servo position not sent"); }, "servo");
}

void PinConfigEditor::sendPwm(int level, bool slow) {
  const int pin = s_.model.CurPin;
  const std::string said =
      "Level " + std::to_string(level) + " sent to pin " + std::to_string(pin + s_.model.NumberBase);
  auto sent = std::make_shared<bool>(false);
  s_.live([=](Session& w) { *sent = SendPwmLevel(w, pin, level, slow); },
          [this, sent, said] { s_.status(*sent ? said : "Level not sent"); }, "pwm");
}

QWidget* PinConfigEditor::buildServoTab() {
  auto* tab = new QWidget;
  auto* lay = new QGridLayout(tab);
  int row = 0;
  for (ConfigBox b : kServoBoxes) {
    lay->addWidget(boxRow(b, tab), row / 2, row % 2);
    ++row;
  }
  connect(boxes_[Idx(ConfigBox::SrvInitPos)], &ValidatedEdit::doubleClicked, this, [this] {
    const int v = servoSlider_->value();
    SetBoxNumber(boxes_[Idx(ConfigBox::SrvInitPos)], v);
    pin().PinConfig[1] = static_cast<uint8_t>(v + 64);
    edited(ConfigBox::SrvInitPos);
  });
  connect(boxes_[Idx(ConfigBox::SrvInitPos)], &QLineEdit::textChanged, this, [this](const QString& t) {
    if (filling_) return;
    const int v = BoxValue(t);
    if (v >= -64 && v <= 63) pin().PinConfig[1] = static_cast<uint8_t>(v + 64);
  });
  auto* range = new QGroupBox("Range", tab);
  range->setObjectName("FrameServoRange");
  auto* rangeLay = new QHBoxLayout(range);
  auto* rangeGroup = new QButtonGroup(range);
  const char* captions[5] = {"Off", "S", "M", "L", "XL"};
  for (int i = 0; i < 5; ++i) {
    servoRange_[i] = new QRadioButton(captions[i], range);
    servoRange_[i]->setObjectName(QString("OptionServoRange_%1").arg(i));
    servoRange_[i]->setAccessibleName(QString("Range ") + captions[i]);
    rangeGroup->addButton(servoRange_[i], i);
    rangeLay->addWidget(servoRange_[i]);
    connect(servoRange_[i], &QRadioButton::clicked, this, [this, i] {
      rangeIndex_ = i;
      storeServoFlags();
    });
  }
  servoRange_[0]->setChecked(true);
  lay->addWidget(range, 5, 0, 1, 2);
  autoSuspend_ = new QCheckBox("Auto Suspend", tab);
  autoSuspend_->setObjectName("ChkSrvAutoSuspend");
  suspended_ = new QCheckBox("Suspended", tab);
  suspended_->setObjectName("ChkSrvSuspended");
  suspended_->setToolTip("If checked, the servo is not activated until the first position is sent");
  initialised_ = new QCheckBox("Servo Initialised", tab);
  initialised_->setObjectName("ChkSrvInitialized");
  connect(autoSuspend_, &QCheckBox::clicked, this, [this] { storeServoFlags(); });
  connect(suspended_, &QCheckBox::clicked, this, [this] { storeServoFlags(); });
  // Reported by the Vorn: a click changes nothing.
  connect(initialised_, &QCheckBox::clicked, this,
          [this] { initialised_->setChecked(DecodeServoFlags(pin().PinConfig[2]).Initialised); });
  auto* flags = new QHBoxLayout;
  flags->addWidget(autoSuspend_);
  flags->addWidget(suspended_);
  flags->addWidget(initialised_);
  lay->addLayout(flags, 6, 0, 1, 2);
  srvWarn_ = new QLabel(kWarning, tab);
  srvWarn_->setObjectName("LabelSrvHWCWarn");
  SetWarningText(srvWarn_, QColor(Qt::red));
  KeepRoomWhenHidden(srvWarn_);
  lay->addWidget(srvWarn_, 7, 0, 1, 2);

  // Live position.
  auto* live = new QHBoxLayout;
  auto* posLabel = new QLabel("Position", tab);
  posLabel->setObjectName("LabelPosition");
  positionBox_ = new QLineEdit("0", tab);
  positionBox_->setObjectName("TextPosition");
  positionBox_->setMaximumWidth(positionBox_->fontMetrics().horizontalAdvance("-0000") + 12);
  NameBox(posLabel, positionBox_);
  auto* setPos = new QPushButton("Set", tab);
  setPos->setObjectName("CommandSrvLevel");
  setPos->setAccessibleName("Set Position");
  auto* jump = new QPushButton("Jump", tab);
  jump->setObjectName("CommandStopSrv");
  jump->setAccessibleName("Jump to Position");
  jump->setToolTip("Jump to target position immediately, override dynamic parameters");
  servoSlider_ = new QSlider(Qt::Horizontal, tab);
  servoSlider_->setObjectName("SliderServo");
  servoSlider_->setAccessibleName("Position slider");
  servoSlider_->setRange(-64, 63);
  ConfigureLiveSlider(servoSlider_);
  servoSlider_->installEventFilter(this);
  srvDynamic_ = new QCheckBox("Dynamic", tab);
  srvDynamic_->setObjectName("CheckSrvDynamic");
  srvDynamic_->setToolTip(kDynamicTip);
  live->addWidget(posLabel);
  live->addWidget(positionBox_);
  live->addWidget(setPos);
  live->addWidget(jump);
  live->addStretch(1);
  lay->addLayout(live, 8, 0, 1, 2);
  // The slider gets a row of its own so that its width does not widen the whole tab.
  auto* slide = new QHBoxLayout;
  slide->addWidget(servoSlider_, 1);
  slide->addWidget(srvDynamic_);
  lay->addLayout(slide, 9, 0, 1, 2);
  lay->setRowStretch(10, 1);
  connect(setPos, &QPushButton::clicked, this, [this] {
    if (positionBox_->text().trimmed().isEmpty() && !requireLive("position", positionBox_)) return;
    int v = std::clamp(BoxValue(positionBox_->text()), -64, 63);
    SetBoxNumber(positionBox_, v);
    setServoLive(v, false);
    if (s_.link.isOpen()) sendServo(servoPosition_, srvDynamic_->isChecked());
  });
  connect(jump, &QPushButton::clicked, this, [this] {
    if (requireLive("position", positionBox_)) sendServo(servoPosition_, false);
  });
  connect(servoSlider_, &QSlider::valueChanged, this, [this](int v) {
    if (filling_) return;
    setServoLive(v, true);
    if (s_.link.isOpen() && servoSliderFocus_) sendServo(v, srvDynamic_->isChecked());
  });
  return tab;
}

QWidget* PinConfigEditor::buildPwmTab() {
  auto* tab = new QWidget;
  auto* lay = new QGridLayout(tab);
  auto* initLabel = new ClickLabel("LabelPWMInitialLevel", ViewText(RuleFor(ConfigBox::PWMInitLevel).Label));
  lay->addWidget(boxRow(ConfigBox::PWMInitLevel, tab, initLabel), 0, 0);
  lay->addWidget(boxRow(ConfigBox::PWMAccel, tab), 1, 0);
  lay->addWidget(boxRow(ConfigBox::PWMOffLevel, tab), 2, 0);
  lay->addWidget(boxRow(ConfigBox::PWMOnLevel, tab), 3, 0);
  auto takeSlider = [this] {
    const int v = pwmSlider_->value();
    SetBoxNumber(boxes_[Idx(ConfigBox::PWMInitLevel)], v);
    pin().PinConfig[1] = static_cast<uint8_t>(v);
    edited(ConfigBox::PWMInitLevel);
  };
  connect(initLabel, &ClickLabel::clicked, this, takeSlider);
  connect(boxes_[Idx(ConfigBox::PWMInitLevel)], &ValidatedEdit::doubleClicked, this, takeSlider);
  connect(boxes_[Idx(ConfigBox::PWMInitLevel)], &QLineEdit::textChanged, this, [this](const QString& t) {
    if (filling_) return;
    int v = BoxValue(t);
    if (v >= 0 && v <= 31) pin().PinConfig[1] = static_cast<uint8_t>(v);
  });

  auto makeModes = [this, tab](const char* title, const char* name, std::array<QRadioButton*, 2>& opts,
                               int* mode) {
    auto* g = new QGroupBox(title, tab);
    auto* gl = new QHBoxLayout(g);
    auto* group = new QButtonGroup(g);
    const char* caps[2] = {"Logaritmic", "Linear"};
    for (int i = 0; i < 2; ++i) {
      opts[i] = new QRadioButton(caps[i], g);
      opts[i]->setObjectName(QString("%1_%2").arg(name).arg(i));
      opts[i]->setAccessibleName(QString("%1 %2").arg(title, caps[i]));
      group->addButton(opts[i], i);
      gl->addWidget(opts[i]);
      connect(opts[i], &QRadioButton::clicked, this, [this, i, mode] {
        *mode = i;
        storePwmModes();
      });
    }
    opts[0]->setChecked(true);
    return g;
  };
  lay->addWidget(makeModes("Acceleration Mode", "OptionPWMAccelMode", accelOpt_, &accelMode_), 0, 1, 2, 1);
  lay->addWidget(makeModes("Drive Mode", "OptionPWMDriveMode", driveOpt_, &driveMode_), 2, 1, 2, 1);
  pwmInverted_ = new QCheckBox("Inverted", tab);
  pwmInverted_->setObjectName("CheckPWMInverted");
  connect(pwmInverted_, &QCheckBox::clicked, this, [this](bool on) {
    pin().PinConfig[0] = PwmType(on);
    edited("PWM inverted");
  });
  lay->addWidget(pwmInverted_, 4, 0);

  auto* live = new QHBoxLayout;
  auto* levelLabel = new QLabel("Level", tab);
  levelLabel->setObjectName("LabelPWMLevel");
  pwmLevelBox_ = new QLineEdit("0", tab);
  pwmLevelBox_->setObjectName("TextPWMLevel");
  pwmLevelBox_->setMaximumWidth(pwmLevelBox_->fontMetrics().horizontalAdvance("0000") + 12);
  NameBox(levelLabel, pwmLevelBox_);
  auto* setLevel = new QPushButton("Set", tab);
  setLevel->setObjectName("CommandPWMLevel");
  setLevel->setAccessibleName("Set Level");
  auto* jump = new QPushButton("Jump", tab);
  jump->setObjectName("CommandPWMJump");
  jump->setAccessibleName("Jump to Level");
  pwmSlider_ = new QSlider(Qt::Horizontal, tab);
  pwmSlider_->setObjectName("SliderPWM");
  pwmSlider_->setAccessibleName("Level slider");
  pwmSlider_->setRange(0, 31);
  ConfigureLiveSlider(pwmSlider_);
  pwmSlider_->installEventFilter(this);
  pwmSlow_ = new QCheckBox("Slow", tab);
  pwmSlow_->setObjectName("CheckPWMSlow");
  pwmSlow_->setToolTip(kDynamicTip);
  live->addWidget(levelLabel);
  live->addWidget(pwmLevelBox_);
  live->addWidget(setLevel);
  live->addWidget(jump);
  live->addStretch(1);
  lay->addLayout(live, 5, 0, 1, 2);
  auto* slide = new QHBoxLayout;
  slide->addWidget(pwmSlider_, 1);
  slide->addWidget(pwmSlow_);
  lay->addLayout(slide, 6, 0, 1, 2);
  lay->setRowStretch(7, 1);
  connect(setLevel, &QPushButton::clicked, this, [this] {
    if (pwmLevelBox_->text().trimmed().isEmpty() && !requireLive("level", pwmLevelBox_)) return;
    int v = std::clamp(BoxValue(pwmLevelBox_->text()), 0, 31);
    SetBoxNumber(pwmLevelBox_, v);
    setPwmLive(v, false);
    if (s_.link.isOpen()) sendPwm(pwmLevel_, pwmSlow_->isChecked());
  });
  connect(jump, &QPushButton::clicked, this, [this] {
    if (requireLive("level", pwmLevelBox_)) sendPwm(pwmLevel_, false);
  });
  connect(pwmSlider_, &QSlider::valueChanged, this, [this](int v) {
    if (filling_) return;
    setPwmLive(v, true);
    if (s_.link.isOpen() && pwmSliderFocus_) sendPwm(v, pwmSlow_->isChecked());
  });
  return tab;
}

QWidget* PinConfigEditor::buildInputTab() {
  auto* tab = new QWidget;
  auto* lay = new QVBoxLayout(tab);
  for (ConfigBox b : kInputBoxes) lay->addWidget(boxRow(b, tab));
  inputInvert_ = new QCheckBox("Low Active", tab);
  inputInvert_->setObjectName("CheckInputInvert");
  connect(inputInvert_, &QCheckBox::clicked, this, [this](bool on) {
    pin().PinConfig[0] = InputType(on);
    edited("input low active");
  });
  lay->addWidget(inputInvert_);
  inpWarn_ = new QLabel(kWarning, tab);
  inpWarn_->setObjectName("LabelInpHWCWarn");
  SetWarningText(inpWarn_, QColor(Qt::red));
  KeepRoomWhenHidden(inpWarn_);
  lay->addWidget(inpWarn_);
  lay->addStretch();
  return tab;
}

bool PinConfigEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    const bool in = event->type() == QEvent::FocusIn;
    if (watched == pwmSlider_) pwmSliderFocus_ = in;
    if (watched == servoSlider_) servoSliderFocus_ = in;
  }
  return QWidget::eventFilter(watched, event);
}

void PinConfigEditor::setPwmLive(int level, bool fromSlider) {
  pwmLevel_ = level;
  if (fromSlider) {
    SetBoxNumber(pwmLevelBox_, level);
  } else {
    filling_ = true;
    pwmSlider_->setValue(level);
    filling_ = false;
  }
  pin().LiveLevel = static_cast<uint8_t>(level);
  markLiveKnown();
}

void PinConfigEditor::setServoLive(int position, bool fromSlider) {
  servoPosition_ = position;
  if (fromSlider) {
    SetBoxNumber(positionBox_, position);
  } else {
    filling_ = true;
    servoSlider_->setValue(position);
    filling_ = false;
  }
  pin().LiveLevel = static_cast<uint8_t>(position + 64);
  markLiveKnown();
}

bool PinConfigEditor::liveKnown() { return liveSetTo_[s_.model.CurPin] == pin().LiveLevel; }

void PinConfigEditor::markLiveKnown() { liveSetTo_[s_.model.CurPin] = pin().LiveLevel; }

bool PinConfigEditor::requireLive(const char* what, QLineEdit* box) {
  if (liveKnown() && !box->text().trimmed().isEmpty()) return true;
  s_.prompter().message(std::string("No ") + what + " has been set for pin " +
                        std::to_string(s_.model.CurPin + s_.model.NumberBase) +
                        " yet: type one and press \"Set\", or move the slider.");
  box->setFocus();
  return false;
}

void PinConfigEditor::applyDetails(bool details, bool expert) {
  tabs_->setVisible(details);
  getParam_[0]->setVisible(details);
  setParam_[0]->setVisible(details);
  getParam_[1]->setVisible(details && expert);
  setParam_[1]->setVisible(details && expert);
}

void PinConfigEditor::validateBox(ConfigBox box) {
  if (filling_) return;
  const EnteredParam e = EnterConfigBox(box, BoxValue(boxes_[Idx(box)]->text()));
  SetBoxNumber(boxes_[Idx(box)], e.Shown);
  pin().PinConfig[static_cast<size_t>(RuleFor(box).Element)] = e.Stored;
  edited(box);
}

void PinConfigEditor::spinBox(ConfigBox box, int value) {
  if (filling_) return;
  const EnteredParam e = SpinConfigBox(box, value);
  pin().PinConfig[static_cast<size_t>(RuleFor(box).Element)] = e.Stored;
}

void PinConfigEditor::storeServoFlags() {
  pin().PinConfig[2] = EncodeServoFlags(rangeIndex_, autoSuspend_->isChecked(), suspended_->isChecked());
  initialised_->setChecked(false);
  edited("servo range and suspension");
}

void PinConfigEditor::storePwmModes() {
  pin().PinConfig[2] = EncodePwmModes(accelMode_, driveMode_);
  edited("PWM modes");
}

void PinConfigEditor::edited(const std::string& what) {
  s_.edited("pin " + std::to_string(s_.model.CurPin + s_.model.NumberBase) + " " + what);
}

void PinConfigEditor::edited(ConfigBox box) { edited(ViewText(RuleFor(box).Label).toStdString()); }

void PinConfigEditor::tabClicked(int index) {
  if (filling_) return;
  SelectPinKind(pin(), static_cast<PinKind>(index));
  ShowPinConfig();
  edited("pin type");
}

void PinConfigEditor::CommitSelectedTab() {
  switch (tabs_->currentIndex()) {
    case 1:
      for (ConfigBox b : kServoCommit) validateBox(b);
      break;
    case 2: validateBox(ConfigBox::PWMAccel); break;
    case 3:
      for (ConfigBox b : kInputBoxes) validateBox(b);
      break;
    default: break;
  }
}

void PinConfigEditor::ShowPinConfig() {
  const PinData& p = pin();
  const int type = p.PinConfig[0];
  const std::optional<PinKind> kind = KindOfType(type);
  if (!kind) {
    s_.prompter().message(UnknownConfigurationMessage(type));
    return;
  }
  filling_ = true;
  tabs_->setCurrentIndex(static_cast<int>(*kind));
  auto fill = [this, &p](ConfigBox b) {
    const int shown = ShownConfigValue(b, p.PinConfig[static_cast<size_t>(RuleFor(b).Element)]);
    SetBoxNumber(boxes_[Idx(b)], shown);
  };
  switch (*kind) {
    case PinKind::Servo: {
      for (ConfigBox b : kServoBoxes) fill(b);
      const ServoFlags f = DecodeServoFlags(p.PinConfig[2]);
      rangeIndex_ = f.RangeIndex;
      servoRange_[static_cast<size_t>(f.RangeIndex)]->setChecked(true);
      autoSuspend_->setChecked(f.AutoSuspend);
      suspended_->setChecked(f.Suspended);
      initialised_->setChecked(f.Initialised);
      if (liveKnown()) {
        servoPosition_ = ShownServoPosition(p.LiveLevel);
        servoSlider_->setValue(servoPosition_);
        SetBoxNumber(positionBox_, servoSlider_->value());
      } else {
        servoSlider_->setValue(0);
        positionBox_->clear();
      }
      break;
    }
    case PinKind::Pwm: {
      for (ConfigBox b : kPwmBoxes) fill(b);
      const PwmModes m = DecodePwmModes(p.PinConfig[2]);
      accelMode_ = m.AccelMode;
      driveMode_ = m.DriveMode;
      accelOpt_[static_cast<size_t>(m.AccelMode)]->setChecked(true);
      driveOpt_[static_cast<size_t>(m.DriveMode)]->setChecked(true);
      pwmInverted_->setChecked(type == kCfgPwmInverted);
      if (liveKnown()) {
        pwmSlider_->setValue(p.LiveLevel);
        pwmLevel_ = pwmSlider_->value();
        SetBoxNumber(pwmLevelBox_, pwmLevel_);
      } else {
        pwmSlider_->setValue(0);
        pwmLevelBox_->clear();
      }
      break;
    }
    case PinKind::Input:
      for (ConfigBox b : kInputBoxes) fill(b);
      inputInvert_->setChecked(type == kCfgInputLowActive);
      break;
    case PinKind::Clear: break;
  }
  srvWarn_->setVisible(HardwareWarningVisible(s_.general, s_.model.CurPin, PinKind::Servo));
  inpWarn_->setVisible(HardwareWarningVisible(s_.general, s_.model.CurPin, PinKind::Input));
  filling_ = false;
}

}  // namespace vorn
