#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "operations/Live.h"
#include "ui/JobRequester.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vorn {

class ClickLabel;
class EditAspectDialog;
class EditPinDialog;
class EditStepDialog;
class EventToolDialog;
class ModifierButton;
class PatternToolDialog;
class Session;
class TimeToolDialog;
class UpDown;
class ValidatedEdit;

// The pin program editor: one pin of the model with its device reference, address counts,
// aspect layout and, for the aspect shown, its nine step rows. Every edit goes straight
// into the model and is then announced through the session (one step per box visit).
class PinEditor : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRows = 9;

  PinEditor(Session& s, JobRequester requestJob, QWidget* parent = nullptr);
  ~PinEditor() override;

  void ShowPinProgram();
  // Refreshes a row: greying, fade box, headings, time, and the stored step normalised;
  // with fill, also every box from the model.
  void ShowInstruction(int row, bool fill = false);
  void ShowAddressCounts(bool show);
  void OptionPAspConf_Click(int index);
  void CommitVisibleFields();
  void setExpertMode(bool on);
  bool details() const;
  int layoutIndex() const { return layout_; }
  int selectedStep() const { return selectedStep_; }

  // Hooks the tab fills in.
  std::function<void()> onAddressesChanged;   // ShowDCCAddress/ShowXDCCAddress/ShowSerialAddress
  std::function<void()> onShowPinConfig;      // ShowPinConfig
  std::function<void()> onCommitConfigBoxes;  // the pin configuration boxes of the selected tab
  std::function<void(bool details, bool expert)> onDetailsApplied;
  // Runs a modal dialog (exec() in the window; tests answer it directly).
  std::function<void(QDialog&)> runDialog;

 private:
  void testAspect(TestKeys keys);
  void build();
  void applyDetails();
  void validatePar(int k, int row);
  void parDoubleClicked(int k, int row);
  void openTimeTool(int row);
  void validateOutput();
  void validateAspect();
  void validateInit();
  void validateCount(int kind);
  void showDeviceReference();
  void pinChanged();
  void openEditDialog(QDialog& d, bool pinDialog);
  void openPinDialog();
  void openAspectDialog();
  void openStepDialog(int row);
  void showHeadings();
  QString shownPin() const;
  // Where an edit was made, for its step in the history: "pin 5", "pin 5 aspect 0 step 2".
  std::string place(int row = -1, bool aspect = false) const;
  void showDialog(QDialog& d);
  int rowsOfLayout() const;

  Session& s_;
  JobRequester requestJob_;
  bool expert_ = false;
  bool filling_ = false;
  bool oneStep_ = false;  // a help tool fills several boxes: one step for all of them
  int layout_ = 0;
  int selectedStep_ = 0;
  int focusRow_ = -1;  // step row holding the focus, -1 when none

  ClickLabel* labelOutput_;
  ValidatedEdit* output_;
  UpDown* outputSpin_;
  QLineEdit* desc_;
  ValidatedEdit* devicePin_;
  QLineEdit* deviceDesc_;
  QLabel* adrCntHeading_;
  std::array<ValidatedEdit*, 3> count_{};
  std::array<UpDown*, 3> countSpin_{};
  QLabel* nrOfAspects_;
  std::array<QRadioButton*, 3> layoutOption_{};
  QButtonGroup* layoutGroup_;
  ClickLabel* labelAspect_;
  ValidatedEdit* aspect_;
  UpDown* aspectSpin_;
  QLineEdit* aspectDesc_;
  QLabel* labelInit_;
  ValidatedEdit* init_;
  UpDown* initSpin_;
  ModifierButton* test_;
  QPushButton* writeAspect_;
  QPushButton* readPin_;
  QPushButton* writePin_;
  QCheckBox* showDetails_;
  QGroupBox* frame_;
  QLabel* hStep_;
  QLabel* hInst_;
  QLabel* hFade_;
  std::array<QLabel*, 4> hPar_{};
  std::array<ClickLabel*, kRows> stepLabel_{};
  std::array<QComboBox*, kRows> inst_{};
  std::array<QCheckBox*, kRows> fade_{};
  std::array<std::array<ValidatedEdit*, kRows>, 4> par_{};  // Par 0, Par 1, Par 2, Base
  std::array<ClickLabel*, kRows> time_{};
  std::array<bool, kRows> rowShown_{};

  TimeToolDialog* timeTool_ = nullptr;
  PatternToolDialog* patternTool_ = nullptr;
  EventToolDialog* eventTool_ = nullptr;
  EditPinDialog* editPin_ = nullptr;
  EditAspectDialog* editAspect_ = nullptr;
  EditStepDialog* editStep_ = nullptr;
};

}  // namespace vorn
