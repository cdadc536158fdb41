#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "model/ConfigModel.h"

class QLabel;
class QPushButton;
class QTableView;

namespace vorn {

class Session;

// All 32 pins, one row each: number, type, a state ("changed" against the Vorn as last known,
// "differs" / "ok" after a verification), description, device, aspect layout, first DCC and
// serial address. The state comes early so that a narrow table still shows it. Rows are
// recomputed from the session on refresh(), which the window calls on every change of the
// document, the pin or the addresses.
class PinOverviewModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    ColPin,
    ColType,
    ColState,
    ColDescription,
    ColDevice,
    ColAspects,
    ColDCC,
    ColSerial,
    ColCount
  };

  explicit PinOverviewModel(Session& s, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  // Recomputes every row; emits dataChanged only for rows whose texts changed.
  void refresh();

 private:
  struct Row {
    std::array<QString, ColCount> text;
    QString findings;  // the pin's verification lines
    bool operator==(const Row&) const = default;
  };
  Row rowFor(int pin, const std::array<bool, kPinsInUse>& changed);

  Session& s_;
  std::array<Row, kPinsInUse> rows_;
};

// The overview with "Show Changes" and "Write Changes" and a pane for the selected pin's
// verification lines. Selecting a row makes it the current pin (through onSelectPin); the
// selection follows the current pin on refresh.
class PinOverview : public QWidget {
  Q_OBJECT
 public:
  PinOverview(Session& s, QWidget* parent = nullptr);

  // Redraw from the session: rows, selection, buttons.
  void refresh();
  // Scrolls the current pin's row into view (now, or when the table is shown next). The
  // window runs it after jobs and file loads; other redraws leave the scrolling to the user.
  void showCurrentPin();
  QSize sizeHint() const override;

  std::function<void(int pin)> onSelectPin;
  std::function<void()> onShowChanges;
  std::function<void()> onWriteChanges;
  // Whether there is a Vorn as last known, each time that changes.
  std::function<void(bool known)> onKnownChanged;

  QTableView& view() { return *view_; }
  PinOverviewModel& model() { return *model_; }

 private:
  void showFindings();
  void showEvent(QShowEvent* e) override;

  Session& s_;
  PinOverviewModel* model_;
  QTableView* view_;
  QLabel* findings_;
  QPushButton* show_;
  QPushButton* write_;
  bool syncing_ = false;
  bool scrollPending_ = false;
  int known_ = -1;
};

}  // namespace vorn
