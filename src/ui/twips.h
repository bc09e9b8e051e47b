// Window layouts are given in twips: 1440 to the inch, 15 to the pixel at 96
// dots per inch. Qt places widgets in logical pixels and scales those for
// high-density screens itself, so a twips value maps to a fixed pixel count,
// grown only when the system's interface font is larger than the one the
// windows were laid out for.
#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace ormel::ui {

inline constexpr int kTwipsPerPixel = 15;

// The windows were laid out for the standard interface font of 9 points,
// 12 pixels at 96 dots per inch: Qt's own default on Linux when the desktop
// names none ("Sans Serif" 9) and Windows' message font at 100 % text size
// (Segoe UI 9; Wine's Tahoma 8 is smaller). The dialogs draw their text in
// that font; the main window's own text is 11 pixels (8 points), the size its
// labels were placed for.
inline constexpr double kDesignFontPixels = 12.0;

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

// The font's height in logical pixels at the screen's logical resolution.
double FontPixels(const QFont& font);

// How much larger the system's interface font (the application's font: the
// platform theme's on Linux, the message font on Windows) is than the one
// the windows were laid out for; 1 at that size or below. Every twips value
// grows by it, so that larger text gets room in proportion.
double LayoutScale();

int TwipsToPixels(int twips, double scale);

// A rectangle's edges are scaled, not its width and height, so that controls
// that meet in twips still meet in pixels.
QRect ToPixels(const TwipsRect& r);
QSize ToPixels(int width_twips, int height_twips);

}  // namespace ormel::ui
