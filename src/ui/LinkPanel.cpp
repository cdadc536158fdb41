#include "ui/LinkPanel.h"

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

#include "link/Kestro.h"
#include "model/Addresses.h"
#include "operations/Session.h"
#include "ui/BoxText.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/Readable.h"
#include "ui/WindowWidgets.h"

namespace vorn {

namespace {

template <class W>
W* named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

}  // namespace

LinkPanel::LinkPanel(Session& s, PortProber prober, QWidget* parent)
    : QWidget(parent), s_(s), prober_(std::move(prober)) {
  auto* labelPort = new PressLabel("LabelPort", "Port:", this);
  labelPort->setToolTip("Double-click to show or hide the bit rate");
  comboPort_ = named(new QComboBox(this), "ComboPort");
  comboPort_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  comboPort_->setMinimumContentsLength(14);
  auto* refreshBtn = named(new QPushButton("Refresh", this), "cmdRefreshComm");

  frameBitrate_ = named(new QGroupBox("Bitrate", this), "FrameBitrate");
  auto* rateLay = new QHBoxLayout(frameBitrate_);
  auto* rateGroup = new QButtonGroup(this);
  const char* rateCaptions[3] = {"  9k6", "19k2", "38k4"};
  for (int i = 0; i < 3; ++i) {
    bitRate_[i] = named(new QRadioButton(rateCaptions[i], frameBitrate_), QString("OptionBitRate_%1").arg(i));
    rateGroup->addButton(bitRate_[i], i);
    rateLay->addWidget(bitRate_[i]);
  }
  bitRate_[1]->setChecked(true);
  frameBitrate_->hide();

  labelAddress_ = named(new QLabel("Module Address", this), "LabelAddress");
  textAddress_ = new ValidatedEdit("TextAddress", this);
  textAddress_->setMaximumWidth(56);
  upDownAddress_ = new UpDown("UpDownAddress", textAddress_, 0, 15, this);
  checkXaddress_ = named(new QCheckBox("Use eXtended Addr", this), "CheckXaddress");
  labelXaddress_ = named(new QLabel("eXtended address", this), "LabelXaddress");
  txtXaddr_ = new ValidatedEdit("txtXaddr", this);
  txtXaddr_->setMaximumWidth(56);
  upDownXaddr_ = new UpDown("UpDownXaddr", txtXaddr_, 0, 95, this);
  checkVornBD_ = named(new QCheckBox("Bidirectional Comm.", this), "CheckVornBD");
  checkKestro_ = named(new QCheckBox("Use Kestro Tunneling", this), "CheckKestro");
  cmdSetTM_ = named(new QPushButton("Activate Transparent Mode", this), "cmdSetTM");
  cmdSetTM_->setToolTip("Switch Lintor or Pardo in Transparant Mode for Vorn Configuration");
  checkKLnumber_ = named(new QCheckBox("Start numbering at 1", this), "CheckKLnumber");
  checkKLnumber_->setChecked(s_.model.NumberBase == 1);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* portRow = new QHBoxLayout;
  portRow->addWidget(labelPort);
  portRow->addWidget(comboPort_, 1);
  portRow->addWidget(refreshBtn);
  portProblems_ = named(new QLabel(this), "lblPortProblems");
  SetWarningText(portProblems_, QColor(0xa0, 0, 0));
  portProblems_->setWordWrap(true);
  portProblems_->hide();
  grid->addLayout(portRow, 0, 0);
  grid->addWidget(frameBitrate_, 1, 0);
  grid->addWidget(portProblems_, 3, 0, 1, -1);
  auto* addrRow = new QHBoxLayout;
  addrRow->addWidget(labelAddress_);
  addrRow->addWidget(textAddress_);
  addrRow->addWidget(upDownAddress_);
  addrRow->addSpacing(12);
  addrRow->addWidget(labelXaddress_);
  addrRow->addWidget(txtXaddr_);
  addrRow->addWidget(upDownXaddr_);
  addrRow->addStretch(1);
  grid->addLayout(addrRow, 2, 0);
  auto* optCol = new QGridLayout;
  optCol->addWidget(checkVornBD_, 0, 0);
  optCol->addWidget(checkXaddress_, 1, 0);
  optCol->addWidget(checkKLnumber_, 2, 0);
  optCol->addWidget(checkKestro_, 0, 1);
  optCol->addWidget(cmdSetTM_, 1, 1);
  grid->addLayout(optCol, 0, 1, 3, 1);
  grid->setColumnStretch(0, 1);

  connect(labelPort, &PressLabel::doubleClicked, this,
          [this] { frameBitrate_->setVisible(frameBitrate_->isHidden()); });
  connect(comboPort_, &QComboBox::activated, this, &LinkPanel::pickPort);
  connect(refreshBtn, &QPushButton::clicked, this,
          [this] { RefreshPortList([this] { emit portChanged(); }); });
  connect(rateGroup, &QButtonGroup::idClicked, this, &LinkPanel::pickBitRate);
  connect(textAddress_, &ValidatedEdit::validate, this, [this] {
    enterModuleAddress(ValidateBox(textAddress_, ModuleAddressBoxRange(s_.model.NumberBase)));
  });
  connect(upDownAddress_, &UpDown::stepped, this, [this](int) {
    enterModuleAddress(ValidateBox(textAddress_, ModuleAddressBoxRange(s_.model.NumberBase)));
  });
  connect(txtXaddr_, &ValidatedEdit::validate, this,
          [this] { enterExtAddress(ValidateBox(txtXaddr_, ExtAddressBoxRange(s_.model.NumberBase))); });
  connect(upDownXaddr_, &UpDown::stepped, this,
          [this](int) { enterExtAddress(ValidateBox(txtXaddr_, ExtAddressBoxRange(s_.model.NumberBase))); });
  connect(checkXaddress_, &QCheckBox::clicked, this, &LinkPanel::xaddressClicked);
  connect(checkVornBD_, &QCheckBox::clicked, this, [this](bool on) { s_.link.opts.CheckVornBD = on; });
  connect(checkKestro_, &QCheckBox::clicked, this, [this](bool on) {
    auto r = std::make_shared<KestroCheckResult>();
    const bool offered = cmdSetTM_->isVisibleTo(this);
    s_.device([r, on, offered](Session& w) { *r = CheckKestroEnable(w.link, on, offered); },
              [this, r] {
                checkKestro_->setChecked(r->checked);
                cmdSetTM_->setVisible(r->setTMVisible);
              });
  });
  connect(cmdSetTM_, &QPushButton::clicked, this, [this] {
    auto sent = std::make_shared<bool>(false);
    s_.device(
        [sent](Session& w) { *sent = SetTransparentMode(w.link); },
        [this, sent] { s_.status(*sent ? "Transparent mode asked for" : "Transparent mode not sent"); });
  });
  connect(checkKLnumber_, &QCheckBox::clicked, this, [this](bool on) {
    s_.model.NumberBase = static_cast<uint8_t>(NumberBaseFor(on));
    emit numberingChanged();
  });

  showXaddress(false);
  refresh();
}

void LinkPanel::RefreshPortList(std::function<void()> then) {
  // Probing opens every candidate: that is device work too.
  auto listing = std::make_shared<PortListing>();
  PortProber probe = prober_;
  s_.device(
      [listing, probe](Session& w) {
        if (w.link.isOpen()) w.link.closePort();
        if (probe) *listing = probe();
      },
      [this, listing, then] {
        showPortList(*listing);
        const size_t n = listing->entries.size();
        s_.status(n == 1 ? "1 port found" : std::to_string(n) + " ports found");
        if (then) then();
      });
}

void LinkPanel::showPortList(const PortListing& listing) {
  comboPort_->clear();
  entries_ = listing.entries;
  // Ports that exist but would not open are named, so a missing permission is not a mystery.
  const QString problems = QString::fromStdString(PortProblemsText(listing.failures));
  portProblems_->setText(problems);
  portProblems_->setToolTip(problems);
  portProblems_->setVisible(!problems.isEmpty());
  for (const PortEntry& e : entries_) comboPort_->addItem(QString::fromStdString(e.text));
  comboPort_->setCurrentIndex(-1);  // nothing picked: the port stays closed
}

void LinkPanel::pickPort(int index) {
  const bool valid = index >= 0 && index < static_cast<int>(entries_.size()) &&
                     PortNumberOfText(entries_[static_cast<size_t>(index)].text) > 0;
  const PortEntry e = valid ? entries_[static_cast<size_t>(index)] : PortEntry{};
  auto opened = std::make_shared<bool>(false);
  s_.device(
      [valid, e, opened](Session& w) {
        if (w.link.isOpen()) w.link.closePort();
        if (valid) *opened = w.link.openDevice(e.path);
      },
      [this, valid, e, opened] {
        if (!valid) return;
        if (*opened) s_.status("Port " + std::to_string(e.number) + " (" + e.path + ") opened");
        if (!*opened) sayCannotOpen(e);
        emit portChanged();
      });
}

void LinkPanel::sayCannotOpen(const PortEntry& e) {
  const std::string why = s_.link.port().errorText();
  s_.status("Cannot open port " + std::to_string(e.number) + " (" + e.path + ")" +
            (why.empty() ? "" : ": " + why));
  s_.prompter().message("Cannot open port " + std::to_string(e.number) + " (" + e.path + ")" +
                            (why.empty() ? std::string() : ": " + why),
                        Icon::Exclamation);
}

void LinkPanel::pickBitRate(int index) {
  // With nothing picked in the list (at start, after "Refresh") the rate is only stored:
  // no port opens, not even for a moment.
  const int picked = comboPort_->currentIndex();
  const bool reopen = picked >= 0 && picked < static_cast<int>(entries_.size());
  const PortEntry e = reopen ? entries_[static_cast<size_t>(picked)] : PortEntry{};
  auto opened = std::make_shared<bool>(false);
  s_.device([index, reopen, opened](Session& w) { *opened = w.link.setBitRateIndex(index, reopen); },
            [this, reopen, e, opened] {
              if (!*opened && reopen) sayCannotOpen(e);
              emit portChanged();
            });
}

void LinkPanel::enterModuleAddress(int shown) {
  s_.link.setModuleAddress(shown - s_.model.NumberBase);
  emit addressChanged();
}

void LinkPanel::enterExtAddress(int shown) {
  s_.link.opts.ExtAddress = shown - s_.model.NumberBase;
  emit addressChanged();
}

void LinkPanel::xaddressClicked(bool checked) {
  if (checked && !s_.prompter().askOkCancel("eXtended Addressing is intended for\nexperienced users only!",
                                            Icon::Warning)) {
    checkXaddress_->setChecked(false);
    checked = false;
  }
  s_.link.opts.CheckXaddress = checked;
  showXaddress(checked);
  emit addressChanged();
}

void LinkPanel::showXaddress(bool on) {
  labelAddress_->setText(on ? "Channel Number" : "Module Address");
  labelXaddress_->setVisible(on);
  txtXaddr_->setVisible(on);
  upDownXaddr_->setVisible(on);
}

void LinkPanel::refresh() {
  const int n = s_.model.NumberBase;
  const NumberingRanges r = NumberingRangesFor(n);
  upDownAddress_->setRange(r.Address.Min, r.Address.Max);
  upDownXaddr_->setRange(r.Xaddr.Min, r.Xaddr.Max);
  SetBoxNumber(textAddress_, s_.link.opts.ModuleAddress + n);
  SetBoxNumber(txtXaddr_, s_.link.opts.ExtAddress + n);
  upDownAddress_->setValueQuietly(s_.link.opts.ModuleAddress + n);
  upDownXaddr_->setValueQuietly(s_.link.opts.ExtAddress + n);
  checkKLnumber_->setChecked(n == 1);
  checkXaddress_->setChecked(s_.link.opts.CheckXaddress);
  showXaddress(s_.link.opts.CheckXaddress);
  syncOptions();
}

void LinkPanel::syncOptions() {
  if (checkVornBD_->isChecked() != s_.link.opts.CheckVornBD)
    checkVornBD_->setChecked(s_.link.opts.CheckVornBD);
  if (checkKestro_->isChecked() != s_.link.opts.CheckKestro)
    checkKestro_->setChecked(s_.link.opts.CheckKestro);
}

}  // namespace vorn
