#include "ui/PinEditor.h"

#include <memory>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "files/DeviceLibrary.h"
#include "model/Addresses.h"
#include "model/Instructions.h"
#include "operations/Live.h"
#include "operations/PinTransfer.h"
#include "operations/Session.h"
#include "ui/CodePage1252.h"
#include "ui/DeviceConfigWidgets.h"
#include "ui/EditDialogs.h"
#include "ui/HelpTools.h"

namespace vorn {

namespace {

constexpr int kParOffset = 0;
constexpr int kPar1 = 1;
constexpr int kPar2 = 2;
constexpr int kPar3 = 3;

const char* const kParNames[4] = {"TextPAspOffset", "TextPAspPar1", "TextPAspPar2", "TextPAspPar3"};
const char* const kHelpToolTip = "Double-click or F2 for help-tool";
// One key opens the edit dialog of whatever the focused box belongs to: pin, aspect or step.
const QKeySequence kEditKey(Qt::CTRL | Qt::SHIFT | Qt::Key_E);
const char* const kCopyPasteTip = "Click for copy/paste tools";

QString Indexed(const char* name, int i) { return QString("%1_%2").arg(name).arg(i); }

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

// Text box with its spinner side by side.
QWidget* Pair(QLineEdit* box, UpDown* spin, QWidget* parent) {
  auto* w = new QWidget(parent);
  auto* lay = new QHBoxLayout(w);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(0);
  box->setParent(w);
  spin->setParent(w);
  box->setMaximumWidth(box->fontMetrics().horizontalAdvance("-0000") + 12);
  lay->addWidget(box);
  lay->addWidget(spin);
  lay->addStretch();
  return w;
}

// A key that acts while `w` has the focus.
void OnKey(QWidget* w, const QKeySequence& key, QObject* context, std::function<void()> act) {
  auto* sc = new QShortcut(key, w);
  sc->setContext(Qt::WidgetShortcut);
  QObject::connect(sc, &QShortcut::activated, context, std::move(act));
}

// A plain function key on a text box: the box claims such keys before any shortcut sees
// them, so it is taken from the key press itself.
class FunctionKey : public QObject {
 public:
  FunctionKey(QWidget* box, Qt::Key key, std::function<void()> act)
      : QObject(box), key_(key), act_(std::move(act)) {
    box->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() != key_ || k->modifiers() != Qt::NoModifier) return false;
    act_();
    return true;
  }

 private:
  Qt::Key key_;
  std::function<void()> act_;
};

}  // namespace

PinEditor::PinEditor(Session& s, JobRequester requestJob, QWidget* parent)
    : QWidget(parent), s_(s), requestJob_(std::move(requestJob)) {
  runDialog = [](QDialog& d) { d.exec(); };
  build();
  // Start state: layout "0" with its handler run, details off.
  layoutOption_[0]->setChecked(true);
  OptionPAspConf_Click(0);
  applyDetails();
}

PinEditor::~PinEditor() = default;

void PinEditor::build() {
  auto* top = new QVBoxLayout(this);

  // Pin, its description and its device.
  auto* pinGrid = new QGridLayout;
  labelOutput_ = new ClickLabel("LabelPAspOutput", "Pin", this);
  labelOutput_->setToolTip(kCopyPasteTip);
  output_ = new ValidatedEdit("TextPAspOutput");
  output_->setText("1");
  outputSpin_ = new UpDown("UpDownPAspOutput", output_, 1, 32);
  desc_ = new QLineEdit(this);
  desc_->setObjectName("TextPAspDesc");
  desc_->setPlaceholderText("Pin description");
  auto* devPinLabel = MakeLabel("LabelDevicePin", "Device Pin", this);
  devicePin_ = new ValidatedEdit("TextDevicePin", this);
  auto* devNameLabel = MakeLabel("LabelDeviceDescription", "Device Name", this);
  deviceDesc_ = new QLineEdit(this);
  deviceDesc_->setObjectName("TextDeviceDescription");
  deviceDesc_->setPlaceholderText("Device name");
  pinGrid->addWidget(labelOutput_, 0, 0);
  pinGrid->addWidget(Pair(output_, outputSpin_, this), 0, 1);
  pinGrid->addWidget(desc_, 0, 2, 1, 3);
  pinGrid->addWidget(devPinLabel, 1, 0);
  devicePin_->setMaximumWidth(devicePin_->fontMetrics().horizontalAdvance("-0000") + 12);
  pinGrid->addWidget(devicePin_, 1, 1);
  pinGrid->addWidget(devNameLabel, 1, 2);
  pinGrid->addWidget(deviceDesc_, 1, 3, 1, 2);
  top->addLayout(pinGrid);
  NameBox(labelOutput_, output_, 'n');
  NameBox(devPinLabel, devicePin_, 'i');
  NameBox(devNameLabel, deviceDesc_, 'v');
  desc_->setAccessibleName("Pin description");

  // Layout and address counts. The counts come last: with details off only those other than
  // 1 show, and they close up at the row's end without moving anything else.
  auto* midRow = new QHBoxLayout;
  nrOfAspects_ = MakeLabel("LabelPAspNrOfAspects", "Aspects", this);
  midRow->addWidget(nrOfAspects_);
  layoutGroup_ = new QButtonGroup(this);
  const char* layoutCaptions[3] = {"0", "4", "12"};
  for (int i = 0; i < 3; ++i) {
    layoutOption_[i] = new QRadioButton(layoutCaptions[i], this);
    layoutOption_[i]->setObjectName(Indexed("OptionPAspConf", i));
    layoutOption_[i]->setAccessibleName(QString("Aspects ") + layoutCaptions[i]);
    layoutGroup_->addButton(layoutOption_[i], i);
    midRow->addWidget(layoutOption_[i]);
    connect(layoutOption_[i], &QRadioButton::clicked, this, [this, i] {
      OptionPAspConf_Click(i);
      s_.edited(place() + " aspect layout");
    });
  }
  midRow->addSpacing(12);
  adrCntHeading_ = MakeLabel("LabelPASPAdrCnt", "Nr Of Addresses", this);
  midRow->addWidget(adrCntHeading_);
  const char* countNames[3] = {"TextPaspDCCn", "TextPAspXDCCn", "TextPaspPalkn"};
  const char* spinNames[3] = {"UpDownPaspDCCn", "UpDownPaspXDCCn", "UpDownPaspPalkn"};
  const char* countTips[3] = {"Nr of DCC addresses assigned to Pin", "",
                              "Nr of Serial addresses assigned to Pin"};
  const char* countLabels[3] = {"DCC", "Ext. DCC", "Serial"};
  const char* countLabelNames[3] = {"LabelPaspDCCn", "LabelPAspXDCCn", "LabelPaspPalkn"};
  const char countLetters[3] = {0, 'E', 'S'};
  for (int k = 0; k < 3; ++k) {
    IntRange r = AddressCountRange(static_cast<AddressKind>(k));
    count_[k] = new ValidatedEdit(countNames[k]);
    count_[k]->setText("1");
    if (*countTips[k]) count_[k]->setToolTip(countTips[k]);
    countSpin_[k] = new UpDown(spinNames[k], count_[k], r.Min, r.Max);
    QWidget* pair = Pair(count_[k], countSpin_[k], this);
    auto* caption = MakeLabel(countLabelNames[k], countLabels[k], pair);
    NameBox(caption, count_[k], QChar(countLetters[k]));
    count_[k]->setAccessibleName(QString("Nr Of Addresses ") + countLabels[k]);
    static_cast<QHBoxLayout*>(pair->layout())->insertWidget(0, caption);
    static_cast<QHBoxLayout*>(pair->layout())->insertSpacing(1, 3);
    midRow->addWidget(pair);
    connect(count_[k], &ValidatedEdit::validate, this, [this, k] { validateCount(k); });
    connect(countSpin_[k], &UpDown::stepped, this, [this, k] { validateCount(k); });
  }
  midRow->addStretch();
  // As tall with the count boxes hidden as with them shown.
  midRow->addStrut(count_[0]->sizeHint().height());
  top->addLayout(midRow);

  // Details and the pin's program buttons, above the aspect row: that row and the step table
  // go when the pin has no aspects, and nothing below them moves.
  auto* btnRow = new QHBoxLayout;
  readPin_ = new QPushButton("Read Asp's", this);
  readPin_->setObjectName("CommandPAspReadPin");
  writePin_ = new QPushButton("Write Asp's", this);
  writePin_->setObjectName("CommandPAspWritePin");
  showDetails_ = new QCheckBox("Sho&w Details", this);  // Alt+W
  showDetails_->setObjectName("CheckPAspShowDetails");
  btnRow->addWidget(showDetails_);
  btnRow->addStretch();
  btnRow->addWidget(readPin_);
  btnRow->addWidget(writePin_);
  top->addLayout(btnRow);

  // Aspect, initial aspect and the aspect buttons.
  auto* aspRow = new QHBoxLayout;
  labelAspect_ = new ClickLabel("LabelPAspAspect", "Aspect", this);
  labelAspect_->setToolTip(kCopyPasteTip);
  aspect_ = new ValidatedEdit("TextPAspAspect");
  aspect_->setText("0");
  aspectSpin_ = new UpDown("UpDownPAspAspect", aspect_, 0, 11);
  aspectDesc_ = new QLineEdit(this);
  aspectDesc_->setObjectName("TextPAspAspDesc");
  aspectDesc_->setPlaceholderText("Aspect description");
  labelInit_ = MakeLabel("LabelPAspInit", "Init", this);
  init_ = new ValidatedEdit("TextPAspInit");
  init_->setText("-1");
  initSpin_ = new UpDown("UpDownPAspInit", init_, -1, 11);
  test_ = new ModifierButton("CommandPAspTestAspect", "Test", this);
  test_->setToolTip("Alt + Click for Options\nRight-click (or the menu key) for the variants and their help");
  writeAspect_ = new QPushButton("Write Single", this);
  writeAspect_->setObjectName("CommandPAspWriteAspect");
  aspRow->addWidget(labelAspect_);
  aspRow->addWidget(Pair(aspect_, aspectSpin_, this));
  aspRow->addWidget(aspectDesc_, 1);
  aspRow->addWidget(labelInit_);
  aspRow->addWidget(Pair(init_, initSpin_, this));
  aspRow->addWidget(test_);
  aspRow->addWidget(writeAspect_);
  top->addLayout(aspRow);
  NameBox(labelAspect_, aspect_, 'A');
  NameBox(labelInit_, init_, 't');
  aspectDesc_->setAccessibleName("Aspect description");
  // Buttons that come and go with details or expert mode keep their room, so that the boxes
  // beside them stay where they are.
  for (QWidget* w : {static_cast<QWidget*>(writeAspect_), static_cast<QWidget*>(readPin_),
                     static_cast<QWidget*>(writePin_)}) {
    QSizePolicy keep = w->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    w->setSizePolicy(keep);
  }

  // Step table.
  frame_ = new QGroupBox("AspDetails", this);
  frame_->setObjectName("FrameAspdetails");
  auto* grid = new QGridLayout(frame_);
  hStep_ = MakeLabel("LabelPAspHStep", "#", frame_);
  hInst_ = MakeLabel("LabelPAspHInst", "Instruction", frame_);
  hFade_ = MakeLabel("LabelPAspHFade", "Fade", frame_);
  hPar_[0] = MakeLabel("LabelPAspOffset", "Par 0", frame_);
  hPar_[1] = MakeLabel("LabelPAspHParam1", "Par 1", frame_);
  hPar_[2] = MakeLabel("LabelPASpHParam2", "Par 2", frame_);
  hPar_[3] = MakeLabel("LabelPAspHParam3", "Base", frame_);
  grid->addWidget(hStep_, 0, 0);
  grid->addWidget(hInst_, 0, 1);
  grid->addWidget(hFade_, 0, 2);
  for (int k = 0; k < 4; ++k) grid->addWidget(hPar_[k], 0, 3 + k);
  for (int i = 0; i < kRows; ++i) {
    stepLabel_[i] = new ClickLabel(Indexed("LabelPAspStep", i), QString::number(i), frame_);
    stepLabel_[i]->setToolTip("Click to Insert/Delete step");
    inst_[i] = new QComboBox(frame_);
    inst_[i]->setObjectName(Indexed("ComboPAspInst", i));
    for (uint8_t code : PickerCodes())
      inst_[i]->addItem(QString::fromUtf8(InstrDefFor(code).Name.data(),
                                          static_cast<qsizetype>(InstrDefFor(code).Name.size())),
                        int(code));
    inst_[i]->setCurrentIndex(0);
    fade_[i] = new QCheckBox(frame_);
    fade_[i]->setObjectName(Indexed("CheckPAspFade", i));
    // A list is named by its label (on some desktops its own name is the item it shows).
    stepLabel_[i]->setBuddy(inst_[i]);
    stepLabel_[i]->setAccessibleName(QString("Step %1 Instruction").arg(i));
    inst_[i]->setAccessibleName(QString("Step %1 Instruction").arg(i));
    fade_[i]->setAccessibleName(QString("Step %1 Fade").arg(i));
    grid->addWidget(stepLabel_[i], i + 1, 0);
    grid->addWidget(inst_[i], i + 1, 1);
    grid->addWidget(fade_[i], i + 1, 2);
    for (int k = 0; k < 4; ++k) {
      par_[k][i] = new ValidatedEdit(Indexed(kParNames[k], i), frame_);
      if (k > 0) par_[k][i]->setToolTip(kHelpToolTip);
      par_[k][i]->setMaximumWidth(par_[k][i]->fontMetrics().horizontalAdvance("-0000") + 12);
      grid->addWidget(par_[k][i], i + 1, 3 + k);
      connect(par_[k][i], &ValidatedEdit::validate, this, [this, k, i] { validatePar(k, i); });
      if (k > 0) {
        connect(par_[k][i], &ValidatedEdit::doubleClicked, this, [this, k, i] { parDoubleClicked(k, i); });
        new FunctionKey(par_[k][i], Qt::Key_F2, [this, k, i] { parDoubleClicked(k, i); });
      }
      OnKey(par_[k][i], kEditKey, this, [this, i] { openStepDialog(i); });
    }
    time_[i] = new ClickLabel(Indexed("LabelPAspTime", i), "00:00.00", frame_);
    time_[i]->setToolTip(kHelpToolTip);
    grid->addWidget(time_[i], i + 1, 7);
    connect(time_[i], &ClickLabel::doubleClicked, this, [this, i] { parDoubleClicked(kPar3, i); });

    connect(inst_[i], &QComboBox::currentIndexChanged, this, [this, i](int idx) {
      if (filling_ || idx < 0) return;
      s_.model.instr(s_.model.CurPin, s_.model.CurAspect, i).Opcode =
          static_cast<uint8_t>(inst_[i]->itemData(idx).toInt());
      // The display rules of the boxes depend on the instruction: show the row afresh.
      ShowInstruction(i, true);
      s_.edited(place(i) + " instruction");
    });
    connect(fade_[i], &QCheckBox::toggled, this, [this, i](bool on) {
      if (filling_) return;
      s_.model.instr(s_.model.CurPin, s_.model.CurAspect, i).Fade = on ? 1 : 0;
      ShowInstruction(i);
      s_.edited(place(i) + " fade");
    });
    connect(stepLabel_[i], &ClickLabel::clicked, this, [this, i] { openStepDialog(i); });
    inst_[i]->setToolTip("Ctrl+Shift+E: Edit Step");
    OnKey(inst_[i], kEditKey, this, [this, i] { openStepDialog(i); });
    OnKey(fade_[i], kEditKey, this, [this, i] { openStepDialog(i); });
  }
  grid->setColumnStretch(8, 1);
  // The headings change with the instruction: each column is as wide as its widest heading
  // from the start, so that the boxes below do not move.
  std::array<QLabel*, 5> heads{hFade_, hPar_[0], hPar_[1], hPar_[2], hPar_[3]};
  std::array<int, 5> widest{};
  widest[0] = fade_[0]->sizeHint().width();
  auto widen = [&heads, &widest](size_t c, std::string_view t) {
    heads[c]->setText(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())));
    widest[c] = std::max(widest[c], heads[c]->sizeHint().width());
  };
  const char* const plain[5] = {"Fade", "Par 0", "Par 1", "Par 2", "Base"};
  for (size_t c = 0; c < 5; ++c) widen(c, plain[c]);
  for (uint8_t code : PickerCodes()) {
    const InstrRowView v = RowViewFor(code);
    widen(0, v.FadeHeader);
    for (size_t k = 0; k < 4; ++k) widen(k + 1, v.Labels[k]);
  }
  for (size_t c = 0; c < 5; ++c) heads[c]->setText(plain[c]);
  for (int c = 0; c < 5; ++c) grid->setColumnMinimumWidth(2 + c, widest[static_cast<size_t>(c)]);
  top->addWidget(frame_);
  top->addStretch();
  // As narrow as it can be with everything shown, also when less shows: the overview beside
  // it then keeps its width when the details or the pin change.
  setMinimumWidth(minimumSizeHint().width());

  // Navigation and boxes.
  connect(output_, &ValidatedEdit::validate, this, [this] { validateOutput(); });
  connect(outputSpin_, &UpDown::stepped, this, [this](int v) {
    CommitVisibleFields();
    s_.model.CurPin = static_cast<uint8_t>(v - s_.model.NumberBase);
    pinChanged();
  });
  connect(aspect_, &ValidatedEdit::validate, this, [this] { validateAspect(); });
  connect(aspectSpin_, &UpDown::stepped, this, [this](int v) {
    // The rows belong to the aspect still shown: store them there first.
    for (int i = 0; i < rowsOfLayout(); ++i)
      for (int k = 0; k < 4; ++k) validatePar(k, i);
    s_.model.CurAspect = static_cast<uint8_t>(v);
    ShowPinProgram();
    ShowAddressCounts(details());
  });
  connect(init_, &ValidatedEdit::validate, this, [this] { validateInit(); });
  connect(initSpin_, &UpDown::stepped, this, [this](int v) {
    s_.model.pin(s_.model.CurPin).InitAspect = static_cast<uint8_t>(v + 1);
    s_.edited(place() + " initial aspect");
  });
  for (QLineEdit* box : {desc_, aspectDesc_, deviceDesc_}) GuardCodePageBox(box, s_.prompter());
  connect(desc_, &QLineEdit::textEdited, this,
          [this](const QString& t) { s_.model.pin(s_.model.CurPin).Description = ToModelText(t); });
  connect(aspectDesc_, &QLineEdit::textEdited, this, [this](const QString& t) {
    s_.model.aspect(s_.model.CurPin, s_.model.CurAspect).Description = ToModelText(t);
  });
  connect(deviceDesc_, &QLineEdit::textEdited, this, [this](const QString& t) {
    if (deviceDesc_->isEnabled()) s_.model.pin(s_.model.CurPin).DeviceName = ToModelText(t);
  });
  // The texts change the model as they are typed; leaving the box (or Enter) makes the step.
  connect(desc_, &QLineEdit::editingFinished, this, [this] { s_.edited(place() + " description"); });
  connect(aspectDesc_, &QLineEdit::editingFinished, this,
          [this] { s_.edited(place() + " aspect " + std::to_string(s_.model.CurAspect) + " description"); });
  connect(deviceDesc_, &QLineEdit::editingFinished, this, [this] { s_.edited(place() + " device name"); });
  connect(devicePin_, &QLineEdit::textEdited, this,
          [this](const QString& t) { EnterDevicePin(s_.model, ToModelText(t)); });
  connect(devicePin_, &ValidatedEdit::validate, this, [this] {
    const DeviceRefView v = ShowDeviceRef(s_.model);
    devicePin_->setText(FromModelText(v.pinText));
    deviceDesc_->setText(FromModelText(v.nameText));
    deviceDesc_->setEnabled(v.nameEnabled);
    s_.edited(place() + " device pin");
  });

  connect(labelOutput_, &ClickLabel::clicked, this, [this] { openPinDialog(); });
  connect(labelAspect_, &ClickLabel::clicked, this, [this] { openAspectDialog(); });
  for (QWidget* w : {static_cast<QWidget*>(output_), static_cast<QWidget*>(desc_)}) {
    w->setToolTip("Ctrl+Shift+E: Edit Pin");
    OnKey(w, kEditKey, this, [this] { openPinDialog(); });
  }
  for (QWidget* w : {static_cast<QWidget*>(aspect_), static_cast<QWidget*>(aspectDesc_)}) {
    w->setToolTip("Ctrl+Shift+E: Edit Aspect");
    OnKey(w, kEditKey, this, [this] { openAspectDialog(); });
  }
  // The parameter headings follow the row being worked on.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    int row = -1;
    for (int i = 0; i < kRows && row < 0 && now; ++i) {
      if (now == inst_[i] || now == fade_[i]) row = i;
      for (int k = 0; k < 4; ++k)
        if (now == par_[k][i]) row = i;
    }
    if (row == focusRow_) return;
    focusRow_ = row;
    showHeadings();
  });

  connect(test_, &ModifierButton::leftPressed, this, [this](Qt::KeyboardModifiers mods) {
    TestKeys keys;
    keys.Shift = mods.testFlag(Qt::ShiftModifier);
    keys.Control = mods.testFlag(Qt::ControlModifier);
    keys.Alt = mods.testFlag(Qt::AltModifier);
    testAspect(keys);
  });
  // The variants without holding keys (Alt + click is taken by many window managers): the
  // button's context menu, also from the keyboard's menu key.
  const struct {
    const char* caption;
    TestKeys keys;
  } variants[] = {
      {"Test: Send Vorn Set Aspect", {}},
      {"Shift + Test: Send Legacy Palk Set Aspect", {true, false, false}},
      {"Control + Test: Send Vorn Set Aspect, use Address Map", {false, true, false}},
      {"Shift + Control + Test: Send Legacy Palk Set Aspect, use Address Map", {true, true, false}},
      {"Help on the Test variants", {false, false, true}}};
  int index = 0;
  for (const auto& v : variants) {
    auto* act = new QAction(v.caption, test_);
    act->setObjectName(QString("ActionPAspTest_%1").arg(index++));
    const TestKeys keys = v.keys;
    connect(act, &QAction::triggered, this, [this, keys] { testAspect(keys); });
    test_->addAction(act);
  }
  test_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(writeAspect_, &QPushButton::clicked, this, [this] {
    auto written = std::make_shared<bool>(false);
    const std::string what = "Aspect " + std::to_string(s_.model.CurAspect) + " of pin " +
                             std::to_string(s_.model.CurPin + s_.model.NumberBase);
    s_.device([written](Session& w) { *written = WriteAspect(w, w.model.CurPin, w.model.CurAspect); },
              [this, written, what] { s_.status(what + (*written ? " written" : ": write failed")); });
  });
  connect(readPin_, &QPushButton::clicked, this, [this] {
    if (requestJob_) requestJob_("PAspReadPin");
  });
  connect(writePin_, &QPushButton::clicked, this, [this] {
    if (requestJob_) requestJob_("PAspWritePin");
  });
  connect(showDetails_, &QCheckBox::toggled, this, [this] { applyDetails(); });

  // Tab walks the editor as it reads: row by row, left to right.
  FocusOrder({output_, desc_, devicePin_, deviceDesc_, layoutOption_[0], layoutOption_[1], layoutOption_[2],
              count_[0], count_[1], count_[2], showDetails_, readPin_, writePin_, aspect_, aspectDesc_, init_,
              test_, writeAspect_, inst_[0]});
  for (int i = 0; i < kRows; ++i) {
    FocusOrder({inst_[i], fade_[i], par_[0][i], par_[1][i], par_[2][i], par_[3][i]});
    if (i + 1 < kRows) QWidget::setTabOrder(par_[3][i], inst_[i + 1]);
  }
}

bool PinEditor::details() const { return showDetails_->isChecked(); }

int PinEditor::rowsOfLayout() const { return layout_ == 1 ? kRows : (layout_ == 2 ? 3 : 0); }

void PinEditor::setExpertMode(bool on) {
  expert_ = on;
  applyDetails();
}

void PinEditor::applyDetails() {
  const bool d = details();
  frame_->setVisible(d && layout_ != 0);  // no empty step table for a pin without aspects
  readPin_->setVisible(d && expert_);
  writePin_->setVisible(d && expert_);
  writeAspect_->setVisible(d && layout_ != 0);
  hStep_->setVisible(d && layout_ != 0);
  hInst_->setVisible(d && layout_ != 0);
  if (onDetailsApplied) onDetailsApplied(d, expert_);
  ShowAddressCounts(d);
}

void PinEditor::ShowAddressCounts(bool show) {
  std::array<std::string, 3> texts;
  for (int k = 0; k < 3; ++k) texts[k] = count_[k]->text().toStdString();
  AddressCountVisibility v = AddressCountsVisible({texts[0], texts[1], texts[2]}, show);
  // At the row's end: a hidden box leaves no gap and moves nothing else.
  for (int k = 0; k < 3; ++k) count_[k]->parentWidget()->setVisible(v.Box[k]);
  adrCntHeading_->setVisible(v.Heading);
}

void PinEditor::showDeviceReference() {
  ConfigModel& m = s_.model;
  const PinData& p = m.pin(m.CurPin);
  const int d = m.CurPin + p.DevicePointer;
  SetBoxNumber(devicePin_, d + m.NumberBase);
  if (d < 0 || d >= kPinsInUse || m.pin(d).DevicePointer != 0)
    deviceDesc_->setText("<Referral is no Device !>");
  else
    deviceDesc_->setText(FromModelText(m.pin(d).DeviceName));
  deviceDesc_->setEnabled(p.DevicePointer == 0);
}

void PinEditor::ShowPinProgram() {
  ConfigModel& m = s_.model;
  const PinData& p = m.pin(m.CurPin);
  filling_ = true;
  outputSpin_->setRange(m.NumberBase, m.NumberBase + kPinsInUse - 1);
  SetBoxNumber(output_, m.CurPin + m.NumberBase);
  deviceDesc_->setEnabled(false);
  desc_->setText(FromModelText(p.Description));
  showDeviceReference();
  SetBoxNumber(aspect_, m.CurAspect);
  aspectDesc_->setText(FromModelText(m.aspect(m.CurPin, m.CurAspect).Description));
  SetBoxNumber(init_, p.InitAspect - 1);
  SetBoxNumber(count_[0], p.DCCCount);
  SetBoxNumber(count_[1], p.XDCCCount);
  SetBoxNumber(count_[2], p.SerialCount);
  filling_ = false;
  const int index = p.AspectConfig == kLayout4x9 ? 1 : (p.AspectConfig == kLayout12x3 ? 2 : 0);
  layoutOption_[index]->setChecked(true);
  OptionPAspConf_Click(index);  // also refreshes every row
}

void PinEditor::ShowInstruction(int row, bool fill) {
  InstrRowState st = vorn::ShowInstruction(s_.model, row);
  const bool wasFilling = filling_;
  filling_ = true;
  inst_[row]->setCurrentIndex(st.PickerIndex);
  fade_[row]->setChecked(st.Fade);
  fade_[row]->setVisible(rowShown_[row] && st.View.FadeOffered);
  for (int k = 0; k < 4; ++k) {
    const auto& l = st.View.Labels[k];
    const QString label = QString::fromUtf8(l.data(), static_cast<qsizetype>(l.size()));
    // Named by the row and the column's heading for this instruction ("Step 2 Time").
    const char* const plain[4] = {"Par 0", "Par 1", "Par 2", "Base"};
    par_[k][row]->setAccessibleName(QString("Step %1 %2").arg(row).arg(label.isEmpty() ? plain[k] : label));
    par_[k][row]->setToolTip(!st.View.ParamUsed[k] ? QString("Not used by this instruction")
                                                   : (k > 0 ? label + "\n" + kHelpToolTip : label));
    // A greyed box is skipped by Tab.
    par_[k][row]->setFocusPolicy(st.View.ParamUsed[k] ? Qt::StrongFocus : Qt::NoFocus);
    // A used box keeps what it shows (it may hold a number not yet validated) unless the
    // whole row is being filled from the model.
    if (!st.View.ParamUsed[k])
      SetBoxNumber(par_[k][row], 0);
    else if (fill)
      SetBoxNumber(par_[k][row], st.Shown[k]);
    SetGreyed(par_[k][row], !st.View.ParamUsed[k]);
  }
  time_[row]->setText(QString::fromStdString(st.Time));
  filling_ = wasFilling;
  showHeadings();
}

void PinEditor::showHeadings() {
  // The focused row, else the first row that holds an instruction, else the first row.
  const ConfigModel& m = s_.model;
  int row = focusRow_ >= 0 && focusRow_ < rowsOfLayout() ? focusRow_ : -1;
  for (int i = 0; i < rowsOfLayout() && row < 0; ++i) {
    if (m.instr(m.CurPin, m.CurAspect, i).Opcode != 0) row = i;
  }
  if (row < 0) row = 0;
  const InstrRowView v = RowViewFor(m.instr(m.CurPin, m.CurAspect, row).Opcode);
  hFade_->setText(QString::fromUtf8(v.FadeHeader.data(), static_cast<qsizetype>(v.FadeHeader.size())));
  for (int k = 0; k < 4; ++k) {
    const auto& l = v.Labels[k];
    hPar_[k]->setText(QString::fromUtf8(l.data(), static_cast<qsizetype>(l.size())));
  }
}

std::string PinEditor::place(int row, bool aspect) const {
  const ConfigModel& m = s_.model;
  std::string p = "pin " + std::to_string(m.CurPin + m.NumberBase);
  if (row >= 0 || aspect) p += " aspect " + std::to_string(m.CurAspect);
  if (row >= 0) p += " step " + std::to_string(row);
  return p;
}

QString PinEditor::shownPin() const { return QString::number(s_.model.CurPin + s_.model.NumberBase); }

void PinEditor::openPinDialog() {
  if (!editPin_) editPin_ = new EditPinDialog(s_.model, s_.prompter(), this);
  editPin_->setWindowTitle("Edit Pin " + shownPin());
  openEditDialog(*editPin_, true);
}

void PinEditor::openAspectDialog() {
  if (!editAspect_) editAspect_ = new EditAspectDialog(s_.model, s_.prompter(), this);
  editAspect_->setWindowTitle(QString("Edit Aspect %1 of Pin %2").arg(s_.model.CurAspect).arg(shownPin()));
  openEditDialog(*editAspect_, false);
}

void PinEditor::openStepDialog(int row) {
  selectedStep_ = row;
  if (!editStep_) editStep_ = new EditStepDialog(s_.model, this);
  editStep_->setSelectedStep(row);
  editStep_->setWindowTitle(
      QString("Edit Step %1 of Pin %2, Aspect %3").arg(row).arg(shownPin()).arg(s_.model.CurAspect));
  openEditDialog(*editStep_, false);
}

void PinEditor::OptionPAspConf_Click(int index) {
  ConfigModel& m = s_.model;
  layout_ = index;
  const bool on = index != 0;
  for (QWidget* w :
       {static_cast<QWidget*>(labelAspect_), aspect_->parentWidget(), static_cast<QWidget*>(labelInit_),
        init_->parentWidget(), static_cast<QWidget*>(aspectDesc_), static_cast<QWidget*>(test_)})
    w->setVisible(on);
  const bool d = details();
  frame_->setVisible(d && on);
  writeAspect_->setVisible(d && on);
  hStep_->setVisible(d && on);
  hInst_->setVisible(d && on);
  if (index == 1) {
    aspectSpin_->setRange(0, 3);
    initSpin_->setRange(-1, 3);
    if (BoxValue(aspect_->text()) > 3) {
      aspect_->setText("3");
      m.CurAspect = 3;
      aspectDesc_->setText(FromModelText(m.aspect(m.CurPin, m.CurAspect).Description));
    }
    if (BoxValue(init_->text()) > 3) {
      init_->setText("-1");
      m.pin(m.CurPin).InitAspect = 0;
    }
  } else if (index == 2) {
    aspectSpin_->setRange(0, 11);
    initSpin_->setRange(-1, 11);
  }
  for (int i = 0; i < kRows; ++i) {
    rowShown_[i] = i < 3 ? on : index == 1;
    for (QWidget* w : {static_cast<QWidget*>(stepLabel_[i]), static_cast<QWidget*>(inst_[i]),
                       static_cast<QWidget*>(par_[0][i]), static_cast<QWidget*>(par_[1][i]),
                       static_cast<QWidget*>(par_[2][i]), static_cast<QWidget*>(par_[3][i]),
                       static_cast<QWidget*>(time_[i])})
      w->setVisible(rowShown_[i]);
    if (!rowShown_[i]) fade_[i]->setVisible(false);
  }
  for (int i = 0; i < kRows; ++i) ShowInstruction(i, true);
  const uint8_t configs[3] = {0, kLayout4x9, kLayout12x3};
  m.pin(m.CurPin).AspectConfig = configs[index];
}

void PinEditor::validatePar(int k, int row) {
  ConfigModel& m = s_.model;
  Instruction& in = m.instr(m.CurPin, m.CurAspect, row);
  const int typed = BoxValue(par_[k][row]->text());
  EnteredParam e;
  switch (k) {
    case kParOffset: e = EnterPinOffset(in.Opcode, m.CurPin, typed); break;
    case kPar1: e = EnterPar1(in.Opcode, typed); break;
    case kPar2: e = EnterPar2(in.Opcode, typed); break;
    default: e = EnterPar3(typed); break;
  }
  SetBoxNumber(par_[k][row], e.Shown);
  switch (k) {
    case kParOffset: in.PinOffset = e.Stored; break;
    case kPar1: in.Par1 = e.Stored; break;
    case kPar2: in.Par2 = e.Stored; break;
    default: in.Par3 = e.Stored; break;
  }
  ShowInstruction(row);
  // Named by the column's heading for this instruction ("Time"), else its plain name.
  const char* const plain[4] = {"Par 0", "Par 1", "Par 2", "Base"};
  const InstrRowView view = RowViewFor(in.Opcode);
  const std::string_view label = view.Labels[static_cast<size_t>(k)];
  if (!oneStep_) s_.edited(place(row) + " " + (label.empty() ? std::string(plain[k]) : std::string(label)));
}

void PinEditor::validateOutput() {
  ConfigModel& m = s_.model;
  const int base = m.NumberBase;
  const int v = std::clamp(BoxValue(output_->text()), base, base + kPinsInUse - 1);
  SetBoxNumber(output_, v);
  m.CurPin = static_cast<uint8_t>(v - base);
  pinChanged();
}

void PinEditor::pinChanged() {
  if (onAddressesChanged) onAddressesChanged();
  ShowPinProgram();
  ShowAddressCounts(details());
  if (onShowPinConfig) onShowPinConfig();
}

void PinEditor::validateAspect() {
  const int v = std::clamp(BoxValue(aspect_->text()), 0, aspectSpin_->maximum());
  SetBoxNumber(aspect_, v);
  s_.model.CurAspect = static_cast<uint8_t>(v);
  ShowPinProgram();
  ShowAddressCounts(details());
}

void PinEditor::validateInit() {
  const int v = std::clamp(BoxValue(init_->text()), -1, initSpin_->maximum());
  SetBoxNumber(init_, v);
  s_.model.pin(s_.model.CurPin).InitAspect = static_cast<uint8_t>(v + 1);
  s_.edited(place() + " initial aspect");
}

void PinEditor::validateCount(int kind) {
  if (filling_) return;
  const int shown = SetAddressCount(s_.model, static_cast<AddressKind>(kind), BoxValue(count_[kind]->text()));
  SetBoxNumber(count_[kind], shown);
  const char* const names[3] = {" DCC addresses", " Ext. DCC addresses", " serial addresses"};
  s_.edited(place() + names[kind]);
  if (onAddressesChanged) onAddressesChanged();
}

void PinEditor::CommitVisibleFields() {
  if (onCommitConfigBoxes) onCommitConfigBoxes();
  for (int i = 0; i < rowsOfLayout(); ++i)
    for (int k = 0; k < 4; ++k) validatePar(k, i);
  if (layout_ != 0) validateAspect();
}

void PinEditor::showDialog(QDialog& d) {
  if (runDialog) runDialog(d);
}

void PinEditor::parDoubleClicked(int k, int row) {
  ConfigModel& m = s_.model;
  Instruction& in = m.instr(m.CurPin, m.CurAspect, row);
  const InstrDef& def = InstrDefFor(in.Opcode);
  if (k == kPar1 && def.Kind >= 2 && def.Kind <= 7) {
    if (!patternTool_) patternTool_ = new PatternToolDialog(this);
    patternTool_->prepare(BoxValue(par_[kPar1][row]->text()), def.Kind, par_[kPar1][row]->text());
    showDialog(*patternTool_);
    par_[kPar1][row]->setText(patternTool_->parameterText());
    validatePar(kPar1, row);
  } else if (k == kPar1 && def.Kind == kKindEventInput) {
    if (!eventTool_) eventTool_ = new EventToolDialog(this);
    eventTool_->prepare(BoxValue(par_[kPar1][row]->text()), par_[kPar1][row]->text());
    showDialog(*eventTool_);
    par_[kPar1][row]->setText(eventTool_->parameterText());
    validatePar(kPar1, row);
  } else if (k >= kPar2 && def.Kind == kKindTimed) {
    openTimeTool(row);
  } else {
    s_.prompter().message("Help tool not available for this box with the selected command");
  }
}

void PinEditor::openTimeTool(int row) {
  if (!timeTool_) timeTool_ = new TimeToolDialog(this);
  timeTool_->prepare(par_[kPar3][row]->text(), BoxValue(par_[kPar2][row]->text()));
  showDialog(*timeTool_);
  par_[kPar3][row]->setText(timeTool_->baseText());
  par_[kPar2][row]->setText(QString::number(timeTool_->time()));
  // Stored through the box rules, so a base left out of range cannot reach the model.
  oneStep_ = true;
  validatePar(kPar2, row);
  validatePar(kPar3, row);
  oneStep_ = false;
  s_.edited(place(row) + " time");
}

void PinEditor::openEditDialog(QDialog& d, bool pinDialog) {
  d.setProperty("edit", QVariant());
  showDialog(d);
  const QString edit = d.property("edit").toString();
  const int row = &d == static_cast<QDialog*>(editStep_) ? selectedStep_ : -1;
  if (!edit.isEmpty()) s_.edited(edit.toStdString() + " " + (pinDialog ? place() : place(row, true)));
  if (pinDialog) {
    // A pasted pin brings its own address counts.
    s_.model.RecalcAllStarts();
    if (onAddressesChanged) onAddressesChanged();
  }
  ShowPinProgram();
  ShowAddressCounts(details());
  if (pinDialog && onShowPinConfig) onShowPinConfig();
}

// The live Test: the aspect shown goes to the Vorn (the help variant only shows its text).
void PinEditor::testAspect(TestKeys keys) {
  auto sent = std::make_shared<bool>(false);
  const std::string what = "Aspect " + std::to_string(s_.model.CurAspect) + " of pin " +
                           std::to_string(s_.model.CurPin + s_.model.NumberBase);
  s_.live([keys, sent](Session& w) { *sent = TestAspect(w, keys); },
          [this, keys, sent, what] {
            if (!keys.Alt) s_.status(*sent ? "Test: " + what + " sent" : "Test: nothing sent");
          });
}

}  // namespace vorn
