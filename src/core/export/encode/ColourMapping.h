#pragma once

#include "core/export/formats/ColourEncoding.h"

#include <QImage>
#include <array>
#include <vector>

namespace velmora {

// A 3 x 3 matrix, rows times a column of R, G, B.
using TColourMatrix = std::array<std::array<double, 3>, 3>;

// Linear BT.709 RGB to linear BT.2020 RGB, both with the D65 white; lcms2 derives it from
// the two sets of primaries.
TColourMatrix Bt709ToBt2020();
// Linear BT.709 RGB to CIE XYZ with the white carried to the DCI white (x 0.314, y 0.351),
// white at Y = 1; lcms2 derives it and adapts the white by Bradford.
TColourMatrix Bt709ToDciXyz();

// The light a frame of an HDR delivery reaches, in cd/m² (for MaxCLL and MaxFALL).
struct TFrameLight
{
    double Brightest = 0;  // the largest component of any pixel
    double Average = 0;    // the frame's mean of each pixel's largest component
};

// Maps frames drawn in SDR BT.709 into a delivery's signal the way broadcasters map graphics:
// the signal decoded by BT.1886, the primaries converted in linear light, the project's white
// placed at the graphics white, and the delivery's transfer function applied. Immutable once
// made, so one mapping serves every thread.
class TColourMapping
{
public:
    explicit TColourMapping(const TColourChoice &choice);

    const TColourChoice &Choice() const { return m_choice; }

    // frame: Format_RGBX64 or Format_RGBA64 (straight alpha, kept as it is). Returns the
    // mapped frame in the same format: PQ or HLG signal over 0..65535, or for DCDM the 12-bit
    // code values times 16 (a 16-bit file's top 12 bits). light, when given, gets the frame's
    // light levels (PQ and HLG).
    QImage Map(const QImage &frame, TFrameLight *light = nullptr) const;

private:
    quint16 Encode(float linear) const;

    TColourChoice m_choice;
    std::array<std::array<float, 3>, 3> m_matrix{};
    std::vector<float> m_toLinear;   // 16-bit signal to linear light, white 1
    std::vector<float> m_encode;     // signal over 0..1 by the square root of linear light
    float m_candelas = 0;            // cd/m² of linear 1 in the delivery
    double m_hlgGamma = 1.2;
};

} // namespace velmora
