#include "files/StandardLibraryPath.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include "files/DeviceLibrary.h"

namespace vorn {

StandardLibraryLookup FindStandardDeviceLibrary(const std::string& programDir) {
  StandardLibraryLookup r;
  const QString beside = QString::fromStdString(programDir) + "/" + kStandardDeviceFile;
  r.path = beside.toStdString();
  r.searched.push_back(programDir);
  const QString subfolder = QStringLiteral("vornconfig");
  for (const QString& d : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    r.searched.push_back((d + "/" + subfolder).toStdString());
  if (QFileInfo(beside).isFile()) return r;
  const QString located =
      QStandardPaths::locate(QStandardPaths::GenericDataLocation, subfolder + "/" + kStandardDeviceFile);
  if (!located.isEmpty()) r.path = located.toStdString();
  return r;
}

}  // namespace vorn
