#pragma once

#include "core/export/formats/CodecCatalog.h"
#include "core/export/sinks/FrameSink.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace velmora {

// How a format's frames reach the disk.
enum class TSinkKind { Avi, Media, Sequence };

// One profile of a codec: what it is called, what the encoder is told and the pixels it takes.
struct TCodecProfile
{
    QString Name;                 // command line: "hq"
    QString Title;                // "422 HQ"
    QByteArray Option;            // the encoder's "profile" value; empty: none is set
    AVPixelFormat Pixels = AV_PIX_FMT_NONE;       // opaque frames
    AVPixelFormat AlphaPixels = AV_PIX_FMT_NONE;  // frames with alpha; NONE: no alpha here
    int Bits = 8;                 // bits per component in the file

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

// A codec as one format offers it.
struct TFormatCodec
{
    QString Name;          // command line: "prores"
    QString Title;         // "ProRes"
    QByteArray Encoder;    // libavcodec encoder, or "qt" for images Qt writes itself
    bool IntraOnly = false;   // every frame stands alone
    bool Lossless = false;
    bool Yuv = false;         // stored as BT.709 luma and chroma, limited range
    TQualityKnob Knob = TQualityKnob::None;
    double BestSetting = 0;   // knob value at quality 10000
    double WorstSetting = 0;  // knob value at quality 0
    TSizeRule Size;
    std::vector<TCodecProfile> Profiles;  // the first is the default

    bool Uncompressed() const { return Encoder.isEmpty(); }
    bool HasAlpha() const;
};

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
QString SizeRefusal(const QString &codecTitle, const TSizeRule &rule, QSize size);

// The size rule of an AVI codec; the one table the command line and the editor both ask.
TSizeRule AviSizeRule(const TCodecInfo &codec);

} // namespace velmora
