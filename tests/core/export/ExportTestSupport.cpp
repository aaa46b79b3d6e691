#include "ExportTestSupport.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <cstring>

namespace velmora::test {

QString FfprobePath()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
}

QString FfmpegPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

namespace {

QByteArray RunTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

} // namespace

TProbe Probe(const QString &file)
{
    TProbe probe;
    const QByteArray stream = RunTool(FfprobePath(),
        {"-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
         "stream=codec_name,width,height,r_frame_rate,nb_read_packets,pix_fmt,profile,color_space,color_transfer,"
         "color_primaries,color_range:stream_tags=timecode:format=format_name:format_tags=timecode",
         "-of", "default=nw=1", file});
    for (const QByteArray &line : stream.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1)).trimmed();
        if (key == "codec_name")
            probe.Codec = value;
        else if (key == "width")
            probe.Width = value.toInt();
        else if (key == "height")
            probe.Height = value.toInt();
        else if (key == "r_frame_rate")
            probe.FrameRate = value;
        else if (key == "nb_read_packets")
            probe.Packets = value.toInt();
        else if (key == "pix_fmt")
            probe.PixelFormat = value;
        else if (key == "profile")
            probe.Profile = value;
        else if (key == "color_space")
            probe.ColorSpace = value;
        else if (key == "color_transfer")
            probe.ColorTransfer = value;
        else if (key == "color_primaries")
            probe.ColorPrimaries = value;
        else if (key == "color_range")
            probe.ColorRange = value;
        else if (key == "format_name")
            probe.Container = value;
        else if (key == "TAG:timecode")
            probe.Timecode = value;
    }
    const QByteArray flags = RunTool(FfprobePath(),
        {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=flags", "-of", "csv=p=0", file});
    for (const QByteArray &line : flags.split('\n'))
        if (!line.isEmpty())
            probe.KeyFlags += line.startsWith('K') ? QLatin1Char('K') : QLatin1Char('_');
    probe.Ok = !probe.Codec.isEmpty();
    return probe;
}

namespace {

std::vector<QImage> SplitFrames(const QByteArray &raw, QSize size, QImage::Format format, int bytesPerPixel)
{
    const qint64 row = qint64(bytesPerPixel) * size.width();
    const qint64 frameBytes = row * size.height();
    std::vector<QImage> frames;
    for (qint64 at = 0; frameBytes > 0 && at + frameBytes <= raw.size(); at += frameBytes) {
        QImage frame(size, format);
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(frame.scanLine(y), raw.constData() + at + qint64(y) * row, size_t(row));
        frames.push_back(frame);
    }
    return frames;
}

std::vector<QImage> DecodeRaw(const QString &file, QSize size, const QStringList &inputOptions,
                              const QStringList &outputOptions, QImage::Format format, int bytesPerPixel)
{
    const QByteArray raw = RunTool(FfmpegPath(), QStringList{"-v", "error"} + inputOptions + QStringList{"-i", file}
                                                     + outputOptions + QStringList{"-f", "rawvideo", "-"});
    return SplitFrames(raw, size, format, bytesPerPixel);
}

} // namespace

QString GstLaunchPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
}

std::vector<QImage> DecodeFramesWithGStreamer(const QString &file, QSize size)
{
    // Rows of 24-bit BGR are packed when the width times 3 is a multiple of 4.
    const QByteArray raw = RunTool(GstLaunchPath(),
        {"-q", "filesrc", "location=" + file, "!", "decodebin", "!", "videoconvert", "!", "video/x-raw,format=BGR", "!",
         "fdsink", "fd=1"});
    return SplitFrames(raw, size, QImage::Format_BGR888, 3);
}

std::vector<QImage> DecodeFrames(const QString &file, QSize size, const QStringList &inputOptions)
{
    return DecodeRaw(file, size, inputOptions, {"-pix_fmt", "bgr24"}, QImage::Format_BGR888, 3);
}

std::vector<QImage> DecodeAlpha(const QString &file, QSize size, const QStringList &inputOptions)
{
    return DecodeRaw(file, size, inputOptions, {"-vf", "alphaextract", "-pix_fmt", "gray"}, QImage::Format_Grayscale8, 1);
}

double Psnr(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 0;
    const QImage x = a.convertToFormat(QImage::Format_BGR888);
    const QImage y = b.convertToFormat(QImage::Format_BGR888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < 3 * x.width(); ++i) {
            const double d = double(p[i]) - double(q[i]);
            sum += d * d;
        }
    }
    if (sum == 0)
        return 1000;
    const double mse = sum / (3.0 * x.width() * x.height());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

quint16 U16At(const QByteArray &data, int offset)
{
    return quint16(quint8(data[offset]) | quint8(data[offset + 1]) << 8);
}

quint32 U32At(const QByteArray &data, int offset)
{
    return quint32(U16At(data, offset)) | quint32(U16At(data, offset + 2)) << 16;
}

namespace {

void ReadChunks(QFile &file, qint64 from, qint64 to, std::vector<TChunk> &out)
{
    qint64 at = from;
    while (at + 8 <= to) {
        file.seek(at);
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            return;
        TChunk chunk;
        chunk.Id = head.left(4);
        chunk.Offset = at;
        chunk.Size = U32At(head, 4);
        if (chunk.Id == "RIFF" || chunk.Id == "LIST") {
            chunk.Form = file.read(4);
            ReadChunks(file, at + 12, at + 8 + chunk.Size, chunk.Children);
        } else if (chunk.Size <= 1 << 16 && !chunk.Id.startsWith("00")) {
            chunk.Data = file.read(chunk.Size);
        }
        const qint64 size = chunk.Size;
        out.push_back(std::move(chunk));
        at += 8 + size + (size & 1);
    }
}

} // namespace

std::vector<TChunk> ReadRiff(const QString &path)
{
    std::vector<TChunk> chunks;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        ReadChunks(file, 0, file.size(), chunks);
    return chunks;
}

const TChunk *TChunk::Find(const QByteArray &path) const
{
    const int slash = path.indexOf('/');
    const QByteArray head = slash < 0 ? path : path.left(slash);
    for (const TChunk &child : Children) {
        if (child.Id == head || ((child.Id == "LIST" || child.Id == "RIFF") && child.Form == head))
            return slash < 0 ? &child : child.Find(path.mid(slash + 1));
    }
    return nullptr;
}

int TChunk::Count(const QByteArray &id) const
{
    int n = 0;
    for (const TChunk &child : Children)
        n += child.Id == id ? 1 : 0;
    return n;
}

TSyntheticSource::TSyntheticSource(QSize film, int rollHeight, int scrollRate, int frameRate)
    : ScrollRateValue(scrollRate), RollHeight(rollHeight), m_film(film), m_frameRate(frameRate)
{
}

const QImage &TSyntheticSource::RenderFrame(int position)
{
    if (BeforeRender)
        BeforeRender(m_renders, position);
    m_frame = QImage(m_film, QImage::Format_ARGB32_Premultiplied);
    m_frame.fill(Background);
    QPainter painter(&m_frame);
    // The roll's top sits at the frame's bottom edge at position 0 and moves up.
    const int top = m_film.height() - position;
    for (int band = 0; band * 16 < RollHeight; ++band) {
        const QColor colour = QColor::fromHsv((band * 47) % 360, 200, 120 + (band * 37) % 130);
        const int inset = (band * 13) % (m_film.width() / 3 + 1);
        painter.fillRect(inset, top + band * 16, m_film.width() - 2 * inset, 12, colour);
    }
    if (DrawNumbers) {
        QFont font = painter.font();
        font.setPixelSize(std::max(8, m_film.height() / 4));
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(0, 0), m_film), Qt::AlignCenter, QString::number(position));
    }
    painter.end();
    ++m_renders;
    Positions.push_back(position);
    Frames.push_back(m_frame.convertToFormat(QImage::Format_BGR888));
    return m_frame;
}

} // namespace velmora::test
