#pragma once

#include <QDialog>

#include "model/ConfigModel.h"

namespace vorn {

class Prompter;

// Model side of the copy, paste and step tools (pin `cur` of the model).
void PastePin(ConfigModel& m, int cur, const PinData& clip, int sourcePin);
void ClearPin(ConfigModel& m, int cur);
void ClearAspect(AspectData& a);
void CleanupAspect(AspectData& a);
// Steps taking part in insert/delete: 0..8 for the "4" layout, 0..2 otherwise.
int LastStepOfLayout(uint8_t aspectConfig);
void InsertStep(AspectData& a, int step, int last);
void DeleteStep(AspectData& a, int step, int last);

// Each dialog names the edit it made in its property "edit" ("paste onto", "clear", ...); the
// pin editor adds where and records the step.

// dlgEditPin "Edit Pin": its own clipboard of one pin, kept for the whole run.
class EditPinDialog : public QDialog {
  Q_OBJECT
 public:
  EditPinDialog(ConfigModel& m, Prompter& prompter, QWidget* parent = nullptr);

 private:
  ConfigModel& m_;
  Prompter& prompter_;
  PinData clip_;
  int sourcePin_ = 0;
  bool hasContent_ = false;
};

// dlgEditAspect "Edit Aspect": its own clipboard of one aspect.
class EditAspectDialog : public QDialog {
  Q_OBJECT
 public:
  EditAspectDialog(ConfigModel& m, Prompter& prompter, QWidget* parent = nullptr);

 private:
  ConfigModel& m_;
  Prompter& prompter_;
  AspectData clip_;
  bool hasContent_ = false;
};

// dlgEditStep "Edit Step": insert or delete the selected step of the current aspect.
class EditStepDialog : public QDialog {
  Q_OBJECT
 public:
  EditStepDialog(ConfigModel& m, QWidget* parent = nullptr);
  void setSelectedStep(int s) { selected_ = s; }

 private:
  ConfigModel& m_;
  int selected_ = 0;
};

}  // namespace vorn
