#pragma once

#include <QRect>

namespace kx12r {

// Layout sizes are given in twips; the screen has 15 twips to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
  return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}
constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

// Controls on a tab are placed in the tab control's own coordinates, its strip of tabs
// included; a tab page starts below that strip.
inline constexpr int kTabStripHeight = 360;

constexpr QRect TabPageRect(int left, int top, int width, int height) {
  return TwipsRect(left, top - kTabStripHeight, width, height);
}

}  // namespace kx12r
