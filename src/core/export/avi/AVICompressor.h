#pragma once

#include "core/export/avi/AviFileWriter.h"
#include "core/export/formats/OutputTarget.h"
#include "core/export/encode/VideoEncoder.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

namespace velmora {

constexpr quint32 AVICOMPRESSF_DATARATE = 2;   // BytesPerSecond applies
constexpr quint32 AVICOMPRESSF_KEYFRAMES = 4;  // KeyFrameEvery applies
constexpr quint32 AVICOMPRESSF_VALID = 8;      // the options went through the options choice

// Results of TAVICompressor::Open besides 0 (success).
enum TAVIOpenResult : int {
    AVIOpenCancelled = -1,     // the options choice was cancelled
    AVIOpenFileError = -2,     // the file could not be created or its headers written
    AVIOpenBadFormat = -3,     // size or frame rate out of range
    AVIOpenUnknownCodec = -4,  // no codec with that handler code
    AVIOpenCodecError = -5,    // the codec is missing here or refused the settings
};

// Settings of a video file: frame format, codec and its options.
struct TAVICompressorOptions
{
    qint32 Width = 0;
    qint32 Height = 0;
    QString Handler = QStringLiteral("CVID");
    qint32 Quality = 5000;
    qint32 Rate = 18;
    QString StreamName;
    qint32 KeyFrameEvery = 18;
    qint32 BytesPerSecond = 153600;
    quint32 CompressFlags = AVICOMPRESSF_KEYFRAMES + AVICOMPRESSF_DATARATE;
    bool Compress = true;
    bool ShowOptionsDialog = true;
    // Picks one of several encoders of the handler's codec by its command-line name
    // ("cinepak-libav"); empty: the first.
    QString CodecName;
};

// The options every run starts from; KeyFrameEvery is the default rate.
TAVICompressorOptions DefaultCompressorOptions();

// The codec options choose: the first with their handler code, or the one CodecName names
// when it has that code; nullptr for an unknown handler code.
const TFormatCodec *AviCodecFor(const TAVICompressorOptions &options);

// What the codec's encoder is opened with for these options (one thread).
TEncoderSettings EncoderSettingsFor(const TAVICompressorOptions &options);

// What a run of our Cinepak encoder at this frame size and rate should say before its first
// frame: a data rate the size cannot be held to, or one far below what it needs. Empty for
// other codecs, runs without a data rate, and rates that are held with room to spare.
QString CinepakWarningFor(TAVICompressorOptions options, int width, int height, int rate);

// Writes equally sized 24-bit frames as the video stream of a new AVI file.
class TAVICompressor
{
public:
    // Lets the user change the options before writing; false cancels.
    using OptionsDialog = std::function<bool(TAVICompressorOptions &)>;

    TAVICompressor();
    ~TAVICompressor();
    TAVICompressor(const TAVICompressor &) = delete;
    TAVICompressor &operator=(const TAVICompressor &) = delete;

    // Creates the file (a temporary one beside it until Close, so a failure never harms a
    // previous file of that name); 0 on success, AVIOpenCancelled, or another negative TAVIOpenResult
    // with LastError() saying why. The options are updated with the user's choice.
    int Open(const QString &fileName, TAVICompressorOptions &options, const OptionsDialog &dialog = {});
    // Appends a frame of the opened size; any format is taken as 24-bit. Throws EExportError.
    void AddFrame(const QImage &bitmap);
    // From any thread: frames the encoder has not started on are dropped, so Close() comes soon.
    void RequestStop();
    // Finishes the file and puts it in place; safe to call repeatedly. Throws EExportError
    // when finishing failed; the previous file of that name is then kept.
    void Close();
    // Finishes the file after a failed run: when it would replace a previous file, that file
    // is kept and the new one given up (FramesWritten() is then 0); otherwise the frames
    // written so far are kept. Never throws.
    void CloseAfterFailure();

    bool IsOpen() const { return m_writer != nullptr; }
    int FrameIndex() const { return m_frameIndex; }
    // Frames in the file so far (after Close: in the finished file).
    int FramesWritten() const;
    const QString &LastError() const { return m_lastError; }
    // Average bytes of coded video a second over the frames written so far; 0 before any.
    qint64 VideoBytesPerSecond() const;

    // Encoding threads; 0 (the default) uses every core.
    void SetThreadCount(int threads) { m_threads = threads; }
    // Size at which the file continues in a further RIFF part.
    void SetPartSizeLimit(qint64 bytes) { m_partSizeLimit = bytes; }

    // Writers alive in this process.
    static int UseCount();

private:
    int Fail(int code, const QString &message);
    void WritePackets(const TPacketList &packets);
    std::unique_ptr<IVideoEncoder> MakeEncoder(const TFormatCodec &codec, const TAVICompressorOptions &options) const;

    void FinishWriter();

    std::unique_ptr<TOutputTarget> m_target;
    std::unique_ptr<TAviFileWriter> m_writer;
    std::unique_ptr<IVideoEncoder> m_encoder;
    int m_frameIndex = 0;
    int m_framesWritten = 0;
    qint64 m_videoBytes = 0;  // frame payloads handed to the writer
    int m_videoFrames = 0;
    int m_rate = 0;
    bool m_writeFailed = false;
    QString m_lastError;
    QString m_fileName;
    int m_threads = 0;
    qint64 m_partSizeLimit = TAviFileWriter::DefaultRiffLimit;
};

} // namespace velmora
