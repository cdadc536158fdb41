#include "ui/PinOverview.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "model/Addresses.h"
#include "model/ConfigDiff.h"
#include "operations/Session.h"
#include "ui/DeviceConfigWidgets.h"

namespace vorn {

namespace {

constexpr char kReadAllFirst[] = "Read All first";

QString layoutText(uint8_t c) { return c == kLayout4x9 ? "4" : (c == kLayout12x3 ? "12" : "0"); }

}  // namespace

PinOverviewModel::PinOverviewModel(Session& s, QObject* parent) : QAbstractTableModel(parent), s_(s) {}

int PinOverviewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kPinsInUse; }
int PinOverviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColCount; }

QVariant PinOverviewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= kPinsInUse || index.column() >= ColCount) return {};
  const Row& r = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return r.text[static_cast<size_t>(index.column())];
  if (role == Qt::ToolTipRole && index.column() == ColState && !r.findings.isEmpty()) return r.findings;
  if (role == Qt::ToolTipRole && (index.column() == ColDescription || index.column() == ColDevice))
    return r.text[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole && index.column() != ColDescription && index.column() != ColDevice)
    return int(Qt::AlignCenter);
  return {};
}

QVariant PinOverviewModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole || o != Qt::Horizontal) return {};
  static const char* kHeads[ColCount] = {"Pin",    "Type", "State", "Description",
                                         "Device", "Asp",  "DCC",   "Serial"};
  return section >= 0 && section < ColCount ? QString(kHeads[section]) : QVariant();
}

PinOverviewModel::Row PinOverviewModel::rowFor(int p, const std::array<bool, kPinsInUse>& changed) {
  ConfigModel& m = s_.model;
  const PinData& pd = m.pin(p);
  Row r;
  r.text[ColPin] = QString::number(p + m.NumberBase);
  r.text[ColType] = QString::fromStdString(PinTypeText(pd.PinConfig[0]));
  r.text[ColDescription] = FromModelText(pd.Description);
  const int device = p + pd.DevicePointer;
  if (device >= 0 && device < kPinsInUse) r.text[ColDevice] = FromModelText(m.pin(device).DeviceName);
  r.text[ColAspects] = layoutText(pd.AspectConfig);
  // The address texts are those of the current pin's labels.
  const uint8_t cur = m.CurPin;
  m.CurPin = static_cast<uint8_t>(p);
  r.text[ColDCC] = QString::fromStdString(DCCAddressText(m));
  SerialAddressContext c;
  c.ModuleAddress = s_.link.opts.ModuleAddress;
  c.ExtAddress = s_.link.opts.ExtAddress;
  c.UseExtAddress = s_.link.opts.CheckXaddress;
  c.PalkFlexEnabled = s_.general.PalkFlexEnabled;
  r.text[ColSerial] = QString::fromStdString(SerialAddressText(m, c).Serial);
  m.CurPin = cur;

  QStringList state;
  if (changed[static_cast<size_t>(p)]) state << "changed";
  const Session::PinMark mark = s_.pinMarks[static_cast<size_t>(p)];
  if (mark == Session::PinMark::Differs) state << "differs";
  if (mark == Session::PinMark::Ok) state << "ok";
  r.text[ColState] = state.join(", ");
  r.findings = FromModelText(s_.pinFindings[static_cast<size_t>(p)]).trimmed();
  return r;
}

void PinOverviewModel::refresh() {
  ShowDCCRange(s_.model, s_.general);  // the bases the address texts start from
  ShowXDCCRange(s_.model, s_.general);
  const std::array<bool, kPinsInUse> changed = PinsWithDeviceChanges(s_.changesToDevice());
  for (int p = 0; p < kPinsInUse; ++p) {
    Row r = rowFor(p, changed);
    if (r == rows_[static_cast<size_t>(p)]) continue;
    rows_[static_cast<size_t>(p)] = std::move(r);
    emit dataChanged(index(p, 0), index(p, ColCount - 1));
  }
}

PinOverview::PinOverview(Session& s, QWidget* parent) : QWidget(parent), s_(s) {
  setObjectName("PinOverviewPane");
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  model_ = new PinOverviewModel(s, this);
  view_ = new QTableView(this);
  view_->setObjectName("PinOverview");
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // One stop in the Tab chain: the arrow keys, Home, End and the page keys choose the pin.
  view_->setTabKeyNavigation(false);
  view_->setAccessibleName("Pin overview");
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  view_->horizontalHeader()->setMaximumSectionSize(130);  // long descriptions are cut, the tooltip has them
  lay->addWidget(view_, 1);

  findings_ = new QLabel(this);
  findings_->setObjectName("lblPinFindings");
  findings_->setWordWrap(true);
  findings_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lay->addWidget(findings_);

  auto* buttons = new QHBoxLayout;
  show_ = new QPushButton("Show Changes", this);
  show_->setObjectName("CommandShowChanges");
  write_ = new QPushButton("Write Changes", this);
  write_->setObjectName("CommandWriteChanges");
  buttons->addWidget(show_);
  buttons->addWidget(write_);
  buttons->addStretch();
  lay->addLayout(buttons);
  connect(show_, &QPushButton::clicked, this, [this] {
    if (onShowChanges) onShowChanges();
  });
  connect(write_, &QPushButton::clicked, this, [this] {
    if (onWriteChanges) onWriteChanges();
  });

  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& now) {
            showFindings();
            if (syncing_ || !now.isValid() || now.row() == s_.model.CurPin) return;
            if (onSelectPin) onSelectPin(now.row());
          });

  refresh();
}

void PinOverview::refresh() {
  model_->refresh();
  // Never narrower than pin, type and state: the state is what the table is for.
  QHeaderView* head = view_->horizontalHeader();
  const int least = head->sectionSize(PinOverviewModel::ColPin) +
                    head->sectionSize(PinOverviewModel::ColType) +
                    head->sectionSize(PinOverviewModel::ColState) + 2 * view_->frameWidth() +
                    view_->verticalScrollBar()->sizeHint().width();
  view_->setMinimumWidth(least);
  updateGeometry();  // the columns may have grown
  const bool known = s_.deviceAsLastKnown() != nullptr;
  for (QPushButton* b : {show_, write_}) {
    b->setEnabled(known);
    b->setToolTip(known ? QString() : QString(kReadAllFirst));
  }
  if (known_ != int(known)) {
    known_ = int(known);
    if (onKnownChanged) onKnownChanged(known);
  }
  const int cur = s_.model.CurPin;
  if (view_->currentIndex().row() != cur) {
    syncing_ = true;
    view_->setCurrentIndex(model_->index(cur, PinOverviewModel::ColPin));
    syncing_ = false;
  }
  showFindings();
}

void PinOverview::showCurrentPin() {
  if (!isVisible()) {
    scrollPending_ = true;
    return;
  }
  scrollPending_ = false;
  const QModelIndex current = model_->index(s_.model.CurPin, PinOverviewModel::ColPin);
  view_->scrollTo(current);
  view_->horizontalScrollBar()->setValue(0);  // the pin's number stays in sight
}

void PinOverview::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (scrollPending_) showCurrentPin();
}

QSize PinOverview::sizeHint() const {
  // Wide enough for every column as its contents need, and the scroll bar.
  const int width = view_->horizontalHeader()->length() + 2 * view_->frameWidth() +
                    view_->verticalScrollBar()->sizeHint().width();
  return {width, QWidget::sizeHint().height()};
}

void PinOverview::showFindings() {
  const int row = view_->currentIndex().row();
  const QString f =
      row >= 0 ? model_->data(model_->index(row, PinOverviewModel::ColState), Qt::ToolTipRole).toString()
               : QString();
  findings_->setText(f);
  findings_->setVisible(!f.isEmpty());
}

}  // namespace vorn
