#pragma once

#include <QWidget>
#include <functional>

#include "link/PortList.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vorn {

class Session;
class UpDown;
class ValidatedEdit;

using PortProber = std::function<PortListing()>;

// Everything above the tabs that shapes the link: port list, hidden bit-rate frame,
// module and extended address, bidirectional comm., Kestro tunnel, numbering base.
class LinkPanel : public QWidget {
  Q_OBJECT
 public:
  LinkPanel(Session& s, PortProber prober, QWidget* parent = nullptr);

  // Port probing ("Refresh" and once at start): closes the port, lists what opens; `then`
  // follows once the list is shown.
  void RefreshPortList(std::function<void()> then = {});
  // Redraws the boxes from the session (numbering base, link options the routines change).
  void refresh();
  // Option boxes the device routines change on their own (CheckVornBD, CheckKestro).
  void syncOptions();

 signals:
  void addressChanged();    // ShowSerialAddress must run
  void numberingChanged();  // CheckKLnumber clicked; NumberBase already set
  void portChanged();       // opened or closed by a pick, a refresh or a bit-rate change

 private:
  void showPortList(const PortListing& listing);
  void pickPort(int index);
  void pickBitRate(int index);
  void sayCannotOpen(const PortEntry& e);
  void enterModuleAddress(int shown);
  void enterExtAddress(int shown);
  void xaddressClicked(bool checked);
  void showXaddress(bool on);

  Session& s_;
  PortProber prober_;
  std::vector<PortEntry> entries_;
  QLabel* portProblems_ = nullptr;
  QComboBox* comboPort_;
  QGroupBox* frameBitrate_;
  QRadioButton* bitRate_[3];
  QLabel* labelAddress_;
  ValidatedEdit* textAddress_;
  UpDown* upDownAddress_;
  QCheckBox* checkXaddress_;
  QLabel* labelXaddress_;
  ValidatedEdit* txtXaddr_;
  UpDown* upDownXaddr_;
  QCheckBox* checkVornBD_;
  QCheckBox* checkKestro_;
  QPushButton* cmdSetTM_;
  QCheckBox* checkKLnumber_;
};

}  // namespace vorn
