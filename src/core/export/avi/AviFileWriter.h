#pragma once

#include "core/export/encode/AviLayout.h"

#include <QFile>
#include <QString>
#include <vector>

namespace velmora {

// Writes one video stream into an AVI file: RIFF "AVI " with its headers, the frame chunks
// and the index; past the RIFF size limit it continues in "AVIX" parts with OpenDML indexes.
// A failed frame write rolls the file back to the last whole frame, so Finish still leaves a
// playable file of the frames written before it.
class TAviFileWriter
{
public:
    static constexpr qint64 DefaultRiffLimit = qint64(1) << 30;
    static constexpr int SuperIndexCapacity = 2048;  // parts of up to 1 GiB each

    explicit TAviFileWriter(qint64 riffLimit = DefaultRiffLimit);
    ~TAviFileWriter();
    TAviFileWriter(const TAviFileWriter &) = delete;
    TAviFileWriter &operator=(const TAviFileWriter &) = delete;

    // Creates (truncates) the file; messages name shownName (the file the user chose) when
    // the file is a temporary stand-in. Throws EExportError.
    void Create(const QString &fileName, const QString &shownName = {});
    // Writes the headers with placeholder counts and opens the frame list. Throws EExportError.
    void WriteHeaders(const avi::TStreamSetup &setup);
    // Appends one frame chunk. Throws EExportError; the frame is then not part of the file.
    void WriteFrame(const char *data, qint64 size, bool keyFrame);
    // Writes the indexes and the final counts and closes the file; when the disk is too full
    // for the index, frames are given up from the end. Throws EExportError.
    void Finish();
    // Closes the file as it is (used before deleting it).
    void Abandon();

    bool IsOpen() const { return m_file.isOpen(); }
    int FramesWritten() const { return m_frames; }
    int RiffCount() const { return m_riff.Count; }
    const QString &FileName() const { return m_fileName; }

private:
    struct TIndexEntry
    {
        qint64 ChunkPos;
        quint32 Size;
        bool Key;
    };
    struct TSuperEntry
    {
        qint64 Offset;
        quint32 Size;
        quint32 Duration;
    };
    // Everything a RIFF switch changes, so a failed switch can be undone.
    struct TRiffState
    {
        int Count = 0;
        qint64 RiffStart = 0;
        qint64 MoviStart = 0;
        int FirstRiffFrames = 0;
        std::vector<TIndexEntry> Entries;
        std::vector<TSuperEntry> Super;
    };

    void Write(const char *data, qint64 size);
    void Write(const QByteArray &bytes) { Write(bytes.constData(), bytes.size()); }
    void Patch(qint64 pos, const QByteArray &bytes);
    void PatchU32(qint64 pos, quint32 value);
    void BeginRiff(quint32 form);
    void EndRiff(bool withStandardIndex);
    void Complete();
    void CutTo(qint64 end);
    void WriteStandardIndex();
    void WriteLegacyIndex();
    QByteArray HeaderList(qint64 at);
    QByteArray SuperIndex() const;
    [[noreturn]] void Fail(const QString &detail);

    qint64 m_riffLimit;
    QFile m_file;
    QString m_fileName;
    avi::TStreamSetup m_setup;
    quint32 m_chunkId = 0;
    qint64 m_pos = 0;
    qint64 m_goodEnd = 0;     // end of the last whole frame chunk
    bool m_failed = false;
    qint64 m_avihPos = 0;     // payload positions patched at Finish
    qint64 m_strhPos = 0;
    qint64 m_indxPos = 0;     // chunk header of the reserved super index
    qint64 m_dmlhPos = 0;
    TRiffState m_riff;
    int m_frames = 0;
    quint32 m_largestChunk = 0;
};

} // namespace velmora
