#pragma once

namespace velmora {

// The transfer functions of the deliveries Velmora maps its SDR picture into. lcms2 offers
// none of the HDR ones (its parametric curves stop at the sRGB family), so they are written
// here from their published formulas; tests hold them to the published reference values.

// BT.1886 with a black of zero: an SDR signal (0..1) to display light relative to its white.
double Bt1886ToLinear(double signal);

// SMPTE ST 2084: absolute light in cd/m² (0..10000) to the PQ signal (0..1), and back.
double PqFromLight(double candelas);
double LightFromPq(double signal);

// BT.2100 HLG OETF: scene light (0..1) to the signal (0..1), and its inverse.
double HlgFromScene(double scene);
double SceneFromHlg(double signal);

// The HLG system gamma of a display of peak cd/m² (BT.2100: 1.2 at 1000 cd/m²).
double HlgSystemGamma(double peak);

// The nominal peak of the HLG reference display that graphics white is placed on.
inline constexpr double HlgReferencePeak = 1000;

// DCDM X'Y'Z': a tristimulus value in cd/m² to the 12-bit code value (gamma 2.6 over 52.37).
double DcdmFromLight(double candelas);

} // namespace velmora
