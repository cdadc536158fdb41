#include "ui/TestTab.h"

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
    auto* label = new QLabel(caps[i]);
    pl->addWidget(label, 0, i);
    auto* box = new ValidatedEdit(QString("TextPalkParameter_%1").arg(i), palk);
    NameBox(label, box, QChar("nOa"[i]));  // Alt+N, Alt+O, Alt+A
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
  fbm_->setTabChangesFocus(true);
  // A caret shows where the focus is, and the keyboard moves through the lines.
  fbm_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  fbm_->setAccessibleName("Feedback Monitor");
  fbm_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  fl->addWidget(fbm_);
  auto* fbmButtons = new QHBoxLayout;
  monitorBtn_ = new FocusButton("CommandFBM_1", "Monitor", fbmBox);
  auto* stop = makeButton(fbmBox, "CommandFBM_2", "Stop");
  auto* clear = makeButton(fbmBox, "CommandFBM_0", "Clear");
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
    SendRawPalk(s_, v);
    SetBoxNumber(palkParam_[0], v.command);
    SetBoxNumber(palkParam_[1], v.output);
    SetBoxNumber(palkParam_[2], v.parameter);
  });
  connect(reset0, &QPushButton::clicked, this, [this] { ResetModule(s_, s_.link.opts.ModuleAddress); });
  connect(reset1, &QPushButton::clicked, this, [this] { ResetModule(s_, 15); });
  connect(clr0, &QPushButton::clicked, this, [this] { ClearAllOutputs(s_, s_.link.opts.ModuleAddress); });
  connect(clr1, &QPushButton::clicked, this, [this] { ClearAllOutputs(s_, 0); });
  connect(lt0, &QPushButton::clicked, this, [this] { LampTestAllOutputs(s_, s_.link.opts.ModuleAddress); });
  connect(lt1, &QPushButton::clicked, this, [this] { LampTestAllOutputs(s_, 0); });
  connect(lt2, &QPushButton::clicked, this, [this] { LampTestAllOutputs(s_, 15); });

  // The box keeps the monitor's last lines (the trailing line break leaves one empty block).
  fbm_->setMaximumBlockCount(static_cast<int>(FeedbackMonitor::kMaxLines) + 1);
  monitor_.onAppend = [this](const std::string& piece) {
    QScrollBar* bar = fbm_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor end(fbm_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromStdString(piece));
    if (atEnd) bar->setValue(bar->maximum());
  };
  monitor_.onClear = [this] { fbm_->clear(); };
  connect(monitorBtn_, &QPushButton::clicked, this, [this] {
    if (monitor_.start()) timer2_->start();
  });
  connect(monitorBtn_, &FocusButton::focusLost, this, &TestTab::stopMonitor);
  connect(clear, &QPushButton::clicked, this, [this] { monitor_.clear(); });
  connect(timer2_, &QTimer::timeout, this, &TestTab::tick);
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
