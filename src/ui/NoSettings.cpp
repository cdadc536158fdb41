#include "ui/NoSettings.h"

#include <QSettings>
#include <QTemporaryDir>

namespace vorn {

void KeepNoSettings() {
  static QTemporaryDir dir;  // removed with everything in it at exit
  static bool done = false;
  if (done) return;
  done = true;
  if (!dir.isValid()) return;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

}  // namespace vorn
