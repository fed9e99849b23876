// The kinds' colours: 24, each of a relative luminance from 0.10 to 0.30, so
// at least 3:1 against white and against black and no panel theme makes a
// kind unreadable, and every two at least 15 apart by CIEDE2000, so that no
// two kinds look alike.
#include "tools/install/kind_palette.h"

#include <cmath>

namespace {

// Chosen from a grid of sRGB colours in the luminance band, each the one
// farthest (by CIEDE2000) from all chosen before it, after the first
// kind's red: the kinds sorted first (the commonest in most tables) get the
// colours farthest apart.
constexpr PaletteColour kPalette[kPaletteSize] = {
    {0xE9, 0x13, 0x13}, {0x00, 0xA5, 0x00}, {0x00, 0x96, 0xD2}, {0x96, 0x00, 0xD2},
    {0x78, 0x5A, 0x00}, {0x96, 0x87, 0x96}, {0x1E, 0x69, 0x5A}, {0xFF, 0x00, 0x87},
    {0x87, 0x96, 0x87}, {0xD2, 0x78, 0x0F}, {0x2D, 0x5A, 0xB4}, {0xA5, 0x78, 0xFF},
    {0x87, 0x4B, 0x69}, {0x3C, 0x69, 0x00}, {0x96, 0x96, 0x00}, {0x96, 0x69, 0x5A},
    {0x00, 0x96, 0x96}, {0x69, 0x69, 0x5A}, {0xFF, 0x1E, 0xF0}, {0xA5, 0x4B, 0x00},
    {0xC3, 0x00, 0x4B}, {0x87, 0x69, 0xA5}, {0x2D, 0xA5, 0x78}, {0xE1, 0x69, 0x69},
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

constexpr double kPi = 3.14159265358979323846;

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

// A hue angle in degrees, from 0 to 360.
double Hue(double b, double a) {
    if (a == 0.0 && b == 0.0)
        return 0.0;
    const double degrees = std::atan2(b, a) * 180.0 / kPi;
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

// The share of chroma the formula's corrections take at chroma `c`.
double Chroma7(double c) {
    const double c7 = std::pow(c, 7.0);
    return std::sqrt(c7 / (c7 + std::pow(25.0, 7.0)));
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

LabColour LabOf(PaletteColour colour) {
    const double r = Linear(colour.red);
    const double g = Linear(colour.green);
    const double b = Linear(colour.blue);
    // sRGB to XYZ, over the D65 white.
    const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const auto f = [](double t) {
        const double edge = 6.0 / 29.0;
        return t > edge * edge * edge ? std::cbrt(t) : t / (3.0 * edge * edge) + 4.0 / 29.0;
    };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

// CIEDE2000 as published by the CIE (Sharma, Wu and Dalal give the test
// pairs the tests hold it to), with the weights kL = kC = kH = 1.
double ColourDifference(LabColour first, LabColour second) {
    const double meanChroma = (std::hypot(first.a, first.b) + std::hypot(second.a, second.b)) / 2.0;
    const double g = 0.5 * (1.0 - Chroma7(meanChroma));
    const double a1 = (1.0 + g) * first.a;
    const double a2 = (1.0 + g) * second.a;
    const double c1 = std::hypot(a1, first.b);
    const double c2 = std::hypot(a2, second.b);
    const double h1 = Hue(first.b, a1);
    const double h2 = Hue(second.b, a2);
    double hueStep = 0.0;
    if (c1 * c2 != 0.0) {
        hueStep = h2 - h1;
        hueStep += hueStep > 180.0 ? -360.0 : hueStep < -180.0 ? 360.0 : 0.0;
    }
    const double lightnessStep = second.lightness - first.lightness;
    const double chromaStep = c2 - c1;
    const double hueDifference = 2.0 * std::sqrt(c1 * c2) * std::sin(Radians(hueStep / 2.0));
    const double meanLightness = (first.lightness + second.lightness) / 2.0;
    const double meanC = (c1 + c2) / 2.0;
    double meanHue = h1 + h2;
    if (c1 * c2 != 0.0)
        meanHue = std::fabs(h1 - h2) <= 180.0 ? meanHue / 2.0
                  : meanHue < 360.0           ? (meanHue + 360.0) / 2.0
                                              : (meanHue - 360.0) / 2.0;
    const double t = 1.0 - 0.17 * std::cos(Radians(meanHue - 30.0)) +
                     0.24 * std::cos(Radians(2.0 * meanHue)) +
                     0.32 * std::cos(Radians(3.0 * meanHue + 6.0)) -
                     0.20 * std::cos(Radians(4.0 * meanHue - 63.0));
    const double turn = 30.0 * std::exp(-std::pow((meanHue - 275.0) / 25.0, 2.0));
    const double rotation = -std::sin(Radians(2.0 * turn)) * 2.0 * Chroma7(meanC);
    const double l50 = (meanLightness - 50.0) * (meanLightness - 50.0);
    const double lightness = lightnessStep / (1.0 + 0.015 * l50 / std::sqrt(20.0 + l50));
    const double chroma = chromaStep / (1.0 + 0.045 * meanC);
    const double hue = hueDifference / (1.0 + 0.015 * meanC * t);
    return std::sqrt(lightness * lightness + chroma * chroma + hue * hue + rotation * chroma * hue);
}
