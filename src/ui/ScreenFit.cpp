#include "ui/ScreenFit.h"

namespace vorn {

StartPlacement PlaceOnScreen(const QRect& available, const QMargins& frame, const QSize& preferred) {
  const QRect inside = available.marginsRemoved(frame);
  if (preferred.width() > inside.width() || preferred.height() > inside.height()) return {inside, true};
  QRect r(QPoint(0, 0), preferred);
  r.moveCenter(inside.center());
  return {r, false};
}

}  // namespace vorn
