#pragma once
// Screen geometry of the original forms is given in twips: 1440 twips per inch, shown at 96
// pixels per inch, so 15 twips make one device-independent pixel.

namespace tw {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) noexcept {
    // Round to the nearest pixel, halves away from zero.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int pixelsToTwips(int pixels) noexcept {
    return pixels * kTwipsPerPixel;
}

}  // namespace tw
