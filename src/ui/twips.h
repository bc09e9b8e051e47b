// Window layouts are given in twips: 1440 to the inch, 15 to the pixel at 96
// dots per inch. Qt places widgets in logical pixels and scales those for
// high-density screens itself, so a twips value maps to a fixed pixel count.
#pragma once

#include <QRect>
#include <QSize>

namespace ormel::ui {

inline constexpr int kTwipsPerPixel = 15;

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int TwipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline QRect ToPixels(const TwipsRect& r) {
    return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
            TwipsToPixels(r.height)};
}

inline QSize ToPixels(int width_twips, int height_twips) {
    return {TwipsToPixels(width_twips), TwipsToPixels(height_twips)};
}

}  // namespace ormel::ui
