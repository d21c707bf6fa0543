// Font and sample colours of the settings files. A colour is a 24-bit blue-green-red number
// (red is 255, blue 16711680) or one of the two system selection colours, which have no number
// of their own and follow the desktop's theme. Font colours are written by name ("clRed");
// colours chosen from a colour drop-down are written as their number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::profiles {

using Colour = std::int32_t;

inline constexpr Colour kClBlack = 0;
inline constexpr Colour kClMaroon = 128;
inline constexpr Colour kClGreen = 32768;
inline constexpr Colour kClOlive = 32896;
inline constexpr Colour kClNavy = 8388608;
inline constexpr Colour kClPurple = 8388736;
inline constexpr Colour kClTeal = 8421376;
inline constexpr Colour kClGray = 8421504;
inline constexpr Colour kClSilver = 12632256;
inline constexpr Colour kClRed = 255;
inline constexpr Colour kClLime = 65280;
inline constexpr Colour kClBlue = 16711680;
inline constexpr Colour kClFuchsia = 16711935;
inline constexpr Colour kClAqua = 16776960;
inline constexpr Colour kClWhite = 16777215;
// The system selection colours: negative, so that they never collide with a 24-bit colour.
inline constexpr Colour kClHighlight = -16777203;
inline constexpr Colour kClHighlightText = -16777202;

// The name a settings file stores for a font colour: one of the fifteen colour names,
// "clHighlight" or "clHighLightText"; any other colour is written as its decimal number.
std::string colourName(Colour colour);

// Reads a font colour line: a colour name (the selection names in either spelling,
// "clHighLight" or "clHighlight"), or a decimal number as colourName writes for other colours.
// Anything else reads as black.
Colour colourFromName(std::string_view name);

// True for the two system selection colours, which the window system resolves.
bool isSystemColour(Colour colour);

// Blue-green-red number to red, green and blue components (0..255); system colours give black
// here, the window system resolves them.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};
Rgb toRgb(Colour colour);
Colour fromRgb(Rgb rgb);

}  // namespace velmora::profiles
