#include "ui/Readable.h"

#include <QApplication>
#include <QWidget>
#include <cmath>

namespace vorn {

namespace {

double channel(double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

double luminance(const QColor& c) {
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// Each widget remembers the light colour it was given (an invalid colour for none), so that the
// colours can be worked out again when the application's palette changes.
const char* const kWarningLight = "vornWarningLight";
const char* const kGreyedLight = "vornGreyedLight";

QColor mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                          static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                          static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const QColor& background) { return luminance(background) < 0.18; }

QColor WarningColour(const QColor& light, const QColor& background) {
  if (!IsDark(background)) return light;
  for (double t = 0; t <= 1.0; t += 0.05) {
    const QColor c = mix(light, Qt::white, t);
    if (ContrastRatio(c, background) >= kReadableContrast) return c;
  }
  return Qt::white;
}

QColor GreyedBase(const QPalette& palette, const QColor& light) {
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  if (!IsDark(base)) return light;
  // As far towards the text colour as the text stays readable on it.
  for (double t = 0.25; t > 0; t -= 0.05) {
    const QColor c = mix(base, text, t);
    if (ContrastRatio(text, c) >= kReadableContrast) return c;
  }
  return base;
}

void SetWarningText(QWidget* w, std::optional<QColor> light) {
  w->setProperty(kWarningLight, light.value_or(QColor()));
  const QPalette app = QApplication::palette(w);
  QPalette p = w->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
    const QPalette::ColorRole behind = role == QPalette::Text ? QPalette::Base : QPalette::Window;
    p.setColor(role, light ? WarningColour(*light, app.color(behind)) : app.color(role));
  }
  w->setPalette(p);
}

void SetGreyedBase(QWidget* w, bool greyed, const QColor& light) {
  w->setProperty(kGreyedLight, greyed ? light : QColor());
  const QPalette app = QApplication::palette(w);
  QPalette p = w->palette();
  p.setColor(QPalette::Base, greyed ? GreyedBase(app, light) : app.color(QPalette::Base));
  w->setPalette(p);
}

void RefreshReadableColours(QWidget* top) {
  for (QWidget* w : top->findChildren<QWidget*>()) {
    if (const QVariant v = w->property(kWarningLight); v.isValid()) {
      const QColor light = v.value<QColor>();
      SetWarningText(w, light.isValid() ? std::optional<QColor>(light) : std::nullopt);
    }
    if (const QVariant v = w->property(kGreyedLight); v.isValid()) {
      const QColor light = v.value<QColor>();
      SetGreyedBase(w, light.isValid(), light);
    }
  }
}

}  // namespace vorn
