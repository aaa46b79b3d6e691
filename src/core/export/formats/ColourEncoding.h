#pragma once

#include <QSize>
#include <QString>
#include <optional>

namespace velmora {

struct TOutputFormat;
struct TFormatCodec;
struct TCodecProfile;

// The signal a delivery carries. Credits are authored in SDR BT.709; the others are that
// picture mapped into an HDR or cinema signal when the frames are written.
enum class TColourEncoding {
    Bt709,   // what the frames are drawn in, written as they are
    Pq,      // BT.2020 primaries, SMPTE ST 2084
    Hlg,     // BT.2020 primaries, BT.2100 hybrid log-gamma
    DciXyz,  // DCDM X'Y'Z': DCI white, gamma 2.6, 48 cd/m²
};

// The colour of a delivery: its signal and where the project's white lands in it.
struct TColourChoice
{
    TColourEncoding Encoding = TColourEncoding::Bt709;
    double GraphicsWhite = 203;  // cd/m² of the project's white in PQ and HLG (BT.2408's level)

    bool Hdr() const { return Encoding == TColourEncoding::Pq || Encoding == TColourEncoding::Hlg; }
    bool Mapped() const { return Encoding != TColourEncoding::Bt709; }
    friend bool operator==(const TColourChoice &, const TColourChoice &) = default;
};

// Graphics white the command line and editor accept, in cd/m².
inline constexpr double LeastGraphicsWhite = 48;
inline constexpr double MostGraphicsWhite = 1000;

// The command-line name: "bt709", "pq", "hlg", "dci-xyz".
QString ColourName(TColourEncoding encoding);
// Every name, for messages: "bt709, pq, hlg, dci-xyz".
QString ColourNames();
std::optional<TColourEncoding> ParseColourEncoding(const QString &name);

// Why this row of the format table cannot carry encoding, with the rows that can; empty
// when it can. HDR needs 10 bits or more outside AVI; DCDM frames are 16-bit TIFF.
QString ColourRefusal(const TOutputFormat &format, const TFormatCodec &codec, const TCodecProfile &profile,
                      TColourEncoding encoding);

// The cinema raster DCDM frames of this film size are written at: the smallest of 2K Flat
// (1998 x 1080), 2K Scope (2048 x 858), 4K Flat (3996 x 2160) and 4K Scope (4096 x 1716) that
// holds it, the film centred with black around; invalid when none does.
QSize DcdmRaster(QSize film);
// The rasters, for messages: "1998 x 1080 (2K Flat), ...".
QString DcdmRasterNames();

} // namespace velmora
