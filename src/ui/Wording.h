#pragma once

#include <QString>

namespace vorn {

// A count with its noun: "1 change", "2 changes" (plural: singular + "s" unless given).
QString CountText(int n, const QString& singular, const QString& plural = {});
// A job's duration: "40 ms" below a second, else "14.2 s".
QString DurationText(double seconds);

}  // namespace vorn
