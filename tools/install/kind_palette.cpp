// The kinds' colours: fifteen hues around the wheel and a grey, each at a relative
// luminance near 0.18, where the contrast against white and against black
// is the same (about 4.6:1), so that no panel theme makes a kind unreadable.
#include "tools/install/kind_palette.h"

#include <cmath>

namespace {

// Red, green, blue, orange, magenta, teal, olive, violet, cyan, pink, lime,
// sky, ochre, purple, jade and a grey: the kinds sorted first (the commonest
// in most tables) get the hues farthest apart, and the grey stands apart
// from every hue.
constexpr PaletteColour kPalette[kPaletteSize] = {
    {0xE9, 0x13, 0x13}, {0x1D, 0x88, 0x1D}, {0x4D, 0x68, 0xF1}, {0xB2, 0x60, 0x26},
    {0xC7, 0x2A, 0xC7}, {0x1C, 0x83, 0x7B}, {0x77, 0x7A, 0x1A}, {0x87, 0x5C, 0xDC},
    {0x0D, 0x7F, 0xA5}, {0xDC, 0x12, 0x99}, {0x48, 0x84, 0x0B}, {0x2A, 0x78, 0xC5},
    {0x9C, 0x6C, 0x0D}, {0xB0, 0x34, 0xEF}, {0x0B, 0x87, 0x49}, {0x76, 0x76, 0x76},
};

// One sRGB channel on the linear scale luminance is summed on.
double Linear(std::uint8_t channel) {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(PaletteColour colour) {
    return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) +
           0.0722 * Linear(colour.blue);
}

} // namespace

PaletteColour KindColour(std::size_t index) {
    return kPalette[index % kPaletteSize];
}

double ContrastRatio(PaletteColour a, PaletteColour b) {
    const double first = RelativeLuminance(a);
    const double second = RelativeLuminance(b);
    const double lighter = first > second ? first : second;
    const double darker = first > second ? second : first;
    return (lighter + 0.05) / (darker + 0.05);
}
