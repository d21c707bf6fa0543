#include "profiles/colours.h"

#include <array>
#include <charconv>

namespace velmora::profiles {

namespace {

struct NamedColour {
    const char* name;
    Colour colour;
};

constexpr std::array<NamedColour, 17> kNamedColours = {{
    {"clBlack", kClBlack},
    {"clMaroon", kClMaroon},
    {"clGreen", kClGreen},
    {"clOlive", kClOlive},
    {"clNavy", kClNavy},
    {"clPurple", kClPurple},
    {"clTeal", kClTeal},
    {"clGray", kClGray},
    {"clSilver", kClSilver},
    {"clRed", kClRed},
    {"clLime", kClLime},
    {"clBlue", kClBlue},
    {"clFuchsia", kClFuchsia},
    {"clAqua", kClAqua},
    {"clWhite", kClWhite},
    {"clHighlight", kClHighlight},
    {"clHighLightText", kClHighlightText},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string colourName(Colour colour) {
    for (const auto& named : kNamedColours)
        if (named.colour == colour) return named.name;
    return std::to_string(colour);
}

Colour colourFromName(std::string_view name) {
    for (const auto& named : kNamedColours)
        if (name == named.name) return named.colour;
    // The selection colours come in two spellings ("clHighLight", "clHighlightText").
    if (equalsIgnoringCase(name, "clHighlight")) return kClHighlight;
    if (equalsIgnoringCase(name, "clHighlightText")) return kClHighlightText;
    Colour value = 0;
    const char* first = name.data();
    const char* last = name.data() + name.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (!name.empty() && ec == std::errc{} && ptr == last &&
        (value == kClHighlight || value == kClHighlightText || (value >= 0 && value <= kClWhite)))
        return value;
    return kClBlack;
}

bool isSystemColour(Colour colour) {
    return colour == kClHighlight || colour == kClHighlightText;
}

Rgb toRgb(Colour colour) {
    if (colour < 0) return {};
    return {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};
}

Colour fromRgb(Rgb rgb) {
    auto part = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    return part(rgb.red) | (part(rgb.green) << 8) | (part(rgb.blue) << 16);
}

}  // namespace velmora::profiles
