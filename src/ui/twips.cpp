#include "ui/twips.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace ormel::ui {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kDesignDotsPerInch = 96.0;

}  // namespace

double FontPixels(const QFont& font) {
    if (font.pixelSize() > 0) return font.pixelSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : kDesignDotsPerInch;
    return font.pointSizeF() * dpi / kPointsPerInch;
}

double LayoutScale() {
    return std::max(1.0, FontPixels(QGuiApplication::font()) / kDesignFontPixels);
}

int TwipsToPixels(int twips, double scale) {
    return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}

QRect ToPixels(const TwipsRect& r) {
    const double scale = LayoutScale();
    const int left = TwipsToPixels(r.left, scale);
    const int top = TwipsToPixels(r.top, scale);
    return {left, top, TwipsToPixels(r.left + r.width, scale) - left,
            TwipsToPixels(r.top + r.height, scale) - top};
}

QSize ToPixels(int width_twips, int height_twips) {
    const double scale = LayoutScale();
    return {TwipsToPixels(width_twips, scale), TwipsToPixels(height_twips, scale)};
}

}  // namespace ormel::ui
