#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

#include "link/Clock.h"
#include "link/MirrorPort.h"
#include "link/Prompter.h"
#include "link/SerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"
#include "ui/DeviceWorker.h"
#include "ui/LinkPanel.h"

class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace vorn {

class CommLogWindow;
class EventControlTab;
class GeneralTab;
class JobInputFilter;
class MessageBoxPrompter;
class ModulesPanel;
class ModuleStore;
class ReportWindow;
class TestTab;
class DeviceConfigTab;

// The main window "Vorn Config": owns the session (model, general settings, link options),
// the job slot with Timer1, the four tabs and every secondary window. The device itself is
// worked on a thread of its own (DeviceWorker): the window hands it jobs and single requests
// and shows the results when they come back; it never waits on the port.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // prompter: message boxes when null. prober: the port list source (ProbePorts when empty).
  MainWindow(SerialPort& port, Clock& clock, Prompter* prompter = nullptr, PortProber prober = {},
             QWidget* parent = nullptr);
  ~MainWindow() override;

  Session& session() { return session_; }
  JobRunner& jobs() { return jobs_; }
  bool expertMode() const { return expert_; }
  // Start-up: shows the window inside the screen's available area, frame included (centred at
  // its preferred size, or maximised where that does not fit).
  void showAtStart();
  // Start-up: the device library from the program's folder (asks for the file if it is missing).
  void loadDeviceLibrary(const std::string& programDir);

  // A job button: guard, busy label, pending name (the last request before a tick wins).
  // "ReadAll" first asks about unsaved edits.
  void requestJob(const std::string& name);
  // Timer1's tick: hands the pending job to the device thread. While it runs, user input to
  // the window is dropped (JobInputFilter) but for Stop and Escape; the window keeps painting.
  void timer1Tick();
  // Whether the device thread has work running or queued (or its results are being shown).
  bool deviceBusy() const;
  // The running job's progress as last shown.
  const Progress& shownProgress() const { return shownProgress_; }
  // Stop button, Escape, Device > Stop: the running job ends between two transactions.
  void stopJob();

  // The Device menu; another job adds its action with addJobAction(caption, "JobName").
  QMenu* deviceMenu() const { return deviceMenu_; }
  QAction* addJobAction(const QString& caption, const std::string& jobName, const QKeySequence& key = {});
  void addChangesActions();

  // The status bar line: one line after each job and file action, kept until the next.
  void showStatus(const QString& line);
  QString statusText() const;

  // Unsaved edits: the title's "modified" marker is set while the edit history stands
  // anywhere but at its clean point (the last Load File, Save File or Read All). Call
  // modelChanged() after changing the model outside the editors: it records the change as a
  // step. markClean() after the session was made to match a file or the device.
  void modelChanged();
  void markClean(const QString& fileName);
  bool hasUnsavedEdits() const;
  // Close, Load File and Read All with unsaved edits ask first (Save / Discard / Cancel);
  // returns whether to go on. Save saves the full file first.
  bool settleUnsavedEdits();
  // Where that question is answered (a message box unless replaced).
  void setUnsavedQuestion(std::function<QMessageBox::StandardButton()> ask) { askUnsaved_ = std::move(ask); }

  // File operations of "Load File" and "Save File"; the path is asked for when empty.
  // They return whether the file was loaded or saved.
  bool loadFile(const QString& path = {});
  bool saveFile(bool compact, const QString& path = {});

  // Where "Load File"/"Save File" get their path (the cdConfig dialog unless replaced).
  void setFileChooser(std::function<QString(bool save)> chooser) { chooser_ = std::move(chooser); }
  QString askFile(bool save);

  // Edit > Undo / Redo: one step of the session's edit history, never sent to the Vorn; not
  // while device work holds the configuration.
  void undo();
  void redo();
  // Edit > Revert Pin to Vorn / Revert All to Vorn (also in the pin editor's context menu): the
  // current pin, or everything, as the Vorn as last known holds it; one step each.
  void revertToVorn(bool all);
  // The Edit menu's texts and states and the modified marker, from the session's history (also
  // after another history was put in its place).
  void updateEditActions();

  ReportWindow* reportWindow() const { return report_; }
  QPushButton* stopButton() const { return stop_; }
  CommLogWindow* commLogWindow() const { return commLog_; }
  void showCommLog();
  // Redraws every display from the session.
  void refreshAll();

  // ---- Several Vorns on one bus ----------------------------------------------------------
  // The "Modules" panel (a dock, from Device > Modules).
  ModulesPanel* modulesPanel() const { return modulesPanel_; }
  QDockWidget* modulesDock() const { return modulesDock_; }
  // Makes `module` the window's module: what the window holds for the module it leaves is
  // kept for this run; the module chosen gets back what was kept for it (its edits, its
  // device as last known), or a start-up configuration.
  void switchModule(int module);
  // Runs a job of the window's own on the device thread like the job buttons' (progress,
  // Stop, input dropped); false when it could not start now.
  bool runWindowJob(const std::string& caption, std::function<bool(Session&)> body,
                    std::function<void()> done);

 signals:
  // The document changed through the session's one door (an edit, a load, a read, an undo):
  // what the step is called.
  void documentChanged(const QString& what);

 private:
  void buildWindow();
  void buildEditMenu();
  void documentEdited(const std::string& what);
  void moveInHistory(bool back);
  void fitFrame();
  void buildMenus(QPushButton* readAll, QPushButton* writeAll, QPushButton* verifyAll);
  void buildStatusBar();
  void hookSession();
  void hookWorker();
  void startJob();
  void beginJobDisplay();
  void buildModules();
  void updateTitle();
  QStringList modulesWithUnsavedEdits() const;
  void endJobState();
  void jobEnded(double seconds);
  void showShortcuts();
  void showAbout();
  void setExpertMode(bool on);
  void tabChanged(int index);
  void releasePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void showReport();
  void showProgress(const DeviceWorker::JobProgress& p);
  void syncLinkDisplays();
  void addressesChanged();
  void numberingChanged();

  std::unique_ptr<MessageBoxPrompter> ownPrompter_;
  MirrorPort mirrorPort_;  // the window's view of the port the device thread owns
  Session session_;
  DeviceWorker* worker_ = nullptr;
  JobRunner jobs_;
  PortProber prober_;

  LinkPanel* linkPanel_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  GeneralTab* generalTab_ = nullptr;
  EventControlTab* ecTab_ = nullptr;
  DeviceConfigTab* deviceTab_ = nullptr;  // owned by the tab widget
  TestTab* testTab_ = nullptr;
  QLabel* labelAction_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLineEdit* textResponse_ = nullptr;
  QTimer* timer1_ = nullptr;
  QPushButton* stop_ = nullptr;
  QLabel* statusLine_ = nullptr;
  QMenu* deviceMenu_ = nullptr;
  QAction* stopAction_ = nullptr;
  QAction* expertAction_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  QAction* revertPin_ = nullptr;
  QAction* revertAll_ = nullptr;
  bool deviceCall_ = false;  // device work holds the configuration (not a live command)
  JobInputFilter* inputFilter_ = nullptr;
  ReportWindow* report_ = nullptr;
  CommLogWindow* commLog_ = nullptr;
  std::unique_ptr<ModuleStore> moduleStore_;
  ModulesPanel* modulesPanel_ = nullptr;
  QDockWidget* modulesDock_ = nullptr;

  bool expert_ = false;
  double jobStart_ = 0;
  Progress shownProgress_;
  int prevTab_ = 0;
  QString lastFolder_;
  std::function<QString(bool)> chooser_;  // within this run only
  std::function<QMessageBox::StandardButton()> askUnsaved_;

  QString fileName_;
  // The window's part of what is kept per module.
  struct ModulePart {
    std::shared_ptr<EditHistory> history;  // its undo steps and clean point
    QString fileName;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
};

}  // namespace vorn
