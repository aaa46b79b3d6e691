#pragma once

#include "core/export/formats/FrameSink.h"

#include <QByteArray>

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace velmora {

// How a codec's 0..10000 quality setting reaches its encoder.
enum class TQualityKnob { None, QScale, ConstantRateFactor };

// How a format's frames reach the disk.
enum class TSinkKind { Avi, Media, Sequence };

// One profile of a codec: what it is called, what the encoder is told and the pixels it takes.
struct TCodecProfile
{
    QString Name;                 // command line: "hq"
    QString Title;                // "422 HQ"
    QByteArray Option;            // the encoder's "profile" value (its own option, or else the
                                  // codec context's number); empty: none is set
    AVPixelFormat Pixels = AV_PIX_FMT_NONE;       // opaque frames
    AVPixelFormat AlphaPixels = AV_PIX_FMT_NONE;  // frames with alpha; NONE: no alpha here
    int Bits = 8;                 // bits per component in the file
    QByteArray Encoder;           // the libavcodec encoder for this profile; empty: the codec's

    bool CarriesAlpha() const { return AlphaPixels != AV_PIX_FMT_NONE; }
    // Frames for a file deeper than 8 bits are drawn at 16 bits a channel, so edges and fades
    // have the levels the file holds.
    bool DeepFrames() const { return Bits > 8; }
};

// Film sizes a codec can code: multiples and least sizes.
struct TSizeRule
{
    int WidthMultiple = 1;
    int HeightMultiple = 1;
    int MinWidth = 1;
    int MinHeight = 1;
};

// A codec as one format offers it. AVI rows also carry their handler code (FourCC) and what
// the codec dialog shows and offers for them.
struct TFormatCodec
{
    QString Name;          // command line: "prores"
    QString Title;         // "ProRes"
    QByteArray Encoder;    // libavcodec encoder, OwnCinepakEncoder, or "qt" for images Qt writes
                           // itself; empty for uncompressed AVI frames
    bool IntraOnly = false;   // every frame stands alone
    bool Lossless = false;
    // Stored as BT.709 luma and chroma, limited range, tagged so in the bitstream and the
    // container. Other YUV codecs keep what their decoders assume: JFIF's full-range BT.601
    // for Motion JPEG, and untagged BT.601 for MPEG-4 Part 2, whose encoder writes no colour
    // description.
    bool Yuv = false;
    TQualityKnob Knob = TQualityKnob::None;
    double BestSetting = 0;   // knob value at quality 10000
    double WorstSetting = 0;  // knob value at quality 0
    TSizeRule Size;
    std::vector<TCodecProfile> Profiles;  // the first is the default
    QByteArray Options;    // the encoder's own options, "key=value:key=value"

    // AVI rows only.
    QByteArray Handler;      // the stream's handler code, upper case, four characters: "CVID"
    QByteArray Compression;  // four characters written as the frame format's compression
    QString Note;            // a few words on its character, for the codec dialog
    bool HasQuality = false;    // the codec dialog's settings that apply
    bool HasKeyFrames = false;
    bool HasDataRate = false;

    bool Uncompressed() const { return Encoder.isEmpty(); }
    bool ForAvi() const { return !Handler.isEmpty(); }
    bool HasAlpha() const;
};

// TFormatCodec::Encoder of Velmora's own Cinepak encoder, which is not libavcodec's.
inline constexpr char OwnCinepakEncoder[] = "velmora-cinepak";

// One output format: the container (or image kind), its extensions and its codecs.
struct TOutputFormat
{
    QString Name;          // command line: "mov"
    QString Title;         // "QuickTime"
    TSinkKind Kind = TSinkKind::Media;
    QByteArray Muxer;      // libavformat muxer; for sequences the image kind
    QStringList Extensions;  // the first is proposed for new files
    std::vector<TFormatCodec> Codecs;  // the first is the default
    bool Timecode = false;      // a start timecode can go into the file
    bool FractionalRates = true;  // N/D rates besides whole ones
    std::vector<TFrameRate> Rates;  // when not empty, the only rates the container has

    bool HasAlpha() const;
    bool TakesRate(const TFrameRate &rate) const;
};

// A delivery as the editor offers and remembers it: names from the table, and the settings
// that go with any format.
struct TDeliveryChoice
{
    QString Format = QStringLiteral("avi");
    QString Codec;    // empty: the format's first (for AVI the codec dialog decides)
    QString Profile;  // empty: the codec's first
    bool Alpha = false;
    TFrameRate Rate{0, 1};  // 0: the project's own
    int Scale = 1;

    friend bool operator==(const TDeliveryChoice &, const TDeliveryChoice &) = default;
};

// Every format Velmora writes, AVI first.
const std::vector<TOutputFormat> &OutputFormats();

const TOutputFormat *FindFormat(const QString &name);
// The format an output name asks for by its extension; for sequences the pattern's extension.
const TOutputFormat *FormatForFile(const QString &fileName);
const TFormatCodec *FindCodec(const TOutputFormat &format, const QString &name);
const TCodecProfile *FindProfile(const TFormatCodec &codec, const QString &name);
// Every extension any format writes, for messages: "avi, mov, mp4, ...".
QString WritableExtensions();

// Why a film size cannot be coded, with the nearest sizes that can; empty when it can.
QString SizeRefusal(const TFormatCodec &codec, QSize size);

// The AVI format's codecs, available here or not; the format table's first row.
const std::vector<TFormatCodec> &KnownCodecs();

// The AVI codecs this machine can encode, for the codec choice: the first encoder of each
// handler code.
std::vector<TFormatCodec> AvailableCodecs();

// True for Velmora's own encoder.
bool IsOwnEncoder(const TFormatCodec &codec);

// True when the encoder is present in this machine's libavcodec (or is Velmora's own).
bool IsCodecAvailable(const TFormatCodec &codec);

// True when the encoder spreads its work over several cores by itself.
bool CodecUsesSeveralCores(const TFormatCodec &codec);

// A handler code in its stored form: upper case, padded with spaces to four characters.
QByteArray NormalizedHandler(const QByteArray &handler);

// The (first) AVI codec with this handler code, or nullptr.
const TFormatCodec *FindCodecByHandler(const QByteArray &handler);
const TFormatCodec *FindCodecByHandler(const QByteArray &handler, const std::vector<TFormatCodec> &list);

// The AVI codec with this command-line name (any case), or nullptr.
const TFormatCodec *FindCodecByName(const QString &name);

// The handler code for an AVI codec name (cinepak, mjpeg, ffv1, huffyuv, utvideo, mpeg4,
// h264, raw, cinepak-libav) or for a handler code itself; empty when the name is unknown.
QByteArray HandlerForCodecName(const QString &name);

} // namespace velmora
