#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "operations/Modules.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vorn {

class Session;

// The "Modules" panel: every Vorn on the bus of the current port. "Find Modules" asks each
// module address for its identity string and firmware; choosing a module makes it the
// window's; "Back Up All" saves every module listed into a folder, "Verify All Modules"
// checks them against such a folder. The device work runs as the window's jobs.
class ModulesPanel : public QWidget {
  Q_OBJECT
 public:
  // What the panel needs of the window.
  struct Hooks {
    // Runs a job on the device thread (progress, Stop, input dropped); false when it could
    // not start. `done` follows on the window's thread.
    std::function<bool(const std::string& caption, std::function<bool(Session&)> body,
                       std::function<void()> done)>
        runJob;
    std::function<void(int module)> switchTo;     // make the module the window's
    std::function<QString(int module)> heldText;  // whether the window holds its configuration
    std::function<void(const QString&)> status;   // the window's status line
    std::function<void(const std::string&)> showReport;
  };
  struct Row {
    FoundModule found;
    bool answered = false;  // found on the bus (not only listed in a backup folder)
    std::string result;     // what the last Back Up All or Verify All Modules made of it
    std::string report;     // its verification report
  };

  ModulesPanel(Session& s, Hooks hooks, QWidget* parent = nullptr);

  void findModules();
  void backUpAll();
  void verifyAllModules();
  // Redraws the list (the window's module, the configurations it holds).
  void refresh();
  const std::vector<Row>& rows() const { return rows_; }
  // "module 4 — Yard West" for the title while modules are listed; "" otherwise.
  QString caption(int module) const;
  // Where the backup folder is asked for (a folder dialog unless replaced).
  std::function<QString(bool forBackUp)> folderChooser;

 private:
  void merge(int module, const std::function<void(Row&)>& change);
  void updateButtons();
  void useSelected();
  void showSelectedReport();
  QString askFolder(bool forBackUp);
  int selectedModule() const;
  QString shown(int module) const;

  Session& s_;
  Hooks hooks_;
  std::vector<Row> rows_;
  std::string listedPort_;  // the port whose bus the rows are of
  QString lastFolder_;
  QTreeWidget* list_;
  QPushButton* find_;
  QPushButton* use_;
  QPushButton* backUp_;
  QPushButton* verify_;
  QPushButton* report_;
  QLabel* summary_;
};

}  // namespace vorn
