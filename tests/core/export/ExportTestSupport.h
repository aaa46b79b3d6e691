#pragma once

#include "core/export/run/FrameSource.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace velmora::test {

// ffprobe and ffmpeg from PATH; empty when missing.
QString FfprobePath();
QString FfmpegPath();

// What ffprobe reports of a file's first video stream.
struct TProbe
{
    bool Ok = false;
    QString Codec;
    int Width = 0;
    int Height = 0;
    QString FrameRate;  // "25/1"
    int Packets = -1;
    QString KeyFlags;   // one character a packet: 'K' key frame, '_' other
    QString PixelFormat;
    QString Profile;
    QString ColorSpace, ColorTransfer, ColorPrimaries, ColorRange;
    QString Container;  // format_name
    QString Timecode;   // from the stream's or the file's tags
};
TProbe Probe(const QString &file);

// Decodes every frame with ffmpeg into top-down Format_BGR888 images; inputOptions go
// before the input (for example -start_number for an image sequence).
std::vector<QImage> DecodeFrames(const QString &file, QSize size, const QStringList &inputOptions = {});
// gst-launch-1.0 from PATH; empty when missing.
QString GstLaunchPath();
// Decodes every frame with GStreamer (decodebin ! videoconvert) into Format_BGR888 images;
// the width times 3 must be a multiple of 4.
std::vector<QImage> DecodeFramesWithGStreamer(const QString &file, QSize size);
// Decodes the alpha plane of every frame into Format_Grayscale8 images.
std::vector<QImage> DecodeAlpha(const QString &file, QSize size, const QStringList &inputOptions = {});

// Peak signal-to-noise ratio of two 24-bit images of equal size, in dB (1000 when equal).
double Psnr(const QImage &a, const QImage &b);

// One chunk of a RIFF file; lists keep their form code and children.
struct TChunk
{
    QByteArray Id;
    QByteArray Form;
    qint64 Offset = 0;  // of the chunk header
    quint32 Size = 0;
    QByteArray Data;    // payload of small leaf chunks
    std::vector<TChunk> Children;

    // The first descendant along a path such as "hdrl/strl/strh"; nullptr if missing.
    const TChunk *Find(const QByteArray &path) const;
    int Count(const QByteArray &id) const;
};

// The top-level RIFF chunks of a file.
std::vector<TChunk> ReadRiff(const QString &file);

quint16 U16At(const QByteArray &data, int offset);
quint32 U32At(const QByteArray &data, int offset);

// A roll that paints distinct content at every position: coloured bands moving up with the
// position, and the position as a number. Records every position and frame it rendered.
class TSyntheticSource : public IFrameSource
{
public:
    TSyntheticSource(QSize film, int rollHeight, int scrollRate, int frameRate = 25);

    QSize FilmSize() const override { return m_film; }
    int FrameRate() const override { return m_frameRate; }
    int ScrollRate() const override { return ScrollRateValue; }
    int PositionRange() const override { return m_renders ? m_film.height() + RollHeight : 0; }
    const QImage &RenderFrame(int position) override;

    int ScrollRateValue;
    int RollHeight;
    QColor Background{20, 40, 90};
    bool DrawNumbers = true;
    std::function<void(int renderIndex, int position)> BeforeRender;  // may change the roll
    std::vector<int> Positions;
    std::vector<QImage> Frames;  // what was rendered, as opaque 24-bit frames

private:
    QSize m_film;
    int m_frameRate;
    int m_renders = 0;
    QImage m_frame;
};

} // namespace velmora::test
