#include "ui/EventControlTab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <string>

#include "model/Addresses.h"
#include "operations/EventControl.h"
#include "operations/Session.h"
#include "ui/BoxText.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/Readable.h"

namespace vorn {

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

}  // namespace

EventControlTab::EventControlTab(Session& s, JobRequester requestJob, QWidget* parent)
    : QWidget(parent), s_(s), requestJob_(std::move(requestJob)) {
  auto* editor = new QGroupBox("Event Actions", this);
  auto* ed = new QGridLayout(editor);
  auto* pinLabel = new QLabel("Pin");
  ed->addWidget(pinLabel, 0, 0);
  pin_ = new ValidatedEdit("TextECpin", editor);
  NameBox(pinLabel, pin_, 'n');
  pin_->setMaximumWidth(56);
  upDownPin_ = new UpDown("UpDownECpin", pin_, 0, 31, editor);
  auto* pinRow = new QHBoxLayout;
  pinRow->setSpacing(0);
  pinRow->addWidget(pin_);
  pinRow->addWidget(upDownPin_);
  pinRow->addStretch(1);
  ed->addLayout(pinRow, 0, 1, 1, 2);
  ed->addWidget(new QLabel("<b>Event On</b>"), 1, 1);
  ed->addWidget(new QLabel("<b>Event Off</b>"), 1, 2);
  for (int j = 0; j < 4; ++j) {
    const auto k = static_cast<size_t>(j);
    auto* inputLabel = new QLabel(QString("Input %1").arg(j));
    ed->addWidget(inputLabel, j + 2, 0);
    on_[k] = new ValidatedEdit(QString("TextECon_%1").arg(j), editor);
    off_[k] = new ValidatedEdit(QString("TextECoff_%1").arg(j), editor);
    upDownOn_[k] = new UpDown(QString("UpDownECon_%1").arg(j), on_[k], -1, 11, editor);
    upDownOff_[k] = new UpDown(QString("UpDownECoff_%1").arg(j), off_[k], -1, 11, editor);
    NameBox(inputLabel, on_[k], QChar('0' + j));
    on_[k]->setAccessibleName(QString("Input %1 Event On").arg(j));
    off_[k]->setAccessibleName(QString("Input %1 Event Off").arg(j));
    for (auto [box, spin, col] :
         {std::tuple{on_[k], upDownOn_[k], 1}, std::tuple{off_[k], upDownOff_[k], 2}}) {
      box->setMaximumWidth(56);
      auto* row = new QHBoxLayout;
      row->setSpacing(0);
      row->addWidget(box);
      row->addWidget(spin);
      row->addStretch(1);
      ed->addLayout(row, j + 2, col);
    }
    auto enterOn = [this, j, k] {
      const int v = EnterEventOn(s_, j, BoxValue(on_[k]->text()));
      SetBoxNumber(on_[k], v);
      colour(on_[k], v);
      s_.edited(eventPlace(j, "on"));
    };
    auto enterOff = [this, j, k] {
      const int v = EnterEventOff(s_, j, BoxValue(off_[k]->text()));
      SetBoxNumber(off_[k], v);
      colour(off_[k], v);
      s_.edited(eventPlace(j, "off"));
    };
    connect(on_[k], &ValidatedEdit::validate, this, enterOn);
    connect(upDownOn_[k], &UpDown::stepped, this, enterOn);
    connect(off_[k], &ValidatedEdit::validate, this, enterOff);
    connect(upDownOff_[k], &UpDown::stepped, this, enterOff);
  }
  auto* single = new QHBoxLayout;
  auto* readSingle = makeButton(editor, "CommandECReadSingle", "Read");
  auto* writeSingle = makeButton(editor, "CommandECWriteSingle", "Write");
  auto* copy = makeButton(editor, "CommandECcopy", "Copy to All");
  single->addWidget(readSingle);
  single->addWidget(writeSingle);
  single->addWidget(copy);
  ed->addLayout(single, 6, 0, 1, 3);

  auto* all = new QGroupBox("All Pins", this);
  auto* al = new QVBoxLayout(all);
  auto* readAll = makeButton(all, "CommandECRead", "Read All Events");
  auto* writeAll = makeButton(all, "CommandECWrite", "Write All Events");
  verify_ = makeButton(all, "CommandECVerify", "Verify Event Control");
  verify_->hide();
  al->addWidget(readAll);
  al->addWidget(writeAll);
  al->addWidget(verify_);
  al->addStretch(1);

  auto* maps = new QGroupBox("Enable Maps", this);
  auto* mp = new QGridLayout(maps);
  mp->addWidget(new QLabel("InitialEvent_ON Enable "), 0, 0);
  mp->addWidget(new QLabel("Initial Event_OFF Enable "), 1, 0);
  for (int i = 0; i < 8; ++i) {
    auto* c = new QCheckBox(QString("Input %1").arg(i % 4), maps);
    c->setObjectName(QString("CheckInitEE_%1").arg(i));
    c->setAccessibleName(
        QString("%1 Enable, Input %2").arg(i < 4 ? "Initial Event On" : "Initial Event Off").arg(i % 4));
    initEE_[static_cast<size_t>(i)] = c;
    mp->addWidget(c, i / 4, 1 + i % 4);
    connect(c, &QCheckBox::clicked, this, [this, i](bool on) {
      s_.ec.CheckInitEE[static_cast<size_t>(i)] = on;
      s_.ec.EnableMapsKnown = true;  // what the user sets is what the Vorn is to hold
      s_.edited(std::string("enable map: initial event ") + (i < 4 ? "on" : "off") + " input " +
                std::to_string(i % 4));
    });
  }
  auto* mapButtons = new QHBoxLayout;
  auto* mapRead = makeButton(maps, "CommandECInitRead", "Read Enable Map");
  auto* mapWrite = makeButton(maps, "CommandECInitWrite", "Write Enable Map");
  mapButtons->addStretch(1);
  mapButtons->addWidget(mapRead);
  mapButtons->addWidget(mapWrite);
  mp->addLayout(mapButtons, 2, 0, 1, 5);

  auto* grid = new QGridLayout(this);
  grid->addWidget(editor, 0, 0, 2, 1);
  grid->addWidget(all, 0, 1);
  grid->addWidget(maps, 2, 0, 1, 2);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(3, 1);

  auto enterPin = [this] {
    const int shown = EnterECPin(s_, BoxValue(pin_->text()));
    SetBoxNumber(pin_, shown);
    refresh();
  };
  connect(pin_, &ValidatedEdit::validate, this, enterPin);
  connect(upDownPin_, &UpDown::stepped, this, enterPin);
  // Device work, and a status line saying how it went.
  auto onDevice = [this](bool (*routine)(Session&), const std::string& what, bool read) {
    auto ok = std::make_shared<bool>(false);
    s_.device([routine, ok](Session& w) { *ok = routine(w); },
              [this, ok, what, read] {
                refresh();
                s_.status(what + (*ok ? (read ? " read" : " written")
                                      : (read ? ": read failed" : ": write failed")));
              },
              what);
  };
  auto pinActions = [this] {
    return "Event actions of pin " + std::to_string(s_.ec.CurECPin + s_.model.NumberBase);
  };
  connect(readSingle, &QPushButton::clicked, this,
          [=] { onDevice(&ReadEventActionsSingle, pinActions(), true); });
  connect(writeSingle, &QPushButton::clicked, this,
          [=] { onDevice(&WriteEventActionsSingle, pinActions(), false); });
  connect(copy, &QPushButton::clicked, this, [this] {
    CopyEventsToAll(s_);
    s_.edited("copy event actions of pin " + std::to_string(s_.ec.CurECPin + s_.model.NumberBase) +
              " to all pins");
  });
  connect(mapRead, &QPushButton::clicked, this, [=] { onDevice(&ReadEnableMaps, "Enable maps", true); });
  connect(mapWrite, &QPushButton::clicked, this, [=] { onDevice(&WriteEnableMaps, "Enable maps", false); });
  connect(readAll, &QPushButton::clicked, this, [this] { requestJob_("ECReadAll"); });
  connect(writeAll, &QPushButton::clicked, this, [this] { requestJob_("ECWriteAll"); });
  connect(verify_, &QPushButton::clicked, this, [this] { requestJob_("ECVerify"); });

  refresh();
}

void EventControlTab::colour(ValidatedEdit* box, int value) {
  SetGreyedBase(box, EventBoxGrey(value), QColor(224, 224, 224));
}

void EventControlTab::refresh() {
  const int n = s_.model.NumberBase;
  const NumberingRanges r = NumberingRangesFor(n);
  upDownPin_->setRange(r.ECpin.Min, r.ECpin.Max);
  SetBoxNumber(pin_, s_.ec.CurECPin + n);
  upDownPin_->setValueQuietly(s_.ec.CurECPin + n);
  for (size_t j = 0; j < 4; ++j) {
    SetBoxNumber(on_[j], s_.ec.shownOn[j]);
    SetBoxNumber(off_[j], s_.ec.shownOff[j]);
    upDownOn_[j]->setValueQuietly(s_.ec.shownOn[j]);
    upDownOff_[j]->setValueQuietly(s_.ec.shownOff[j]);
    colour(on_[j], s_.ec.shownOn[j]);
    colour(off_[j], s_.ec.shownOff[j]);
  }
  for (size_t i = 0; i < 8; ++i) initEE_[i]->setChecked(s_.ec.CheckInitEE[i]);
}

void EventControlTab::setExpertMode(bool on) { verify_->setVisible(on); }

std::string EventControlTab::eventPlace(int input, const char* onOff) const {
  return "pin " + std::to_string(s_.ec.CurECPin + s_.model.NumberBase) + " input " + std::to_string(input) +
         " event " + onOff;
}

}  // namespace vorn
