// The transfer functions against their published reference values, lcms2's matrices against
// the published ones, and the mapping of SDR white and grey into each delivery's signal.
#include "core/export/encode/ColourMapping.h"
#include "core/export/encode/TransferFunctions.h"
#include "core/export/formats/OutputFormats.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace velmora;

namespace {

TEST(TransferFunctionTest, MatchPublishedValues)
{
    struct TRow
    {
        const char *What;
        double Got;
        double Expected;
        double Tolerance;
    };
    const TRow rows[] = {
        // ST 2084's table: cd/m² against the signal.
        {"PQ 0", PqFromLight(0), 7.3e-7, 1e-7},
        {"PQ 100", PqFromLight(100), 0.50808, 1e-4},
        {"PQ 203 (BT.2408)", PqFromLight(203), 0.5806, 1e-4},
        {"PQ 1000", PqFromLight(1000), 0.75183, 1e-4},
        {"PQ 10000", PqFromLight(10000), 1.0, 1e-9},
        {"PQ back 0.5", LightFromPq(0.5), 92.25, 0.01},
        // BT.2100 HLG: the knee at a twelfth, and the top.
        {"HLG 1/12", HlgFromScene(1.0 / 12), 0.5, 1e-9},
        {"HLG 1", HlgFromScene(1), 1.0, 1e-6},
        {"HLG 0.265 (75 %)", HlgFromScene(0.26496), 0.75, 1e-3},
        {"HLG back 0.75", SceneFromHlg(0.75), 0.26496, 1e-4},
        {"HLG gamma 1000", HlgSystemGamma(1000), 1.2, 1e-9},
        {"HLG gamma 2000", HlgSystemGamma(2000), 1.326, 1e-3},
        // DCI: 48 cd/m² of Y is code 3960, the DCI white's Y'.
        {"DCDM 48", DcdmFromLight(48), 3960, 0.5},
        {"DCDM 52.37", DcdmFromLight(52.37), 4095, 1e-9},
        {"BT.1886 half", Bt1886ToLinear(0.5), 0.18946, 1e-4},
    };
    for (const TRow &row : rows)
        EXPECT_NEAR(row.Got, row.Expected, row.Tolerance) << row.What;
    for (double candelas : {0.01, 1.0, 48.0, 203.0, 4000.0})
        EXPECT_NEAR(LightFromPq(PqFromLight(candelas)), candelas, candelas * 1e-6) << candelas;
    for (double scene : {0.001, 0.05, 0.5, 0.9})
        EXPECT_NEAR(SceneFromHlg(HlgFromScene(scene)), scene, 1e-9) << scene;
}

TEST(ColourMatrixTest, MatchPublishedMatrices)
{
    // BT.2087's BT.709 to BT.2020 matrix.
    const double bt2087[3][3] = {{0.6274, 0.3293, 0.0433}, {0.0691, 0.9195, 0.0114}, {0.0164, 0.0880, 0.8956}};
    const TColourMatrix m = Bt709ToBt2020();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(m[r][c], bt2087[r][c], 2e-4) << r << "," << c;
    // White lands on the DCI white: x 0.314, y 0.351, Y 1.
    const TColourMatrix xyz = Bt709ToDciXyz();
    const double X = xyz[0][0] + xyz[0][1] + xyz[0][2];
    const double Y = xyz[1][0] + xyz[1][1] + xyz[1][2];
    const double Z = xyz[2][0] + xyz[2][1] + xyz[2][2];
    EXPECT_NEAR(Y, 1.0, 1e-4);
    EXPECT_NEAR(X / (X + Y + Z), 0.314, 1e-4);
    EXPECT_NEAR(Y / (X + Y + Z), 0.351, 1e-4);
    // BT.709's green keeps about its luminance (0.7152) through the change of white.
    EXPECT_NEAR(xyz[1][1], 0.7152, 0.02);
}

QImage Patch(QRgba64 colour)
{
    QImage image(4, 2, QImage::Format_RGBX64);
    image.fill(QColor::fromRgba64(colour));
    return image;
}

TEST(ColourMappingTest, WhiteAndGreyLandOnTheirSignalLevels)
{
    struct TRow
    {
        TColourEncoding Encoding;
        double White;       // graphics white, cd/m²
        quint16 Grey;       // the SDR grey mapped, 16 bits
        double Expected[3]; // its 16-bit signal
    };
    const double grey = Bt1886ToLinear(0x8080 / 65535.0);
    const double pqWhite = PqFromLight(203) * 65535;
    const double pqGrey = PqFromLight(203 * grey) * 65535;
    const double hlgWhite = 0.75 * 65535;
    const double dci[3] = {3794 * 16.0, 3960 * 16.0, 3890 * 16.0};
    const TRow rows[] = {
        {TColourEncoding::Pq, 203, 0xffff, {pqWhite, pqWhite, pqWhite}},
        {TColourEncoding::Pq, 203, 0x8080, {pqGrey, pqGrey, pqGrey}},
        {TColourEncoding::Pq, 100, 0xffff, {PqFromLight(100) * 65535, PqFromLight(100) * 65535, PqFromLight(100) * 65535}},
        {TColourEncoding::Hlg, 203, 0xffff, {hlgWhite, hlgWhite, hlgWhite}},
        {TColourEncoding::DciXyz, 203, 0xffff, {dci[0], dci[1], dci[2]}},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(ColourName(row.Encoding).toStdString() + " " + std::to_string(row.Grey));
        TFrameLight light;
        const QImage mapped = TColourMapping({row.Encoding, row.White}).Map(Patch(QRgba64::fromRgba64(row.Grey, row.Grey, row.Grey, 0xffff)), &light);
        ASSERT_EQ(mapped.format(), QImage::Format_RGBX64);
        const QRgba64 got = mapped.pixelColor(2, 1).rgba64();
        // Within 1 % of the signal; DCDM codes within one 12-bit code.
        const double tolerance = row.Encoding == TColourEncoding::DciXyz ? 16 : 0.01 * 65535;
        EXPECT_NEAR(got.red(), row.Expected[0], tolerance);
        EXPECT_NEAR(got.green(), row.Expected[1], tolerance);
        EXPECT_NEAR(got.blue(), row.Expected[2], tolerance);
        if (row.Encoding == TColourEncoding::DciXyz) {
            EXPECT_EQ(got.red() % 16, 0) << "twelve bits in the top of sixteen";
        } else if (row.Grey == 0xffff) {
            EXPECT_NEAR(light.Brightest, row.White, 0.5);
            EXPECT_NEAR(light.Average, row.White, 0.5);
        }
    }
}

TEST(ColourMappingTest, SaturatedColoursStayInsideAndKeepAlpha)
{
    // BT.709 red is inside BT.2020: no component clips or goes negative, and alpha stays.
    QImage frame(2, 1, QImage::Format_RGBA64);
    frame.setPixelColor(0, 0, QColor::fromRgba64(0xffff, 0, 0, 0x4000));
    frame.setPixelColor(1, 0, QColor::fromRgba64(0, 0, 0, 0xffff));
    const QImage mapped = TColourMapping({TColourEncoding::Pq, 203}).Map(frame);
    const QRgba64 red = mapped.pixelColor(0, 0).rgba64();
    EXPECT_EQ(red.alpha(), 0x4000);
    EXPECT_GT(red.red(), red.green());
    EXPECT_GT(red.green(), red.blue());
    EXPECT_LT(red.red(), PqFromLight(203) * 65535 + 1);
    EXPECT_LT(mapped.pixelColor(1, 0).rgba64().red(), 10);
}

TEST(ColourEncodingTest, RefusesOutputsThatCannotCarryIt)
{
    struct TRow
    {
        const char *Format, *Codec, *Profile;
        TColourEncoding Encoding;
        bool Carries;
    };
    const TRow rows[] = {
        {"mov", "prores", "hq", TColourEncoding::Pq, true},
        {"mov", "h264", "", TColourEncoding::Pq, false},
        {"mp4", "h265", "main", TColourEncoding::Hlg, false},
        {"mp4", "h265", "main10", TColourEncoding::Hlg, true},
        {"mkv", "ffv1", "16", TColourEncoding::Pq, true},
        {"png", "png", "8", TColourEncoding::Pq, false},
        {"tiff", "tiff", "16", TColourEncoding::DciXyz, true},
        {"png", "png", "16", TColourEncoding::DciXyz, false},
        {"exr", "exr", "half", TColourEncoding::Pq, false},
        {"avi", "ffv1", "", TColourEncoding::Bt709, true},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(std::string(row.Format) + " " + row.Codec + " " + row.Profile);
        const TOutputFormat *format = FindFormat(QString::fromLatin1(row.Format));
        ASSERT_TRUE(format);
        const TFormatCodec *codec = FindCodec(*format, QString::fromLatin1(row.Codec));
        ASSERT_TRUE(codec);
        const TCodecProfile *profile = FindProfile(*codec, QString::fromLatin1(row.Profile));
        ASSERT_TRUE(profile);
        const QString refusal = ColourRefusal(*format, *codec, *profile, row.Encoding);
        EXPECT_EQ(refusal.isEmpty(), row.Carries) << refusal.toStdString();
        if (!row.Carries)
            EXPECT_TRUE(refusal.contains(QStringLiteral("these can:"))) << refusal.toStdString();
    }
}

TEST(ColourEncodingTest, FilmsGoOnTheSmallestCinemaRasterThatHoldsThem)
{
    EXPECT_EQ(DcdmRaster(QSize(1998, 1080)), QSize(1998, 1080));
    EXPECT_EQ(DcdmRaster(QSize(1920, 1080)), QSize(1998, 1080));
    EXPECT_EQ(DcdmRaster(QSize(2048, 858)), QSize(2048, 858));
    EXPECT_EQ(DcdmRaster(QSize(3840, 2160)), QSize(3996, 2160));
    EXPECT_EQ(DcdmRaster(QSize(4096, 1716)), QSize(4096, 1716));
    EXPECT_FALSE(DcdmRaster(QSize(4096, 2160)).isValid());
}

} // namespace
