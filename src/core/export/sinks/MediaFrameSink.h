#pragma once

#include "core/export/formats/FrameSink.h"
#include "core/export/encode/LibavEncoder.h"
#include "core/export/formats/OutputTarget.h"

#include <QStringList>
#include <atomic>
#include <limits>
#include <memory>

struct AVFormatContext;
struct AVStream;

namespace velmora {

// The choices of a format table row that a media or sequence sink is made with.
struct TFormatChoice
{
    const TOutputFormat *Format = nullptr;
    const TFormatCodec *Codec = nullptr;
    const TCodecProfile *Profile = nullptr;
    int Quality = 5000;
    int KeyFrameEvery = 0;
    QString Timecode;     // of the first frame, "HH:MM:SS:FF" or drop-frame "HH:MM:SS;FF"; empty: none
    int StartNumber = 0;  // first number of a sequence
    int FrameCount = -1;  // frames the run is to write; -1: to the end of the roll, however far
    QStringList Inputs;   // files the run reads: no frame of a sequence may be written over them
    bool Overwrite = false;  // a sequence may replace the frames of an earlier one in its own range
    TColourChoice Colour;    // the signal the file carries
};

// Checks a choice against the film before anything is written: alpha, size, rate and
// timecode. Throws EExportError naming what does not fit.
void CheckFormatChoice(const TFormatChoice &choice, const TSinkSettings &settings);

// A QuickTime, MP4, Matroska or MXF file written by libavformat's muxers.
class TMediaFrameSink final : public IFrameSink
{
public:
    explicit TMediaFrameSink(const TFormatChoice &choice);
    ~TMediaFrameSink() override;

    bool Open(const TSinkSettings &settings) override;
    void Write(const QImage &frame) override;
    void RequestStop() override { m_stop.store(true); }
    void Close() override;
    void CloseAfterFailure() override;
    int FramesWritten() const override { return m_framesWritten; }
    bool TakesDeepFrames() const override { return m_choice.Profile->DeepFrames(); }
    bool TakesRgb32Frames() const override { return true; }

private:
    void WritePacket(AVPacket *packet);
    void AddMasteringDisplay();
    void AddLightLevels(unsigned brightest, unsigned average);
    bool WritesColourAtStart() const;
    void Discard();
    void Finish();

    TFormatChoice m_choice;
    QString m_fileName;
    std::unique_ptr<TOutputTarget> m_target;
    std::unique_ptr<TLibavEncoder> m_encoder;
    AVFormatContext *m_format = nullptr;
    AVStream *m_stream = nullptr;
    bool m_failed = false;
    int m_framesWritten = 0;
    qint64 m_lastDts = std::numeric_limits<qint64>::min();  // in the encoder's time base; none yet (AV_NOPTS_VALUE)
    std::atomic<bool> m_stop{false};
};

} // namespace velmora
