// What the windows look like: every tab of the main window and every dialog, at a small
// laptop screen and at the window's preferred size. No visible widgets overlap, each lies
// inside its parent, no label or button cuts its text; and the place and size of every
// visible widget match the record in tests/ui/layout/ (VORN_UPDATE_LAYOUT=1 rewrites it).

#include <QDockWidget>
#include <QFontDatabase>
#include <QStyle>
#include <QTextStream>
#include <optional>

#include "Fixtures.h"
#include "link/CommLog.h"
#include "model/PinConfigParams.h"
#include "ui/ChangesDialog.h"
#include "ui/EditDialogs.h"
#include "ui/HelpTools.h"
#include "ui/ScreenFit.h"
#include "ui/SecondaryWindows.h"

namespace vorn::test {
namespace {

const char* const kUpdate = "VORN_UPDATE_LAYOUT=1 ctest --test-dir build -R LayoutTest";

// A widget named by its object name, else by its parent's name, its class and its index among
// the siblings of that class (creation order, so stable from run to run).
QString placeName(const QWidget* w, const QWidget* top) {
  const QString name = w->objectName();
  if (w == top || (!name.isEmpty() && !name.startsWith("qt_"))) return name.isEmpty() ? "(window)" : name;
  const QWidget* parent = w->parentWidget();
  if (!name.isEmpty()) return placeName(parent, top) + "/" + name;
  int index = 0;
  for (const QObject* o : parent->children()) {
    if (o == w) break;
    if (o->metaObject() == w->metaObject()) ++index;
  }
  return placeName(parent, top) + "/" + w->metaObject()->className() + "#" + QString::number(index);
}

// Lists, tables and text boxes: their frames count, their rows and scroll bars vary.
bool contentsVary(const QWidget* w) {
  return w->inherits("QAbstractItemView") || w->inherits("QPlainTextEdit") || w->inherits("QTextEdit");
}

// Walks the visible widgets under `w`: one record line each (place and size in the window `top`),
// and what a user would see as a fault.
void walk(const QWidget* top, const QWidget* w, QStringList& record, QStringList& faults) {
  const QPoint at = w->mapTo(top, QPoint(0, 0));
  record << QString("%1 %2,%3 %4x%5")
                .arg(placeName(w, top))
                .arg(at.x())
                .arg(at.y())
                .arg(w->width())
                .arg(w->height());
  if (contentsVary(w)) return;
  std::vector<const QWidget*> shown;
  for (const QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (!c->isWindow() && c->isVisible()) shown.push_back(c);
  for (size_t i = 0; i < shown.size(); ++i) {
    const QWidget* c = shown[i];
    const QString name = placeName(c, top);
    // A scroll area's content may be larger than the viewport it scrolls in.
    if (!w->rect().contains(c->geometry()) && w->objectName() != "qt_scrollarea_viewport")
      faults << name + " reaches outside " + placeName(w, top);
    const auto* label = qobject_cast<const QLabel*>(c);
    const auto* button = qobject_cast<const QAbstractButton*>(c);
    const QSize need = c->minimumSizeHint();
    if (((label && !label->text().isEmpty()) || (button && !button->text().isEmpty())) &&
        (c->width() < need.width() || c->height() < need.height()))
      faults << QString("%1 cuts its text: %2x%3 of %4x%5")
                    .arg(name)
                    .arg(c->width())
                    .arg(c->height())
                    .arg(need.width())
                    .arg(need.height());
    for (size_t j = i + 1; j < shown.size(); ++j)
      if (c->geometry().intersects(shown[j]->geometry()))
        faults << name + " overlaps " + placeName(shown[j], top);
    walk(top, c, record, faults);
  }
}

// Checks the window `top` as shown and compares it with the record `name`.
void checkLayout(const QString& name, const QWidget* top) {
  SCOPED_TRACE(name.toStdString());
  ASSERT_NE(top, nullptr);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();  // layouts settle level by level
  QStringList record, faults;
  walk(top, top, record, faults);
  EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
  const QString path = QString(VORN_SOURCE_DIR "/tests/ui/layout/%1.txt").arg(name);
  QFile file(path);
  if (std::getenv("VORN_UPDATE_LAYOUT")) {
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    QTextStream(&file) << record.join('\n') << '\n';
    return;
  }
  ASSERT_TRUE(file.open(QIODevice::ReadOnly))
      << "no record " << path.toStdString() << "; write it with " << kUpdate;
  const QStringList was = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  if (was == record) return;
  qsizetype first = 0;
  while (first < was.size() && first < record.size() && was[first] == record[first]) ++first;
  QString diff;
  for (qsizetype i = first; i < first + 6; ++i) {
    const QString a = was.value(i), b = record.value(i);
    if (a != b) diff += (a.isEmpty() ? "" : "\n  - " + a) + (b.isEmpty() ? "" : "\n  + " + b);
  }
  ADD_FAILURE() << "the layout differs from " << path.toStdString() << " from line " << first + 1 << ":"
                << diff.toStdString() << "\nif the change is intended: " << kUpdate;
}

// The font is pinned: the record is in pixels, and text sizes make them.
class LayoutTest : public WindowTest {
 protected:
  void SetUp() override {
    if (!QFontDatabase::families().contains("DejaVu Sans"))
      GTEST_SKIP()
          << "the font \"DejaVu Sans\" is not installed (fonts-dejavu-core): the record is made with it";
    if (QApplication::style()->name() != "fusion")
      GTEST_SKIP() << "the record is made with the Fusion style, not "
                   << QApplication::style()->name().toStdString();
    appFont_ = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans", 9));
    WindowTest::SetUp();
    prompter.answers = {true};
    QTest::mouseClick(w("Release"), Qt::RightButton);  // expert mode: the Test tab and every button
    w<QLabel>("Release")->setText("Release 1.0.0");    // the version would move its neighbours
    ConfigModel& m = session().model;                  // pin 1: a PWM output with a "Set Level" first step
    m.pin(0).PinConfig[0] = kCfgPwm;
    m.pin(0).AspectConfig = kLayout4x9;
    m.instr(0, 0, 0).Opcode = 38;
    window->refreshAll();
  }
  void TearDown() override {
    window.reset();
    if (appFont_) QApplication::setFont(*appFont_);
  }
  std::optional<QFont> appFont_;
};

TEST_F(LayoutTest, WindowTabsAtTwoSizes) {
  const QSize small = PlaceOnScreen({0, 0, 1366, 768}, {4, 30, 4, 4}, {1280, 800}).geometry.size();
  const char* const tabs[] = {"general", "event-control", "device", "test"};
  for (const auto& [size, sizeName] : {std::pair{small, "1366x768"}, {QSize(1280, 800), "preferred"}}) {
    window->resize(size);
    for (int tab = 0; tab < 4; ++tab) {
      showTab(tab);
      checkLayout(QString("window-%1-%2").arg(sizeName, tabs[tab]), window.get());
    }
    showTab(2);
    click("CheckPAspShowDetails");
    checkLayout(QString("window-%1-device-details").arg(sizeName), window.get());
    click("CheckPAspShowDetails");
  }
  window->resize(small);
  // The other kinds of pin, with details: a servo on the "12" layout with its hardware
  // warning, an input.
  ConfigModel& m = session().model;
  m.pin(1).PinConfig[0] = kCfgServo;
  m.pin(1).AspectConfig = kLayout12x3;
  session().general.HWCSink[0] = true;
  m.pin(2).PinConfig[0] = kCfgInput;
  window->refreshAll();
  showTab(2);
  click("CheckPAspShowDetails");
  for (const auto& [pin, kind] : {std::pair{1, "servo"}, {2, "input"}}) {
    enter("TextPAspOutput", QString::number(pin + m.NumberBase));
    checkLayout(QString("window-1366x768-device-%1").arg(kind), window.get());
  }
  w<QAction>("ActionModules")->trigger();
  checkLayout("window-1366x768-modules", window.get());
}

TEST_F(LayoutTest, DialogsAtTheirSize) {
  ConfigModel& m = session().model;
  auto time = std::make_unique<TimeToolDialog>(window.get());
  time->prepare("1", 10);
  auto pattern = std::make_unique<PatternToolDialog>(window.get());
  pattern->prepare(5, 4, "5");
  auto event = std::make_unique<EventToolDialog>(window.get());
  event->prepare(17, "17");
  auto report = std::make_unique<ReportWindow>(window.get());
  report->setReportText("Verification report\r\n");
  std::vector<std::pair<const char*, std::unique_ptr<QWidget>>> dialogs;
  dialogs.emplace_back("time-tool", std::move(time));
  dialogs.emplace_back("pattern-tool", std::move(pattern));
  dialogs.emplace_back("event-tool", std::move(event));
  dialogs.emplace_back("edit-pin", std::make_unique<EditPinDialog>(m, prompter, window.get()));
  dialogs.emplace_back("edit-asp", std::make_unique<EditAspectDialog>(m, prompter, window.get()));
  dialogs.emplace_back("edit-step", std::make_unique<EditStepDialog>(m, window.get()));
  dialogs.emplace_back("report", std::move(report));
  dialogs.emplace_back("comm-log", std::make_unique<CommLogWindow>(session().link.log, window.get()));
  for (auto& [name, dialog] : dialogs) {
    dialog->show();
    checkLayout(name, dialog.get());
    dialog->hide();
  }
  // Show Changes and Write Changes run modally: looked at from inside, then closed.
  for (const bool write : {false, true}) {
    QTimer::singleShot(0, [write] {
      QWidget* d = QApplication::activeModalWidget();
      checkLayout(write ? "write-changes" : "show-changes", d);
      if (d) d->close();
    });
    RunChangesDialog(window.get(), {"Pin 1 description", "Device 2 name (file only)"}, write);
  }
}

}  // namespace
}  // namespace vorn::test
