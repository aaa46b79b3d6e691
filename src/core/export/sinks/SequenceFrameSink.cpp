#include "core/export/sinks/SequenceFrameSink.h"

#include "core/export/ExportError.h"
#include "core/export/encode/ColourMapping.h"
#include "core/export/sinks/ImageHeaders.h"
#include "core/export/formats/OutputTarget.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// Images are encoded one at a time, each on its own thread.
TEncoderSettings ImageEncoderSettings(const TSinkSettings &sink, const TColourChoice &colour)
{
    TEncoderSettings settings;
    settings.Colour = colour;
    settings.Width = sink.Size.width();
    settings.Height = sink.Size.height();
    settings.Rate = sink.Rate;
    settings.Alpha = sink.Alpha;
    return settings;
}

const QRegularExpression &NumberField()
{
    static const QRegularExpression field(QStringLiteral("%(0?)(\\d*)d"));
    return field;
}

// Wider fields only pad with zeros; a frame number never has more than 9 digits.
constexpr int MaxFieldWidth = 9;

// The names an earlier sequence of this pattern left: prefix, digits (padded as the field
// pads them), suffix.
QRegularExpression FramesOf(const QString &pattern)
{
    const QRegularExpressionMatch match = NumberField().match(pattern);
    const QString name = QFileInfo(pattern).fileName();
    const qsizetype start = match.capturedStart() - (pattern.size() - name.size());
    return QRegularExpression(QStringLiteral("^%1 *(\\d+)%2$")
                                  .arg(QRegularExpression::escape(name.left(start)),
                                       QRegularExpression::escape(name.mid(start + match.capturedLength()))));
}

bool IdentityOf(const QString &path, dev_t &device, ino_t &inode)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

// What Qt writes for a frame: 8-bit RGB(A), or 16 bits a component.
QImage ImageForQt(const QImage &frame, const TCodecProfile &profile)
{
    const bool alpha = frame.hasAlphaChannel();
    if (profile.Bits > 8)
        return frame.convertToFormat(alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
    return frame.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
}

// A frame centred on its cinema raster, black around: the picture is never resampled.
QImage OnDcdmRaster(const QImage &frame)
{
    const QSize raster = DcdmRaster(frame.size());
    if (raster == frame.size())
        return frame;
    QImage canvas(raster, frame.format());
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint((raster.width() - frame.width()) / 2, (raster.height() - frame.height()) / 2), frame);
    return canvas;
}

} // namespace

QString SequencePattern(const QString &fileName)
{
    const qsizetype fields = fileName.count(NumberField());
    if (fields > 1)
        throw EExportError(QStringLiteral("The sequence name \"%1\" has %2 number fields; give it one (such as %3) or none.")
                               .arg(fileName, QString::number(fields), QStringLiteral("%04d")));
    if (fields == 1) {
        const QRegularExpressionMatch match = NumberField().match(fileName);
        if (match.captured(2).size() > 2 || match.captured(2).toInt() > MaxFieldWidth)
            throw EExportError(QStringLiteral("The number field \"%1\" in \"%2\" is too wide; frame numbers take at most %3 digits.")
                                   .arg(match.captured(0), fileName, QString::number(MaxFieldWidth)));
        if (match.capturedStart() < fileName.size() - QFileInfo(fileName).fileName().size())
            throw EExportError(QStringLiteral("The number field of \"%1\" is in a folder's name; put it in the file name.").arg(fileName));
        return fileName;
    }
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? fileName : fileName.left(fileName.size() - suffix.size() - 1);
    return base + QStringLiteral("_%06d.") + suffix;
}

QStringList SequenceFramesOnDisk(const QString &pattern, int first, int count)
{
    const QRegularExpression frames = FramesOf(pattern);
    const qint64 last = count < 0 ? std::numeric_limits<qint64>::max() : qint64(first) + count - 1;
    QStringList found;
    const QDir folder = QFileInfo(SequenceFileName(pattern, first)).dir();
    for (const QString &name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
        const QRegularExpressionMatch match = frames.match(name);
        if (!match.hasMatch())
            continue;
        // More digits than a frame number has are past every range but an open-ended one.
        const QString digits = match.captured(1);
        const qint64 number = digits.size() > MaxFieldWidth ? std::numeric_limits<qint64>::max() : digits.toLongLong();
        if (number >= first && number <= last)
            found << name;
    }
    return found;
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
        TLibavEncoder(*m_choice.Codec, *m_choice.Profile, ImageEncoderSettings(settings, m_choice.Colour));
    } else if (m_choice.Colour.Mapped()) {
        m_mapping = std::make_unique<TColourMapping>(m_choice.Colour);
    }
    ClearEarlierSequence();
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

void TSequenceFrameSink::ClearEarlierSequence()
{
    m_inputs.clear();
    for (const QString &input : m_choice.Inputs)
        if (TFileIdentity identity; IdentityOf(input, identity.Device, identity.Inode))
            m_inputs.push_back(identity);
    m_notice.clear();
    // Frames of an earlier run would follow the new ones and be read as one sequence, and a
    // run killed halfway would mix both: the earlier frames go before the first new one is
    // written, and only when the user said so. Frames outside this run's own range are other
    // slices of the roll, rendered apart (and finishing in any order) to be put together, and stay.
    const QStringList earlier = SequenceFramesOnDisk(m_pattern, m_choice.StartNumber, m_choice.FrameCount);
    QDir folder = QFileInfo(SequenceFileName(m_pattern, m_choice.StartNumber)).dir();
    for (const QString &name : earlier)
        RefuseInput(folder.filePath(name));
    if (earlier.isEmpty())
        return;
    if (!m_choice.Overwrite)
        throw EExportError(QStringLiteral("The folder \"%1\" already holds %2 frames named like \"%3\" (%4 ...); "
                                          "remove them, choose another name, or allow replacing the earlier frames (--overwrite on the command line).")
                               .arg(QDir::toNativeSeparators(folder.path()), QString::number(earlier.size()),
                                    QFileInfo(m_pattern).fileName(), earlier.first()));
    for (const QString &name : earlier)
        if (!folder.remove(name))
            throw EExportError(QStringLiteral("Could not remove \"%1\" of the earlier sequence; nothing was written.")
                                   .arg(QDir::toNativeSeparators(folder.filePath(name))));
    m_notice = QStringLiteral("removed the %1 frames of the earlier sequence \"%2\" (%3 ...)")
                   .arg(QString::number(earlier.size()), m_pattern, earlier.first());
}

void TSequenceFrameSink::RefuseInput(const QString &frameName) const
{
    TFileIdentity identity;
    if (!IdentityOf(frameName, identity.Device, identity.Inode))
        return;
    for (const TFileIdentity &input : m_inputs)
        if (input.Device == identity.Device && input.Inode == identity.Inode)
            throw EExportError(QStringLiteral("Could not write \"%1\": it is the input file, or leads to it; "
                                              "choose another name for the sequence.")
                                   .arg(frameName));
}

void TSequenceFrameSink::Work()
{
    std::unique_ptr<TLibavEncoder> encoder;  // one per thread: an encoder is not shared
    while (std::optional<TJob> job = m_queue.Pop()) {
        if (m_stop.load())
            continue;  // dropped: the run is ending
        try {
            WriteImage(*job, encoder);
            std::lock_guard lock(m_mutex);
            m_done.insert(job->Index);
        } catch (const EVelmoraError &e) {
            Fail(job->Index, e.message());
        } catch (const std::bad_alloc &) {
            Fail(job->Index, QStringLiteral("Could not write the image \"%1\": out of memory.")
                                 .arg(SequenceFileName(m_pattern, m_choice.StartNumber + job->Index)));
        } catch (const std::exception &e) {
            // An exception must not leave its thread: it would end the whole program.
            Fail(job->Index, QStringLiteral("Could not write the image \"%1\": %2")
                                 .arg(SequenceFileName(m_pattern, m_choice.StartNumber + job->Index), QString::fromLocal8Bit(e.what())));
        }
    }
}

void TSequenceFrameSink::Fail(int index, const QString &message)
{
    std::lock_guard lock(m_mutex);
    if (m_failedIndex < 0 || index < m_failedIndex) {
        m_failedIndex = index;
        m_failure = message;
    }
    m_stop.store(true);
}

void TSequenceFrameSink::WriteImage(const TJob &job, std::unique_ptr<TLibavEncoder> &encoder)
{
    const QString name = SequenceFileName(m_pattern, m_choice.StartNumber + job.Index);
    // The image is made in memory first: Qt's writers do not notice a disk that fills up.
    QByteArray data;
    if (m_choice.Codec->Encoder == "qt") {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, m_choice.Format->Muxer);
        QImage image = ImageForQt(job.Frame, *m_choice.Profile);
        if (m_mapping) {
            if (m_choice.Colour.Encoding == TColourEncoding::DciXyz)
                image = OnDcdmRaster(image);
            image = m_mapping->Map(image);
        }
        if (!writer.write(image))
            throw EExportError(QStringLiteral("Could not write the image \"%1\": %2").arg(name, writer.errorString()));
        if (m_choice.Colour.Hdr() && m_choice.Format->Muxer == "png")
            data = WithPngColour(data, m_choice.Colour.Encoding == TColourEncoding::Pq);
    } else {
        if (!encoder) {
            encoder = std::make_unique<TLibavEncoder>(*m_choice.Codec, *m_choice.Profile,
                                                      ImageEncoderSettings(m_settings, m_choice.Colour));
        }
        encoder->Encode(job.Frame, [&data](AVPacket *packet) {
            data.append(reinterpret_cast<const char *>(packet->data), packet->size);
        });
        TImageTags tags;
        tags.Rate = m_settings.Rate;
        if (!m_choice.Timecode.isEmpty())
            tags.Timecode = TimecodeAfter(m_choice.Timecode, job.Index, m_settings.Rate);
        tags.Hdr = m_choice.Colour.Hdr();
        if (m_choice.Codec->Encoder == "dpx")
            data = WithDpxTags(data, tags);
        else if (m_choice.Codec->Encoder == "exr")
            data = WithExrTags(data, tags);
    }
    // Checked at every frame: a link made during the run must not lead a frame onto the project.
    RefuseInput(name);
    // Each image goes in place only when whole; a failed one leaves no half file behind.
    TOutputTarget target(name);
    // Written with the system's calls so a full disk is named as such, not as an unknown error.
    const int fd = ::open(QFile::encodeName(target.WritePath()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    for (qsizetype at = 0; error == 0 && at < data.size();) {
        const ssize_t count = ::write(fd, data.constData() + at, size_t(data.size() - at));
        if (count < 0 && errno != EINTR)
            error = errno;
        else if (count > 0)
            at += count;
    }
    if (fd >= 0 && ::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        throw EExportError(QStringLiteral("Could not write the image \"%1\": %2").arg(name, QString::fromLocal8Bit(std::strerror(error))));
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
