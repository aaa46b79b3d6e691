#include "core/export/encode/TransferFunctions.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// ST 2084's constants, exact as published.
constexpr double PqM1 = 2610.0 / 16384.0;
constexpr double PqM2 = 2523.0 / 4096.0 * 128.0;
constexpr double PqC1 = 3424.0 / 4096.0;
constexpr double PqC2 = 2413.0 / 4096.0 * 32.0;
constexpr double PqC3 = 2392.0 / 4096.0 * 32.0;
constexpr double PqPeak = 10000;

// BT.2100's HLG constants.
constexpr double HlgA = 0.17883277;
constexpr double HlgB = 1 - 4 * HlgA;
const double HlgC = 0.5 - HlgA * std::log(4 * HlgA);

// DCI: the 52.37 cd/m² normalising constant and 12-bit codes.
constexpr double DcdmNormal = 52.37;
constexpr double DcdmMaxCode = 4095;

} // namespace

double Bt1886ToLinear(double signal)
{
    return std::pow(std::clamp(signal, 0.0, 1.0), 2.4);
}

double PqFromLight(double candelas)
{
    const double y = std::pow(std::clamp(candelas / PqPeak, 0.0, 1.0), PqM1);
    return std::pow((PqC1 + PqC2 * y) / (1 + PqC3 * y), PqM2);
}

double LightFromPq(double signal)
{
    const double e = std::pow(std::clamp(signal, 0.0, 1.0), 1 / PqM2);
    return PqPeak * std::pow(std::max(e - PqC1, 0.0) / (PqC2 - PqC3 * e), 1 / PqM1);
}

double HlgFromScene(double scene)
{
    const double e = std::clamp(scene, 0.0, 1.0);
    return e <= 1.0 / 12 ? std::sqrt(3 * e) : HlgA * std::log(12 * e - HlgB) + HlgC;
}

double SceneFromHlg(double signal)
{
    const double e = std::clamp(signal, 0.0, 1.0);
    return e <= 0.5 ? e * e / 3 : (std::exp((e - HlgC) / HlgA) + HlgB) / 12;
}

double HlgSystemGamma(double peak)
{
    return 1.2 + 0.42 * std::log10(peak / 1000);
}

double DcdmFromLight(double candelas)
{
    return DcdmMaxCode * std::pow(std::clamp(candelas / DcdmNormal, 0.0, 1.0), 1 / 2.6);
}

} // namespace velmora
