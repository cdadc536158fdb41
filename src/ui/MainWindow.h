#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "link/Clock.h"
#include "link/Prompter.h"
#include "link/SerialPort.h"
#include "operations/Jobs.h"
#include "operations/Session.h"
#include "ui/LinkPanel.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace vorn {

class CommLogWindow;
class EventControlTab;
class GeneralTab;
class MessageBoxPrompter;
class ReportWindow;
class TestTab;
class DeviceConfigTab;

// The main window "Vorn Config": owns the session (model, general settings, link), the job
// slot with Timer1, the four tabs and every secondary window.
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
  // Start-up: the device library from the program's folder (asks for the file if it is missing).
  void loadDeviceLibrary(const std::string& programDir);

  // A job button: guard, busy label, pending name (the last request before a tick wins).
  void requestJob(const std::string& name);
  // Timer1's tick: runs the pending job to its end; never re-entered.
  void timer1Tick();

  // File operations of "Load File" and "Save File"; the path is asked for when empty.
  void loadFile(const QString& path = {});
  void saveFile(bool compact, const QString& path = {});

  // Where "Load File"/"Save File" get their path (the cdConfig dialog unless replaced).
  void setFileChooser(std::function<QString(bool save)> chooser) { chooser_ = std::move(chooser); }
  QString askFile(bool save);

  ReportWindow* reportWindow() const { return report_; }
  CommLogWindow* commLogWindow() const { return commLog_; }
  void showCommLog();
  // Redraws every display from the session.
  void refreshAll();

 private:
  void buildWindow();
  void hookSession();
  void setExpertMode(bool on);
  void tabChanged(int index);
  void releasePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void showReport();
  void showProgress(const Progress& p);
  void syncLinkDisplays();
  void addressesChanged();
  void numberingChanged();

  std::unique_ptr<MessageBoxPrompter> ownPrompter_;
  Session session_;
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
  ReportWindow* report_ = nullptr;
  CommLogWindow* commLog_ = nullptr;

  bool expert_ = false;
  bool inTick_ = false;
  bool pumping_ = false;  // repainting from inside a device routine
  int prevTab_ = 0;
  QString lastFolder_;
  std::function<QString(bool)> chooser_;  // within this run only
};

}  // namespace vorn
