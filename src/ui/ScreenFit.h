#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace vorn {

// Where the main window opens on a screen.
struct StartPlacement {
  QRect geometry;  // the window without its frame (what setGeometry takes)
  bool maximised;  // the preferred size with its frame does not fit: open maximised
};

// `preferred` centred in `available` (the screen less its panels) with the frame around it;
// when that does not fit, maximised, and the normal geometry is the available area less the frame.
StartPlacement PlaceOnScreen(const QRect& available, const QMargins& frame, const QSize& preferred);

}  // namespace vorn
