#include "files/FileAccess.h"

#include <QFile>
#include <QSaveFile>

namespace vorn {

std::optional<std::string> ReadFileBytes(const std::string& path) {
  QFile f(QFile::decodeName(path.c_str()));
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray all = f.readAll();
  if (f.error() != QFileDevice::NoError) return std::nullopt;
  return all.toStdString();
}

bool SaveFileBytes(const std::string& path, const std::string& bytes, std::string* error) {
  QSaveFile f(QFile::decodeName(path.c_str()));
  // Unbuffered, so a short write (disk full) shows in write() itself: this Qt's commit()
  // does not notice a failed flush and would rename a truncated file over the old one.
  bool ok = f.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  if (ok) {
    ok = f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    ok = ok ? f.commit() : (f.cancelWriting(), false);
  }
  if (!ok && error) *error = f.errorString().toStdString();
  return ok;
}

}  // namespace vorn
