#include "core/export/avi/AviFileWriter.h"

#include "core/export/ExportError.h"

#include <algorithm>

namespace velmora {

using avi::FourCC;
using avi::TByteWriter;

namespace {

constexpr qint64 SuperIndexBytes = 24 + 16 * qint64(TAviFileWriter::SuperIndexCapacity);
constexpr qint64 DmlhBytes = 248;

// A chunk header: four characters and the payload size.
QByteArray ChunkHeader(quint32 id, quint32 size)
{
    QByteArray out;
    TByteWriter w(out);
    w.U32(id);
    w.U32(size);
    return out;
}

// A chunk with its payload and the pad byte that keeps chunks on even offsets.
void AppendChunk(TByteWriter &w, quint32 id, const QByteArray &payload)
{
    w.U32(id);
    w.U32(quint32(payload.size()));
    w.Bytes(payload);
    if (payload.size() & 1)
        w.U8(0);
}

} // namespace

TAviFileWriter::TAviFileWriter(qint64 riffLimit) : m_riffLimit(riffLimit) {}

TAviFileWriter::~TAviFileWriter()
{
    Abandon();
}

void TAviFileWriter::Fail(const QString &detail)
{
    m_failed = true;
    throw EExportError(QStringLiteral("Could not write the video file \"%1\": %2").arg(m_fileName, detail));
}

void TAviFileWriter::Create(const QString &fileName, const QString &shownName)
{
    m_fileName = shownName.isEmpty() ? fileName : shownName;
    m_file.setFileName(fileName);
    // Unbuffered: each chunk reaches the file before the next begins, so a failed write is
    // known at the frame that caused it and the file can be cut back to whole frames.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw EExportError(QStringLiteral("Could not create the video file \"%1\": %2")
                               .arg(m_fileName, m_file.errorString()));
    m_pos = 0;
}

void TAviFileWriter::Write(const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = m_file.write(data + done, size - done);
        if (n <= 0)
            Fail(m_file.errorString());
        done += n;
    }
    m_pos += size;
}

void TAviFileWriter::Patch(qint64 pos, const QByteArray &bytes)
{
    if (!m_file.seek(pos))
        Fail(m_file.errorString());
    const qint64 end = m_pos;
    Write(bytes);
    m_pos = end;
    if (!m_file.seek(end))
        Fail(m_file.errorString());
}

void TAviFileWriter::PatchU32(qint64 pos, quint32 value)
{
    QByteArray bytes;
    TByteWriter(bytes).U32(value);
    Patch(pos, bytes);
}

QByteArray TAviFileWriter::HeaderList(qint64 at)
{
    const avi::TStreamSetup &s = m_setup;
    const quint32 imageSize = quint32(avi::DibImageSize(s.Width, s.Height));

    QByteArray strl;
    TByteWriter sw(strl);
    sw.U32(FourCC("strl"));
    const qint64 strlAt = at + 12 + 64 + 8;  // after the hdrl header, avih chunk and strl LIST header
    m_strhPos = strlAt + 4 + 8;
    AppendChunk(sw, FourCC("strh"), avi::StreamHeader(s, 0, imageSize));
    AppendChunk(sw, FourCC("strf"), avi::BitmapInfoHeader(s));
    // Room for the OpenDML super index; it stays a JUNK chunk while the file has one part.
    m_indxPos = strlAt + sw.Size();
    sw.U32(FourCC("JUNK"));
    sw.U32(quint32(SuperIndexBytes));
    sw.Zeros(SuperIndexBytes);
    if (!s.Name.isEmpty())
        AppendChunk(sw, FourCC("strn"), s.Name.left(63) + '\0');

    QByteArray out;
    TByteWriter w(out);
    w.U32(FourCC("LIST"));
    w.U32(0);  // patched below
    w.U32(FourCC("hdrl"));
    m_avihPos = at + 12 + 8;
    AppendChunk(w, FourCC("avih"), avi::MainHeader(s, 0, imageSize, 0));
    w.U32(FourCC("LIST"));
    w.U32(quint32(strl.size()));
    w.Bytes(strl);
    w.U32(FourCC("LIST"));
    w.U32(quint32(4 + 8 + DmlhBytes));
    w.U32(FourCC("odml"));
    m_dmlhPos = at + w.Size() + 8;
    w.U32(FourCC("dmlh"));
    w.U32(quint32(DmlhBytes));
    w.Zeros(DmlhBytes);
    QByteArray size;
    TByteWriter(size).U32(quint32(out.size() - 8));
    out.replace(4, 4, size);
    return out;
}

void TAviFileWriter::WriteHeaders(const avi::TStreamSetup &setup)
{
    m_setup = setup;
    m_chunkId = setup.Compressed ? FourCC("00dc") : FourCC("00db");
    m_riff = TRiffState{};
    m_frames = 0;
    m_largestChunk = 0;
    m_failed = false;
    BeginRiff(FourCC("AVI "));
    m_goodEnd = m_pos;
}

void TAviFileWriter::BeginRiff(quint32 form)
{
    m_riff.RiffStart = m_pos;
    ++m_riff.Count;
    QByteArray head = ChunkHeader(FourCC("RIFF"), 0);
    TByteWriter w(head);
    w.U32(form);
    if (m_riff.Count == 1)
        w.Bytes(HeaderList(m_pos + 12));
    m_riff.MoviStart = m_pos + w.Size();
    w.U32(FourCC("LIST"));
    w.U32(0);
    w.U32(FourCC("movi"));
    Write(head);
}

void TAviFileWriter::WriteFrame(const char *data, qint64 size, bool keyFrame)
{
    if (!m_file.isOpen() || m_failed)
        throw EExportError(QStringLiteral("The video file \"%1\" is not open for writing.").arg(m_fileName));
    const qint64 chunk = 8 + size + (size & 1);
    const qint64 n = qint64(m_riff.Entries.size()) + 1;
    qint64 reserve = 32 + 8 * n;  // this part's ix00
    if (m_riff.Count == 1)
        reserve += 8 + 16 * n;    // and the idx1 of the first part
    if (!m_riff.Entries.empty() && m_pos + chunk + reserve - m_riff.RiffStart > m_riffLimit) {
        if (m_riff.Super.size() + 1 >= size_t(SuperIndexCapacity))
            throw EExportError(QStringLiteral("The video file \"%1\" is too long.").arg(m_fileName));
        const TRiffState before = m_riff;
        try {
            EndRiff(true);
            BeginRiff(FourCC("AVIX"));
        } catch (...) {
            m_riff = before;
            throw;
        }
        m_goodEnd = m_pos;
    }
    const qint64 chunkPos = m_pos;
    Write(ChunkHeader(m_chunkId, quint32(size)));
    Write(data, size);
    if (size & 1)
        Write("", 1);
    m_riff.Entries.push_back({chunkPos, quint32(size), keyFrame});
    m_largestChunk = std::max(m_largestChunk, quint32(size));
    ++m_frames;
    m_goodEnd = m_pos;
}

void TAviFileWriter::WriteStandardIndex()
{
    const std::vector<TIndexEntry> &entries = m_riff.Entries;
    QByteArray payload;
    TByteWriter w(payload);
    w.U16(2);  // longs per entry
    w.U8(0);
    w.U8(1);   // index of chunks
    w.U32(quint32(entries.size()));
    w.U32(m_chunkId);
    w.U64(quint64(m_riff.RiffStart));
    w.U32(0);
    for (const TIndexEntry &e : entries) {
        w.U32(quint32(e.ChunkPos + 8 - m_riff.RiffStart));  // offsets point at the data
        w.U32(e.Size | (e.Key ? 0u : 0x80000000u));
    }
    const qint64 at = m_pos;
    QByteArray chunk;
    TByteWriter cw(chunk);
    AppendChunk(cw, FourCC("ix00"), payload);
    Write(chunk);
    m_riff.Super.push_back({at, quint32(chunk.size()), quint32(entries.size())});
}

void TAviFileWriter::WriteLegacyIndex()
{
    QByteArray payload;
    TByteWriter w(payload);
    const qint64 base = m_riff.MoviStart + 8;  // offsets count from the "movi" code
    for (const TIndexEntry &e : m_riff.Entries) {
        w.U32(m_chunkId);
        w.U32(e.Key ? avi::AviIndexKeyFrame : 0);
        w.U32(quint32(e.ChunkPos - base));
        w.U32(e.Size);
    }
    QByteArray chunk;
    TByteWriter cw(chunk);
    AppendChunk(cw, FourCC("idx1"), payload);
    Write(chunk);
}

void TAviFileWriter::EndRiff(bool withStandardIndex)
{
    if (withStandardIndex)
        WriteStandardIndex();
    PatchU32(m_riff.MoviStart + 4, quint32(m_pos - m_riff.MoviStart - 8));
    if (m_riff.Count == 1) {
        WriteLegacyIndex();
        m_riff.FirstRiffFrames = int(m_riff.Entries.size());
    }
    PatchU32(m_riff.RiffStart + 4, quint32(m_pos - m_riff.RiffStart - 8));
    m_riff.Entries.clear();
}

QByteArray TAviFileWriter::SuperIndex() const
{
    QByteArray out = ChunkHeader(FourCC("indx"), quint32(SuperIndexBytes));
    TByteWriter w(out);
    w.U16(4);  // longs per entry
    w.U8(0);
    w.U8(0);   // index of indexes
    w.U32(quint32(m_riff.Super.size()));
    w.U32(m_chunkId);
    w.Zeros(12);
    for (const TSuperEntry &e : m_riff.Super) {
        w.U64(quint64(e.Offset));
        w.U32(e.Size);
        w.U32(e.Duration);
    }
    w.Zeros(16 * (SuperIndexCapacity - qint64(m_riff.Super.size())));
    return out;
}

void TAviFileWriter::Complete()
{
    const bool parts = m_riff.Count > 1;
    EndRiff(parts);
    const quint32 imageSize = quint32(avi::DibImageSize(m_setup.Width, m_setup.Height));
    const quint32 suggested = std::max(imageSize, m_largestChunk);
    const quint32 maxBytesPerSecond = m_largestChunk * quint32(std::max(m_setup.Rate, 0));
    Patch(m_avihPos, avi::MainHeader(m_setup, quint32(m_riff.FirstRiffFrames), suggested, maxBytesPerSecond));
    Patch(m_strhPos, avi::StreamHeader(m_setup, quint32(m_frames), suggested));
    PatchU32(m_dmlhPos, quint32(m_frames));
    if (parts)
        Patch(m_indxPos, SuperIndex());
}

void TAviFileWriter::CutTo(qint64 end)
{
    if (!m_file.resize(end) || !m_file.seek(end))
        Fail(m_file.errorString());
    m_pos = end;
    m_failed = false;
}

void TAviFileWriter::Finish()
{
    if (!m_file.isOpen())
        return;
    try {
        if (m_failed)
            CutTo(m_goodEnd);  // drop the chunk that failed; the file ends with a whole frame
        // On a full disk the index may not fit: give up frames from the end until it does.
        for (;;) {
            const TRiffState before = m_riff;
            try {
                Complete();
                break;
            } catch (const EExportError &) {
                m_riff = before;
                if (m_riff.Entries.empty())
                    throw;
                const qint64 cut = m_riff.Entries.back().ChunkPos;
                m_riff.Entries.pop_back();
                --m_frames;
                CutTo(cut);
            }
        }
    } catch (...) {
        m_file.close();
        throw;
    }
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        throw EExportError(QStringLiteral("Could not write the video file \"%1\": %2").arg(m_fileName, m_file.errorString()));
}

void TAviFileWriter::Abandon()
{
    if (m_file.isOpen())
        m_file.close();
}

} // namespace velmora
