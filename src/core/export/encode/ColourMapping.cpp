#include "core/export/encode/ColourMapping.h"

#include "core/export/ExportError.h"
#include "core/export/encode/TransferFunctions.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <lcms2.h>

namespace velmora {

namespace {

struct TProfileCloser { void operator()(void *p) const { cmsCloseProfile(p); } };
struct TTransformDeleter { void operator()(void *t) const { cmsDeleteTransform(t); } };
struct TCurveDeleter { void operator()(cmsToneCurve *c) const { cmsFreeToneCurve(c); } };
using TProfilePtr = std::unique_ptr<void, TProfileCloser>;
using TTransformPtr = std::unique_ptr<void, TTransformDeleter>;

constexpr cmsCIExyY D65 = {0.3127, 0.3290, 1.0};
constexpr cmsCIExyYTRIPLE Bt709Primaries = {{0.640, 0.330, 1.0}, {0.300, 0.600, 1.0}, {0.150, 0.060, 1.0}};
constexpr cmsCIExyYTRIPLE Bt2020Primaries = {{0.708, 0.292, 1.0}, {0.170, 0.797, 1.0}, {0.131, 0.046, 1.0}};
constexpr cmsCIExyY DciWhite = {0.314, 0.351, 1.0};

// An RGB profile in linear light: the matrix alone, so lcms2's transform is the primaries' change.
TProfilePtr LinearRgb(const cmsCIExyYTRIPLE &primaries)
{
    std::unique_ptr<cmsToneCurve, TCurveDeleter> linear(cmsBuildGamma(nullptr, 1.0));
    cmsToneCurve *curves[3] = {linear.get(), linear.get(), linear.get()};
    TProfilePtr profile(linear ? cmsCreateRGBProfile(&D65, &primaries, curves) : nullptr);
    if (!profile)
        throw EExportError(QStringLiteral("The colour library could not describe the delivery's primaries."));
    return profile;
}

// The columns are what the transform makes of pure red, green and blue.
TColourMatrix MatrixOf(void *from, void *to, cmsUInt32Number toType)
{
    TTransformPtr transform(cmsCreateTransform(from, TYPE_RGB_DBL, to, toType, INTENT_RELATIVE_COLORIMETRIC,
                                               cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE));
    if (!transform)
        throw EExportError(QStringLiteral("The colour library could not convert between the delivery's primaries."));
    TColourMatrix m{};
    for (int column = 0; column < 3; ++column) {
        double in[3] = {0, 0, 0};
        in[column] = 1;
        double out[3] = {0, 0, 0};
        cmsDoTransform(transform.get(), in, out, 1);
        for (int row = 0; row < 3; ++row)
            m[row][column] = out[row];
    }
    return m;
}

constexpr int EncodeSteps = 65536;

} // namespace

TColourMatrix Bt709ToBt2020()
{
    const TProfilePtr from = LinearRgb(Bt709Primaries);
    const TProfilePtr to = LinearRgb(Bt2020Primaries);
    return MatrixOf(from.get(), to.get(), TYPE_RGB_DBL);
}

TColourMatrix Bt709ToDciXyz()
{
    const TProfilePtr from = LinearRgb(Bt709Primaries);
    const TProfilePtr xyz(cmsCreateXYZProfile());
    if (!xyz)
        throw EExportError(QStringLiteral("The colour library could not describe CIE XYZ."));
    // lcms2's XYZ is relative to D50; each primary is carried on to the DCI white from there.
    const TColourMatrix d50 = MatrixOf(from.get(), xyz.get(), TYPE_XYZ_DBL);
    cmsCIEXYZ dciWhite;
    cmsxyY2XYZ(&dciWhite, &DciWhite);
    TColourMatrix m{};
    for (int column = 0; column < 3; ++column) {
        const cmsCIEXYZ value = {d50[0][column], d50[1][column], d50[2][column]};
        cmsCIEXYZ adapted;
        if (!cmsAdaptToIlluminant(&adapted, cmsD50_XYZ(), &dciWhite, &value))
            throw EExportError(QStringLiteral("The colour library could not adapt to the DCI white."));
        m[0][column] = adapted.X;
        m[1][column] = adapted.Y;
        m[2][column] = adapted.Z;
    }
    return m;
}

TColourMapping::TColourMapping(const TColourChoice &choice) : m_choice(choice)
{
    if (!choice.Mapped())
        return;
    m_toLinear.resize(65536);
    for (size_t i = 0; i < m_toLinear.size(); ++i)
        m_toLinear[i] = float(Bt1886ToLinear(double(i) / 65535.0));
    const TColourMatrix matrix = choice.Encoding == TColourEncoding::DciXyz ? Bt709ToDciXyz() : Bt709ToBt2020();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m_matrix[r][c] = float(matrix[r][c]);
    switch (choice.Encoding) {
    case TColourEncoding::Pq:
    case TColourEncoding::Hlg:
        m_candelas = float(choice.GraphicsWhite);
        break;
    case TColourEncoding::DciXyz:
        m_candelas = 48;  // the cinema's white
        break;
    case TColourEncoding::Bt709:
        break;
    }
    m_hlgGamma = HlgSystemGamma(HlgReferencePeak);
    // Indexed by the square root of linear light: steps fine enough where PQ and HLG rise steeply.
    m_encode.resize(EncodeSteps + 1);
    for (int i = 0; i <= EncodeSteps; ++i) {
        const double t = double(i) / EncodeSteps;
        const double linear = t * t;
        switch (choice.Encoding) {
        case TColourEncoding::Pq:
            m_encode[i] = float(PqFromLight(linear * m_candelas));
            break;
        case TColourEncoding::Hlg:
            m_encode[i] = float(HlgFromScene(linear));  // scene light, after the inverse OOTF
            break;
        case TColourEncoding::DciXyz:
            // Whole 12-bit codes, so the file holds exactly what DCI's formula gives.
            m_encode[i] = float(std::round(DcdmFromLight(linear * m_candelas)) / 4095.0);
            break;
        case TColourEncoding::Bt709:
            break;
        }
    }
}

quint16 TColourMapping::Encode(float linear) const
{
    const float t = std::sqrt(std::clamp(linear, 0.0f, 1.0f)) * EncodeSteps;
    const int i = std::min(int(t), EncodeSteps - 1);
    const float f = t - float(i);
    const float signal = m_encode[i] + (m_encode[i + 1] - m_encode[i]) * f;
    if (m_choice.Encoding == TColourEncoding::DciXyz)
        return quint16(std::lround(signal * 4095.0f)) << 4;
    return quint16(std::lround(std::clamp(signal, 0.0f, 1.0f) * 65535.0f));
}

QImage TColourMapping::Map(const QImage &given, TFrameLight *light) const
{
    if (!m_choice.Mapped())
        return given;
    QImage frame = given.format() == QImage::Format_RGBX64 || given.format() == QImage::Format_RGBA64
        ? given.copy()
        : given.convertToFormat(given.hasAlphaChannel() ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
    const bool hlg = m_choice.Encoding == TColourEncoding::Hlg;
    // HLG's graphics white is display light on its reference display; the inverse OOTF turns
    // display light into the scene light its signal carries.
    const float toDisplay = hlg ? float(m_choice.GraphicsWhite / HlgReferencePeak) : 1.0f;
    const double ootfPower = (1 - m_hlgGamma) / m_hlgGamma;
    // Neighbouring pixels are mostly alike in credits: the last result is kept.
    quint64 lastKey = ~quint64(0);
    quint16 last[3] = {0, 0, 0};
    float lastBrightest = 0;
    double brightest = 0;
    double sum = 0;
    for (int y = 0; y < frame.height(); ++y) {
        auto *px = reinterpret_cast<quint16 *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x, px += 4) {
            const quint64 key = quint64(px[0]) | quint64(px[1]) << 16 | quint64(px[2]) << 32;
            if (key != lastKey) {
                lastKey = key;
                const float in[3] = {m_toLinear[px[0]], m_toLinear[px[1]], m_toLinear[px[2]]};
                float out[3];
                for (int r = 0; r < 3; ++r)
                    out[r] = std::max(0.0f, m_matrix[r][0] * in[0] + m_matrix[r][1] * in[1] + m_matrix[r][2] * in[2]);
                lastBrightest = std::max({out[0], out[1], out[2]}) * m_candelas;
                if (hlg) {
                    const float luminance = (0.2627f * out[0] + 0.6780f * out[1] + 0.0593f * out[2]) * toDisplay;
                    const float gain = luminance > 0 ? float(std::pow(double(luminance), ootfPower)) : 0.0f;
                    for (float &v : out)
                        v = v * toDisplay * gain;
                }
                for (int c = 0; c < 3; ++c)
                    last[c] = Encode(out[c]);
            }
            px[0] = last[0];
            px[1] = last[1];
            px[2] = last[2];
            brightest = std::max(brightest, double(lastBrightest));
            sum += lastBrightest;
        }
    }
    if (light) {
        light->Brightest = brightest;
        light->Average = frame.isNull() ? 0 : sum / (double(frame.width()) * frame.height());
    }
    return frame;
}

} // namespace velmora
