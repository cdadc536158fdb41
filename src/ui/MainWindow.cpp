#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "VornVersion.h"
#include "files/ConfigFile.h"
#include "link/PortList.h"
#include "operations/EventControl.h"
#include "operations/Modules.h"
#include "ui/EventControlTab.h"
#include "ui/GeneralTab.h"
#include "ui/JobInputFilter.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ModuleStore.h"
#include "ui/ModulesPanel.h"
#include "ui/NoSettings.h"
#include "ui/SecondaryWindows.h"
#include "ui/TestTab.h"
#include "ui/WindowWidgets.h"

#include "ui/DeviceConfigTab.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/DeviceWorker.h"
#include "ui/PinEditor.h"
#include "ui/PinOverview.h"
#include "ui/Readable.h"
#include "ui/ScreenFit.h"
#include "ui/Wording.h"

namespace vorn {

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

Prompter& pickPrompter(Prompter* given, std::unique_ptr<MessageBoxPrompter>& own) {
  if (given) return *given;
  own = std::make_unique<MessageBoxPrompter>();
  return *own;
}

// A tab's page in a scroll area, so that the window fits small screens.
QScrollArea* scrolled(QWidget* page) {
  auto* area = new QScrollArea;
  area->setObjectName(page->objectName() + "Scroll");
  area->setWidget(page);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  // Not a stop of its own: Tab goes straight to the page's boxes, and the area scrolls to
  // whichever of them gets the focus.
  area->setFocusPolicy(Qt::NoFocus);
  return area;
}

QString seconds(double s) { return DurationText(s); }

// The size that shows a tab whole; the tabs scroll, so the window's own size hint is small.
constexpr QSize kPreferredSize(1280, 800);
// Before the window manager has framed the window its frame is unknown: room for a frame as
// large as common desktops draw.
constexpr QMargins kFrameGuess(8, 40, 8, 8);

bool isVerification(const std::string& job) { return job.find("Verify") != std::string::npos; }

// Report lines that name a difference (not the headings of each verification).
int differencesIn(const std::string& report) {
  int n = 0;
  size_t pos = 0;
  while (pos < report.size()) {
    size_t end = report.find("\r\n", pos);
    if (end == std::string::npos) break;  // the closing word has no line end
    const std::string line = report.substr(pos, end - pos);
    if (line.rfind("Start ", 0) != 0 && line.rfind("Note: ", 0) != 0 && line != "Verify OK") ++n;
    pos = end + 2;
  }
  return n;
}

// The status line after a job that ran to its end (or failed).
QString jobOutcome(const Session& s, const std::string& job, bool ok, double secs) {
  const QString caption = QString::fromStdString(JobCaption(job));
  const std::string& why = s.link.lastProblem();  // the link's fault, when it had one
  const QString failed = caption + " failed" + (why.empty() ? "" : ": " + QString::fromStdString(why));
  if (isVerification(job)) {
    if (ok) return "Verify OK";
    const int n = differencesIn(s.report.text());
    if (n == 0) return failed;
    return QString("Verification found %1 difference%2").arg(n).arg(n == 1 ? "" : "s");
  }
  if (!ok) return failed;
  const QString pin = QString::number(s.model.CurPin + s.model.NumberBase);
  if (job == "ReadAll") return QString("Read All finished: %1 pins in %2").arg(kPinsInUse).arg(seconds(secs));
  if (job == "ReadPin" || job == "WritePin" || job == "PAspReadPin" || job == "PAspWritePin" ||
      job == "ReadDevice" || job == "WriteDevice")
    return caption + " " + pin + " finished";
  return caption + " finished in " + seconds(secs);
}

}  // namespace

MainWindow::MainWindow(SerialPort& port, Clock& clock, Prompter* prompter, PortProber prober, QWidget* parent)
    : QMainWindow(parent),
      session_(mirrorPort_, clock, pickPrompter(prompter, ownPrompter_)),
      jobs_(session_),
      prober_(prober ? std::move(prober) : PortProber(&ProbePorts)) {
  KeepNoSettings();
  worker_ = new DeviceWorker(port, clock, session_.prompter(), this);
  mirrorPort_.mirror(port);
  if (ownPrompter_) ownPrompter_->setOwner(this);
  setObjectName("frmVornConfig");
  buildWindow();
  buildModules();
  hookSession();
  hookWorker();
  if (const QScreen* sc = screen()) resize(kPreferredSize.boundedTo(sc->availableGeometry().size()));

  // Start-up: port list, event-control defaults into every pin, address tables, numbering.
  linkPanel_->RefreshPortList();
  CopyEventsToAll(session_);
  ShowEventControl(session_);
  session_.model.RecalcAllStarts();
  refreshAll();
  session_.history.reset(session_.document());
  markClean(QString());
  updateEditActions();

  qApp->installEventFilter(this);  // the undo keys, below

  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(200);
  connect(timer1_, &QTimer::timeout, this, &MainWindow::timer1Tick);
  timer1_->start();
}

MainWindow::~MainWindow() {
  // A box that holds the focus validates what was typed when the window hides; that must
  // happen while the window is still whole, not from QWidget's destructor.
  hide();
  qApp->removeEventFilter(this);
  // The session's hooks point into this window; nothing may call them while it goes.
  session_.onBusyChanged = nullptr;
  session_.onProgress = nullptr;
  session_.onDisplayRefresh = nullptr;
  session_.onPinConfigRefresh = nullptr;
  session_.onGeneralChanged = nullptr;
  session_.onShowReport = nullptr;
  session_.onEventControlRefresh = nullptr;
  session_.onDeviceKnownChanged = nullptr;
  session_.onIDStringRefused = nullptr;
  session_.onStopped = nullptr;
  session_.onStatus = nullptr;
  session_.onEdited = nullptr;
  session_.onDeviceWork = nullptr;
  session_.link.log.onChange = nullptr;
  // The device thread ends (a running job stops at its next exchange) before the session it
  // reports to goes; it closes the port.
  delete worker_;
  worker_ = nullptr;
}

void MainWindow::showAtStart() {
  const QScreen* sc = screen();
  if (!sc) {
    show();
    return;
  }
  const StartPlacement p = PlaceOnScreen(sc->availableGeometry(), kFrameGuess, kPreferredSize);
  setGeometry(p.geometry);
  if (p.maximised) {
    showMaximized();
    return;
  }
  show();
  // The real frame is known once the window manager has framed the window.
  QTimer::singleShot(500, this, &MainWindow::fitFrame);
}

void MainWindow::fitFrame() {
  const QScreen* sc = screen();
  if (!sc || isMaximized() || isFullScreen()) return;
  const QRect available = sc->availableGeometry();
  const QRect f = frameGeometry();
  if (available.contains(f)) return;
  const QRect g = geometry();
  const QMargins frame(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                       f.bottom() - g.bottom());
  const StartPlacement p = PlaceOnScreen(available, frame, size());
  if (p.maximised)
    showMaximized();
  else
    setGeometry(p.geometry);
}

void MainWindow::buildWindow() {
  auto* central = new QWidget(this);
  auto* top = new QHBoxLayout;
  linkPanel_ = new LinkPanel(session_, prober_, central);
  top->addWidget(linkPanel_, 1);

  auto* jobsCol = new QVBoxLayout;
  auto* readAll = makeButton(central, "CommandReadAll", "Read All");
  auto* writeAll = makeButton(central, "CommandWriteAll", "Write All");
  auto* verifyAll = makeButton(central, "CommandVerifyAll", "Verify All");
  jobsCol->addWidget(readAll);
  jobsCol->addWidget(writeAll);
  jobsCol->addWidget(verifyAll);
  top->addLayout(jobsCol);

  auto* filesCol = new QVBoxLayout;
  auto* load = makeButton(central, "CommandLoad", "Load File");
  load->setToolTip("Read from file");
  auto* save = new PressButton("CommandSave", "Save File", central);
  save->setToolTip("Shift+Save File to save compact");
  filesCol->addWidget(load);
  filesCol->addWidget(save);
  filesCol->addStretch(1);
  top->addLayout(filesCol);

  auto* releaseCol = new QVBoxLayout;
  auto* release = new PressLabel("Release", QString("Release ") + kVersion, central);
  release->setAlignment(Qt::AlignRight | Qt::AlignTop);
  textResponse_ = new QLineEdit(central);
  textResponse_->setObjectName("TextResponse");
  textResponse_->setReadOnly(true);
  textResponse_->setMinimumWidth(160);
  textResponse_->setAccessibleName("Last reply");
  textResponse_->hide();
  releaseCol->addWidget(release);
  releaseCol->addWidget(textResponse_);
  releaseCol->addStretch(1);
  top->addLayout(releaseCol);

  tabs_ = new QTabWidget(central);
  tabs_->setObjectName("SSTab_Main");
  generalTab_ = new GeneralTab(session_, tabs_);
  auto requester = [this](const std::string& name) { requestJob(name); };
  ecTab_ = new EventControlTab(session_, requester, tabs_);
  deviceTab_ = new DeviceConfigTab(session_, requester, nullptr);
  testTab_ = new TestTab(session_, tabs_);
  testTab_->setBusyCheck([this] { return deviceBusy(); });
  tabs_->addTab(scrolled(generalTab_), "General");
  tabs_->addTab(scrolled(ecTab_), "Vorn Event Control");
  tabs_->addTab(scrolled(deviceTab_), "Vorn Device Configuration");
  tabs_->addTab(scrolled(testTab_), "Test");

  auto* lay = new QVBoxLayout(central);
  lay->addLayout(top);
  lay->addWidget(tabs_, 1);
  setCentralWidget(central);
  buildStatusBar();
  buildMenus(readAll, writeAll, verifyAll);

  connect(readAll, &QPushButton::clicked, this, [this] { requestJob("ReadAll"); });
  connect(writeAll, &QPushButton::clicked, this, [this] { requestJob("WriteAll"); });
  connect(verifyAll, &QPushButton::clicked, this, [this] { requestJob("VerifyAll"); });
  connect(load, &QPushButton::clicked, this, [this] { loadFile(); });
  connect(save, &PressButton::pressedWith, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers m) {
    if (b != Qt::LeftButton) return;
    if (m == Qt::NoModifier) saveFile(false);
    if (m == Qt::ShiftModifier) saveFile(true);
  });
  connect(save, &QPushButton::clicked, this, [this] { saveFile(false); });  // keyboard
  connect(release, &PressLabel::pressed, this, &MainWindow::releasePressed);
  connect(release, &PressLabel::doubleClicked, this,
          [this] { textResponse_->setVisible(textResponse_->isHidden()); });
  connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::tabChanged);
  connect(linkPanel_, &LinkPanel::addressChanged, this, &MainWindow::addressesChanged);
  connect(linkPanel_, &LinkPanel::numberingChanged, this, &MainWindow::numberingChanged);
  connect(linkPanel_, &LinkPanel::portChanged, this, [this] {
    testTab_->portChanged();
    modulesPanel_->refresh();
    updateTitle();
  });
  connect(generalTab_, &GeneralTab::addressesChanged, this, &MainWindow::addressesChanged);
  connect(generalTab_, &GeneralTab::driversChanged, this, [this] { deviceTab_->refreshPinConfig(); });
  connect(generalTab_, &GeneralTab::status, this, &MainWindow::showStatus);

  // The two button columns row by row, as they read.
  FocusOrder({readAll, load, writeAll, save, textResponse_, verifyAll, tabs_});
  tabs_->tabBar()->setAccessibleName("Tabs");
  // Ctrl+Tab / Ctrl+Shift+Tab (and Ctrl+Page Down / Up) from anywhere in the window: the next
  // or previous tab, with the focus on the tab row so that Tab goes on into the page. The
  // "Test" tab is passed over outside expert mode.
  auto step = [this](int by) {
    int i = tabs_->currentIndex();
    do i = (i + by + tabs_->count()) % tabs_->count();
    while (i == 3 && !expert_);
    tabs_->setCurrentIndex(i);
    tabs_->tabBar()->setFocus(Qt::TabFocusReason);
  };
  for (const auto& [key, by] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                                {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
    auto* sc = new QShortcut(key, this);
    connect(sc, &QShortcut::activated, this, [step, by = by] { step(by); });
  }
}

void MainWindow::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(true);
  statusLine_ = new QLabel(bar);
  statusLine_->setObjectName("StatusLine");
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bar->addWidget(statusLine_, 1);
  labelAction_ = new QLabel("Working ... Please WAIT", bar);
  labelAction_->setObjectName("LabelAction");
  QFont bold = labelAction_->font();
  bold.setBold(true);
  labelAction_->setFont(bold);
  SetWarningText(labelAction_, QColor(0xb0, 0, 0));
  labelAction_->hide();
  progress_ = new QProgressBar(bar);
  progress_->setObjectName("ProgressAction");
  progress_->setTextVisible(true);
  progress_->setFixedWidth(220);
  progress_->hide();
  stop_ = new QPushButton("Stop", bar);
  stop_->setObjectName("CommandStop");
  stop_->setToolTip("Stop the job after the exchange in progress (Esc)");
  stop_->setFocusPolicy(Qt::NoFocus);
  stop_->hide();
  bar->addPermanentWidget(labelAction_);
  bar->addPermanentWidget(progress_);
  bar->addPermanentWidget(stop_);
  // The bar keeps its height when the progress bar and Stop come and go.
  bar->setMinimumHeight(stop_->sizeHint().height() + 6);
  connect(stop_, &QPushButton::clicked, this, &MainWindow::stopJob);
  inputFilter_ = new JobInputFilter(
      stop_, [this] { stopJob(); }, this);
}

void MainWindow::buildMenus(QPushButton* readAll, QPushButton* writeAll, QPushButton* verifyAll) {
  auto item = [this](QMenu* menu, const QString& text, const QKeySequence& key, auto slot) {
    auto* a = new QAction(text, menu);
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    menu->addAction(a);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  item(file, "&Load File...", QKeySequence::Open, [this] { loadFile(); });
  item(file, "&Save File...", QKeySequence::Save, [this] { saveFile(false); });
  item(file, "Save &Compact...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { saveFile(true); });
  file->addSeparator();
  item(file, "&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
  buildEditMenu();

  deviceMenu_ = menuBar()->addMenu("&Device");
  deviceMenu_->setObjectName("MenuDevice");
  stopAction_ = item(deviceMenu_, "&Stop", QKeySequence(Qt::Key_Escape), [this] { stopJob(); });
  stopAction_->setEnabled(false);
  deviceMenu_->addSeparator();
  expertAction_ = item(deviceMenu_, "&Expert Mode", QKeySequence(),
                       [this] { setExpertMode(session_.prompter().askYesNo("Expert Mode?")); });
  expertAction_->setCheckable(true);
  addJobAction("&Read All", "ReadAll", QKeySequence(Qt::Key_F5));
  addJobAction("&Write All", "WriteAll", QKeySequence(Qt::Key_F6));
  addJobAction("&Verify All", "VerifyAll", QKeySequence(Qt::Key_F7));
  addChangesActions();
  readAll->setToolTip("Read the whole configuration from the Vorn (F5)");
  writeAll->setToolTip("Write the whole configuration to the Vorn (F6)");
  verifyAll->setToolTip("Compare the Vorn with this configuration (F7)");

  QMenu* help = menuBar()->addMenu("&Help");
  item(help, "&Keyboard Shortcuts", QKeySequence(), [this] { showShortcuts(); });
  item(help, "&About Vorn Config", QKeySequence(), [this] { showAbout(); });
}

// Show Changes / Write Changes, as the buttons under the pin overview: both need the Vorn as
// last known.
void MainWindow::addChangesActions() {
  QAction* show = new QAction("Show &Changes", deviceMenu_);
  show->setObjectName("ActionShowChanges");
  QAction* write = new QAction("Write C&hanges", deviceMenu_);
  write->setObjectName("ActionWriteChanges");
  connect(show, &QAction::triggered, this, [this] { deviceTab_->ShowChanges(); });
  connect(write, &QAction::triggered, this, [this] { deviceTab_->WriteChanges(); });
  deviceMenu_->setToolTipsVisible(true);
  for (QAction* a : {show, write}) deviceMenu_->insertAction(stopAction_, a);
  auto known = [show, write, this](bool on) {
    for (QAction* a : {show, write, revertPin_, revertAll_}) {
      a->setEnabled(on);
      a->setToolTip(on ? a->text().remove('&') : QString("Read All first"));
    }
  };
  deviceTab_->overview().onKnownChanged = known;
  known(session_.deviceAsLastKnown() != nullptr);
}

void MainWindow::buildEditMenu() {
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("MenuEdit");
  edit->setToolTipsVisible(true);
  auto action = [this, edit](const char* name, const QString& text, QList<QKeySequence> keys, auto slot) {
    auto* a = new QAction(text, edit);
    a->setObjectName(name);
    a->setShortcuts(keys);
    connect(a, &QAction::triggered, this, slot);
    edit->addAction(a);
    return a;
  };
  undo_ = action("ActionUndo", "&Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { undo(); });
  redo_ = action("ActionRedo", "&Redo",
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                 [this] { redo(); });
  edit->addSeparator();
  revertPin_ = action("ActionRevertPin", "Revert &Pin to Vorn", {}, [this] { revertToVorn(false); });
  revertAll_ = action("ActionRevertAll", "Revert &All to Vorn", {}, [this] { revertToVorn(true); });
  // Right-click in the pin editor offers the pin's revert too.
  deviceTab_->pinEditor().addAction(revertPin_);
  deviceTab_->pinEditor().setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction* MainWindow::addJobAction(const QString& caption, const std::string& jobName,
                                  const QKeySequence& key) {
  QAction* a = new QAction(caption, deviceMenu_);
  a->setShortcut(key);
  connect(a, &QAction::triggered, this, [this, jobName] { requestJob(jobName); });
  // Job actions go above Stop and Expert Mode.
  deviceMenu_->insertAction(stopAction_, a);
  return a;
}

void MainWindow::showShortcuts() {
  session_.prompter().message(
      "Keyboard shortcuts\n\n"
      "Ctrl+O  Load File\nCtrl+S  Save File\nCtrl+Shift+S  Save File compact\nCtrl+Q  Quit\n"
      "Ctrl+Z  Undo\nCtrl+Shift+Z, Ctrl+Y  Redo\n"
      "Ctrl+Tab, Ctrl+Shift+Tab  Next, previous tab\n"
      "F5  Read All\nF6  Write All\nF7  Verify All\nCtrl+M  Modules (every Vorn on the line)\nEsc  Stop the "
      "running job\n\n"
      "Tab and Shift+Tab go from box to box; Alt + the underlined letter of a label goes to its "
      "box. In the pin overview the arrow keys, Home, End, Page Up and Page Down choose the pin.\n\n"
      "In the pin editor: Ctrl+Shift+E in a pin, aspect or step box opens its edit dialog; F2 in "
      "a step's parameter box opens its help tool. On \"Test\", Space or Enter sends the plain "
      "Test; right-click or the menu key offers its variants and their help. The live sliders step "
      "by one with the arrow keys.",
      Icon::Information);
}

void MainWindow::showAbout() { session_.prompter().message(AboutText(), Icon::Information); }

void MainWindow::hookSession() {
  Session& s = session_;
  s.onBusyChanged = [this](bool on) {
    labelAction_->setVisible(on);
    if (!on) progress_->hide();
    stop_->setVisible(on || jobs_.running());
    stopAction_->setEnabled(on || jobs_.running());
  };
  s.onStopped = [this](const std::string& text) { showStatus(QString::fromStdString(text)); };
  s.onStatus = [this](const std::string& text) { showStatus(QString::fromStdString(text)); };
  s.onDisplayRefresh = [this] {
    generalTab_->showRanges();
    deviceTab_->refreshAll();
  };
  s.onPinConfigRefresh = [this] { deviceTab_->refreshPinConfig(); };
  s.onGeneralChanged = [this] {
    generalTab_->refresh();
    linkPanel_->syncOptions();
  };
  s.onShowReport = [this] { showReport(); };
  s.onEventControlRefresh = [this] { ecTab_->refresh(); };
  // Pin overview: "changed" marks and the Show/Write Changes buttons follow the Vorn as last known.
  s.onDeviceKnownChanged = [this] { deviceTab_->refreshOverview(); };
  s.onEdited = [this](const std::string& what) { documentEdited(what); };
  s.onIDStringRefused = [this](int position) { generalTab_->markIDString(position); };
  s.link.log.onChange = [this] {
    if (commLog_) commLog_->sync();
  };
  s.onDeviceWork = [this](Session::DeviceWork work, std::function<void()> done, bool live,
                          const std::string& coalesce, const std::string& what) {
    worker_->post({std::move(work), std::move(done), live, coalesce, what});
  };
}

void MainWindow::hookWorker() {
  worker_->beforeCall = [this](const DeviceWorker::Call& call) {
    Session& w = worker_->session();
    w.copyDocumentFrom(session_);
    // A module address typed in the window resynchronises the link before the next frame.
    if (session_.link.LinkToggle == 128) w.link.LinkToggle = 128;
    w.link.opts = session_.link.opts;
    if (!call.live) {
      inputFilter_->setActive(true);
      deviceCall_ = true;
      updateEditActions();
    }
  };
  worker_->afterCall = [this](const DeviceWorker::Call& call,
                              const std::vector<std::function<void(Session&)>>& events) {
    Session& w = worker_->session();
    if (!call.live) {
      session_.copyDocumentFrom(w);
      session_.link.opts = w.link.opts;
    } else {
      session_.link.opts.CheckVornBD = w.link.opts.CheckVornBD;  // a live command found no answer
    }
    mirrorPort_.mirror(w.link.port());
    session_.link.mirrorStatusFrom(w.link);
    inputFilter_->setActive(false);
    const bool job = jobs_.running();
    if (job) endJobState();
    // What the work asked of the display, in the order it asked.
    for (const auto& event : events) event(session_);
    if (!call.live) {
      deviceCall_ = false;
      // What a job or a read brought back is one step, named after the job: a stopped Read
      // All changed nothing and leaves none.
      session_.edited(job ? JobCaption(jobs_.lastJob())
                          : "Read " + (call.what.empty() ? "from Vorn" : call.what));
      updateEditActions();
      deviceTab_->refreshOverview();
      deviceTab_->showCurrentPin();  // the selected pin's row in view after every job
    }
    syncLinkDisplays();
  };
  worker_->onProgress = [this](const DeviceWorker::JobProgress& p) { showProgress(p); };
  jobs_.onStopElsewhere = [this] { worker_->requestStop(); };
}

void MainWindow::requestJob(const std::string& name) {
  // Without a port the job's guard speaks first: the unsaved-edits question only comes
  // before a read that can run.
  if (name == "ReadAll" && session_.link.isOpen() && !settleUnsavedEdits()) return;
  if (!jobs_.request(name) && !session_.link.isOpen())
    showStatus(QString::fromStdString(JobCaption(name)) + " not started: " + kSelectPort);
}

void MainWindow::stopJob() { jobs_.stop(); }

bool MainWindow::deviceBusy() const { return worker_->busy(); }

void MainWindow::timer1Tick() {
  // The configuration is the device thread's until its work is back.
  if (worker_->busy() || jobs_.running()) return;
  if (jobs_.PendingJob().empty()) {
    syncLinkDisplays();
    return;
  }
  startJob();
}

void MainWindow::startJob() {
  const std::string name = jobs_.takePending();
  if (!IsJobName(name)) return;
  beginJobDisplay();
  DeviceWorker* worker = worker_;
  session_.device([worker, name](Session&) { worker->jobs().runJob(name); },
                  [this] { jobEnded(session_.link.clock().now() - jobStart_); });
}

void MainWindow::beginJobDisplay() {
  jobs_.setRunningElsewhere(true);
  shownProgress_ = Progress{};
  stop_->show();
  stopAction_->setEnabled(true);
  progress_->setRange(0, 0);  // busy until the first exchange is counted
  progress_->setFormat(QString());
  progress_->show();
  jobStart_ = session_.link.clock().now();
}

bool MainWindow::runWindowJob(const std::string& caption, std::function<bool(Session&)> body,
                              std::function<void()> done) {
  if (deviceBusy() || jobs_.running() || !jobs_.PendingJob().empty()) return false;
  if (!session_.link.isOpen()) {
    session_.prompter().message(kSelectPort, Icon::None);
    showStatus(QString::fromStdString(caption) + " not started: " + kSelectPort);
    return false;
  }
  session_.ShowBusy();
  beginJobDisplay();
  DeviceWorker* worker = worker_;
  session_.device([worker, caption, body](Session&) { worker->jobs().runJob(caption, body); },
                  [this, done] {
                    session_.HideBusy();
                    if (done) done();
                    modelChanged();
                    syncLinkDisplays();
                  });
  return true;
}

// The job is back: Stop goes, input is taken again (also while its report is open).
void MainWindow::endJobState() {
  jobs_.takeOutcome(worker_->jobs());
  jobs_.setRunningElsewhere(false);
  stop_->setVisible(session_.busyVisible());
  stopAction_->setEnabled(session_.busyVisible());
}

void MainWindow::jobEnded(double secs) {
  const std::string& job = jobs_.lastJob();
  if (jobs_.lastStopped()) {
    if (isVerification(job)) showStatus("Verification Stopped");
  } else {
    showStatus(jobOutcome(session_, job, jobs_.lastResult(), secs));
  }
  if (job == "ReadAll" && jobs_.lastResult()) markClean(QString());
  // A button pressed while the job ran (inside its report, say) is still pending.
  if (!jobs_.PendingJob().empty()) session_.ShowBusy();
  syncLinkDisplays();
}

// One bar per job: the exchanges sent of those the job plans, with the job's own words for
// where it is ("Reading pin 12 of 32"); jobs without a plan count their own steps.
void MainWindow::showProgress(const DeviceWorker::JobProgress& p) {
  if (!jobs_.running()) return;
  shownProgress_ = p.progress;
  const int total = p.planned > 0 ? p.planned : p.progress.total;
  const int done = p.planned > 0 ? p.exchanges : p.progress.done;
  if (total <= 0) return;
  progress_->setRange(0, std::max(total, done));
  progress_->setValue(done);
  progress_->setFormat(p.progress.text.empty() ? QString("%p%") : QString::fromStdString(p.progress.text));
  progress_->show();
}

void MainWindow::syncLinkDisplays() {
  linkPanel_->syncOptions();
  const QString resp = QString::fromStdString(session_.link.TextResponse);
  if (textResponse_->text() != resp) textResponse_->setText(resp);
  if (!session_.link.isOpen()) testTab_->portChanged();
}

void MainWindow::showReport() {
  if (!report_) report_ = new ReportWindow(this);
  report_->setReportText(session_.report.text());
  report_->exec();
}

void MainWindow::showCommLog() {
  if (!commLog_) commLog_ = new CommLogWindow(session_.link.log, this);
  commLog_->sync();
  commLog_->show();
  commLog_->raise();
}

void MainWindow::releasePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  if (button != Qt::RightButton) return;
  if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
    showCommLog();
    return;
  }
  setExpertMode(session_.prompter().askYesNo("Expert Mode?"));
}

void MainWindow::setExpertMode(bool on) {
  expert_ = on;
  expertAction_->setChecked(on);
  ecTab_->setExpertMode(on);
  deviceTab_->setExpertMode(on);
}

void MainWindow::tabChanged(int index) {
  if (index == 3 && !expert_) {
    {
      const QSignalBlocker block(tabs_);
      tabs_->setCurrentIndex(prevTab_);
    }
    session_.prompter().message("Sorry, This tab is disabled");
    return;
  }
  if (index == 0) generalTab_->showRanges();
  prevTab_ = index;
}

void MainWindow::addressesChanged() {
  deviceTab_->refreshAll();
  updateTitle();
  modulesPanel_->refresh();
}

void MainWindow::numberingChanged() { refreshAll(); }

void MainWindow::refreshAll() {
  session_.model.RecalcAllStarts();
  linkPanel_->refresh();
  generalTab_->refresh();
  ecTab_->refresh();
  deviceTab_->refreshAll();
  deviceTab_->refreshPinConfig();
  syncLinkDisplays();
}

QString MainWindow::askFile(bool save) {
  // Qt's own dialog (no platform dialog) so that nothing outside this program remembers the
  // folder; the folder last used is kept for this run only.
  QFileDialog dlg(this, save ? "Save File" : "Load File", lastFolder_, "Vorn Config Data (*.dat)");
  dlg.setObjectName("cdConfig");
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dlg.setDefaultSuffix("dat");
  // Saving after a load or a save offers that file again.
  const QFileInfo current(fileName_);
  if (save && !fileName_.isEmpty()) dlg.setDirectory(current.absolutePath());
  dlg.selectFile(save && !fileName_.isEmpty() ? current.fileName() : QString());
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  const QString path = dlg.selectedFiles().first();
  lastFolder_ = QFileInfo(path).absolutePath();
  return path;
}

bool MainWindow::loadFile(const QString& given) {
  if (!settleUnsavedEdits()) return false;
  const QString path = !given.isEmpty() ? given : (chooser_ ? chooser_(false) : askFile(false));
  if (path.isEmpty()) return false;
  std::optional<EnableMapBytes> maps;
  if (LoadConfigFile(path.toStdString(), session_.model, session_.general, session_.prompter(), &maps) !=
      ConfigLoadStatus::Loaded) {
    showStatus("Load File failed: " + path);
    return false;
  }
  SetEnableMaps(session_.ec, maps);
  ShowEventControl(session_);
  refreshAll();
  session_.edited("Load File " + QFileInfo(path).fileName().toStdString());
  markClean(path);
  showStatus("Loaded " + path);
  return true;
}

bool MainWindow::saveFile(bool compact, const QString& given) {
  const QString path = !given.isEmpty() ? given : (chooser_ ? chooser_(true) : askFile(true));
  if (path.isEmpty()) return false;
  const bool ok = SaveConfigFile(path.toStdString(), session_.model, session_.general,
                                 compact ? ConfigFileMode::Compact : ConfigFileMode::Full,
                                 session_.prompter(), EnableMapsForFile(session_.ec));
  deviceTab_->refreshPinConfig();  // a servo's stored byte may have been trimmed
  if (!ok) {
    showStatus("Save File failed: " + path);
    return false;
  }
  session_.history.amend(session_.document());  // what the file holds, trimmed values included
  markClean(path);
  showStatus("Saved " + path +
             (compact && CompactHoldsNoPin(session_.model) ? QString(" - ") + kCompactHoldsNoPin : ""));
  return true;
}

void MainWindow::showStatus(const QString& line) { statusLine_->setText(line); }

QString MainWindow::statusText() const { return statusLine_->text(); }

bool MainWindow::hasUnsavedEdits() const { return !session_.history.isClean(); }

void MainWindow::modelChanged() { session_.edited("edit"); }

void MainWindow::markClean(const QString& fileName) {
  session_.history.markClean();
  fileName_ = fileName;
  updateTitle();
  setWindowModified(false);
  updateEditActions();
}

// Everything that shows the document as a whole follows each step: the overview with its
// "changed" marks and the Show/Write Changes state, the modified marker, the Edit menu.
void MainWindow::documentEdited(const std::string& what) {
  deviceTab_->refreshOverview();  // no timer redraws it
  updateEditActions();
  emit documentChanged(QString::fromStdString(what));
}

void MainWindow::updateEditActions() {
  if (!undo_) return;
  setWindowModified(hasUnsavedEdits());
  const EditHistory& h = session_.history;
  const bool free = !deviceCall_ && !jobs_.running();
  undo_->setEnabled(free && h.canUndo());
  redo_->setEnabled(free && h.canRedo());
  undo_->setText(h.canUndo() ? "&Undo: " + QString::fromStdString(h.undoName()) : QString("&Undo"));
  redo_->setText(h.canRedo() ? "&Redo: " + QString::fromStdString(h.redoName()) : QString("&Redo"));
}

void MainWindow::undo() { moveInHistory(true); }

void MainWindow::redo() { moveInHistory(false); }

void MainWindow::moveInHistory(bool back) {
  if (deviceCall_ || jobs_.running()) return;
  // A box being typed in gives up its value first: that is the step the user takes back.
  if (QWidget* f = QApplication::focusWidget(); f && isAncestorOf(f)) {
    f->clearFocus();
    f->setFocus(Qt::OtherFocusReason);
  }
  const EditHistory::Step* step = back ? session_.undo() : session_.redo();
  if (!step) return;
  const std::string name = step->name;
  ShowEventControl(session_);
  refreshAll();
  session_.history.amend(session_.document());  // as the editors show it (they tidy unused fields)
  showStatus((back ? "Undone: " : "Redone: ") + QString::fromStdString(name));
  documentEdited(name);
}

void MainWindow::revertToVorn(bool all) {
  if (deviceCall_ || jobs_.running()) return;
  const VornConfiguration* dev = session_.deviceAsLastKnown();
  if (!dev) return;
  ConfigModel& m = session_.model;
  if (all) {
    EditedDocument d{dev->model.Pins, dev->model.EventOn, dev->model.EventOff, dev->model.PalkFlexStart,
                     dev->general,    dev->initEnable,    dev->enableMapsKnown};
    session_.restoreDocument(d);
  } else {
    const size_t p = m.CurPin;
    const uint8_t live = m.Pins[p].LiveLevel;
    m.Pins[p] = dev->model.Pins[p];
    m.Pins[p].LiveLevel = live;
    m.EventOn[p] = dev->model.EventOn[p];
    m.EventOff[p] = dev->model.EventOff[p];
    m.RecalcAllStarts();
  }
  ShowEventControl(session_);
  refreshAll();
  const std::string step = all ? std::string("Revert All to Vorn")
                               : "Revert Pin " + std::to_string(m.CurPin + m.NumberBase) + " to Vorn";
  session_.edited(step);
  showStatus(all ? QString("Reverted everything to the Vorn")
                 : QString("Reverted pin %1 to the Vorn").arg(m.CurPin + m.NumberBase));
}

// "untitled[*] - module 4 — Yard West - Vorn Config" once modules were found on the bus.
void MainWindow::updateTitle() {
  const QString shown = fileName_.isEmpty() ? QString("untitled") : QFileInfo(fileName_).fileName();
  const QString module = modulesPanel_ ? modulesPanel_->caption(session_.link.opts.ModuleAddress) : QString();
  setWindowTitle(shown + "[*] - " + (module.isEmpty() ? QString() : module + " - ") + "Vorn Config");
}

bool MainWindow::settleUnsavedEdits() {
  if (!hasUnsavedEdits()) return true;
  QMessageBox::StandardButton answer = QMessageBox::Cancel;
  if (askUnsaved_) {
    answer = askUnsaved_();
  } else {
    QMessageBox box(QMessageBox::Warning, "Vorn Config", "The configuration has unsaved changes.",
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName("dlgUnsavedChanges");
    box.setInformativeText("Save them to a file first?");
    box.setDefaultButton(QMessageBox::Save);
    answer = static_cast<QMessageBox::StandardButton>(box.exec());
  }
  if (answer == QMessageBox::Discard) return true;
  if (answer == QMessageBox::Save) return saveFile(false);
  return false;
}

// A text box would take Ctrl+Z / Ctrl+Y for its own typing; in this window they always undo
// and redo the document (the box's typing becomes a step first, see undo()). Left unclaimed
// here, the key goes on to the Edit menu's shortcut.
bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    const auto* key = static_cast<QKeyEvent*>(e);
    if (box && box->window() == this &&
        (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
         (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier)))
      return true;
  }
  return QMainWindow::eventFilter(watched, e);
}

// A theme change (light to dark, say) gives a new application palette: the warning and
// greyed colours were worked out for the old one.
void MainWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::PaletteChange) RefreshReadableColours(this);
  QMainWindow::changeEvent(e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
  // A running job is asked to stop and the window stays, also while what a device call brought
  // back is being shown (a report); a live command is short and the window waits for it as it
  // goes. Unsaved edits are asked about.
  if (jobs_.running() || (worker_->busy() && !worker_->runningLive())) {
    jobs_.stop();
    e->ignore();
    return;
  }
  if (!settleUnsavedEdits()) {
    e->ignore();
    return;
  }
  // Edits kept for other modules live only for this run.
  if (const QStringList others = modulesWithUnsavedEdits(); !others.isEmpty()) {
    const std::string text = "Unsaved changes of " + others.join(", ").toStdString() +
                             " are lost when the window closes.\nTo keep them, choose the module in the "
                             "Modules list and save its file.";
    if (!session_.prompter().askToAct(text, Icon::Warning, "Close Anyway", "Cancel")) {
      e->ignore();
      return;
    }
  }
  e->accept();
}

void MainWindow::buildModules() {
  moduleStore_ = std::make_unique<ModuleStore>(session_.prompter());
  ModulesPanel::Hooks hooks;
  hooks.runJob = [this](const std::string& caption, std::function<bool(Session&)> body,
                        std::function<void()> done) {
    return runWindowJob(caption, std::move(body), std::move(done));
  };
  hooks.switchTo = [this](int module) { switchModule(module); };
  hooks.heldText = [this](int module) {
    ModuleKey key = ModuleKeyOf(session_.link);
    if (key.module == module) return QString("open");
    key.module = module;
    return moduleStore_->holds(key) ? QString("kept") : QString();
  };
  hooks.status = [this](const QString& text) { showStatus(text); };
  hooks.showReport = [this](const std::string& text) {
    if (!report_) report_ = new ReportWindow(this);
    report_->setReportText(text);
    report_->exec();
  };
  modulesPanel_ = new ModulesPanel(session_, std::move(hooks));
  modulesDock_ = new QDockWidget("Modules", this);
  modulesDock_->setObjectName("DockModules");
  modulesDock_->setWidget(modulesPanel_);
  addDockWidget(Qt::RightDockWidgetArea, modulesDock_);
  modulesDock_->hide();
  QAction* show = new QAction("&Modules...", deviceMenu_);
  show->setObjectName("ActionModules");
  show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  connect(show, &QAction::triggered, this, [this] {
    modulesDock_->show();
    modulesDock_->raise();
    modulesPanel_->setFocus();
  });
  deviceMenu_->insertAction(stopAction_, show);
}

void MainWindow::switchModule(int module) {
  if (deviceBusy() || jobs_.running() || !jobs_.PendingJob().empty()) return;
  const ModuleKey from = ModuleKeyOf(session_.link);
  if (from.module == module) return;
  moduleStore_->keep(from, session_,
                     ModulePart{std::make_shared<EditHistory>(std::move(session_.history)), fileName_});
  session_.link.setModuleAddress(module);
  const int base = session_.model.NumberBase;  // the numbering is the window's, not the module's
  const std::any* part = moduleStore_->restore(ModuleKeyOf(session_.link), session_);
  if (!part) {
    // A module not worked on yet starts as the window does.
    ResetDocument(session_, base);
    session_.forgetDevice();
    CopyEventsToAll(session_);
    ShowEventControl(session_);
  }
  session_.model.NumberBase = static_cast<uint8_t>(base);
  refreshAll();
  if (part) {
    // The module's own history comes back with its document: undo goes on where it was left.
    const auto& kept = std::any_cast<const ModulePart&>(*part);
    session_.history = std::move(*kept.history);
    fileName_ = kept.fileName;
    updateTitle();
    updateEditActions();
  } else {
    session_.history.reset(session_.document());
    markClean(QString());
  }
  modelChanged();
  deviceTab_->refreshOverview();
  modulesPanel_->refresh();
  showStatus(QString("Working on module %1").arg(module + base));
}

QStringList MainWindow::modulesWithUnsavedEdits() const {
  QStringList out;
  const ModuleKey current = ModuleKeyOf(session_.link);
  for (const ModuleKey& k : moduleStore_->keys()) {
    const Session* doc = moduleStore_->document(k);
    const auto* kept = std::any_cast<ModulePart>(moduleStore_->windowPart(k));
    if (k == current || !doc || !kept || !kept->history || kept->history->isClean()) continue;
    out << QString("module %1").arg(k.module + session_.model.NumberBase);
  }
  return out;
}

void MainWindow::loadDeviceLibrary(const std::string& programDir) {
  deviceTab_->LoadDeviceLibraryAtStart(programDir);
}

}  // namespace vorn
