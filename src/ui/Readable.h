#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

class QWidget;

namespace vorn {

// Colours that only mean "warning" or "greyed". On a light palette they are the program's
// own colours; on a dark palette they are chosen so that text keeps a contrast ratio of at
// least kReadableContrast against the colour behind it.
inline constexpr double kReadableContrast = 4.5;

double ContrastRatio(const QColor& a, const QColor& b);
bool IsDark(const QColor& background);

// `light` itself where the background is light, else the same hue lightened until it reads.
QColor WarningColour(const QColor& light, const QColor& background);
// Background of a greyed box: `light` on a light palette, else a tone between the palette's
// base and text colours that keeps the text readable.
QColor GreyedBase(const QPalette& palette, const QColor& light);

// Text colour of a label (WindowText) or a box (Text): the warning colour for `light`, or the
// palette's own colour again when empty.
void SetWarningText(QWidget* w, std::optional<QColor> light);
// Greys a box's background (its Base colour) or gives it the palette's base again.
void SetGreyedBase(QWidget* w, bool greyed, const QColor& light);
// Sets the colours of every widget under `top` given one of the two above again, from the
// application's palette as it is now (after a change of theme).
void RefreshReadableColours(QWidget* top);

}  // namespace vorn
