#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "ui/JobRequester.h"

class QCheckBox;
class QPushButton;

namespace vorn {

class Session;
class UpDown;
class ValidatedEdit;

// Tab "Vorn Event Control": the event-on / event-off actions of one pin, the two enable
// maps, and the event-control transfers.
class EventControlTab : public QWidget {
  Q_OBJECT
 public:
  EventControlTab(Session& s, JobRequester requestJob, QWidget* parent = nullptr);

  void refresh();  // ShowEventControl's drawing, the pin box and the enable-map boxes
  void setExpertMode(bool on);

 private:
  void colour(ValidatedEdit* box, int value);
  // The name of an edit's step: "pin 5 input 2 event on".
  std::string eventPlace(int input, const char* onOff) const;

  Session& s_;
  JobRequester requestJob_;
  ValidatedEdit* pin_;
  UpDown* upDownPin_;
  std::array<ValidatedEdit*, 4> on_{};
  std::array<ValidatedEdit*, 4> off_{};
  std::array<UpDown*, 4> upDownOn_{};
  std::array<UpDown*, 4> upDownOff_{};
  std::array<QCheckBox*, 8> initEE_{};
  QPushButton* verify_;
};

}  // namespace vorn
