#include "core/export/avi/AviRepair.h"

#include "core/export/avi/AviFileWriter.h"
#include "core/export/formats/OutputFormats.h"
#include "core/export/ExportError.h"
#include "core/export/formats/OutputTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace velmora {

using avi::FourCC;

namespace {

constexpr qint64 MaxHeaderListBytes = 1 << 20;

quint32 U32(const QByteArray &bytes, qint64 at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// The payload of the first chunk with this code in the header bytes that is at least
// minSize long (and starts with prefix), found by its code rather than by walking the lists,
// so damaged list sizes do not hide it, and the same four letters in a name or in damage
// do not stand in for it.
QByteArray FindChunk(const QByteArray &head, quint32 id, qint64 minSize = 0, const QByteArray &prefix = {},
                     qsizetype from = 0, qsizetype *end = nullptr)
{
    const QByteArray code(reinterpret_cast<const char *>(&id), 4);
    for (qsizetype at = head.indexOf(code, from); at >= 0; at = head.indexOf(code, at + 1)) {
        const qint64 size = U32(head, at + 4);
        if (size >= minSize && at + 8 + size <= head.size() && head.mid(at + 8, prefix.size()) == prefix) {
            if (end)
                *end = at + 8 + size;
            return head.mid(at + 8, size);
        }
    }
    return {};
}

// The stream setup as the headers describe it.
avi::TStreamSetup SetupFromHeaders(const QByteArray &head, const QString &shownName)
{
    qsizetype strhEnd = 0;
    const QByteArray strh = FindChunk(head, FourCC("strh"), 56, "vids", 0, &strhEnd);
    // The format follows the stream header: its four letters inside the header's own bytes
    // (damage copied into a handler code) are not it.
    const QByteArray strf = FindChunk(head, FourCC("strf"), 40, {}, strhEnd);
    if (strh.size() < 56 || strf.size() < 40 || U32(strh, 0) != FourCC("vids"))
        throw EExportError(QStringLiteral("\"%1\" has no video stream header to rebuild from.").arg(shownName));
    avi::TStreamSetup setup;
    setup.Handler = U32(strh, 4);
    setup.Rate = int(U32(strh, 24));
    setup.Quality = int(U32(strh, 40));
    setup.Width = int(U32(strf, 4));
    setup.Height = int(U32(strf, 8));
    setup.BitCount = quint16(U32(strf, 14) & 0xffff);
    setup.Compression = U32(strf, 16);
    const qint64 headerSize = U32(strf, 0);
    if (headerSize > 40 && headerSize <= strf.size())
        setup.ExtraData = strf.mid(40, headerSize - 40);
    QByteArray name = FindChunk(head, FourCC("strn"));
    if (name.endsWith('\0'))
        name.chop(1);
    setup.Name = name;
    if (setup.Width <= 0 || setup.Height <= 0 || setup.Rate <= 0 || setup.Width > 65535 || setup.Height > 65535)
        throw EExportError(QStringLiteral("\"%1\" has a damaged video stream header.").arg(shownName));
    return setup;
}

// Decides which frames are key frames, which the lost index used to say.
class TKeyFrameJudge
{
public:
    explicit TKeyFrameJudge(quint32 handler) : m_handler(handler)
    {
        QByteArray code(4, ' ');
        for (int i = 0; i < 4; ++i)
            code[i] = char(handler >> (8 * i));
        const TFormatCodec *codec = FindCodecByHandler(code);
        const AVCodec *encoder = codec && !codec->Encoder.isEmpty() ? avcodec_find_encoder_by_name(codec->Encoder.constData()) : nullptr;
        if (encoder)
            m_parser.reset(av_parser_init(encoder->id));
        if (m_parser)
            m_context.reset(avcodec_alloc_context3(encoder));
        if (!m_context)
            m_parser.reset();
    }

    bool IsKey(const QByteArray &frame)
    {
        if (m_handler == FourCC("CVID") || m_handler == FourCC("cvid")) {
            // The first strip says whether the frame stands alone (0x1000) or updates the last.
            return frame.size() < 12 || (quint8(frame[10]) == 0x10 && quint8(frame[11]) == 0x00);
        }
        if (!m_parser)
            return true;  // codecs without a parser here code every frame alone
        uint8_t *out = nullptr;
        int outSize = 0;
        av_parser_parse2(m_parser.get(), m_context.get(), &out, &outSize,
                         reinterpret_cast<const uint8_t *>(frame.constData()), int(frame.size()),
                         AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (outSize == 0)  // parsers that wait for the next frame: flush this one
            av_parser_parse2(m_parser.get(), m_context.get(), &out, &outSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        return m_parser->key_frame == 1 || m_parser->pict_type == AV_PICTURE_TYPE_I;
    }

private:
    struct TParserClose { void operator()(AVCodecParserContext *p) const { av_parser_close(p); } };
    struct TContextFree { void operator()(AVCodecContext *c) const { avcodec_free_context(&c); } };
    quint32 m_handler;
    std::unique_ptr<AVCodecParserContext, TParserClose> m_parser;
    std::unique_ptr<AVCodecContext, TContextFree> m_context;
};

bool IsFrameId(quint32 id)
{
    return id == FourCC("00dc") || id == FourCC("00db");
}

// What a MOV or MP4 file cut short lacks, said instead of "not an AVI".
bool IsQuickTime(const QByteArray &start)
{
    const QByteArray box = start.mid(4, 4);
    return box == "ftyp" || box == "mdat" || box == "wide" || box == "free" || box == "moov";
}

QString RepairedName(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString base = info.suffix().compare(QLatin1String("avi"), Qt::CaseInsensitive) == 0
        ? info.dir().filePath(info.completeBaseName())
        : fileName;
    QString name = base + QStringLiteral(".repaired.avi");
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral(".repaired-%1.avi").arg(n);
    return name;
}

} // namespace

QString RepairedAviName(const QString &fileName)
{
    return RepairedName(fileName);
}

avi::TStreamSetup ReadAviStreamSetup(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EExportError(QStringLiteral("Could not open \"%1\": %2").arg(fileName, file.errorString()));
    const QByteArray head = file.read(MaxHeaderListBytes);
    if (head.size() < 12 || U32(head, 0) != FourCC("RIFF") || U32(head, 8) != FourCC("AVI "))
        throw EExportError(QStringLiteral("\"%1\" is not an AVI video file.").arg(fileName));
    // The stream headers come before the first frame.
    const qsizetype moviAt = head.indexOf(QByteArray("movi"), 12);
    avi::TStreamSetup setup = SetupFromHeaders(moviAt > 0 ? head.left(moviAt) : head, fileName);
    setup.Compressed = setup.Compression != 0;
    return setup;
}

TAviRepairResult RepairAvi(const QString &fileName, const QString &outputName)
{
    // The repaired copy is an AVI file whatever it is called; a name that says otherwise would
    // send it to a player or a tool as something it is not.
    if (QFileInfo(outputName).suffix().compare(QLatin1String("avi"), Qt::CaseInsensitive) != 0)
        throw EExportError(QStringLiteral("\"%1\": a repaired video is an AVI file; give it a name ending in .avi.").arg(outputName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EExportError(QStringLiteral("Could not open \"%1\": %2").arg(fileName, file.errorString()));
    const qint64 size = file.size();
    const uchar *map = size > 0 ? file.map(0, size) : nullptr;
    if (size > 0 && !map)
        throw EExportError(QStringLiteral("Could not read \"%1\": %2").arg(fileName, file.errorString()));
    // The sizes in RIFF and list headers are not trusted: a render cut short never wrote
    // them, and damage may have changed them. Headers and frames are found by their codes.
    const QByteArray start = QByteArray::fromRawData(reinterpret_cast<const char *>(map), std::min<qint64>(size, 12));
    if (start.size() < 12 || U32(start, 0) != FourCC("RIFF") || U32(start, 8) != FourCC("AVI ")) {
        if (IsQuickTime(start))
            throw EExportError(QStringLiteral("\"%1\" is a QuickTime or MP4 file, not an AVI video. Such a file keeps its index "
                                              "(the moov atom) at the end, so one cut short (killed, power lost) has no index, "
                                              "and its frames cannot be recovered: render it again.")
                                   .arg(fileName));
        throw EExportError(QStringLiteral("\"%1\" is not an AVI video file.").arg(fileName));
    }
    const QByteArray head = QByteArray::fromRawData(reinterpret_cast<const char *>(map), std::min<qint64>(size, MaxHeaderListBytes));
    const QByteArray movi("movi");
    qsizetype moviAt = head.indexOf(movi, 12);
    const avi::TStreamSetup found = SetupFromHeaders(moviAt > 0 ? head.left(moviAt) : head, fileName);
    avi::TStreamSetup setup = found;
    qint64 at = moviAt > 0 ? moviAt + 4 : 12;

    TOutputTarget::RefuseInput(outputName, fileName);
    TOutputTarget target(outputName);
    TAviFileWriter writer;
    writer.Create(target.WritePath(), outputName);
    TKeyFrameJudge judge(setup.Handler);
    bool headersWritten = false;
    // The first frame's code says whether the stream is compressed; a damaged one leaves it to the header.
    const auto keep = [&](const QByteArray &frame, quint32 id) {
        if (!headersWritten) {
            setup.Compressed = IsFrameId(id) ? id == FourCC("00dc") : setup.Compression != 0;
            writer.WriteHeaders(setup);
            headersWritten = true;
        }
        writer.WriteFrame(frame.constData(), frame.size(), judge.IsKey(frame));
    };
    qint64 kept = 0;  // bytes of the file that went into the repaired one, or were walked through
    int damagedSpans = 0;
    int cutFrames = 0;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(map), size);
    const auto fits = [&](qint64 from) { return from + 8 <= size && from + 8 + qint64(U32(data, from + 4)) <= size; };
    while (at + 8 <= size) {
        const quint32 id = U32(data, at);
        if (IsFrameId(id) && fits(at)) {
            const qint64 length = U32(data, at + 4);
            keep(QByteArray::fromRawData(data.constData() + at + 8, length), id);
            const qint64 end = std::min(size, at + 8 + length + (length & 1));  // the pad byte may be cut off
            kept += end - at;
            at = end;
            continue;
        }
        // Lists and further RIFF parts are only walked through; their sizes may never have been written.
        if ((id == FourCC("RIFF") || id == FourCC("LIST")) && at + 12 <= size) {
            at += 12;
            kept += 12;
            continue;
        }
        if ((id == FourCC("JUNK") || id == FourCC("idx1") || id == FourCC("ix00")) && fits(at)) {
            const qint64 length = U32(data, at + 4);
            const qint64 end = std::min(size, at + 8 + length + (length & 1));  // the pad byte may be cut off
            kept += end - at;
            at = end;
            continue;
        }
        // A frame whose code was damaged but whose size still leads to the next chunk: kept.
        if (!IsFrameId(id) && fits(at)) {
            const qint64 length = U32(data, at + 4);
            const qint64 end = at + 8 + length + (length & 1);
            const quint32 following = end + 8 <= size ? U32(data, end) : 0;
            if (length > 0 && (IsFrameId(following) || following == FourCC("idx1") || following == FourCC("LIST")
                               || following == FourCC("RIFF") || following == FourCC("ix00"))) {
                const QByteArray frame = QByteArray::fromRawData(data.constData() + at + 8, length);
                keep(frame, id);
                ++cutFrames;
                kept += std::min(size, end) - at;
                at = std::min(size, end);
                continue;
            }
        }
        // Damage: the frames go on at the next frame chunk that fits in the file.
        qint64 next = -1;
        for (qint64 from = at + 1; from + 8 <= size;) {
            const qsizetype dc = data.indexOf("00d", from);
            if (dc < 0)
                break;
            if (IsFrameId(U32(data, dc)) && fits(dc)) {
                next = dc;
                break;
            }
            from = dc + 1;
        }
        if (IsFrameId(id) && at + 8 < (next < 0 ? size : next)) {
            // A frame whose size runs past the end or into the next frame: what is there is
            // kept, as players show it (a cut-off picture is partly drawn, not lost).
            const QByteArray frame = QByteArray::fromRawData(data.constData() + at + 8, (next < 0 ? size : next) - at - 8);
            keep(frame, id);
            ++cutFrames;
            kept += 8 + frame.size();
        } else {
            ++damagedSpans;
        }
        if (next < 0)
            break;
        at = next;
    }
    if (!headersWritten) {
        setup.Compressed = setup.Compression != 0;
        writer.WriteHeaders(setup);
    }
    writer.Finish();
    target.Commit();
    TAviRepairResult result;
    result.FramesKept = writer.FramesWritten();
    result.BytesDropped = std::max<qint64>(0, size - (moviAt > 0 ? moviAt + 4 : 12) - kept);
    result.DamagedSpans = damagedSpans;
    result.CutFrames = cutFrames;
    result.OutputName = outputName;
    return result;
}

} // namespace velmora
