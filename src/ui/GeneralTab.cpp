#include "ui/GeneralTab.h"

#include <memory>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/Addresses.h"
#include "model/GeneralSettingsRules.h"
#include "operations/General.h"
#include "operations/Session.h"
#include "ui/BoxText.h"
#include "ui/CodePage1252.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/Readable.h"

namespace vorn {

namespace {

constexpr int kNoneBox = 7;  // "Idle Flash" / "All Received Datagrams"

template <class W>
W* named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

Qt::CheckState checkState(TriState t) {
  switch (t) {
    case TriState::Checked: return Qt::Checked;
    case TriState::Grey: return Qt::PartiallyChecked;
    case TriState::Unchecked: break;
  }
  return Qt::Unchecked;
}

QWidget* buttonRow(std::initializer_list<QWidget*> buttons) {
  auto* w = new QWidget;
  auto* lay = new QHBoxLayout(w);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addStretch(1);
  for (QWidget* b : buttons) lay->addWidget(b);
  return w;
}

// Several groups have a "Read Settings" and a "Write Settings": each is also named by its group.
void nameByGroup(std::initializer_list<QPushButton*> buttons, const QString& group) {
  for (QPushButton* b : buttons) b->setAccessibleName(b->text() + ", " + group);
}

QHBoxLayout* boxWithSpinner(QWidget* box, QWidget* spinner) {
  auto* lay = new QHBoxLayout;
  lay->setSpacing(0);
  lay->addWidget(box);
  lay->addWidget(spinner);
  lay->addStretch(1);
  return lay;
}

}  // namespace

QPushButton* GeneralTab::button(const QString& name, const QString& caption) {
  auto* b = named(new QPushButton(caption, this), name);
  connect(b, &QPushButton::clicked, this, [this, name] {
    auto it = routines_.find(name);
    if (it != routines_.end() && it->second.routine)
      s_.device(it->second.routine, it->second.done, it->second.what);
  });
  return b;
}

void GeneralTab::setRoutine(const QString& buttonName, Routine r, std::function<void()> done,
                            const std::string& what) {
  routines_[buttonName] = {std::move(r), std::move(done), what};
}

GeneralTab::GeneralTab(Session& s, QWidget* parent) : QWidget(parent), s_(s) {
  // ---- Firmware and identity
  auto* fwBox = new QGroupBox("Firmware", this);
  auto* fwLay = new QGridLayout(fwBox);
  fwLay->addWidget(new QLabel("Firmware Version:"), 0, 0);
  version_ = named(new QLabel("Unknown", fwBox), "LabelGenVersionString");
  version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  version_->setAccessibleDescription("Firmware Version");  // read out as text: the version itself
  fwLay->addWidget(version_, 0, 1);
  fwLay->addWidget(button("CommandGenVersion", "Request Version"), 0, 2);
  auto* idLabel = new QLabel("ID String");
  fwLay->addWidget(idLabel, 1, 0);
  idString_ = named(new QLineEdit(fwBox), "TextGenIDString");
  NameBox(idLabel, idString_, 'I');
  fwLay->addWidget(idString_, 1, 1);
  fwLay->addWidget(
      buttonRow({button("CommandGenIDRead", "Read String"), button("CommandGenIDWrite", "Write String")}), 1,
      2);
  fwLay->setColumnStretch(1, 1);

  // ---- DCC
  auto* dccBox = new QGroupBox("DCC", this);
  auto* dccLay = new QGridLayout(dccBox);
  auto* dccLabel = new QLabel("Basic Decoder Addr");
  dccLay->addWidget(dccLabel, 0, 0);
  dccAddress_ = new ValidatedEdit("TextGenDCCAddress", dccBox);
  NameBox(dccLabel, dccAddress_, 'B');
  dccAddress_->setMaximumWidth(64);
  upDownDCC_ = new UpDown("UpDownGenDCCAddress", dccAddress_, 0, 510, dccBox);
  dccLay->addLayout(boxWithSpinner(dccAddress_, upDownDCC_), 0, 1);
  dccOutput_ = named(new QLabel(dccBox), "LabelGenDCCOutput");
  dccLay->addWidget(dccOutput_, 0, 2);
  auto* xdccLabel = new QLabel("Extended Dec. Addr");
  dccLay->addWidget(xdccLabel, 1, 0);
  xdccAddress_ = new ValidatedEdit("TextGenXDCCAddress", dccBox);
  NameBox(xdccLabel, xdccAddress_, 'E');
  xdccAddress_->setMaximumWidth(64);
  upDownXDCC_ = new UpDown("UpDownGenXDCCAddress", xdccAddress_, 0, 2046, dccBox);
  dccLay->addLayout(boxWithSpinner(xdccAddress_, upDownXDCC_), 1, 1);
  xdccOutput_ = named(new QLabel(dccBox), "LabelGenXDCCOutput");
  dccLay->addWidget(xdccOutput_, 1, 2);
  auto* prpBox = new QGroupBox("Packet Retention", dccBox);
  auto* prpLay = new QHBoxLayout(prpBox);
  retention_ = new QButtonGroup(this);
  const char* prp[4] = {"62.5ms", "125ms", "250ms", "500ms"};
  for (int i = 0; i < 4; ++i) {
    auto* r = named(new QRadioButton(prp[i], prpBox), QString("OptGenDCC_PRP_%1").arg(i));
    r->setAccessibleName(QString("Packet Retention ") + prp[i]);
    retention_->addButton(r, i);
    prpLay->addWidget(r);
  }
  dccLay->addWidget(prpBox, 2, 0, 1, 3);
  bpsi_ = named(new QCheckBox("Basic Packet State Invert", dccBox), "ChkGenDCC_BPSI");
  allow0_ = named(new QCheckBox("Allow Address 0", dccBox), "ChkGenDCCAllow0");
  dccLay->addWidget(bpsi_, 3, 0, 1, 2);
  dccLay->addWidget(allow0_, 3, 2);
  auto* dccRead = button("CommandGenDCCRead", "Read Settings");
  auto* dccWrite = button("CommandGenDCCWrite", "Write Settings");
  nameByGroup({dccRead, dccWrite}, "DCC");
  dccLay->addWidget(buttonRow({dccRead, dccWrite}), 4, 0, 1, 3);

  // ---- Module addressing (extended address, group mask, Palk flexible addressing)
  auto* addrBox = new QGroupBox("Module Addressing", this);
  auto* addrLay = new QGridLayout(addrBox);
  auto* genXaddrLabel = new QLabel("Module eXtended Address");
  addrLay->addWidget(genXaddrLabel, 0, 0, 1, 6);
  genXaddr_ = new ValidatedEdit("TextGenXaddr", addrBox);
  NameBox(genXaddrLabel, genXaddr_, 'A');
  genXaddr_->setMaximumWidth(56);
  upDownGenXaddr_ = new UpDown("UpDownGenXaddr", genXaddr_, 0, 95, addrBox);
  addrLay->addLayout(boxWithSpinner(genXaddr_, upDownGenXaddr_), 0, 6, 1, 10);
  auto* xgmLabel = new QLabel("eXt Group Mask");
  addrLay->addWidget(xgmLabel, 1, 0, 1, 16);
  for (int i = 0; i < 16; ++i) {
    auto* col = new QLabel(QString::number(i), addrBox);
    col->setAlignment(Qt::AlignHCenter);
    addrLay->addWidget(col, 2, i);
    xgm_[static_cast<size_t>(i)] = named(new QCheckBox(addrBox), QString("CheckGenXGM_%1").arg(i));
    addrLay->addWidget(xgm_[static_cast<size_t>(i)], 3, i, Qt::AlignHCenter);
    xgm_[static_cast<size_t>(i)]->setAccessibleName(QString("eXt Group Mask %1").arg(i));
  }
  xgmLabel->setBuddy(xgm_[0]);
  xgmLabel->setText("eXt &Group Mask");
  auto* palkLabel = new QLabel("Palk Flex-Address Start");
  addrLay->addWidget(palkLabel, 4, 0, 1, 6);
  palkEnable_ = named(new QCheckBox("Enable", addrBox), "CheckGenPalkaddr");
  palkEnable_->setAccessibleName("Enable, Palk Flex-Address");
  palkStart_ = new ValidatedEdit("TextGenPalkaddr", addrBox);
  NameBox(palkLabel, palkStart_, 'S');
  palkStart_->setMaximumWidth(56);
  upDownPalk_ = new UpDown("UpDownGenPalkaddr", nullptr, 0, kPalkFlexStartMax, addrBox);
  auto* palkRow = boxWithSpinner(palkStart_, upDownPalk_);
  palkRow->insertWidget(0, palkEnable_);
  addrLay->addLayout(palkRow, 4, 6, 1, 10);
  auto* addrRead = button("CommandGenAddrRead", "Read Settings");
  auto* addrWrite = button("CommandGenAddrWrite", "Write Settings");
  nameByGroup({addrRead, addrWrite}, "Module Addressing");
  addrLay->addWidget(buttonRow({addrRead, addrWrite}), 5, 0, 1, 16);
  addrLay->setRowStretch(6, 1);

  // ---- LED control
  auto* ledBox = new QGroupBox("LED Control", this);
  auto* ledLay = new QGridLayout(ledBox);
  const char* greenCaps[8] = {"Basic DCC Packet", "eXtd DCC Packet", "Palk Message", "Vorn Message",
                              "Green 4",          "Green 5",         "Green 6",      "Idle Flash"};
  const char* orangeCaps[8] = {"DCC Checksum Error", "Orange 1", "Orange 2", "Orange 3",
                               "Orange 4",           "Orange 5", "Orange 6", "All Received Datagrams"};
  // Green and orange each a box of their own: Tab goes through the greens, then the oranges.
  auto* greenBox = new QGroupBox("Green", ledBox);
  auto* orangeBox = new QGroupBox("Orange", ledBox);
  auto* greenLay = new QVBoxLayout(greenBox);
  auto* orangeLay = new QVBoxLayout(orangeBox);
  ledLay->addWidget(greenBox, 0, 0);
  ledLay->addWidget(orangeBox, 0, 1);
  for (int i = 0; i < 8; ++i) {
    auto* g = named(new QCheckBox(greenCaps[i], greenBox), QString("CheckLCGreen_%1").arg(i));
    green_[static_cast<size_t>(i)] = g;
    greenLay->addWidget(g);
    connect(g, &QCheckBox::clicked, this, [this, i](bool) {
      ClickLEDBox(s_.general.LCGreen, i, green_[static_cast<size_t>(i)]->checkState() != Qt::Unchecked);
      drawLeds();
    });
  }
  for (int i = 0; i < 8; ++i) {
    auto* o = named(new QCheckBox(orangeCaps[i], orangeBox), QString("CheckLCOrange_%1").arg(i));
    orange_[static_cast<size_t>(i)] = o;
    orangeLay->addWidget(o);
    connect(o, &QCheckBox::clicked, this, [this, i](bool) {
      ClickLEDBox(s_.general.LCOrange, i, orange_[static_cast<size_t>(i)]->checkState() != Qt::Unchecked);
      drawLeds();
    });
  }
  green_[kNoneBox]->setTristate(true);
  orange_[kNoneBox]->setTristate(true);
  auto* ledRead = button("CommandLCRead", "Read Settings");
  auto* ledWrite = button("CommandLCWrite", "Write Settings");
  nameByGroup({ledRead, ledWrite}, "LED Control");
  ledLay->addWidget(buttonRow({ledRead, ledWrite}), 1, 0, 1, 2);
  ledLay->setRowStretch(2, 1);

  // ---- Hardware configuration
  auto* hwcBox = new QGroupBox("Hardware Configuration", this);
  auto* hwcLay = new QGridLayout(hwcBox);
  hwcPin_ = named(new QLabel(hwcBox), "LabelGenHWCPin");
  hwcPin_->setVisible(false);  // the caption text is kept; the columns below carry it readably
  // A row per group of eight pins, so that Tab takes a group's two boxes together.
  for (int i = 0; i < 4; ++i) {
    auto* head = named(new QLabel(hwcBox), QString("LabelGenHWCGroup_%1").arg(i));
    hwcLay->addWidget(head, i, 0);
    sink_[static_cast<size_t>(i)] =
        named(new QCheckBox("Sink Driver", hwcBox), QString("ChkGenHWCSink_%1").arg(i));
    source_[static_cast<size_t>(i)] =
        named(new QCheckBox("Source Driver", hwcBox), QString("ChkGenHWCSource_%1").arg(i));
    hwcLay->addWidget(sink_[static_cast<size_t>(i)], i, 1);
    hwcLay->addWidget(source_[static_cast<size_t>(i)], i, 2);
    connect(sink_[static_cast<size_t>(i)], &QCheckBox::clicked, this, [this, i](bool on) {
      s_.general.HWCSink[static_cast<size_t>(i)] = on;
      emit driversChanged();
    });
    connect(source_[static_cast<size_t>(i)], &QCheckBox::clicked, this, [this, i](bool on) {
      s_.general.HWCSource[static_cast<size_t>(i)] = on;
      emit driversChanged();
    });
  }
  hwcLay->addWidget(hwcPin_, 4, 0, 1, 3);
  hwcLay->addWidget(
      buttonRow({button("CommandGenHWCRead", "Read Config"), button("CommandGenHWCWrite", "Write Config")}),
      5, 0, 1, 3);

  // ---- Device serial port
  auto* serBox = new QGroupBox("Serial Port", this);
  auto* serLay = new QGridLayout(serBox);
  serialEnable_ = named(new QCheckBox("Enable", serBox), "CheckGenSerialEnable");
  serialEnable_->setAccessibleName("Enable, Serial Port");
  serLay->addWidget(serialEnable_, 0, 0, 1, 2);
  auto* baudLabel = new QLabel("Baud rate", serBox);
  serLay->addWidget(baudLabel, 1, 0);
  baud_ = named(new QComboBox(serBox), "ComboGenBaud");
  baud_->addItems({"9600", "14400", "19200", "28800", "38400", "57600", "76800", "115200"});
  serLay->addWidget(baud_, 1, 1);
  NameBox(baudLabel, baud_, 'u');
  auto optionRow = [&](const QString& title, const QString& name,
                       std::initializer_list<std::pair<int, const char*>> opts, int row, char letter) {
    auto* group = new QButtonGroup(this);
    auto* label = new QLabel(title);
    serLay->addWidget(label, row, 0);
    auto* lay = new QHBoxLayout;
    for (const auto& [id, cap] : opts) {
      auto* r = named(new QRadioButton(cap, serBox), QString("%1_%2").arg(name).arg(id));
      r->setAccessibleName(title + " " + cap);
      if (!label->buddy()) {
        label->setBuddy(r);
        label->setText(QString(title).insert(title.indexOf(QChar(letter)), '&'));
      }
      group->addButton(r, id);
      lay->addWidget(r);
    }
    lay->addStretch(1);
    serLay->addLayout(lay, row, 1);
    return group;
  };
  dataBits_ = optionRow("Data bits", "OptionGenSerialDatabits", {{0, "7"}, {1, "8"}}, 2, 't');
  parity_ = optionRow("Parity", "OptionGenSerialParity", {{0, "No"}, {2, "Even"}, {3, "Odd"}}, 3, 'r');
  stopBits_ = optionRow("Stop bits", "OptionGenSerialStop", {{0, "1"}, {1, "2"}}, 4, 'o');
  auto* serRead = button("CommandGenSerialRead", "Read Settings");
  auto* serWrite = button("CommandGenSerialWrite", "Write Settings");
  nameByGroup({serRead, serWrite}, "Serial Port");
  serLay->addWidget(buttonRow({serRead, serWrite}), 5, 0, 1, 2);

  auto* erase = button("CommandGenEraseFlash", "Erase Flash");

  auto* grid = new QGridLayout(this);
  grid->addWidget(fwBox, 0, 0);
  grid->addWidget(dccBox, 1, 0);
  grid->addWidget(hwcBox, 2, 0);
  grid->addWidget(addrBox, 0, 1, 2, 1);
  grid->addWidget(serBox, 2, 1);
  grid->addWidget(ledBox, 0, 2, 3, 1);
  grid->addWidget(buttonRow({erase}), 3, 2);
  grid->setRowStretch(4, 1);

  // ---- Field handlers
  GuardCodePageBox(idString_, s_.prompter());
  connect(idString_, &QLineEdit::textEdited, this, [this](const QString& t) {
    s_.general.IDString = ToCodePageBytes(t);
    idString_->setStyleSheet(QString());
    idString_->setProperty("refused", false);
  });
  connect(dccAddress_, &ValidatedEdit::validate, this, &GeneralTab::enterDCCAddress);
  connect(upDownDCC_, &UpDown::stepped, this, [this](int) { enterDCCAddress(); });
  connect(xdccAddress_, &ValidatedEdit::validate, this, &GeneralTab::enterXDCCAddress);
  connect(upDownXDCC_, &UpDown::stepped, this, [this](int) { enterXDCCAddress(); });
  connect(retention_, &QButtonGroup::idClicked, this,
          [this](int id) { s_.general.DCCRetention = static_cast<uint8_t>(id); });
  connect(bpsi_, &QCheckBox::clicked, this, [this](bool on) { s_.general.DCCStateInvert = on; });
  connect(allow0_, &QCheckBox::clicked, this, [this](bool on) {
    ClickDCCAllow0(s_.general, on);
    refresh();
    emit addressesChanged();
  });
  connect(genXaddr_, &ValidatedEdit::validate, this, &GeneralTab::enterModuleExtAddress);
  connect(upDownGenXaddr_, &UpDown::stepped, this, [this](int) { enterModuleExtAddress(); });
  for (int i = 0; i < 16; ++i)
    connect(xgm_[static_cast<size_t>(i)], &QCheckBox::clicked, this,
            [this, i](bool on) { s_.general.XGM[static_cast<size_t>(i)] = on; });
  connect(palkEnable_, &QCheckBox::clicked, this, &GeneralTab::palkEnableClicked);
  connect(palkStart_, &ValidatedEdit::validate, this, &GeneralTab::enterPalkStart);
  connect(upDownPalk_, &UpDown::stepped, this, [this](int v) {
    // The spinner counts PalkFlexStart itself; the box shows the first address.
    if (v == s_.model.PalkFlexStart) return;  // at a bound already
    SetBoxNumber(palkStart_, StepPalkFlexStart(s_.model, v > s_.model.PalkFlexStart));
    upDownPalk_->setValueQuietly(s_.model.PalkFlexStart);
    emit addressesChanged();
  });
  connect(serialEnable_, &QCheckBox::clicked, this, [this](bool on) { s_.general.SerialEnable = on; });
  connect(baud_, &QComboBox::activated, this,
          [this](int i) { s_.general.SerialBaudIndex = static_cast<uint8_t>(i); });
  connect(dataBits_, &QButtonGroup::idClicked, this,
          [this](int id) { s_.general.SerialDataBits = static_cast<uint8_t>(id); });
  connect(parity_, &QButtonGroup::idClicked, this,
          [this](int id) { s_.general.SerialParity = static_cast<uint8_t>(id); });
  connect(stopBits_, &QButtonGroup::idClicked, this,
          [this](int id) { s_.general.SerialStop = static_cast<uint8_t>(id); });

  const struct {
    const char* button;
    bool (*routine)(Session&);
    const char* what;  // for the status line: "<what> read" / "<what> written"
    bool read;
  } routines[] = {{"CommandGenVersion", &ReadGenVersion, "Firmware version", true},
                  {"CommandGenIDRead", &ReadGenID, "ID String", true},
                  {"CommandGenIDWrite", &WriteGenID, "ID String", false},
                  {"CommandGenHWCRead", &ReadGenHWC, "Hardware configuration", true},
                  {"CommandGenHWCWrite", &WriteGenHWC, "Hardware configuration", false},
                  {"CommandGenDCCRead", &ReadGenDCC, "DCC settings", true},
                  {"CommandGenDCCWrite", &WriteGenDCC, "DCC settings", false},
                  {"CommandGenAddrRead", &ReadGenAddr, "Module addressing", true},
                  {"CommandGenAddrWrite", &WriteGenAddr, "Module addressing", false},
                  {"CommandLCRead", &ReadLC, "LED control", true},
                  {"CommandLCWrite", &WriteLC, "LED control", false},
                  {"CommandGenSerialRead", &ReadGenSerial, "Serial port settings", true},
                  {"CommandGenSerialWrite", &WriteGenSerial, "Serial port settings", false}};
  for (const auto& r : routines) {
    auto ok = std::make_shared<bool>(false);
    const QString what = r.what;
    const bool read = r.read;
    // The tab is redrawn also where a routine left a value unchanged, e.g. a cut identity string.
    setRoutine(
        r.button, [fn = r.routine, ok](Session& session) { *ok = fn(session); },
        [this, ok, what, read] {
          refresh();
          emit status(what +
                      (*ok ? (read ? " read" : " written") : (read ? ": read failed" : ": write failed")));
        },
        r.what);
  }
  enum class Erase { NoPort, Cancelled, Sent, Failed };
  auto erased = std::make_shared<Erase>(Erase::NoPort);
  setRoutine(
      "CommandGenEraseFlash",
      [erased](Session& session) {
        const bool open = session.link.isOpen();
        const int before = session.exchanges();
        const bool sent = EraseFlash(session);
        *erased = !open                          ? Erase::NoPort
                  : sent                         ? Erase::Sent
                  : session.exchanges() > before ? Erase::Failed
                                                 : Erase::Cancelled;
      },
      [this, erased] {
        switch (*erased) {
          case Erase::Sent: emit status(QString::fromUtf8(kEraseSentText)); break;
          case Erase::Cancelled: emit status("Erase Flash cancelled: nothing was sent"); break;
          case Erase::Failed: emit status("Erase Flash failed"); break;
          case Erase::NoPort: emit status("Erase Flash: no port selected; nothing was sent"); break;
        }
      });

  trackEdits();
  refresh();
}

// Every setting's handler above has changed the settings by the time these run (they are
// connected later): each click, choice or box visit is one step, named after its box.
void GeneralTab::trackEdits() {
  auto step = [this](QWidget* w) {
    QString name = w->accessibleName();
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && name.isEmpty()) name = b->text().remove('&');
    s_.edited("general setting " + name.toStdString());
  };
  for (QCheckBox* c : findChildren<QCheckBox*>())
    connect(c, &QCheckBox::clicked, this, [step, c] { step(c); });
  for (QButtonGroup* g : findChildren<QButtonGroup*>())
    connect(g, &QButtonGroup::idClicked, this, [step, g](int id) { step(g->button(id)); });
  for (ValidatedEdit* e : findChildren<ValidatedEdit*>())
    connect(e, &ValidatedEdit::validate, this, [step, e] { step(e); });
  for (auto [spin, box] : {std::pair{upDownDCC_, dccAddress_}, std::pair{upDownXDCC_, xdccAddress_},
                           std::pair{upDownGenXaddr_, genXaddr_}, std::pair{upDownPalk_, palkStart_}})
    connect(spin, &UpDown::stepped, this, [step, box = box] { step(box); });
  connect(baud_, &QComboBox::activated, this, [step, this] { step(baud_); });
  connect(idString_, &QLineEdit::editingFinished, this, [step, this] { step(idString_); });
}

void GeneralTab::enterDCCAddress() {
  SetBoxNumber(dccAddress_, EnterDCCAddress(s_.general, BoxValue(dccAddress_->text())));
  upDownDCC_->setValueQuietly(s_.general.DCCAddress);
  showRanges();
  emit addressesChanged();
}

void GeneralTab::enterXDCCAddress() {
  SetBoxNumber(xdccAddress_, EnterXDCCAddress(s_.general, BoxValue(xdccAddress_->text())));
  upDownXDCC_->setValueQuietly(s_.general.XDCCAddress);
  showRanges();
  emit addressesChanged();
}

void GeneralTab::enterModuleExtAddress() {
  SetBoxNumber(genXaddr_,
               EnterModuleExtAddress(s_.general, BoxValue(genXaddr_->text()), s_.model.NumberBase));
}

void GeneralTab::enterPalkStart() {
  SetBoxNumber(palkStart_, EnterPalkFlexStart(s_.model, BoxValue(palkStart_->text())));
  upDownPalk_->setValueQuietly(s_.model.PalkFlexStart);
  emit addressesChanged();
}

void GeneralTab::palkEnableClicked(bool checked) {
  const bool on = ClickPalkFlex(s_.general, checked, s_.model.QuietUpdate, [this](const std::string& text) {
    return s_.prompter().askOkCancel(text, Icon::Warning);
  });
  palkEnable_->setChecked(on);
  emit addressesChanged();
}

void GeneralTab::showRanges() {
  auto draw = [this](QLabel* label, const RangeLabel& r) {
    label->setText(QString::fromStdString(r.Text));
    SetWarningText(label, r.Overflow ? std::optional<QColor>(Qt::red) : std::nullopt);
  };
  draw(dccOutput_, ShowDCCRange(s_.model, s_.general));
  draw(xdccOutput_, ShowXDCCRange(s_.model, s_.general));
}

void GeneralTab::drawLeds() {
  for (size_t i = 0; i < 8; ++i) {
    green_[i]->setCheckState(checkState(s_.general.LCGreen[i]));
    orange_[i]->setCheckState(checkState(s_.general.LCOrange[i]));
  }
}

void GeneralTab::markIDString(int position) {
  idString_->setStyleSheet("QLineEdit { background: #ffc8c8; }");
  idString_->setProperty("refused", true);
  idString_->setFocus();  // a box without the focus shows no selection
  idString_->setSelection(position - 1, 1);
}

void GeneralTab::refresh() {
  const GeneralSettings& g = s_.general;
  const int n = s_.model.NumberBase;
  version_->setText(QString::fromStdString(g.VersionText));
  const QString id = FromCodePage(g.IDString);
  if (idString_->text() != id) idString_->setText(id);
  const QString hwc = QString::fromStdString(std::string(HWCPinCaption(n)));
  hwcPin_->setText(hwc);
  for (int i = 0; i < 4; ++i) {
    const auto k = static_cast<size_t>(i);
    sink_[k]->setChecked(g.HWCSink[k]);
    source_[k]->setChecked(g.HWCSource[k]);
    const QString pins = QString("Pin %1..%2").arg(8 * i + n).arg(8 * i + 7 + n);
    findChild<QLabel*>(QString("LabelGenHWCGroup_%1").arg(i))->setText("<b>" + pins + "</b>");
    sink_[k]->setAccessibleName("Sink Driver, " + pins);
    source_[k]->setAccessibleName("Source Driver, " + pins);
  }
  const NumberingRanges r = NumberingRangesFor(n);
  upDownGenXaddr_->setRange(r.GenXaddr.Min, r.GenXaddr.Max);
  SetBoxNumber(genXaddr_, g.ModuleExtAddress + n);
  upDownGenXaddr_->setValueQuietly(g.ModuleExtAddress + n);
  for (size_t i = 0; i < 16; ++i) xgm_[i]->setChecked(g.XGM[i]);
  SetBoxNumber(dccAddress_, g.DCCAddress);
  upDownDCC_->setValueQuietly(g.DCCAddress);
  SetBoxNumber(xdccAddress_, g.XDCCAddress);
  upDownXDCC_->setValueQuietly(g.XDCCAddress);
  if (auto* b = retention_->button(g.DCCRetention % 4)) b->setChecked(true);
  bpsi_->setChecked(g.DCCStateInvert);
  allow0_->setChecked(g.DCCAllow0);
  drawLeds();
  palkEnable_->setChecked(g.PalkFlexEnabled);
  SetBoxNumber(palkStart_, PalkFlexStartBoxValue(s_.model.PalkFlexStart, n));
  upDownPalk_->setValueQuietly(s_.model.PalkFlexStart);
  serialEnable_->setChecked(g.SerialEnable);
  baud_->setCurrentIndex(g.SerialBaudIndex % 8);
  if (auto* b = dataBits_->button(g.SerialDataBits)) b->setChecked(true);
  if (auto* b = parity_->button(g.SerialParity)) b->setChecked(true);
  if (auto* b = stopBits_->button(g.SerialStop)) b->setChecked(true);
  showRanges();
}

}  // namespace vorn
