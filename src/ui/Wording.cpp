#include "ui/Wording.h"

#include <cmath>

namespace vorn {

QString CountText(int n, const QString& singular, const QString& plural) {
  const QString noun = n == 1 ? singular : (plural.isEmpty() ? singular + "s" : plural);
  return QString::number(n) + " " + noun;
}

QString DurationText(double seconds) {
  const double ms = std::round(seconds * 1000.0);
  if (ms < 1000.0) return QString::number(static_cast<int>(ms < 0 ? 0 : ms)) + " ms";
  return QString::number(seconds, 'f', 1) + " s";
}

}  // namespace vorn
