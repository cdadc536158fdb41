#include "ui/MainWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "VornVersion.h"
#include "files/ConfigFile.h"
#include "link/PortList.h"
#include "operations/EventControl.h"
#include "ui/EventControlTab.h"
#include "ui/GeneralTab.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/NoSettings.h"
#include "ui/SecondaryWindows.h"
#include "ui/TestTab.h"
#include "ui/WindowWidgets.h"

#include "ui/DeviceConfigTab.h"

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

}  // namespace

MainWindow::MainWindow(SerialPort& port, Clock& clock, Prompter* prompter, PortProber prober, QWidget* parent)
    : QMainWindow(parent),
      session_(port, clock, pickPrompter(prompter, ownPrompter_)),
      jobs_(session_),
      prober_(prober ? std::move(prober) : PortProber(&ProbePorts)) {
  KeepNoSettings();
  if (ownPrompter_) ownPrompter_->setOwner(this);
  setObjectName("frmVornConfig");
  setWindowTitle("Vorn Config");
  buildWindow();
  hookSession();

  // Start-up: port list, event-control defaults into every pin, address tables, numbering.
  linkPanel_->RefreshPortList();
  CopyEventsToAll(session_);
  ShowEventControl(session_);
  session_.model.RecalcAllStarts();
  refreshAll();

  timer1_ = new QTimer(this);
  timer1_->setObjectName("Timer1");
  timer1_->setInterval(200);
  connect(timer1_, &QTimer::timeout, this, &MainWindow::timer1Tick);
  timer1_->start();
}

MainWindow::~MainWindow() {
  // The session's hooks point into this window; nothing may call them while it goes.
  session_.onBusyChanged = nullptr;
  session_.onProgress = nullptr;
  session_.onDisplayRefresh = nullptr;
  session_.onPinConfigRefresh = nullptr;
  session_.onGeneralChanged = nullptr;
  session_.onShowReport = nullptr;
  session_.onEventControlRefresh = nullptr;
  session_.onIDStringRefused = nullptr;
  session_.link.log.onChange = nullptr;
  if (session_.link.isOpen()) session_.link.closePort();
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
  testTab_->setBusyCheck([this] { return inTick_ || pumping_ || jobs_.running(); });
  tabs_->addTab(generalTab_, "General");
  tabs_->addTab(ecTab_, "Vorn Event Control");
  tabs_->addTab(deviceTab_, "Vorn Device Configuration");
  tabs_->addTab(testTab_, "Test");

  auto* status = new QHBoxLayout;
  labelAction_ = new QLabel("Working ... Please WAIT", central);
  labelAction_->setObjectName("LabelAction");
  labelAction_->setStyleSheet("font-weight: bold; color: #b00000;");
  labelAction_->hide();
  progress_ = new QProgressBar(central);
  progress_->setObjectName("ProgressAction");
  progress_->setTextVisible(true);
  progress_->hide();
  status->addWidget(labelAction_);
  status->addWidget(progress_, 1);
  status->addStretch(0);

  auto* lay = new QVBoxLayout(central);
  lay->addLayout(top);
  lay->addWidget(tabs_, 1);
  lay->addLayout(status);
  setCentralWidget(central);

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
  connect(linkPanel_, &LinkPanel::portChanged, this, [this] { testTab_->portChanged(); });
  connect(generalTab_, &GeneralTab::addressesChanged, this, &MainWindow::addressesChanged);
  connect(generalTab_, &GeneralTab::driversChanged, this, [this] { deviceTab_->refreshPinConfig(); });

  auto* keyLoad = new QShortcut(QKeySequence::Open, this);
  connect(keyLoad, &QShortcut::activated, this, [this] { loadFile(); });
  auto* keySave = new QShortcut(QKeySequence::Save, this);
  connect(keySave, &QShortcut::activated, this, [this] { saveFile(false); });
  auto* keyCompact = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this);
  connect(keyCompact, &QShortcut::activated, this, [this] { saveFile(true); });
  auto* keyRead = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(keyRead, &QShortcut::activated, this, [this] { requestJob("ReadAll"); });

  setTabOrder(readAll, writeAll);
  setTabOrder(writeAll, verifyAll);
  setTabOrder(verifyAll, load);
  setTabOrder(load, save);
  setTabOrder(save, tabs_);
}

void MainWindow::hookSession() {
  Session& s = session_;
  s.onBusyChanged = [this](bool on) {
    labelAction_->setVisible(on);
    if (!on) progress_->hide();
  };
  s.onProgress = [this](const Progress& p) { showProgress(p); };
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
  s.onIDStringRefused = [this](int position) { generalTab_->markIDString(position); };
  s.link.log.onChange = [this] {
    if (commLog_) commLog_->sync();
  };
}

void MainWindow::requestJob(const std::string& name) { jobs_.request(name); }

void MainWindow::timer1Tick() {
  if (inTick_ || pumping_) return;  // a modal report or a progress repaint let the timer fire again
  inTick_ = true;
  jobs_.tick();
  inTick_ = false;
  syncLinkDisplays();
}

void MainWindow::showProgress(const Progress& p) {
  if (p.total > 0) {
    progress_->setRange(0, p.total);
    progress_->setValue(p.done);
    progress_->setFormat(QString::fromStdString(p.text));
    progress_->show();
  }
  // Keep the window painted (and answering the desktop) during a long job, but take no
  // input until the job is over; Timer1 cannot re-enter (inTick_), Timer2 skips.
  const bool outer = !pumping_;
  pumping_ = true;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (outer) pumping_ = false;
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

void MainWindow::addressesChanged() { deviceTab_->refreshAll(); }

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
  dlg.selectFile(QString());
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  const QString path = dlg.selectedFiles().first();
  lastFolder_ = QFileInfo(path).absolutePath();
  return path;
}

void MainWindow::loadFile(const QString& given) {
  const QString path = !given.isEmpty() ? given : (chooser_ ? chooser_(false) : askFile(false));
  if (path.isEmpty()) return;
  std::optional<EnableMapBytes> maps;
  if (LoadConfigFile(path.toStdString(), session_.model, session_.general, session_.prompter(), &maps) !=
      ConfigLoadStatus::Loaded)
    return;
  SetEnableMaps(session_.ec, maps);
  ShowEventControl(session_);
  refreshAll();
}

void MainWindow::saveFile(bool compact, const QString& given) {
  const QString path = !given.isEmpty() ? given : (chooser_ ? chooser_(true) : askFile(true));
  if (path.isEmpty()) return;
  SaveConfigFile(path.toStdString(), session_.model, session_.general,
                 compact ? ConfigFileMode::Compact : ConfigFileMode::Full, session_.prompter(),
                 EnableMapsForFile(session_.ec));
  deviceTab_->refreshPinConfig();  // a servo's stored byte may have been trimmed
}

void MainWindow::loadDeviceLibrary(const std::string& programDir) {
  deviceTab_->LoadDeviceLibraryAtStart(programDir);
}

}  // namespace vorn
