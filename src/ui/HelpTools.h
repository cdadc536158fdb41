#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace vorn {

class UpDown;
class ValidatedEdit;

// Pattern tool arithmetic: bits 0..6 of a multibit parameter; for fewer than six outputs
// bit 5 means "all dark" and bit 6 "no dark phase".
struct PatternBits {
  std::array<bool, 7> Output{};
  std::array<bool, 7> OutputEnabled{};
  bool AllDark = false;
  bool NoDark = false;
  bool DarkEnabled = false;
};
PatternBits PreparePattern(int value, int outputs);
int CalcPattern(const std::array<bool, 7>& outputs, bool allDark, bool noDark);

// Event tool arithmetic: inputs 0..3 and the action option (1..3 on-event, 5..7 off-event).
struct EventBits {
  std::array<bool, 4> Input{};
  int Option = 1;
};
EventBits PrepareEvent(int value);
int CalcEvent(const std::array<bool, 4>& inputs, int option);

// dlgCT "VornConfig CalcTime": duration = slider x 8^base ticks of 20 ms.
class TimeToolDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TimeToolDialog(QWidget* parent = nullptr);

  // Opening sequence: base box text and slider value, then the activation (saved values
  // for Cancel, both labels).
  void prepare(const QString& baseText, int time);
  QString baseText() const;
  int time() const;

  void cancel();
  void reject() override;  // Cancel, Escape, the title-bar close

 private:
  void recompute();
  void validateBase();

  ValidatedEdit* base_;
  UpDown* baseSpin_;
  QSlider* slider_;
  QLabel* timeValue_;
  QLabel* maxValue_;
  int savedBase_ = 0;
  int savedTime_ = 0;
};

// dlgVornCalcPattern "PalkConfig Calculate Pattern".
class PatternToolDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PatternToolDialog(QWidget* parent = nullptr);

  void prepare(int value, int outputs, const QString& originalText);
  QString parameterText() const;
  void cancel();
  void reject() override;  // Cancel, Escape, the title-bar close

 private:
  void calc();

  std::array<QCheckBox*, 7> outputs_{};
  QCheckBox* allDark_;
  QCheckBox* noDark_;
  QLineEdit* parameter_;
  QLineEdit* original_;
};

// dlgVornCalcEventPattern "VornConfig CalcETImap".
class EventToolDialog : public QDialog {
  Q_OBJECT
 public:
  explicit EventToolDialog(QWidget* parent = nullptr);

  void prepare(int value, const QString& originalText);
  QString parameterText() const;
  void cancel();
  void reject() override;  // Cancel, Escape, the title-bar close

 private:
  void calc();

  std::array<QCheckBox*, 4> inputs_{};
  std::array<QRadioButton*, 8> options_{};  // 0 and 4 unused
  QLineEdit* parameter_;
  QLineEdit* original_;
};

}  // namespace vorn
