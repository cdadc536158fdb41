#pragma once

#include <QLineEdit>

#include "model/Instructions.h"  // IntRange

namespace vorn {

// Validates a box against its range: the nearest bound replaces an outside number, the
// box then shows the value, which is returned.
int ValidateBox(QLineEdit* box, IntRange range);

}  // namespace vorn
