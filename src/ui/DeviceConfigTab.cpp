#include "ui/DeviceConfigTab.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include "model/Addresses.h"
#include "model/ConfigDiff.h"
#include "operations/Session.h"
#include "ui/ChangesDialog.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/PinConfigEditor.h"
#include "ui/PinEditor.h"
#include "ui/PinOverview.h"

namespace vorn {

namespace {

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

}  // namespace

DeviceConfigTab::DeviceConfigTab(Session& s, JobRequester requestJob, QWidget* parent)
    : QWidget(parent), s_(s), requestJob_(std::move(requestJob)) {
  setObjectName("DeviceConfigTab");
  auto* top = new QVBoxLayout(this);

  // Device library.
  auto* lib = new QHBoxLayout;
  cboDevice_ = new QComboBox(this);
  cboDevice_->setObjectName("cboDevice");
  cboDevice_->setEditable(true);
  cboDevice_->setMinimumContentsLength(16);
  cboDevice_->setAccessibleName("Device library");
  auto* preload = new QPushButton("Load Device", this);
  preload->setObjectName("CommandPAspPreLoad");
  auto* reload = new ModifierButton("CommandReloadDD", "Reload DD", this);
  reload->setToolTip("Shift + Click to append a library");
  auto* save = new QPushButton("Save Device", this);
  save->setObjectName("CommandSaveDevice");
  auto* libLabel = MakeLabel("LabelDeviceLibrary", "Device library", this);
  NameBox(libLabel, cboDevice_);
  cboDevice_->lineEdit()->setAccessibleName("Device library");  // where a name is typed
  lib->addWidget(libLabel);
  lib->addWidget(cboDevice_);
  lib->addWidget(preload);
  lib->addWidget(reload);
  lib->addWidget(save);
  lib->addWidget(MakeLabel("LabelDDVersion", "Definitions Loaded:", this));
  lblDDVersion_ = MakeLabel("lblDDVersion", "", this);
  lib->addWidget(lblDDVersion_, 1);
  top->addLayout(lib);
  connect(preload, &QPushButton::clicked, this, [this] { this->preload(); });
  connect(reload, &ModifierButton::leftPressed, this, [this](Qt::KeyboardModifiers mods) {
    // Shift alone appends; any other combination replaces.
    if (library_.Reload(openDeviceDialog, mods == Qt::ShiftModifier, s_.prompter())) showLibrary();
  });
  connect(save, &QPushButton::clicked, this,
          [this] { SaveDevice(s_.model, saveDeviceDialog, s_.prompter()); });
  auto fileDialog = [this](bool saving, const std::string& preset) {
    const QString filter = "Vorn Device Definitions (*.def)";
    const QString name = QString::fromStdString(preset);
    QString path = saving ? QFileDialog::getSaveFileName(this, QString(), name, filter)
                          : QFileDialog::getOpenFileName(this, QString(), name, filter);
    return path.toStdString();
  };
  openDeviceDialog = [fileDialog](const std::string& preset) { return fileDialog(false, preset); };
  saveDeviceDialog = [fileDialog](const std::string& preset) { return fileDialog(true, preset); };

  // Addresses of the current pin and the job buttons.
  auto* mid = new QHBoxLayout;
  auto* adr = new QGroupBox("Pin Addresses", this);
  auto* adrGrid = new QGridLayout(adr);
  adrGrid->addWidget(MakeLabel("LabelDCCAddress", "DCC", adr), 0, 0);
  lblDCC_ = MakeLabel("lblDCCAddress", "-", adr);
  adrGrid->addWidget(lblDCC_, 0, 1);
  adrGrid->addWidget(MakeLabel("LabelXDCCAddress", "Ext. DCC", adr), 1, 0);
  lblXDCC_ = MakeLabel("lblXDCCAddress", "-", adr);
  adrGrid->addWidget(lblXDCC_, 1, 1);
  adrGrid->addWidget(MakeLabel("LabelSerialAddress", "Serial", adr), 2, 0);
  lblSerial_ = MakeLabel("lblSerialAddress", "-", adr);
  adrGrid->addWidget(lblSerial_, 2, 1);
  adrGrid->addWidget(MakeLabel("LabelPinAddress", "Pin Address", adr), 3, 0);
  lblPin_ = MakeLabel("lblPinAddress", "-", adr);
  // The values are read out as text; each says what it is.
  for (auto [value, caption] : {std::pair{lblDCC_, "DCC address"}, std::pair{lblXDCC_, "Ext. DCC address"},
                                std::pair{lblSerial_, "Serial address"}, std::pair{lblPin_, "Pin Address"}})
    value->setAccessibleDescription(caption);
  adrGrid->addWidget(lblPin_, 3, 1);
  mid->addWidget(adr);
  auto* jobs = new QGridLayout;
  struct JobButton {
    const char* name;
    const char* caption;
    const char* job;
  };
  const JobButton buttons[] = {
      {"CommandReadPin", "Read Pin", "ReadPin"},
      {"CommandWritePin", "Write Pin", "WritePin"},
      {"CommandReadDevice", "Read Device", "ReadDevice"},
      {"CommandWriteDevice", "Write Device", "WriteDevice"},
      {"CommandReadAllPins", "Read All Devices", "ReadAllPins"},
      {"CommandWriteAllPins", "Write All Devices", "WriteAllPins"},
      {"CommandVerifyAllPins", "Verify All Pins", "VerifyAllPins"},
  };
  int n = 0;
  for (const JobButton& b : buttons) {
    auto* btn = new QPushButton(b.caption, this);
    btn->setObjectName(b.name);
    jobs->addWidget(btn, n / 2, n % 2);
    ++n;
    const std::string job = b.job;
    connect(btn, &QPushButton::clicked, this, [this, job] {
      if (requestJob_) requestJob_(job);
    });
    // Single-pin transfers and the pin verification are for experts only.
    if (job == "ReadPin" || job == "WritePin" || job == "VerifyAllPins") {
      expertButtons_.push_back(btn);
      btn->hide();
    }
  }
  mid->addLayout(jobs);
  mid->addStretch();
  top->addLayout(mid);

  // The two editors share the current pin; the overview comes first, as it stands left of them.
  overview_ = new PinOverview(s_, this);
  pinEditor_ = new PinEditor(s_, requestJob_, this);
  pinConfig_ = new PinConfigEditor(s_, this);
  // The overview beside the editors; on a narrow screen the user drags it narrower (its table
  // then scrolls) rather than the editors being cut.
  auto* split = split_ = new QSplitter(Qt::Horizontal, this);
  split->setObjectName("SplitPinOverview");
  split->setChildrenCollapsible(false);
  auto* editorsPane = new QWidget(split);
  auto* editors = new QHBoxLayout(editorsPane);
  editors->setContentsMargins(0, 0, 0, 0);
  // The configuration editor keeps one width whatever the pin's kind; the program editor
  // takes the rest. So neither moves when the pin, its kind or the details change.
  editors->addWidget(pinEditor_, 1);
  editors->addWidget(pinConfig_, 0);
  split->addWidget(overview_);
  split->addWidget(editorsPane);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  connect(split, &QSplitter::splitterMoved, this, [this] { splitMoved_ = true; });
  top->addWidget(split, 1);

  // The overview's selection and address columns follow the editor's pin.
  pinEditor_->onAddressesChanged = [this] {
    showAddresses();
    refreshOverview();
  };
  pinEditor_->onShowPinConfig = [this] { pinConfig_->ShowPinConfig(); };
  pinEditor_->onCommitConfigBoxes = [this] { pinConfig_->CommitSelectedTab(); };
  pinEditor_->onDetailsApplied = [this](bool d, bool e) { pinConfig_->applyDetails(d, e); };
  pinConfig_->commitVisibleFields = [this] { pinEditor_->CommitVisibleFields(); };
  pinConfig_->applyDetails(pinEditor_->details(), false);
  overview_->onSelectPin = [this](int pin) {
    s_.model.CurPin = static_cast<uint8_t>(pin);
    refreshAll();
    refreshPinConfig();
  };
  overview_->onShowChanges = [this] { ShowChanges(); };
  overview_->onWriteChanges = [this] { WriteChanges(); };
  changesDialog = [this](const QStringList& lines, bool write) {
    return RunChangesDialog(this, lines, write);
  };

  s_.model.RecalcAllStarts();
  refreshAll();
}

void DeviceConfigTab::setExpertMode(bool on) {
  for (QPushButton* b : expertButtons_) b->setVisible(on);
  pinEditor_->setExpertMode(on);
}

void DeviceConfigTab::showAddresses() {
  ConfigModel& m = s_.model;
  ShowDCCRange(m, s_.general);
  ShowXDCCRange(m, s_.general);
  lblDCC_->setText(QString::fromStdString(DCCAddressText(m)));
  lblXDCC_->setText(QString::fromStdString(XDCCAddressText(m)));
  SerialAddressContext c;
  c.ModuleAddress = s_.link.opts.ModuleAddress;
  c.ExtAddress = s_.link.opts.ExtAddress;
  c.UseExtAddress = s_.link.opts.CheckXaddress;
  c.PalkFlexEnabled = s_.general.PalkFlexEnabled;
  const SerialAddressTexts t = SerialAddressText(m, c);
  lblSerial_->setText(QString::fromStdString(t.Serial));
  lblPin_->setText(QString::fromStdString(t.Pin));
}

void DeviceConfigTab::refreshAll() {
  showAddresses();
  pinEditor_->ShowPinProgram();
  pinEditor_->ShowAddressCounts(pinEditor_->details());
  refreshOverview();
}

void DeviceConfigTab::showCurrentPin() {
  refreshOverview();
  overview_->showCurrentPin();
}

void DeviceConfigTab::refreshOverview() {
  overview_->refresh();
  // The overview as wide as its columns need, until the user drags the divider.
  const QList<int> sizes = split_->sizes();
  const int want = overview_->sizeHint().width();
  if (!splitMoved_ && sizes.size() == 2 && sizes[0] + sizes[1] > want && sizes[0] != want)
    split_->setSizes({want, sizes[0] + sizes[1] - want});
}

namespace {
QStringList ChangeLines(Session& s) {
  QStringList lines;
  for (const ConfigChange& c : s.changesToDevice()) lines << FromModelText(c.text);
  return lines;
}
}  // namespace

void DeviceConfigTab::ShowChanges() {
  if (!s_.deviceAsLastKnown()) return;
  changesDialog(ChangeLines(s_), false);
}

void DeviceConfigTab::WriteChanges() {
  if (!s_.link.isOpen()) return s_.prompter().message(kSelectPort);  // before its question
  if (!s_.deviceAsLastKnown()) return;
  if (changesDialog(ChangeLines(s_), true) && requestJob_) requestJob_("WriteChanges");
}

void DeviceConfigTab::LoadDeviceLibraryAtStart(const std::string& programDir) {
  library_.LoadAtStart(programDir, openDeviceDialog, s_.prompter());
  showLibrary();
}

void DeviceConfigTab::showLibrary() {
  cboDevice_->clear();
  for (const std::string& n : library_.Names) cboDevice_->addItem(FromModelText(n));
  lblDDVersion_->setText(FromModelText(library_.VersionLabel));
}

void DeviceConfigTab::preload() {
  const QString name = cboDevice_->currentText();
  int index = cboDevice_->currentIndex();
  // A name typed over the list is looked up among the entries; unknown names match none.
  if (index < 0 || cboDevice_->itemText(index) != name)
    index = name.isEmpty() ? -1 : cboDevice_->findText(name);
  if (index < 0 && !name.isEmpty()) index = static_cast<int>(library_.Names.size());
  library_.Preload(s_.model, index, ToModelText(name), s_.prompter(), [this] {
    refreshAll();
    refreshPinConfig();
  });
  s_.edited("Load Device " + ToModelText(name) + " at pin " +
            std::to_string(s_.model.CurPin + s_.model.NumberBase));
}

void DeviceConfigTab::refreshPinConfig() { pinConfig_->ShowPinConfig(); }

}  // namespace vorn
