#include "ui/EditDialogs.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "link/Prompter.h"

namespace vorn {

namespace {

constexpr int kEditedSteps = 9;  // step 9 is never touched by these tools

QPushButton* AddButton(QDialog* d, QVBoxLayout* lay, const char* name, const char* text) {
  auto* b = new QPushButton(text, d);
  b->setObjectName(name);
  lay->addWidget(b);
  return b;
}

}  // namespace

void PastePin(ConfigModel& m, int cur, const PinData& clip, int sourcePin) {
  m.ClearDevice(cur);
  PinData& p = m.pin(cur);
  p = clip;
  // A member keeps pointing at the same device pin.
  if (p.DevicePointer != 0) p.DevicePointer = static_cast<int16_t>(p.DevicePointer + sourcePin - cur);
}

void ClearPin(ConfigModel& m, int cur) {
  m.ClearDevice(cur);
  PinData& p = m.pin(cur);
  p.Description.clear();
  p.DeviceName.clear();
  p.InitAspect = 0;
  p.AspectConfig = 0;
  p.DevicePointer = 0;
  p.PinConfig.fill(0);
  for (AspectData& a : p.Aspects) ClearAspect(a);
}

void ClearAspect(AspectData& a) {
  a.Description.clear();
  for (int i = 0; i < kEditedSteps; ++i) a.Instr[static_cast<size_t>(i)] = Instruction{};
}

void CleanupAspect(AspectData& a) {
  a.Description.clear();
  bool ended = false;
  for (int i = 0; i < kEditedSteps; ++i) {
    Instruction& in = a.Instr[static_cast<size_t>(i)];
    if (ended) {
      in = Instruction{};
    } else if (in.Opcode == 0) {
      in = Instruction{};
      ended = true;
    }
  }
}

int LastStepOfLayout(uint8_t aspectConfig) { return aspectConfig == kLayout4x9 ? 8 : 2; }

void InsertStep(AspectData& a, int step, int last) {
  if (step < 0 || step > last) return;
  for (int i = last - 1; i >= step; --i)
    a.Instr[static_cast<size_t>(i + 1)] = a.Instr[static_cast<size_t>(i)];
  a.Instr[static_cast<size_t>(step)] = Instruction{};
}

void DeleteStep(AspectData& a, int step, int last) {
  if (step < 0 || step > last) return;
  for (int i = step; i < last; ++i) a.Instr[static_cast<size_t>(i)] = a.Instr[static_cast<size_t>(i + 1)];
  a.Instr[static_cast<size_t>(last)] = Instruction{};
}

EditPinDialog::EditPinDialog(ConfigModel& m, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_(m), prompter_(prompter) {
  setObjectName("dlgEditPin");
  setWindowTitle("Edit Pin");
  auto* lay = new QVBoxLayout(this);
  connect(AddButton(this, lay, "CommandCopyPin", "Copy Pin"), &QPushButton::clicked, this, [this] {
    clip_ = m_.pin(m_.CurPin);
    sourcePin_ = m_.CurPin;
    hasContent_ = true;
    accept();
  });
  connect(AddButton(this, lay, "CommandPastePin", "Paste Pin"), &QPushButton::clicked, this, [this] {
    if (!hasContent_) {
      prompter_.message("Nothing to Paste");
      return;
    }
    PastePin(m_, m_.CurPin, clip_, sourcePin_);
    setProperty("edit", "paste onto");
    accept();
  });
  connect(AddButton(this, lay, "CommandClearPin", "Clear Pin"), &QPushButton::clicked, this, [this] {
    ClearPin(m_, m_.CurPin);
    setProperty("edit", "clear");
    accept();
  });
  connect(AddButton(this, lay, "commandCancel", "Cancel"), &QPushButton::clicked, this, &QDialog::reject);
}

EditAspectDialog::EditAspectDialog(ConfigModel& m, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_(m), prompter_(prompter) {
  setObjectName("dlgEditAspect");
  setWindowTitle("Edit Aspect");
  auto* lay = new QVBoxLayout(this);
  connect(AddButton(this, lay, "CommandCopy", "Copy Aspect"), &QPushButton::clicked, this, [this] {
    clip_ = m_.aspect(m_.CurPin, m_.CurAspect);
    hasContent_ = true;
    accept();
  });
  connect(AddButton(this, lay, "CommandPaste", "Paste Aspect"), &QPushButton::clicked, this, [this] {
    if (!hasContent_) {
      prompter_.message("Nothing to Paste");
      return;
    }
    m_.aspect(m_.CurPin, m_.CurAspect) = clip_;
    setProperty("edit", "paste onto");
    accept();
  });
  connect(AddButton(this, lay, "CommandClear", "Clear Aspect"), &QPushButton::clicked, this, [this] {
    ClearAspect(m_.aspect(m_.CurPin, m_.CurAspect));
    setProperty("edit", "clear");
    accept();
  });
  connect(AddButton(this, lay, "CommandClean", "Cleanup Aspect"), &QPushButton::clicked, this, [this] {
    CleanupAspect(m_.aspect(m_.CurPin, m_.CurAspect));
    setProperty("edit", "clean up");
    accept();
  });
  connect(AddButton(this, lay, "commandCancel", "Cancel"), &QPushButton::clicked, this, &QDialog::reject);
}

EditStepDialog::EditStepDialog(ConfigModel& m, QWidget* parent) : QDialog(parent), m_(m) {
  setObjectName("dlgEditStep");
  setWindowTitle("Edit Step");
  auto* lay = new QVBoxLayout(this);
  connect(AddButton(this, lay, "commandInsert", "Insert Step"), &QPushButton::clicked, this, [this] {
    InsertStep(m_.aspect(m_.CurPin, m_.CurAspect), selected_,
               LastStepOfLayout(m_.pin(m_.CurPin).AspectConfig));
    setProperty("edit", "insert a step at");
    accept();
  });
  connect(AddButton(this, lay, "commandDelete", "Delete Step"), &QPushButton::clicked, this, [this] {
    DeleteStep(m_.aspect(m_.CurPin, m_.CurAspect), selected_,
               LastStepOfLayout(m_.pin(m_.CurPin).AspectConfig));
    setProperty("edit", "delete");
    accept();
  });
  connect(AddButton(this, lay, "commandCancel", "Cancel"), &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace vorn
