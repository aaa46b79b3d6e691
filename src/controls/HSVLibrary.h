#pragma once

#include "core/elements/Drawing.h"
#include "core/error.h"

#include <QColor>
#include <QImage>
#include <cstdint>

namespace velmora {

// Raised by the colour conversions on contradictory input.
class EColorError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

// RoundHalfEven (nearest integer, halves to the even neighbour) is the core's, from Drawing.h.
// Nearest integer, halves away from zero.
int RoundHalfAway(double value);

struct TRGBReal
{
    double R = 0, G = 0, B = 0;
};

struct THSVReal
{
    double H = 0, S = 0, V = 0;
};

struct TRGBBytes
{
    std::uint8_t R = 0, G = 0, B = 0;
};

// H in degrees (0..360, NaN when undefined), S and V in 0..1; returns R, G, B in 0..1.
TRGBReal HSVtoRGB(double H, double S, double V);
// R, G, B on any common scale; V comes back on that scale, S in 0..1, H in degrees or NaN.
THSVReal RGBtoHSV(double R, double G, double B);
// Integer variant: H 0..360, S and V 0..255.
TRGBBytes HSVtoRGBBytes(int H, int S, int V);

// Paints the hue/saturation disc of the given value into the top-left size x size square
// of bitmap, then marks saturation S (circle) and hue H (line).
void DrawHueSaturationDisc(QImage &bitmap, int size, int H, int S, int V, QColor circleColor, QColor lineColor);

// Which of the three gradient strips to paint.
enum class TGradientStrip { Hue, Saturation, Value };

// Paints one strip (every row alike, columns 0..255) showing what its bar would give.
void DrawGradientStrip(QImage &strip, TGradientStrip kind, int H, int S, int V);

} // namespace velmora
