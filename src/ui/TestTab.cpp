#include "ui/TestTab.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "model/Instructions.h"
#include "operations/Session.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/WindowWidgets.h"

namespace vorn {

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

uint8_t palkAddress(int module) { return static_cast<uint8_t>(4 * module + 3); }

// A typed Palk value: rounded to a whole number and kept to the 7 bits a frame carries.
uint8_t palkValue(const QString& text) {
  return static_cast<uint8_t>(IntRange{0, 127}.clamp(BoxValue(text)));
}

}  // namespace

TestTab::TestTab(Session& s, QWidget* parent) : QWidget(parent), s_(s), monitor_(s.link) {
  auto* palk = new QGroupBox("Palk Command", this);
  auto* pl = new QGridLayout(palk);
  const char* caps[3] = {"Command", "Output", "Parameter"};
  for (int i = 0; i < 3; ++i) {
    pl->addWidget(new QLabel(caps[i]), 0, i);
    auto* box = new ValidatedEdit(QString("TextPalkParameter_%1").arg(i), palk);
    box->setText("0");
    box->setMaximumWidth(72);
    palkParam_[static_cast<size_t>(i)] = box;
    pl->addWidget(box, 1, i);
  }
  auto* send = makeButton(palk, "CommandSendPalk", "PalkSend");
  pl->addWidget(send, 1, 3);

  auto* modules = new QGroupBox("Modules", this);
  auto* ml = new QGridLayout(modules);
  auto* reset0 = makeButton(modules, "CommandReset_0", "Reset");
  auto* reset1 = makeButton(modules, "CommandReset_1", "Reset 15");
  auto* clr0 = makeButton(modules, "Command_Clr_0", "Clear All");
  auto* clr1 = makeButton(modules, "Command_Clr_1", "Clear All 0");
  auto* lt0 = makeButton(modules, "Command_LT_0", "Lamp Test");
  auto* lt1 = makeButton(modules, "Command_LT_1", "Lamp Test 0");
  auto* lt2 = makeButton(modules, "Command_LT_2", "Lamp Test 15");
  ml->addWidget(reset0, 0, 0);
  ml->addWidget(reset1, 0, 1);
  ml->addWidget(clr0, 1, 0);
  ml->addWidget(clr1, 1, 1);
  ml->addWidget(lt0, 2, 0);
  ml->addWidget(lt1, 2, 1);
  ml->addWidget(lt2, 2, 2);

  auto* fbmBox = new QGroupBox("Feedback Monitor", this);
  auto* fl = new QVBoxLayout(fbmBox);
  fbm_ = new QPlainTextEdit(fbmBox);
  fbm_->setObjectName("textFBM");
  fbm_->setReadOnly(true);
  fbm_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  fl->addWidget(fbm_);
  auto* fbmButtons = new QHBoxLayout;
  auto* clear = makeButton(fbmBox, "CommandFBM_0", "Clear");
  monitorBtn_ = new FocusButton("CommandFBM_1", "Monitor", fbmBox);
  auto* stop = makeButton(fbmBox, "CommandFBM_2", "Stop");
  fbmButtons->addWidget(monitorBtn_);
  fbmButtons->addWidget(stop);
  fbmButtons->addWidget(clear);
  fbmButtons->addStretch(1);
  fl->addLayout(fbmButtons);

  auto* grid = new QGridLayout(this);
  grid->addWidget(palk, 0, 0);
  grid->addWidget(modules, 1, 0);
  grid->addWidget(fbmBox, 0, 1, 3, 1);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(1, 1);

  timer2_ = new QTimer(this);
  timer2_->setObjectName("Timer2");
  timer2_->setInterval(100);

  connect(send, &QPushButton::clicked, this, [this] {
    s_.link.SendPalkFrame(palkAddress(s_.link.opts.ModuleAddress), palkValue(palkParam_[0]->text()),
                          palkValue(palkParam_[1]->text()), palkValue(palkParam_[2]->text()));
  });
  connect(reset0, &QPushButton::clicked, this,
          [this] { s_.link.SendPalkFrame(palkAddress(s_.link.opts.ModuleAddress), 2, 0, 0); });
  connect(reset1, &QPushButton::clicked, this, [this] { s_.link.SendPalkFrame(palkAddress(15), 2, 0, 0); });
  connect(clr0, &QPushButton::clicked, this, [this] { sendToAllOutputs(s_.link.opts.ModuleAddress, 8, 0); });
  connect(clr1, &QPushButton::clicked, this, [this] { sendToAllOutputs(0, 8, 0); });
  connect(lt0, &QPushButton::clicked, this, [this] { sendToAllOutputs(s_.link.opts.ModuleAddress, 10, 30); });
  connect(lt1, &QPushButton::clicked, this, [this] { sendToAllOutputs(0, 10, 30); });
  connect(lt2, &QPushButton::clicked, this, [this] { sendToAllOutputs(15, 10, 30); });

  monitor_.onChange = [this] {
    const QString t = QString::fromStdString(monitor_.text());
    if (fbm_->toPlainText() == t) return;
    fbm_->setPlainText(t);
    fbm_->verticalScrollBar()->setValue(fbm_->verticalScrollBar()->maximum());
  };
  connect(monitorBtn_, &QPushButton::clicked, this, [this] {
    if (monitor_.start()) timer2_->start();
  });
  connect(monitorBtn_, &FocusButton::focusLost, this, &TestTab::stopMonitor);
  connect(clear, &QPushButton::clicked, this, [this] { monitor_.clear(); });
  connect(timer2_, &QTimer::timeout, this, &TestTab::tick);
}

void TestTab::sendToAllOutputs(int module, uint8_t command, uint8_t param2) {
  if (!s_.link.isOpen()) {
    s_.prompter().message("Select communications port");
    return;
  }
  for (uint8_t out = 0; out < 32; ++out) s_.link.SendPalkFrame(palkAddress(module), command, out, param2);
}

void TestTab::stopMonitor() {
  timer2_->stop();
  monitor_.stop();
}

void TestTab::tick() {
  if (busy_ && busy_()) return;  // a job holds the link; the next tick tries again
  monitor_.tick();
  if (!monitor_.running()) timer2_->stop();
}

void TestTab::portChanged() {
  if (!s_.link.isOpen()) stopMonitor();
}

}  // namespace vorn
