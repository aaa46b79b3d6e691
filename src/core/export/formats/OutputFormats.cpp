#include "core/export/formats/OutputFormats.h"

#include <QFileInfo>
#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace velmora {

namespace {

constexpr AVPixelFormat None = AV_PIX_FMT_NONE;

// FFmpeg has two ProRes encoders. At Proxy, LT and Standard prores_aw is several times faster
// and also keeps closer to the picture. At HQ it is four times faster, but neither is ahead on
// every frame (by up to 2 dB either way), and at 4444 prores_ks keeps far more; those two stay
// with prores_ks. bench/prores_encoders.sh measures them. prores_aw takes its profile as the
// codec context's number.
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
        {"proxy", "422 Proxy", "0", AV_PIX_FMT_YUV422P10LE, None, 10, "prores_aw"},
        {"lt", "422 LT", "1", AV_PIX_FMT_YUV422P10LE, None, 10, "prores_aw"},
        {"standard", "422", "2", AV_PIX_FMT_YUV422P10LE, None, 10, "prores_aw"},
        {"4444", "4444", "4444", AV_PIX_FMT_YUV444P10LE, AV_PIX_FMT_YUVA444P10LE, 10},
    };
    return c;
}

// The faster encoder at every profile: HQ and 4444 in a quarter of the time, 4444 with far
// less detail.
TFormatCodec ProResFast()
{
    TFormatCodec c = ProRes();
    c.Name = QStringLiteral("prores-fast");
    c.Title = QStringLiteral("ProRes (fast encoder)");
    c.Encoder = "prores_aw";
    c.Profiles[0].Option = "3";
    c.Profiles[4].Option = "4";
    for (TCodecProfile &profile : c.Profiles)
        profile.Encoder.clear();
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
    // Main 10 is the profile HDR deliveries take.
    c.Profiles = {{"main", "Main", "main", AV_PIX_FMT_YUV420P, None, 8},
                  {"main10", "Main 10", "main10", AV_PIX_FMT_YUV420P10LE, None, 10}};
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
    c.Profiles = {{"", "RGB", "", AV_PIX_FMT_BGR0, AV_PIX_FMT_BGRA, 8},
                  {"16", "RGB 16 bit", "", AV_PIX_FMT_GBRP16LE, AV_PIX_FMT_GBRAP16LE, 16}};
    // Version 3 with checksums on every slice: damage is found, and decoders can go on.
    c.Options = "level=3:slicecrc=1";
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
TFormatCodec Image(const char *name, const char *title, const char *encoder, std::vector<TCodecProfile> profiles,
                   const char *options = "")
{
    TFormatCodec c;
    c.Name = QString::fromLatin1(name);
    c.Title = QString::fromLatin1(title);
    c.Encoder = encoder;
    c.IntraOnly = true;
    c.Lossless = true;
    c.Profiles = std::move(profiles);
    c.Options = options;
    return c;
}

// An AVI row as the codec dialog lists it.
struct TAviRow
{
    const char *Name;         // command line: "cinepak"
    const char *Handler;      // "CVID"
    const char *Title;
    const char *Note;
    bool Lossless, HasQuality, HasKeyFrames, HasDataRate;
    const char *Encoder;      // libavcodec's name, OwnCinepakEncoder, or empty for uncompressed
    const char *Compression;  // the frame format's compression code
    AVPixelFormat Pixels;     // what the encoder is given
    TQualityKnob Knob;
    double BestSetting, WorstSetting;
    bool Yuv;
    TSizeRule Size;
};

std::vector<TFormatCodec> AviCodecs()
{
    // libavcodec's Cinepak codes whole 4 x 4 blocks only; x264 needs whole chroma samples.
    // libavcodec's Cinepak is there for comparison; the codec choice offers one encoder a
    // handler. Its knob is the rate-distortion weight, about 2 (its own default) at quality 5000.
    // Our own Cinepak reads quality, key frames and data rate itself.
    constexpr auto QScale = TQualityKnob::QScale;
    constexpr auto NoKnob = TQualityKnob::None;
    const TAviRow rows[] = {
        {"cinepak", "CVID", "Cinepak", "widely playable", false, true, true, true, OwnCinepakEncoder, "cvid",
         AV_PIX_FMT_BGR24, NoKnob, 0, 0, false, {}},
        {"mjpeg", "MJPG", "Motion JPEG", "widely playable, fast, every frame a key frame", false, true, false, false,
         "mjpeg", "MJPG", AV_PIX_FMT_YUVJ420P, QScale, 2, 31, false, {}},
        {"ffv1", "FFV1", "FFV1", "lossless, small", true, false, true, false, "ffv1", "FFV1", AV_PIX_FMT_BGR0, NoKnob, 0, 0,
         false, {}},
        {"huffyuv", "HFYU", "HuffYUV", "lossless, fast", true, false, false, false, "huffyuv", "HFYU", AV_PIX_FMT_RGB24,
         NoKnob, 0, 0, false, {}},
        {"utvideo", "ULRG", "Ut Video", "lossless, fast", true, false, false, false, "utvideo", "ULRG", AV_PIX_FMT_GBRP,
         NoKnob, 0, 0, false, {}},
        {"mpeg4", "FMP4", "MPEG-4 Part 2", "widely playable, small", false, true, true, true, "mpeg4", "FMP4",
         AV_PIX_FMT_YUV420P, QScale, 2, 31, false, {}},
        {"h264", "H264", "H.264 (x264)", "widely playable, smallest", false, true, true, true, "libx264", "H264",
         AV_PIX_FMT_YUV420P, TQualityKnob::ConstantRateFactor, 10, 40, true, {2, 2}},
        {"raw", "DIB ", "Uncompressed", "lossless, fast, very large", true, false, false, false, "", "", AV_PIX_FMT_BGR24,
         NoKnob, 0, 0, false, {}},
        {"cinepak-libav", "CVID", "Cinepak (libavcodec)", "widely playable, very slow", false, true, true, false, "cinepak",
         "cvid", AV_PIX_FMT_RGB24, QScale, 1, 5, false, {4, 4}},
    };
    std::vector<TFormatCodec> codecs;
    for (const TAviRow &row : rows) {
        TFormatCodec c;
        c.Name = QString::fromLatin1(row.Name);
        c.Title = QString::fromLatin1(row.Title);
        c.Encoder = row.Encoder;
        c.Lossless = row.Lossless;
        c.Yuv = row.Yuv;
        c.Knob = row.Knob;
        c.BestSetting = row.BestSetting;
        c.WorstSetting = row.WorstSetting;
        c.Size = row.Size;
        c.Profiles = {{"", "", "", row.Pixels, None, 8}};
        c.Handler = row.Handler;
        c.Compression = row.Compression;
        c.Note = QString::fromLatin1(row.Note);
        c.HasQuality = row.HasQuality;
        c.HasKeyFrames = row.HasKeyFrames;
        c.HasDataRate = row.HasDataRate;
        codecs.push_back(std::move(c));
    }
    return codecs;
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
    TOutputFormat avi = Format("avi", "AVI", TSinkKind::Avi, "avi", {"avi"}, AviCodecs());
    avi.FractionalRates = false;
    list.push_back(std::move(avi));
    list.push_back(Format("mov", "QuickTime", TSinkKind::Media, "mov", {"mov"},
                    {ProRes(), ProResFast(), DnxHr(), H264(), H265(), Animation()}, true));
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
                    {Image("dpx", "DPX", "dpx", {{"10", "10 bit", "", AV_PIX_FMT_GBRP10LE, None, 10},
                                                {"12", "12 bit", "", AV_PIX_FMT_GBRP12LE, None, 12}})}, true));
    list.push_back(Format("exr", "OpenEXR image sequence", TSinkKind::Sequence, "exr", {"exr"},
                    {Image("exr", "OpenEXR", "exr",
                           {{"half", "half float", "", AV_PIX_FMT_GBRPF32LE, AV_PIX_FMT_GBRAPF32LE, 16}}, "format=half")},
                    true));
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
    const QString &codecTitle = codec.Title;
    const TSizeRule &rule = codec.Size;
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

const std::vector<TFormatCodec> &KnownCodecs()
{
    return OutputFormats().front().Codecs;
}

bool IsOwnEncoder(const TFormatCodec &codec)
{
    return codec.Encoder == OwnCinepakEncoder;
}

bool IsCodecAvailable(const TFormatCodec &codec)
{
    return codec.Uncompressed() || IsOwnEncoder(codec) || avcodec_find_encoder_by_name(codec.Encoder.constData()) != nullptr;
}

bool CodecUsesSeveralCores(const TFormatCodec &codec)
{
    if (codec.Uncompressed())
        return true;  // nothing to spread: the frames only need copying
    if (IsOwnEncoder(codec))
        return true;  // its strips go side by side
    const AVCodec *encoder = avcodec_find_encoder_by_name(codec.Encoder.constData());
    return encoder
        && (encoder->capabilities
            & (AV_CODEC_CAP_FRAME_THREADS | AV_CODEC_CAP_SLICE_THREADS | AV_CODEC_CAP_OTHER_THREADS));
}

std::vector<TFormatCodec> AvailableCodecs()
{
    std::vector<TFormatCodec> result;
    for (const TFormatCodec &codec : KnownCodecs())
        if (IsCodecAvailable(codec) && !FindCodecByHandler(codec.Handler, result))
            result.push_back(codec);
    return result;
}

QByteArray NormalizedHandler(const QByteArray &handler)
{
    QByteArray code = handler.left(4).toUpper();
    while (code.size() < 4)
        code.append(' ');
    return code;
}

const TFormatCodec *FindCodecByHandler(const QByteArray &handler, const std::vector<TFormatCodec> &list)
{
    const QByteArray code = NormalizedHandler(handler);
    for (const TFormatCodec &codec : list)
        if (codec.Handler == code)
            return &codec;
    return nullptr;
}

const TFormatCodec *FindCodecByHandler(const QByteArray &handler)
{
    return FindCodecByHandler(handler, KnownCodecs());
}

const TFormatCodec *FindCodecByName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    for (const TFormatCodec &codec : KnownCodecs())
        if (codec.Name == key)
            return &codec;
    return nullptr;
}

QByteArray HandlerForCodecName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    if (const TFormatCodec *codec = FindCodecByName(key))
        return codec->Handler;
    if (!key.isEmpty() && key.size() <= 4)
        if (const TFormatCodec *codec = FindCodecByHandler(name.toLatin1()))
            return codec->Handler;
    return {};
}

} // namespace velmora
