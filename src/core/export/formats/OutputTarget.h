#pragma once

#include <QString>

namespace velmora {

// A file being written: the new content goes to a temporary file beside the target and
// replaces the target only when it is complete, so a failed or aborted write leaves the
// previous file as it was. A target that is not a regular file (a device, a FIFO) is
// written in place and never removed or replaced.
//
// Failures throw EExportError with a message naming the file and the system's reason.
class TOutputTarget
{
public:
    // Prepares to write fileName: refuses a folder, creates the temporary file.
    explicit TOutputTarget(const QString &fileName);
    // Removes the temporary file unless it was committed or kept.
    ~TOutputTarget();
    TOutputTarget(const TOutputTarget &) = delete;
    TOutputTarget &operator=(const TOutputTarget &) = delete;

    // The file the writer creates: a new temporary file in the target's folder, or the
    // target itself when that is a device or a FIFO.
    const QString &WritePath() const { return m_writePath; }
    // The name the content ends up under, as given.
    const QString &FileName() const { return m_fileName; }
    // True when the target is written in place (a device, a FIFO).
    bool InPlace() const { return m_inPlace; }
    // True when the target is a FIFO or a socket: only writers that never seek can use it.
    bool IsPipe() const { return m_pipe; }
    // True when a regular file stood at the target when writing began.
    bool ReplacesFile() const { return m_replacesFile; }

    // Refuses (throws, before anything is written) an output that is the same file as
    // inputFile, whatever names lead to them. A missing file is never the same.
    static void RefuseInput(const QString &outputFile, const QString &inputFile);

    // The content is complete: it replaces the target. Safe to call once; later calls do nothing.
    void Commit();
    // The content is whatever was written before a cancel or an interruption: it still
    // replaces the target, since a partial video is what the user asked to keep.
    void KeepPartial();
    // After a failed run whose writer still closed the file: keeps the frames written when that
    // loses nothing (no earlier file stood at the target, or the target is written in place,
    // where there is nothing to keep or give up); otherwise the previous file stays as it was.
    // Returns whether the content was kept.
    bool KeepAfterFailure(int framesWritten);
    // Gives the content up: the temporary file goes, the target stays as it was.
    void Discard();

private:
    void Replace();

    QString m_fileName;
    QString m_finalPath;   // where the rename goes: the target, or the file its symbolic link names
    QString m_writePath;
    bool m_inPlace = false;
    bool m_replacesFile = false;
    bool m_pipe = false;
    bool m_done = false;
};

} // namespace velmora
