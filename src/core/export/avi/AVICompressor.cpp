#include "core/export/avi/AVICompressor.h"

#include "core/export/ExportError.h"
#include "core/export/encode/GroupedEncoder.h"
#include "core/export/formats/OutputFormats.h"
#include "core/export/encode/cinepak/CinepakEncoder.h"

#include <cmath>
#include <mutex>
#include <optional>
#include <thread>

extern "C" {
#include <libavutil/log.h>
}

namespace velmora {

namespace {

std::mutex useMutex;
int useCount = 0;
int savedLogLevel = AV_LOG_INFO;

// The first writer quiets the codec library's console chatter; the last one restores it.
void Acquire()
{
    std::lock_guard lock(useMutex);
    if (useCount++ == 0) {
        savedLogLevel = av_log_get_level();
        av_log_set_level(AV_LOG_ERROR);
    }
}

void Release()
{
    std::lock_guard lock(useMutex);
    if (--useCount == 0)
        av_log_set_level(savedLogLevel);
}

// The stream name as stored: at most 63 bytes of UTF-8, never a cut character.
QByteArray StoredStreamName(QString name)
{
    while (name.toUtf8().size() > 63)
        name.chop(1);
    return name.toUtf8();
}

const TFormatCodec &UncompressedCodec()
{
    return *FindCodecByHandler("DIB ");
}

} // namespace

TAVICompressorOptions DefaultCompressorOptions()
{
    return TAVICompressorOptions{};
}

TAVICompressor::TAVICompressor()
{
    Acquire();
}

TAVICompressor::~TAVICompressor()
{
    try {
        Close();
    } catch (const EExportError &) {
        // A destructor cannot report; callers that care call Close() first.
    }
    Release();
}

int TAVICompressor::UseCount()
{
    std::lock_guard lock(useMutex);
    return useCount;
}

const TFormatCodec *AviCodecFor(const TAVICompressorOptions &options)
{
    const TFormatCodec *codec = FindCodecByHandler(options.Handler.toLatin1());
    // Two encoders may share a handler code; the name picks one.
    if (const TFormatCodec *named = FindCodecByName(options.CodecName); codec && named && named->Handler == codec->Handler)
        return named;
    return codec;
}

TEncoderSettings EncoderSettingsFor(const TAVICompressorOptions &options)
{
    TEncoderSettings settings;
    settings.Width = options.Width;
    settings.Height = options.Height;
    settings.Rate = {options.Rate, 1};
    settings.Quality = options.Quality;
    settings.KeyFrameEvery = (options.CompressFlags & AVICOMPRESSF_KEYFRAMES) ? options.KeyFrameEvery : 0;
    settings.BytesPerSecond = (options.CompressFlags & AVICOMPRESSF_DATARATE) ? options.BytesPerSecond : 0;
    return settings;
}

QString CinepakWarningFor(TAVICompressorOptions options, int width, int height, int rate)
{
    const TFormatCodec *codec = AviCodecFor(options);
    if (!codec || !IsOwnEncoder(*codec) || (options.CompressFlags & AVICOMPRESSF_DATARATE) == 0)
        return QString();
    options.Width = width;
    options.Height = height;
    options.Rate = rate;
    return CinepakDataRateWarning(EncoderSettingsFor(options));
}

int TAVICompressor::FramesWritten() const
{
    return m_writer ? m_writer->FramesWritten() : m_framesWritten;
}

qint64 TAVICompressor::VideoBytesPerSecond() const
{
    return m_videoFrames > 0 ? qint64(std::llround(double(m_videoBytes) * m_rate / m_videoFrames)) : 0;
}

int TAVICompressor::Fail(int code, const QString &message)
{
    m_lastError = message;
    m_encoder.reset();
    if (m_writer) {
        m_writer->Abandon();
        m_writer.reset();
    }
    m_target.reset();  // a half-made file is of no use to anyone; a previous one stays
    return code;
}

std::unique_ptr<IVideoEncoder> TAVICompressor::MakeEncoder(const TFormatCodec &codec,
                                                           const TAVICompressorOptions &options) const
{
    const int threads = m_threads > 0 ? m_threads : int(std::max(1u, std::thread::hardware_concurrency()));
    TEncoderSettings settings = EncoderSettingsFor(options);
    settings.Threads = threads;
    // Groups that each start with a key frame can be encoded side by side.
    if (threads > 1 && settings.KeyFrameEvery > 0 && !CodecUsesSeveralCores(codec))
        return std::make_unique<TGroupedEncoder>(codec, settings, settings.KeyFrameEvery, threads);
    return CreateEncoder(codec, settings);
}

int TAVICompressor::Open(const QString &fileName, TAVICompressorOptions &options, const OptionsDialog &dialog)
{
    Close();
    m_lastError.clear();
    m_fileName = fileName;
    m_frameIndex = 0;
    m_framesWritten = 0;
    m_writeFailed = false;
    m_videoBytes = 0;
    m_videoFrames = 0;

    try {
        m_target = std::make_unique<TOutputTarget>(fileName);
        // The index and headers are written last, at the front: only a regular file can take that.
        if (m_target->InPlace())
            throw EExportError(QStringLiteral("Could not write \"%1\": a video can only be written into a regular file, "
                                              "not a device or a pipe.").arg(fileName));
        m_writer = std::make_unique<TAviFileWriter>(m_partSizeLimit);
        m_writer->Create(m_target->WritePath(), fileName);
    } catch (const EExportError &e) {
        return Fail(AVIOpenFileError, e.message());
    }

    if (options.Compress && options.ShowOptionsDialog) {
        options.CompressFlags |= AVICOMPRESSF_VALID;
        if (dialog && !dialog(options))
            return Fail(AVIOpenCancelled, QString());  // and the new file goes again
    }

    if (options.Width <= 0 || options.Height <= 0 || options.Width > 32767 || options.Height > 32767
        || options.Rate <= 0)
        return Fail(AVIOpenBadFormat, QStringLiteral("A video of %1 x %2 pixels at %3 frames per second cannot be written.")
                                          .arg(options.Width).arg(options.Height).arg(options.Rate));
    const TFormatCodec *codec = options.Compress ? AviCodecFor(options) : &UncompressedCodec();
    if (!codec)
        return Fail(AVIOpenUnknownCodec, QStringLiteral("There is no codec with the code \"%1\".").arg(options.Handler));
    const QString sizeRefusal = SizeRefusal(*codec, QSize(options.Width, options.Height));
    if (!sizeRefusal.isEmpty())
        return Fail(AVIOpenCodecError, sizeRefusal);  // the codec cannot take this size
    if (!IsCodecAvailable(*codec))
        return Fail(AVIOpenCodecError, QStringLiteral("The codec %1 is not available on this machine.").arg(codec->Title));
    m_rate = options.Rate;
    try {
        m_encoder = MakeEncoder(*codec, options);
    } catch (const EExportError &e) {
        return Fail(AVIOpenCodecError, e.message());
    }

    avi::TStreamSetup setup;
    setup.Width = options.Width;
    setup.Height = options.Height;
    setup.Rate = options.Rate;
    setup.Quality = options.Quality;
    setup.Handler = avi::FourCCOf(codec->Handler);
    setup.Name = StoredStreamName(options.StreamName);
    m_encoder->DescribeStream(setup);
    try {
        m_writer->WriteHeaders(setup);
    } catch (const EExportError &e) {
        return Fail(AVIOpenFileError, e.message());
    }
    return 0;
}

void TAVICompressor::WritePackets(const TPacketList &packets)
{
    for (const TEncodedPacket &packet : packets)
    {
        m_writer->WriteFrame(packet.Data.constData(), packet.Data.size(), packet.KeyFrame);
        m_videoBytes += packet.Data.size();
        ++m_videoFrames;
    }
}

void TAVICompressor::AddFrame(const QImage &bitmap)
{
    if (!m_writer || m_writeFailed)
        throw EExportError(QStringLiteral("The video file \"%1\" is not open for writing.").arg(m_fileName));
    const bool taken = bitmap.format() == QImage::Format_BGR888
        || (bitmap.format() == QImage::Format_RGB32 && m_encoder && m_encoder->TakesRgb32());
    const QImage frame = taken ? bitmap : bitmap.convertToFormat(QImage::Format_BGR888);
    try {
        TPacketList packets;
        m_encoder->Encode(frame, packets);
        WritePackets(packets);
    } catch (const EExportError &e) {
        m_writeFailed = true;
        m_lastError = e.message();
        throw;
    }
    ++m_frameIndex;
}

void TAVICompressor::RequestStop()
{
    if (m_encoder)
        m_encoder->RequestStop();
}

void TAVICompressor::Close()
{
    if (!m_writer)
        return;
    try {
        FinishWriter();
        m_target->Commit();
    } catch (const EExportError &e) {
        m_target.reset();
        m_framesWritten = 0;
        m_lastError = e.message();
        throw;
    }
    m_target.reset();
}

void TAVICompressor::CloseAfterFailure()
{
    if (!m_writer)
        return;
    bool kept = false;
    try {
        FinishWriter();
        kept = m_target->KeepAfterFailure(m_framesWritten);
    } catch (const EExportError &) {
        kept = false;  // the run already has its message; this only decides what stays on disk
    }
    if (!kept)
        m_framesWritten = 0;
    m_target.reset();
}

void TAVICompressor::FinishWriter()
{
    std::optional<EExportError> failure;
    try {
        if (m_encoder && !m_writeFailed) {
            TPacketList packets;
            m_encoder->Flush(packets);
            WritePackets(packets);
        }
    } catch (const EExportError &e) {
        failure = e;
    }
    m_encoder.reset();
    try {
        m_writer->Finish();
    } catch (const EExportError &e) {
        if (!failure)
            failure = e;
    }
    m_framesWritten = m_writer->FramesWritten();
    m_writer.reset();
    if (failure)
        throw EExportError(failure->message());
}

} // namespace velmora
