#include "ui/BoxText.h"

#include "ui/DeviceConfigWidgets.h"

namespace vorn {

int ValidateBox(QLineEdit* box, IntRange range) {
  // Bounds are whole numbers, so rounding first and clamping after gives the same value.
  const int v = range.clamp(BoxValue(box->text()));
  SetBoxNumber(box, v);
  return v;
}

}  // namespace vorn
