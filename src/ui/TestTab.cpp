#include "ui/TestTab.h"

#include <memory>

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "operations/Live.h"
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
    // The boxes show what goes out: rounded, and kept to the 7 bits a frame carries.
    PalkValues v{BoxValue(palkParam_[0]->text()), BoxValue(palkParam_[1]->text()),
                 BoxValue(palkParam_[2]->text())};
    // The values are cut to what a frame carries here, so that the boxes show what goes out.
    ClampPalkValues(v);
    SetBoxNumber(palkParam_[0], v.command);
    SetBoxNumber(palkParam_[1], v.output);
    SetBoxNumber(palkParam_[2], v.parameter);
    auto sent = std::make_shared<bool>(false);
    s_.live(
        [v, sent](Session& w) {
          PalkValues copy = v;
          *sent = SendRawPalk(w, copy);
        },
        [this, sent] { s_.status(*sent ? "Palk command sent" : "Palk command not sent"); });
  });
  // The module buttons: -1 stands for the module address in use.
  struct ModuleButton {
    QPushButton* button;
    bool (*command)(Session&, int);
    int module;
    const char* said;
  };
  const ModuleButton moduleButtons[] = {
      {reset0, &ResetModule, -1, "Reset"},         {reset1, &ResetModule, 15, "Reset"},
      {clr0, &ClearAllOutputs, -1, "Clear All"},   {clr1, &ClearAllOutputs, 0, "Clear All"},
      {lt0, &LampTestAllOutputs, -1, "Lamp Test"}, {lt1, &LampTestAllOutputs, 0, "Lamp Test"},
      {lt2, &LampTestAllOutputs, 15, "Lamp Test"}};
  for (const ModuleButton& b : moduleButtons) {
    connect(b.button, &QPushButton::clicked, this, [this, b] {
      const int module = b.module < 0 ? s_.link.opts.ModuleAddress : b.module;
      const std::string to = " to module " + std::to_string(module + s_.model.NumberBase);
      auto sent = std::make_shared<bool>(false);
      s_.live([fn = b.command, module, sent](Session& w) { *sent = fn(w, module); },
              [this, sent, said = std::string(b.said), to] {
                s_.status(said + (*sent ? " sent" + to : ": not everything was sent" + to));
              });
    });
  }

  // The box keeps the monitor's last lines (the trailing line break leaves one empty block).
  fbm_->setMaximumBlockCount(static_cast<int>(FeedbackMonitor::kMaxLines) + 1);
  connect(monitorBtn_, &QPushButton::clicked, this,
          [this] { monitorStep([](FeedbackMonitor& m) { m.start(); }); });
  connect(monitorBtn_, &FocusButton::focusLost, this, &TestTab::stopMonitor);
  connect(clear, &QPushButton::clicked, this, [this] { monitorStep([](FeedbackMonitor& m) { m.clear(); }); });
  connect(timer2_, &QTimer::timeout, this, &TestTab::tick);
}

// The monitor works on the device thread; what it wrote shows once the step is back.
void TestTab::monitorStep(std::function<void(FeedbackMonitor&)> step) {
  struct Output {
    bool cleared = false;
    std::string text;
    bool running = false;
  };
  auto out = std::make_shared<Output>();
  FeedbackMonitor* m = &monitor_;
  s_.live(
      [m, out, step](Session& w) {
        m->bind(w.link);
        m->onAppend = [out](const std::string& piece) { out->text += piece; };
        m->onClear = [out] {
          out->cleared = true;
          out->text.clear();
        };
        step(*m);
        m->onAppend = nullptr;
        m->onClear = nullptr;
        out->running = m->running();
      },
      [this, out] {
        if (out->cleared) fbm_->clear();
        if (!out->text.empty()) {
          QScrollBar* bar = fbm_->verticalScrollBar();
          const bool atEnd = bar->value() == bar->maximum();
          QTextCursor end(fbm_->document());
          end.movePosition(QTextCursor::End);
          end.insertText(QString::fromStdString(out->text));
          if (atEnd) bar->setValue(bar->maximum());
        }
        monitorOn_ = out->running;
        if (out->running && !timer2_->isActive()) timer2_->start();
        if (!out->running) timer2_->stop();
      });
}

void TestTab::stopMonitor() {
  timer2_->stop();
  if (!monitorOn_) return;
  monitorOn_ = false;
  monitorStep([](FeedbackMonitor& m) { m.stop(); });
}

void TestTab::tick() {
  if (busy_ && busy_()) return;  // the link is busy; the next tick tries again
  monitorStep([](FeedbackMonitor& m) { m.tick(); });
}

void TestTab::portChanged() {
  if (!s_.link.isOpen()) stopMonitor();
}

}  // namespace vorn
