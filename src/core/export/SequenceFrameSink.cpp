#include "core/export/SequenceFrameSink.h"

#include "core/export/ExportError.h"
#include "core/export/ImageHeaders.h"
#include "core/export/OutputTarget.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>

namespace velmora {

namespace {

const QRegularExpression &NumberField()
{
    static const QRegularExpression field(QStringLiteral("%(0?)(\\d*)d"));
    return field;
}

// What Qt writes for a frame: 8-bit RGB(A), or 16 bits a component.
QImage ImageForQt(const QImage &frame, const TCodecProfile &profile)
{
    const bool alpha = frame.hasAlphaChannel();
    if (profile.Bits > 8)
        return frame.convertToFormat(alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
    return frame.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
}

} // namespace

QString SequencePattern(const QString &fileName)
{
    if (fileName.count(NumberField()) == 1)
        return fileName;
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? fileName : fileName.left(fileName.size() - suffix.size() - 1);
    return base + QStringLiteral("_%06d.") + suffix;
}

QString SequenceFileName(const QString &pattern, int number)
{
    const QRegularExpressionMatch match = NumberField().match(pattern);
    if (!match.hasMatch())
        return pattern;
    const int width = match.captured(2).isEmpty() ? 0 : match.captured(2).toInt();
    const QChar fill = match.captured(1).isEmpty() ? QLatin1Char(' ') : QLatin1Char('0');
    QString text = pattern;
    return text.replace(match.capturedStart(), match.capturedLength(), QStringLiteral("%1").arg(number, width, 10, fill));
}

TSequenceFrameSink::TSequenceFrameSink(const TFormatChoice &choice) : m_choice(choice) {}

TSequenceFrameSink::~TSequenceFrameSink()
{
    m_stop.store(true);
    Join();
}

bool TSequenceFrameSink::Open(const TSinkSettings &settings)
{
    CheckFormatChoice(m_choice, settings);
    m_settings = settings;
    m_pattern = SequencePattern(settings.FileName);
    const QFileInfo first(SequenceFileName(m_pattern, m_choice.StartNumber));
    if (!first.dir().exists())
        throw EExportError(QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(first.path())));
    if (m_choice.Codec->Encoder != "qt") {
        // Opened once here so codec refusals come before the first file.
        TMediaEncoderSettings check;
        check.Size = settings.Size;
        check.Rate = settings.Rate;
        check.Alpha = settings.Alpha;
        TMediaEncoder(*m_choice.Codec, *m_choice.Profile, check);
    }
    m_done.clear();
    m_failedIndex = -1;
    m_failure.clear();
    m_stop.store(false);
    m_nextIndex = 0;
    m_framesWritten = 0;
    const int threads = settings.Threads > 0 ? settings.Threads : int(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { Work(); });
    m_open = true;
    return true;
}

void TSequenceFrameSink::Work()
{
    std::unique_ptr<TMediaEncoder> encoder;  // one per thread: an encoder is not shared
    while (std::optional<TJob> job = m_queue.Pop()) {
        if (m_stop.load())
            continue;  // dropped: the run is ending
        try {
            WriteImage(*job, encoder);
            std::lock_guard lock(m_mutex);
            m_done.insert(job->Index);
        } catch (const EVelmoraError &e) {
            std::lock_guard lock(m_mutex);
            if (m_failedIndex < 0 || job->Index < m_failedIndex) {
                m_failedIndex = job->Index;
                m_failure = e.message();
            }
            m_stop.store(true);
        }
    }
}

void TSequenceFrameSink::WriteImage(const TJob &job, std::unique_ptr<TMediaEncoder> &encoder)
{
    const QString name = SequenceFileName(m_pattern, m_choice.StartNumber + job.Index);
    // The image is made in memory first: Qt's writers do not notice a disk that fills up.
    QByteArray data;
    if (m_choice.Codec->Encoder == "qt") {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, m_choice.Format->Muxer);
        if (!writer.write(ImageForQt(job.Frame, *m_choice.Profile)))
            throw EExportError(QStringLiteral("Could not write the image \"%1\": %2").arg(name, writer.errorString()));
    } else {
        if (!encoder) {
            TMediaEncoderSettings settings;
            settings.Size = m_settings.Size;
            settings.Rate = m_settings.Rate;
            settings.Alpha = m_settings.Alpha;
            encoder = std::make_unique<TMediaEncoder>(*m_choice.Codec, *m_choice.Profile, settings);
        }
        encoder->Encode(job.Frame, [&data](AVPacket *packet) {
            data.append(reinterpret_cast<const char *>(packet->data), packet->size);
        });
        TImageTags tags;
        tags.Rate = m_settings.Rate;
        if (!m_choice.Timecode.isEmpty())
            tags.Timecode = TimecodeAfter(m_choice.Timecode, job.Index, m_settings.Rate);
        if (m_choice.Codec->Encoder == "dpx")
            data = WithDpxTags(data, tags);
        else if (m_choice.Codec->Encoder == "exr")
            data = WithExrTags(data, tags);
    }
    // Each image goes in place only when whole; a failed one leaves no half file behind.
    TOutputTarget target(name);
    QFile file(target.WritePath());
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size()
        && file.flush();
    const QString why = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        throw EExportError(QStringLiteral("Could not write the image \"%1\": %2").arg(name, why));
    target.Commit();
}

QString TSequenceFrameSink::Failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void TSequenceFrameSink::Write(const QImage &frame)
{
    if (!m_open)
        throw EExportError(QStringLiteral("The image sequence \"%1\" is not open for writing.").arg(m_pattern));
    const QString failure = Failure();
    if (!failure.isEmpty())
        throw EExportError(failure);
    if (m_stop.load())
        return;
    m_queue.Push({m_nextIndex++, frame});
}

void TSequenceFrameSink::RequestStop()
{
    m_stop.store(true);
}

void TSequenceFrameSink::Join()
{
    m_queue.Close();
    for (std::thread &worker : m_workers)
        if (worker.joinable())
            worker.join();
    m_workers.clear();
}

void TSequenceFrameSink::Close()
{
    if (!m_open)
        return;
    m_open = false;
    Join();
    // The sequence is the unbroken run of frames from the first; images past a gap (written
    // out of order by another thread) would play at the wrong time, so they go.
    int whole = 0;
    while (m_done.count(whole))
        ++whole;
    for (int index : m_done)
        if (index > whole)
            QFile::remove(SequenceFileName(m_pattern, m_choice.StartNumber + index));
    m_framesWritten = whole;
    if (!m_failure.isEmpty())
        throw EExportError(m_failure);
}

void TSequenceFrameSink::CloseAfterFailure()
{
    // The whole images stay: each stands on its own, and the run reports the failure.
    try {
        Close();
    } catch (const EExportError &) {
    }
}

} // namespace velmora
