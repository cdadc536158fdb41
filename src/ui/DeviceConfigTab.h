#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "files/DeviceLibrary.h"
#include "ui/JobRequester.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;

namespace vorn {

class ModifierButton;
class PinConfigEditor;
class PinEditor;
class PinOverview;
class Session;

// Tab "Vorn Device Configuration": device library controls, the current pin's addresses,
// the pin and device job buttons, the pin program editor and the pin configuration editor.
class DeviceConfigTab : public QWidget {
  Q_OBJECT
 public:
  DeviceConfigTab(Session& s, JobRequester requestJob, QWidget* parent = nullptr);

  void setExpertMode(bool on);
  // After jobs and file loads: addresses, pin and aspect display, program list.
  void refreshAll();
  // After jobs and file loads, once the displays are redrawn: the current pin's row of the
  // overview is scrolled into view.
  void showCurrentPin();
  void refreshPinConfig();
  // ShowDCCAddress, ShowXDCCAddress, ShowSerialAddress.
  void showAddresses();

  PinEditor& pinEditor() { return *pinEditor_; }
  PinOverview& overview() { return *overview_; }
  // The pin overview and its buttons, after the device as last known or the marks changed.
  void refreshOverview();
  // "Show Changes" / "Write Changes": the list of differences; for a write, true when the
  // user answered OK. Tests replace it.
  std::function<bool(const QStringList& lines, bool write)> changesDialog;
  void ShowChanges();
  void WriteChanges();
  PinConfigEditor& pinConfigEditor() { return *pinConfig_; }
  QComboBox& deviceList() { return *cboDevice_; }
  QLabel& versionLabel() { return *lblDDVersion_; }

  // Start-up: the device names of the standard library in the program's folder.
  void LoadDeviceLibraryAtStart(const std::string& programDir);
  DeviceLibrary& library() { return library_; }

  // File dialogs of the library (cdDevice, cdMyDevice); tests replace them.
  PathChooser openDeviceDialog;
  PathChooser saveDeviceDialog;

 private:
  void showLibrary();
  void preload();

  Session& s_;
  JobRequester requestJob_;
  DeviceLibrary library_;
  PinEditor* pinEditor_;
  PinConfigEditor* pinConfig_;
  PinOverview* overview_;
  QSplitter* split_;
  bool splitMoved_ = false;
  QComboBox* cboDevice_;
  QLabel* lblDDVersion_;
  QLabel* lblDCC_;
  QLabel* lblXDCC_;
  QLabel* lblSerial_;
  QLabel* lblPin_;
  std::vector<QPushButton*> expertButtons_;  // shown in expert mode only
};

}  // namespace vorn
