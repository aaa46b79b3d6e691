#include "core/export/AviRepair.h"

#include "core/export/AviFileWriter.h"
#include "core/export/CodecCatalog.h"
#include "core/export/ExportError.h"
#include "core/export/OutputTarget.h"

#include <QFile>
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

bool IsFourCC(quint32 code)
{
    for (int i = 0; i < 4; ++i) {
        const quint8 c = quint8(code >> (8 * i));
        if (c < 0x20 || c > 0x7e)
            return false;
    }
    return true;
}

// Reads the file front to back; every read either delivers all it was asked for or says no.
class TReader
{
public:
    TReader(const QString &fileName, const QString &shownName) : m_file(fileName), m_shownName(shownName)
    {
        if (!m_file.open(QIODevice::ReadOnly))
            throw EExportError(QStringLiteral("Could not open \"%1\": %2").arg(shownName, m_file.errorString()));
        m_size = m_file.size();
    }
    qint64 Size() const { return m_size; }
    qint64 Pos() const { return m_file.pos(); }
    bool Read(qint64 count, QByteArray &out)
    {
        if (count < 0 || m_file.pos() + count > m_size)
            return false;
        out = m_file.read(count);
        if (out.size() != count)
            throw EExportError(QStringLiteral("Could not read \"%1\": %2").arg(m_shownName, m_file.errorString()));
        return true;
    }
    bool Skip(qint64 count) { return count >= 0 && m_file.pos() + count <= m_size && m_file.seek(m_file.pos() + count); }

private:
    QFile m_file;
    QString m_shownName;
    qint64 m_size = 0;
};

// The sub-chunks of a list payload, by code (first of each).
QByteArray SubChunk(const QByteArray &list, qint64 from, quint32 id, qint64 *listStart = nullptr)
{
    for (qint64 at = from; at + 8 <= list.size();) {
        const quint32 code = U32(list, at);
        const qint64 size = U32(list, at + 4);
        if (code == id) {
            if (listStart)
                *listStart = at + 8;
            return list.mid(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

// The stream setup as the headers describe it.
avi::TStreamSetup SetupFromHeaders(const QByteArray &hdrl, const QString &shownName)
{
    qint64 strlAt = -1;
    for (qint64 at = 4; at + 12 <= hdrl.size();) {
        const qint64 size = U32(hdrl, at + 4);
        if (U32(hdrl, at) == FourCC("LIST") && U32(hdrl, at + 8) == FourCC("strl")) {
            strlAt = at + 12;
            break;
        }
        at += 8 + size + (size & 1);
    }
    const QByteArray strh = strlAt < 0 ? QByteArray() : SubChunk(hdrl, strlAt, FourCC("strh"));
    const QByteArray strf = strlAt < 0 ? QByteArray() : SubChunk(hdrl, strlAt, FourCC("strf"));
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
    QByteArray name = SubChunk(hdrl, strlAt, FourCC("strn"));
    if (name.endsWith('\0'))
        name.chop(1);
    setup.Name = name;
    if (setup.Width <= 0 || setup.Height <= 0 || setup.Rate <= 0)
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
        const TCodecInfo *codec = FindCodecByHandler(code);
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

// Reads the RIFF header and the header list, leaving in at the first chunk after them.
avi::TStreamSetup ReadSetup(TReader &in, const QString &fileName)
{
    QByteArray bytes;
    if (!in.Read(12, bytes) || U32(bytes, 0) != FourCC("RIFF") || U32(bytes, 8) != FourCC("AVI "))
        throw EExportError(QStringLiteral("\"%1\" is not an AVI video file.").arg(fileName));
    // The header list comes first and is written whole before any frame.
    QByteArray head;
    if (!in.Read(12, head) || U32(head, 0) != FourCC("LIST") || U32(head, 8) != FourCC("hdrl")
        || U32(head, 4) > MaxHeaderListBytes)
        throw EExportError(QStringLiteral("\"%1\" has no video stream header to rebuild from.").arg(fileName));
    QByteArray hdrl;
    if (!in.Read(U32(head, 4) - 4, hdrl))
        throw EExportError(QStringLiteral("\"%1\" has no video stream header to rebuild from.").arg(fileName));
    hdrl.prepend(head.mid(8, 4));
    avi::TStreamSetup setup = SetupFromHeaders(hdrl, fileName);
    if (U32(head, 4) & 1)
        in.Skip(1);
    return setup;
}

} // namespace

avi::TStreamSetup ReadAviStreamSetup(const QString &fileName)
{
    TReader in(fileName, fileName);
    avi::TStreamSetup setup = ReadSetup(in, fileName);
    setup.Compressed = setup.Compression != 0;
    return setup;
}

TAviRepairResult RepairAvi(const QString &fileName)
{
    TReader in(fileName, fileName);
    avi::TStreamSetup setup = ReadSetup(in, fileName);

    TOutputTarget target(fileName);
    TAviFileWriter writer;
    writer.Create(target.WritePath(), fileName);
    TKeyFrameJudge judge(setup.Handler);
    bool headersWritten = false;
    qint64 goodEnd = in.Pos();
    QByteArray chunk;
    for (;;) {
        if (!in.Read(8, chunk))
            break;
        const quint32 id = U32(chunk, 0);
        const qint64 size = U32(chunk, 4);
        if (!IsFourCC(id))
            break;
        // Lists and further RIFF parts are only walked through; their sizes may never have been written.
        if (id == FourCC("RIFF") || id == FourCC("LIST")) {
            if (!in.Skip(4))
                break;
            goodEnd = in.Pos();
            continue;
        }
        const bool frame = (id & 0xffff0000u) == (FourCC("00dc") & 0xffff0000u)
            || (id & 0xffff0000u) == (FourCC("00db") & 0xffff0000u);
        if (!frame) {
            if (!in.Skip(size + (size & 1)))
                break;
            goodEnd = in.Pos();
            continue;
        }
        QByteArray data;
        if (!in.Read(size, data))
            break;
        if (!headersWritten) {
            setup.Compressed = (id & 0xffff0000u) == (FourCC("00dc") & 0xffff0000u);
            writer.WriteHeaders(setup);
            headersWritten = true;
        }
        writer.WriteFrame(data.constData(), data.size(), judge.IsKey(data));
        if (size & 1)
            in.Skip(1);
        goodEnd = in.Pos();
    }
    if (!headersWritten) {
        setup.Compressed = setup.Compression != 0;
        writer.WriteHeaders(setup);
    }
    writer.Finish();
    target.Commit();
    return {writer.FramesWritten(), in.Size() - goodEnd};
}

} // namespace velmora
