#include "ui/ModulesPanel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "operations/Session.h"
#include "ui/CodePage1252.h"

namespace vorn {

namespace {

enum Column { kModule, kIdentity, kFirmware, kHeld, kResult, kColumns };

// The link stays quiet for a whole job over many modules: what goes wrong is listed per module
// instead of a message box per module.
struct QuietLink {
  Link& link;
  explicit QuietLink(Link& l) : link(l) { link.setQuiet(true); }
  ~QuietLink() { link.setQuiet(false); }
  QuietLink(const QuietLink&) = delete;
  QuietLink& operator=(const QuietLink&) = delete;
};

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setToolTip(tip);
  return b;
}

}  // namespace

ModulesPanel::ModulesPanel(Session& s, Hooks hooks, QWidget* parent)
    : QWidget(parent), s_(s), hooks_(std::move(hooks)) {
  setObjectName("ModulesPanel");
  find_ = button(this, "CommandFindModules", "Find Modules",
                 "Ask each module address 0-15 on this port for its identity (writes nothing)");
  use_ = button(this, "CommandUseModule", "Work On Module", "Make the chosen module the window's (Enter)");
  backUp_ = button(this, "CommandBackUpAll", "Back Up All...",
                   "Read every module listed into a folder, one file each");
  verify_ = button(this, "CommandVerifyAllModules", "Verify All Modules...",
                   "Compare every module with its file in a backup folder");
  report_ =
      button(this, "CommandModuleReport", "Show Report", "The verification report of the chosen module");
  list_ = new QTreeWidget(this);
  list_->setObjectName("ListModules");
  list_->setAccessibleName("Modules");
  list_->setRootIsDecorated(false);
  list_->setColumnCount(kColumns);
  list_->setHeaderLabels({"Module", "Identity string", "Firmware", "Window", "Last result"});
  list_->headerItem()->setToolTip(kHeld,
                                  "open: the window's module; kept: the window holds its configuration");
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list_->header()->setStretchLastSection(true);
  // Room for every column but the last, whose text may run long.
  list_->setMinimumWidth(380);
  summary_ = new QLabel(this);
  summary_->setObjectName("LabelModulesSummary");
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* row1 = new QHBoxLayout;
  row1->addWidget(find_);
  row1->addWidget(use_);
  row1->addStretch(1);
  auto* row2 = new QHBoxLayout;
  row2->addWidget(backUp_);
  row2->addWidget(verify_);
  row2->addWidget(report_);
  row2->addStretch(1);
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(row1);
  lay->addWidget(list_, 1);
  lay->addLayout(row2);
  lay->addWidget(summary_);

  setFocusProxy(find_);  // Device > Modules: Enter starts the search
  connect(find_, &QPushButton::clicked, this, &ModulesPanel::findModules);
  connect(use_, &QPushButton::clicked, this, &ModulesPanel::useSelected);
  connect(backUp_, &QPushButton::clicked, this, &ModulesPanel::backUpAll);
  connect(verify_, &QPushButton::clicked, this, &ModulesPanel::verifyAllModules);
  connect(report_, &QPushButton::clicked, this, &ModulesPanel::showSelectedReport);
  // A double-click on a verification result opens its report; anywhere else (and Enter), the
  // module becomes the window's.
  connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int column) {
    list_->setCurrentItem(item);
    if (column == kResult && report_->isEnabled())
      showSelectedReport();
    else
      useSelected();
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, &ModulesPanel::updateButtons);
  refresh();
}

QString ModulesPanel::shown(int module) const { return QString::number(module + s_.model.NumberBase); }

QString ModulesPanel::caption(int module) const {
  for (const Row& r : rows_) {
    if (r.found.module != module) continue;
    const QString id = FromCodePage(r.found.id);
    return "module " + shown(module) + (id.isEmpty() ? QString() : QString::fromUtf8(" \u2014 ") + id);
  }
  return rows_.empty() ? QString() : "module " + shown(module);
}

int ModulesPanel::selectedModule() const {
  const QTreeWidgetItem* item = list_->currentItem();
  return item ? item->data(kModule, Qt::UserRole).toInt() : -1;
}

void ModulesPanel::refresh() {
  // The list belongs to the bus it was made on: another port has other Vorns.
  if (!rows_.empty() && s_.link.pickedDevice() != listedPort_) {
    rows_.clear();
    summary_->clear();
  }
  const int selected = selectedModule();
  const QSignalBlocker block(list_);
  list_->clear();
  for (const Row& r : rows_) {
    auto* item = new QTreeWidgetItem(list_);
    item->setData(kModule, Qt::UserRole, r.found.module);
    item->setText(kModule, shown(r.found.module));
    item->setText(kIdentity, FromCodePage(r.found.id));
    item->setText(kFirmware, QString::fromStdString(r.found.version));
    item->setText(kHeld, hooks_.heldText ? hooks_.heldText(r.found.module) : QString());
    item->setText(kResult, QString::fromStdString(r.result));
    if (r.found.module == selected) list_->setCurrentItem(item);
  }
  updateButtons();
}

void ModulesPanel::updateButtons() {
  const Row* current = nullptr;
  for (const Row& r : rows_) {
    if (r.found.module == selectedModule()) current = &r;
  }
  use_->setEnabled(current != nullptr);
  report_->setEnabled(current != nullptr && !current->report.empty());
  backUp_->setEnabled(std::any_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.answered; }));
}

void ModulesPanel::merge(int module, const std::function<void(Row&)>& change) {
  listedPort_ = s_.link.pickedDevice();
  auto it =
      std::find_if(rows_.begin(), rows_.end(), [module](const Row& r) { return r.found.module == module; });
  if (it == rows_.end()) {
    Row r;
    r.found.module = module;
    it = rows_.insert(std::upper_bound(rows_.begin(), rows_.end(), module,
                                       [](int m, const Row& row) { return m < row.found.module; }),
                      r);
  }
  change(*it);
}

void ModulesPanel::findModules() {
  auto found = std::make_shared<std::vector<FoundModule>>();
  auto stopped = std::make_shared<bool>(false);
  const bool started = hooks_.runJob(
      "Find Modules",
      [found, stopped](Session& s) {
        *found = FindModules(s);
        *stopped = s.stopped();
        s.HideBusy();
        return true;
      },
      [this, found, stopped] {
        rows_.clear();
        listedPort_ = s_.link.pickedDevice();
        QStringList names;
        for (const FoundModule& f : *found) {
          rows_.push_back(Row{f, true, {}, {}});
          names << shown(f.module);
        }
        QString text = found->empty() ? QString("no module answered on ") +
                                            QString::fromStdString(s_.link.pickedDevice())
                                      : QString("%1 module%2 found: %3")
                                            .arg(found->size())
                                            .arg(found->size() == 1 ? "" : "s")
                                            .arg(names.join(", "));
        // A port that failed on the way: the reason, not "no module answered".
        if (!s_.link.isOpen() && !s_.link.lastProblem().empty())
          text = QString::fromStdString(s_.link.lastProblem());
        text = (*stopped ? "Find Modules stopped: " : "Find Modules: ") + text;
        summary_->setText(text);
        if (hooks_.status) hooks_.status(text);
        refresh();
        if (!rows_.empty() && !list_->currentItem()) list_->setCurrentItem(list_->topLevelItem(0));
      });
  if (!started) summary_->setText("Find Modules not started");
}

void ModulesPanel::useSelected() {
  const int m = selectedModule();
  if (m >= 0 && hooks_.switchTo) hooks_.switchTo(m);
  refresh();
}

void ModulesPanel::showSelectedReport() {
  for (const Row& r : rows_) {
    if (r.found.module == selectedModule() && !r.report.empty() && hooks_.showReport)
      hooks_.showReport(r.report);
  }
}

QString ModulesPanel::askFolder(bool forBackUp) {
  if (folderChooser) return folderChooser(forBackUp);
  // Qt's own dialog: nothing outside this program remembers the folder.
  QFileDialog dlg(
      this, forBackUp ? "Back Up All: folder for the module files" : "Verify All Modules: backup folder",
      lastFolder_);
  dlg.setObjectName("cdModulesFolder");
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setOption(QFileDialog::ShowDirsOnly, true);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  lastFolder_ = dlg.selectedFiles().first();
  return lastFolder_;
}

void ModulesPanel::backUpAll() {
  std::vector<int> modules;
  for (const Row& r : rows_) {
    if (r.answered) modules.push_back(r.found.module);
  }
  if (modules.empty()) return;
  const QString dir = askFolder(true);
  if (dir.isEmpty()) return;
  auto outcomes = std::make_shared<std::vector<ModuleOutcome>>();
  hooks_.runJob(
      "Back Up All",
      [outcomes, modules, dir = dir.toStdString()](Session& s) {
        const QuietLink quiet(s.link);
        *outcomes = BackUpModules(s, modules, dir);
        s.HideBusy();
        return true;
      },
      [this, outcomes, dir, total = modules.size()] {
        int saved = 0;
        for (const ModuleOutcome& o : *outcomes) {
          saved += o.kind == ModuleOutcome::Kind::Saved ? 1 : 0;
          merge(o.module, [&o](Row& r) {
            r.result = OutcomeText(o);
            if (!o.found.version.empty()) r.found = o.found;
          });
        }
        const QString text =
            QString("Back Up All: %1 of %2 modules saved in %3").arg(saved).arg(total).arg(dir);
        summary_->setText(text);
        if (hooks_.status) hooks_.status(text);
        refresh();
      });
}

void ModulesPanel::verifyAllModules() {
  const QString dir = askFolder(false);
  if (dir.isEmpty()) return;
  const std::vector<ModuleIndexEntry> entries = ModulesInFolder(dir.toStdString());
  if (entries.empty()) {
    s_.prompter().message("No module-NN.dat files in " + dir.toStdString(), Icon::Exclamation);
    return;
  }
  // The folder's index fills in what the list does not know yet (a run that found nothing).
  std::vector<int> modules;
  for (const ModuleIndexEntry& e : entries) {
    modules.push_back(e.module);
    merge(e.module, [&e](Row& r) {
      if (r.found.version.empty()) r.found = FoundModule{e.module, e.version, e.id};
      r.result = "in " + ModuleFileName(e.module);
      r.report.clear();
    });
  }
  refresh();
  auto outcomes = std::make_shared<std::vector<ModuleOutcome>>();
  hooks_.runJob(
      "Verify All Modules",
      [outcomes, modules, dir = dir.toStdString()](Session& s) {
        const QuietLink quiet(s.link);
        *outcomes = VerifyModules(s, modules, dir);
        s.HideBusy();
        return true;
      },
      [this, outcomes, total = modules.size()] {
        int ok = 0;
        for (const ModuleOutcome& o : *outcomes) {
          ok += o.kind == ModuleOutcome::Kind::VerifyOk ? 1 : 0;
          merge(o.module, [&o](Row& r) {
            r.result = OutcomeText(o);
            r.report = o.report;
            if (!o.found.version.empty()) {
              r.found = o.found;
              r.answered = true;
            }
          });
        }
        const QString text = QString("Verify All Modules: %1 of %2 modules Verify OK").arg(ok).arg(total);
        summary_->setText(text);
        if (hooks_.status) hooks_.status(text);
        refresh();
      });
}

}  // namespace vorn
