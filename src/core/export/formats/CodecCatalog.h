#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace velmora {

// How a codec's 0..10000 quality setting reaches its encoder.
enum class TQualityKnob { None, QScale, ConstantRateFactor };

// One codec Velmora can write, with what its settings mean to it.
struct TCodecInfo
{
    QString Name;           // short name for the command line: "cinepak"
    QByteArray Handler;     // four-character handler code: "CVID"
    QString Title;          // "Cinepak"
    QString Note;           // a few words on its character
    bool Lossless = false;
    bool HasQuality = false;
    bool HasKeyFrames = false;
    bool HasDataRate = false;

    // Encoder side; Encoder is empty for uncompressed frames.
    QByteArray Encoder;             // libavcodec encoder name, or OwnCinepakEncoder
    QByteArray Compression;         // four characters written as the frame format's compression
    std::vector<AVPixelFormat> PixelFormats;  // preferred input formats, best first
    TQualityKnob Knob = TQualityKnob::None;
    double BestSetting = 0;         // knob value at quality 10000
    double WorstSetting = 0;        // knob value at quality 0
    // Limited-range BT.709, tagged in the bitstream, as the same codec in the other containers.
    // The rest keep what their decoders assume: JFIF's full-range BT.601 for Motion JPEG, and
    // untagged BT.601 for MPEG-4 Part 2, whose encoder writes no colour description.
    bool Bt709 = false;

    bool Uncompressed() const { return Encoder.isEmpty(); }
};

// TCodecInfo::Encoder of Velmora's own Cinepak encoder, which is not libavcodec's.
inline constexpr char OwnCinepakEncoder[] = "velmora-cinepak";

// True for Velmora's own encoder.
bool IsOwnEncoder(const TCodecInfo &codec);

// Every codec Velmora knows, available here or not.
const std::vector<TCodecInfo> &KnownCodecs();

// The codecs this machine can encode, for the codec choice: the first encoder of each handler code.
std::vector<TCodecInfo> AvailableCodecs();

// True when the encoder is present in this machine's libavcodec.
bool IsCodecAvailable(const TCodecInfo &codec);

// True when the encoder spreads its work over several cores by itself.
bool CodecUsesSeveralCores(const TCodecInfo &codec);

// A handler code in its stored form: upper case, padded with spaces to four characters.
QByteArray NormalizedHandler(const QByteArray &handler);

// The (first) codec with this handler code, or nullptr.
const TCodecInfo *FindCodecByHandler(const QByteArray &handler);
const TCodecInfo *FindCodecByHandler(const QByteArray &handler, const std::vector<TCodecInfo> &list);

// The codec with this command-line name (any case), or nullptr.
const TCodecInfo *FindCodecByName(const QString &name);

// The handler code for a command-line codec name (cinepak, mjpeg, ffv1, huffyuv, utvideo,
// mpeg4, h264, raw, cinepak-libav) or for a handler code itself; empty when the name is unknown.
QByteArray HandlerForCodecName(const QString &name);

} // namespace velmora
