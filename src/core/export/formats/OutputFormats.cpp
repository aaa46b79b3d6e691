#include "core/export/formats/OutputFormats.h"

#include <QFileInfo>
#include <algorithm>

namespace velmora {

namespace {

constexpr AVPixelFormat None = AV_PIX_FMT_NONE;

TFormatCodec ProRes()
{
    TFormatCodec c;
    c.Name = QStringLiteral("prores");
    c.Title = QStringLiteral("ProRes");
    c.Encoder = "prores_ks";
    c.IntraOnly = true;
    c.Yuv = true;
    c.Profiles = {
        {"hq", "422 HQ", "hq", AV_PIX_FMT_YUV422P10LE, None, 10},
        {"proxy", "422 Proxy", "proxy", AV_PIX_FMT_YUV422P10LE, None, 10},
        {"lt", "422 LT", "lt", AV_PIX_FMT_YUV422P10LE, None, 10},
        {"standard", "422", "standard", AV_PIX_FMT_YUV422P10LE, None, 10},
        {"4444", "4444", "4444", AV_PIX_FMT_YUV444P10LE, AV_PIX_FMT_YUVA444P10LE, 10},
    };
    return c;
}

TFormatCodec DnxHr()
{
    TFormatCodec c;
    c.Name = QStringLiteral("dnxhr");
    c.Title = QStringLiteral("DNxHR");
    c.Encoder = "dnxhd";
    c.IntraOnly = true;
    c.Yuv = true;
    c.Size = {1, 1, 256, 120};
    c.Profiles = {
        {"hq", "HQ", "dnxhr_hq", AV_PIX_FMT_YUV422P, None, 8},
        {"lb", "LB", "dnxhr_lb", AV_PIX_FMT_YUV422P, None, 8},
        {"sq", "SQ", "dnxhr_sq", AV_PIX_FMT_YUV422P, None, 8},
        {"hqx", "HQX", "dnxhr_hqx", AV_PIX_FMT_YUV422P10LE, None, 10},
        {"444", "444", "dnxhr_444", AV_PIX_FMT_YUV444P10LE, None, 10},
    };
    return c;
}

// CRF 23 (x264's own default) at quality 5000.
TFormatCodec H264()
{
    TFormatCodec c;
    c.Name = QStringLiteral("h264");
    c.Title = QStringLiteral("H.264");
    c.Encoder = "libx264";
    c.Yuv = true;
    c.Knob = TQualityKnob::ConstantRateFactor;
    c.BestSetting = 12;
    c.WorstSetting = 34;
    c.Size = {2, 2};
    c.Profiles = {{"high", "High", "high", AV_PIX_FMT_YUV420P, None, 8}};
    return c;
}

// CRF 28 (x265's own default) at quality 5000.
TFormatCodec H265()
{
    TFormatCodec c;
    c.Name = QStringLiteral("h265");
    c.Title = QStringLiteral("H.265");
    c.Encoder = "libx265";
    c.Yuv = true;
    c.Knob = TQualityKnob::ConstantRateFactor;
    c.BestSetting = 16;
    c.WorstSetting = 40;
    c.Size = {2, 2};
    c.Profiles = {{"main", "Main", "main", AV_PIX_FMT_YUV420P, None, 8}};
    return c;
}

TFormatCodec Ffv1()
{
    TFormatCodec c;
    c.Name = QStringLiteral("ffv1");
    c.Title = QStringLiteral("FFV1");
    c.Encoder = "ffv1";
    c.IntraOnly = true;
    c.Lossless = true;
    c.Profiles = {{"", "RGB", "", AV_PIX_FMT_BGR0, AV_PIX_FMT_BGRA, 8}};
    return c;
}

TFormatCodec Animation()
{
    TFormatCodec c;
    c.Name = QStringLiteral("qtrle");
    c.Title = QStringLiteral("QuickTime Animation");
    c.Encoder = "qtrle";
    c.Lossless = true;
    c.Profiles = {{"", "RGB", "", AV_PIX_FMT_RGB24, AV_PIX_FMT_ARGB, 8}};
    return c;
}

// Images: "qt" marks the formats Qt writes itself; the pixel formats say what lands in the file.
TFormatCodec Image(const char *name, const char *title, const char *encoder, std::vector<TCodecProfile> profiles)
{
    TFormatCodec c;
    c.Name = QString::fromLatin1(name);
    c.Title = QString::fromLatin1(title);
    c.Encoder = encoder;
    c.IntraOnly = true;
    c.Lossless = true;
    c.Profiles = std::move(profiles);
    return c;
}

TFormatCodec FromAviCodec(const TCodecInfo &info)
{
    TFormatCodec c;
    c.Name = info.Name;
    c.Title = info.Title;
    c.Encoder = info.Encoder;
    c.Lossless = info.Lossless;
    c.Knob = info.Knob;
    c.BestSetting = info.BestSetting;
    c.WorstSetting = info.WorstSetting;
    c.Size = AviSizeRule(info);
    c.Profiles = {{"", "", "", AV_PIX_FMT_BGR24, None, 8}};
    return c;
}

TOutputFormat Format(const char *name, const char *title, TSinkKind kind, const char *muxer, QStringList extensions,
                     std::vector<TFormatCodec> codecs, bool timecode = false)
{
    TOutputFormat f;
    f.Name = QString::fromLatin1(name);
    f.Title = QString::fromLatin1(title);
    f.Kind = kind;
    f.Muxer = muxer;
    f.Extensions = std::move(extensions);
    f.Codecs = std::move(codecs);
    f.Timecode = timecode;
    return f;
}

std::vector<TOutputFormat> BuildFormats()
{
    std::vector<TOutputFormat> list;
    TOutputFormat avi = Format("avi", "AVI", TSinkKind::Avi, "avi", {"avi"}, {});
    avi.FractionalRates = false;
    for (const TCodecInfo &codec : KnownCodecs())
        avi.Codecs.push_back(FromAviCodec(codec));
    list.push_back(std::move(avi));
    list.push_back(Format("mov", "QuickTime", TSinkKind::Media, "mov", {"mov"},
                    {ProRes(), DnxHr(), H264(), H265(), Animation()}, true));
    list.push_back(Format("mp4", "MP4", TSinkKind::Media, "mp4", {"mp4", "m4v"}, {H264(), H265()}));
    list.push_back(Format("mkv", "Matroska", TSinkKind::Media, "matroska", {"mkv"}, {Ffv1(), H264(), H265()}));
    TOutputFormat mxf = Format("mxf", "MXF", TSinkKind::Media, "mxf", {"mxf"}, {DnxHr()}, true);
    // The rates MXF has an edit rate for.
    mxf.Rates = {{24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1}, {50, 1}, {60000, 1001}, {60, 1}};
    list.push_back(std::move(mxf));
    list.push_back(Format("png", "PNG image sequence", TSinkKind::Sequence, "png", {"png"},
                    {Image("png", "PNG", "qt",
                           {{"8", "8 bit", "", AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA, 8},
                            {"16", "16 bit", "", AV_PIX_FMT_RGB48BE, AV_PIX_FMT_RGBA64BE, 16}})}));
    list.push_back(Format("tiff", "TIFF image sequence", TSinkKind::Sequence, "tiff", {"tif", "tiff"},
                    {Image("tiff", "TIFF", "qt",
                           {{"8", "8 bit", "", AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA, 8},
                            {"16", "16 bit", "", AV_PIX_FMT_RGB48LE, AV_PIX_FMT_RGBA64LE, 16}})}));
    list.push_back(Format("dpx", "DPX image sequence", TSinkKind::Sequence, "dpx", {"dpx"},
                    {Image("dpx", "DPX", "dpx", {{"10", "10 bit", "", AV_PIX_FMT_GBRP10LE, None, 10}})}, true));
    list.push_back(Format("exr", "OpenEXR image sequence", TSinkKind::Sequence, "exr", {"exr"},
                    {Image("exr", "OpenEXR", "exr",
                           {{"half", "half float", "", AV_PIX_FMT_GBRPF32LE, AV_PIX_FMT_GBRAPF32LE, 16}})}, true));
    return list;
}

QString SizeText(int width, int height)
{
    return QStringLiteral("%1 x %2").arg(width).arg(height);
}

int RoundDown(int value, int multiple)
{
    return std::max(multiple, value / multiple * multiple);
}

int RoundUp(int value, int multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace

bool TFormatCodec::HasAlpha() const
{
    return std::any_of(Profiles.begin(), Profiles.end(), [](const TCodecProfile &p) { return p.CarriesAlpha(); });
}

bool TOutputFormat::HasAlpha() const
{
    return std::any_of(Codecs.begin(), Codecs.end(), [](const TFormatCodec &c) { return c.HasAlpha(); });
}

bool TOutputFormat::TakesRate(const TFrameRate &rate) const
{
    if (!Rates.empty())
        return std::find(Rates.begin(), Rates.end(), rate) != Rates.end();
    return FractionalRates || rate.Whole();
}

const std::vector<TOutputFormat> &OutputFormats()
{
    static const std::vector<TOutputFormat> formats = BuildFormats();
    return formats;
}

const TOutputFormat *FindFormat(const QString &name)
{
    const QString key = name.trimmed().toLower();
    for (const TOutputFormat &format : OutputFormats())
        if (format.Name == key || format.Extensions.contains(key))
            return &format;
    return nullptr;
}

const TOutputFormat *FormatForFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix.isEmpty())
        return nullptr;
    for (const TOutputFormat &format : OutputFormats())
        if (format.Extensions.contains(suffix))
            return &format;
    return nullptr;
}

const TFormatCodec *FindCodec(const TOutputFormat &format, const QString &name)
{
    if (name.isEmpty())
        return format.Codecs.empty() ? nullptr : &format.Codecs.front();
    const QString key = name.trimmed().toLower();
    for (const TFormatCodec &codec : format.Codecs)
        if (codec.Name == key)
            return &codec;
    return nullptr;
}

const TCodecProfile *FindProfile(const TFormatCodec &codec, const QString &name)
{
    if (name.isEmpty())
        return codec.Profiles.empty() ? nullptr : &codec.Profiles.front();
    const QString key = name.trimmed().toLower();
    for (const TCodecProfile &profile : codec.Profiles)
        if (profile.Name == key)
            return &profile;
    return nullptr;
}

QString WritableExtensions()
{
    QStringList all;
    for (const TOutputFormat &format : OutputFormats())
        all << format.Extensions;
    return all.join(QStringLiteral(", "));
}

QString SizeRefusal(const TFormatCodec &codec, QSize size)
{
    return SizeRefusal(codec.Title, codec.Size, size);
}

QString SizeRefusal(const QString &codecTitle, const TSizeRule &rule, QSize size)
{
    const int w = size.width();
    const int h = size.height();
    if (w < rule.MinWidth || h < rule.MinHeight)
        return QStringLiteral("%1 cannot code %2 pixels: it needs at least %3; the nearest size that works is %4.")
            .arg(codecTitle, SizeText(w, h), SizeText(rule.MinWidth, rule.MinHeight),
                 SizeText(std::max(w, rule.MinWidth), std::max(h, rule.MinHeight)));
    if (w % rule.WidthMultiple == 0 && h % rule.HeightMultiple == 0)
        return {};
    const QString need = rule.WidthMultiple == rule.HeightMultiple
        ? QStringLiteral("a width and height that are multiples of %1").arg(rule.WidthMultiple)
        : QStringLiteral("a width that is a multiple of %1 and a height that is a multiple of %2")
              .arg(rule.WidthMultiple).arg(rule.HeightMultiple);
    const QString below = SizeText(RoundDown(w, rule.WidthMultiple), RoundDown(h, rule.HeightMultiple));
    const QString above = SizeText(RoundUp(w, rule.WidthMultiple), RoundUp(h, rule.HeightMultiple));
    return QStringLiteral("%1 cannot code %2 pixels: it needs %3; the nearest sizes that work are %4 and %5.")
        .arg(codecTitle, SizeText(w, h), need, below, above);
}

TSizeRule AviSizeRule(const TCodecInfo &codec)
{
    // libavcodec's Cinepak codes whole 4 x 4 blocks only; x264 needs whole chroma samples.
    if (codec.Encoder == "cinepak")
        return {4, 4};
    if (codec.Encoder == "libx264")
        return {2, 2};
    return {};
}

} // namespace velmora
