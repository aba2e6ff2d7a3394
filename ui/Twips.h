#pragma once

namespace veld::ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to device-independent pixels; Qt's high-DPI scaling does the rest.
inline constexpr int twipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

} // namespace veld::ui
