#include "controls/HSVLibrary.h"

#include "controls/IEEE754.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

int RoundHalfAway(double value)
{
    return static_cast<int>(std::round(value));
}

TRGBReal HSVtoRGB(double H, double S, double V)
{
    if (S == 0) {
        if (!IsNaN(H))
            throw EColorError(QStringLiteral("HSVtoRGB:  S = 0 and H has a value"));
        return {V, V, V};
    }
    // A hue outside the circle (or undefined with a saturation) has no sector: black,
    // rather than leaving the caller with undefined components.
    if (IsNaN(H) || H < 0 || H > 360)
        return {};
    double h = (H == 360) ? 0 : H;
    h /= 60;
    const int i = static_cast<int>(h);
    const double f = h - i;
    const double p = V * (1 - S);
    const double q = V * (1 - S * f);
    const double t = V * (1 - S * (1 - f));
    switch (i) {
    case 0: return {V, t, p};
    case 1: return {q, V, p};
    case 2: return {p, V, t};
    case 3: return {p, q, V};
    case 4: return {t, p, V};
    default: return {V, p, q};
    }
}

THSVReal RGBtoHSV(double R, double G, double B)
{
    THSVReal hsv;
    hsv.V = std::max({R, G, B});
    const double delta = hsv.V - std::min({R, G, B});
    hsv.S = (hsv.V != 0) ? delta / hsv.V : 0;
    if (hsv.S == 0) {
        hsv.H = UndefinedHue;
        return hsv;
    }
    if (R == hsv.V)
        hsv.H = 60 * (G - B) / delta;
    else if (G == hsv.V)
        hsv.H = 120 + 60 * (B - R) / delta;
    else
        hsv.H = 240 + 60 * (R - G) / delta;
    if (hsv.H < 0)
        hsv.H += 360;
    return hsv;
}

TRGBBytes HSVtoRGBBytes(int H, int S, int V)
{
    // Components outside a byte would wrap into wrong colours: keep them in range.
    S = std::clamp(S, 0, 255);
    V = std::clamp(V, 0, 255);
    const auto v = static_cast<std::uint8_t>(V);
    if (S == 0)
        return {v, v, v};
    if (H < 0 || H > 360)
        return {};
    const int h = (H == 360) ? 0 : H;
    const int f = h % 60;
    const int sector = h / 60;
    const int vs = V * S;
    const auto p = static_cast<std::uint8_t>(V - vs / 255);
    const auto q = static_cast<std::uint8_t>(V - (vs * f) / 15300);
    const auto t = static_cast<std::uint8_t>(V - (vs * (60 - f)) / 15300);
    switch (sector) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
    }
}

static QRgb ToQRgb(TRGBBytes c)
{
    return qRgb(c.R, c.G, c.B);
}

void DrawHueSaturationDisc(QImage &bitmap, int size, int H, int S, int V, QColor circleColor, QColor lineColor)
{
    if (bitmap.isNull() || size <= 0)
        return;
    const int r = size / 2;
    const int width = std::min(size, bitmap.width());
    const int height = std::min(size, bitmap.height());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int dx = x - r;
            const int dy = y - r;
            if (dx * dx + dy * dy > r * r)
                continue;
            int hue = RoundHalfEven((std::atan2(double(dx), double(dy)) / std::numbers::pi + 1) * 180) + 90;
            if (hue > 360)
                hue -= 360;
            const int sat = r > 0 ? RoundHalfEven(std::sqrt(double(dx * dx + dy * dy)) * 255 / r) : 0;
            bitmap.setPixel(x, y, ToQRgb(HSVtoRGBBytes(hue, sat, V)));
        }
    }

    QPainter painter(&bitmap);
    if (S >= 1 && S <= 254) {
        const int d = RoundHalfAway(double(r) * S / 255);
        painter.setPen(circleColor);
        painter.setBrush(Qt::NoBrush);
        // A one-pixel pen covers the box from r - d to r + d inclusive.
        painter.drawEllipse(QRect(r - d, r - d, 2 * d, 2 * d));
    }
    if (S != 0 && H >= 0 && H <= 360) {
        const double angle = -H * std::numbers::pi / 180;
        painter.setPen(lineColor);
        painter.drawLine(QPoint(r, r), QPoint(r + RoundHalfEven(r * std::cos(angle)), r + RoundHalfEven(r * std::sin(angle))));
    }
}

void DrawGradientStrip(QImage &strip, TGradientStrip kind, int H, int S, int V)
{
    const int columns = std::min(strip.width(), 256);
    for (int i = 0; i < columns; ++i) {
        TRGBBytes c;
        switch (kind) {
        case TGradientStrip::Hue: c = HSVtoRGBBytes(RoundHalfAway(360.0 * i / 255), S, V); break;
        case TGradientStrip::Saturation: c = HSVtoRGBBytes(H, i, V); break;
        case TGradientStrip::Value: c = HSVtoRGBBytes(H, S, i); break;
        }
        const QRgb rgb = ToQRgb(c);
        for (int y = 0; y < strip.height(); ++y)
            strip.setPixel(i, y, rgb);
    }
}

} // namespace velmora
