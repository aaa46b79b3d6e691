#pragma once

#include "core/export/avi/AVICompressor.h"
#include "core/export/formats/FrameSink.h"

namespace velmora {

// Writes the frames as an AVI file through TAVICompressor, exactly as before sinks existed.
class TAviFrameSink final : public IFrameSink
{
public:
    TAviFrameSink(const TAVICompressorOptions &options, TAVICompressor::OptionsDialog dialog = {})
        : m_options(options), m_dialog(std::move(dialog))
    {
    }

    bool Open(const TSinkSettings &settings) override;
    void Write(const QImage &frame) override { m_writer.AddFrame(frame); }
    // The compressor converts them for the codecs that need 24 bits.
    bool TakesRgb32Frames() const override { return true; }
    void RequestStop() override { m_writer.RequestStop(); }
    void Close() override { m_writer.Close(); }
    void CloseAfterFailure() override { m_writer.CloseAfterFailure(); }
    int FramesWritten() const override { return m_writer.FramesWritten(); }
    qint64 VideoBytesPerSecond() const override { return m_writer.VideoBytesPerSecond(); }

    // The options as the user left them in the choice.
    const TAVICompressorOptions &Options() const { return m_options; }

private:
    TAVICompressorOptions m_options;
    TAVICompressor::OptionsDialog m_dialog;
    TAVICompressor m_writer;
};

} // namespace velmora
