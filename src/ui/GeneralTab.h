#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "model/GeneralSettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vorn {

class Session;
class UpDown;
class ValidatedEdit;

// Tab "General": firmware version, identity string, DCC and extended DCC addresses, module
// extended addressing, Palk flexible addressing, LED functions, hardware configuration,
// device serial port, "Erase Flash". The controls edit Session::general (and the model's
// PalkFlexStart) at once; refresh() redraws them from there.
class GeneralTab : public QWidget {
  Q_OBJECT
 public:
  using Routine = std::function<void(Session&)>;

  GeneralTab(Session& s, QWidget* parent = nullptr);

  void refresh();
  // ShowDCCRange and ShowXDCCRange: bases into the model, ranges into the two labels.
  void showRanges();
  // What a button runs on the device (read/write routines of the general settings, the erase
  // request), and what the tab does once it is back.
  void setRoutine(const QString& buttonName, Routine r, std::function<void()> done = {},
                  const std::string& what = {});
  // Marks the ID String box (a character the Vorn cannot take, counted from 1) until it is
  // edited; the character is selected.
  void markIDString(int position);

 signals:
  void addressesChanged();           // the current pin's address displays must follow
  void driversChanged();             // ShowPinConfig must run (hardware warnings)
  void status(const QString& text);  // one line for the window's status bar

 private:
  void trackEdits();
  QPushButton* button(const QString& name, const QString& caption);
  void enterDCCAddress();
  void enterXDCCAddress();
  void enterModuleExtAddress();
  void enterPalkStart();
  void palkEnableClicked(bool checked);
  void drawLeds();

  Session& s_;
  struct Work {
    Routine routine;
    std::function<void()> done;
    std::string what;
  };
  std::map<QString, Work> routines_;
  QLabel* version_;
  QLineEdit* idString_;
  std::array<QCheckBox*, 4> sink_{};
  std::array<QCheckBox*, 4> source_{};
  QLabel* hwcPin_;
  ValidatedEdit* genXaddr_;
  UpDown* upDownGenXaddr_;
  std::array<QCheckBox*, 16> xgm_{};
  ValidatedEdit* dccAddress_;
  UpDown* upDownDCC_;
  ValidatedEdit* xdccAddress_;
  UpDown* upDownXDCC_;
  QLabel* dccOutput_;
  QLabel* xdccOutput_;
  QButtonGroup* retention_;
  QCheckBox* bpsi_;
  QCheckBox* allow0_;
  std::array<QCheckBox*, 8> green_{};
  std::array<QCheckBox*, 8> orange_{};
  QCheckBox* palkEnable_;
  ValidatedEdit* palkStart_;
  UpDown* upDownPalk_;
  QCheckBox* serialEnable_;
  QComboBox* baud_;
  QButtonGroup* dataBits_;
  QButtonGroup* parity_;
  QButtonGroup* stopBits_;
};

}  // namespace vorn
