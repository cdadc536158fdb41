#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "model/PinConfigParams.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace vorn {

class ClickLabel;
class Session;
class UpDown;
class ValidatedEdit;

// The pin configuration editor: tab "Clear", "Servo", "PWM" or "Input" for the kind of the
// current pin, the parameters of that kind, the live sliders and the get/set buttons.
class PinConfigEditor : public QWidget {
  Q_OBJECT
 public:
  explicit PinConfigEditor(Session& s, QWidget* parent = nullptr);

  void ShowPinConfig();
  // The boxes of the selected tab, in the order the commit runs them.
  void CommitSelectedTab();
  // Visibility by "Show Details" and expert mode.
  void applyDetails(bool details, bool expert);

  // CommitVisibleFields of the program editor, run before a set or write.
  std::function<void()> commitVisibleFields;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One step of the edit history, named after the pin and what changed.
  void edited(const std::string& what);
  void edited(ConfigBox box);
  std::string configText(bool stored) const;
  void sendServo(int position, bool dynamic);
  void sendPwm(int level, bool slow);
  void build();
  QWidget* buildServoTab();
  QWidget* buildPwmTab();
  QWidget* buildInputTab();
  QWidget* boxRow(ConfigBox box, QWidget* parent, QLabel* label = nullptr);
  void validateBox(ConfigBox box);
  void spinBox(ConfigBox box, int value);
  void storeServoFlags();
  void storePwmModes();
  void tabClicked(int index);
  void setPwmLive(int level, bool fromSlider);
  void setServoLive(int position, bool fromSlider);
  // The live level of the current pin is known once the user set it (box, slider) or the
  // Vorn reported it (Get Pin Config); a level from a stored configuration or a kind's
  // defaults is not what the output is doing, so the boxes stay empty until then.
  bool liveKnown();
  void markLiveKnown();
  // Nothing is sent for an unknown level: says what to do instead. True when the level is known.
  bool requireLive(const char* what, QLineEdit* box);
  PinData& pin();

  Session& s_;
  bool filling_ = false;
  int rangeIndex_ = 0;
  int accelMode_ = 0;
  int driveMode_ = 0;
  int pwmLevel_ = 0;
  int servoPosition_ = 0;
  bool pwmSliderFocus_ = false;
  bool servoSliderFocus_ = false;
  std::array<int, kPinTableSize> liveSetTo_{};  // LiveLevel the user last set per pin, -1 = none

  QTabWidget* tabs_;
  std::array<ValidatedEdit*, kConfigBoxCount> boxes_{};
  std::array<UpDown*, kConfigBoxCount> spins_{};
  std::array<QRadioButton*, 5> servoRange_{};
  QCheckBox* autoSuspend_;
  QCheckBox* suspended_;
  QCheckBox* initialised_;
  QLabel* srvWarn_;
  QLabel* inpWarn_;
  std::array<QRadioButton*, 2> accelOpt_{};
  std::array<QRadioButton*, 2> driveOpt_{};
  QCheckBox* pwmInverted_;
  QCheckBox* inputInvert_;
  QLineEdit* pwmLevelBox_;
  QSlider* pwmSlider_;
  QCheckBox* pwmSlow_;
  QLineEdit* positionBox_;
  QSlider* servoSlider_;
  QCheckBox* srvDynamic_;
  std::array<QPushButton*, 2> getParam_{};
  std::array<QPushButton*, 2> setParam_{};
};

}  // namespace vorn
