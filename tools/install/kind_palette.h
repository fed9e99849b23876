// The colours `install --colors` gives the kinds: one each for the first
// kinds of the table, told apart by hue, each readable as text on a white
// panel and on a black one alike.
#pragma once

#include <cstddef>
#include <cstdint>

struct PaletteColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

// As many kinds as get a colour; the rest stay in the panel's own colour.
constexpr std::size_t kPaletteSize = 24;

// The colour of the kind at `index` (the kinds in the table's order), for
// an index below kPaletteSize.
PaletteColour KindColour(std::size_t index);

// The contrast ratio of two colours as screen-reading guidance measures it:
// (the lighter's relative luminance + 0.05) over (the darker's + 0.05), from
// 1 (the same) to 21 (black on white).
double ContrastRatio(PaletteColour a, PaletteColour b);

// A colour in CIE L*a*b* (D65), and the CIEDE2000 difference of two, the
// measure of how far apart two colours look (about 1: barely told apart).
struct LabColour {
    double lightness;
    double a;
    double b;
};
LabColour LabOf(PaletteColour colour);
double ColourDifference(LabColour first, LabColour second);
