#pragma once

#include "core/export/encode/BoundedQueue.h"
#include "core/export/sinks/MediaFrameSink.h"

#include <QStringList>
#include <mutex>
#include <sys/types.h>
#include <set>
#include <thread>
#include <vector>

namespace velmora {

// The pattern of a sequence's file names: the name itself when it holds one %d (or %0Nd),
// otherwise name_%06d.ext. Throws EExportError for more than one field, a field wider than
// 9 digits, or a field in a folder's name.
QString SequencePattern(const QString &fileName);
// The file name of one frame number under a pattern from SequencePattern.
QString SequenceFileName(const QString &pattern, int number);
// The files already on disk named as frames first to first + count - 1 of pattern (count
// below 0: every frame from first on), in name order.
QStringList SequenceFramesOnDisk(const QString &pattern, int first, int count);

// One numbered image file per frame, written on several threads; PNG and TIFF through Qt,
// DPX and OpenEXR through libavcodec's image encoders.
class TSequenceFrameSink final : public IFrameSink
{
public:
    explicit TSequenceFrameSink(const TFormatChoice &choice);
    ~TSequenceFrameSink() override;

    bool Open(const TSinkSettings &settings) override;
    void Write(const QImage &frame) override;
    void RequestStop() override;
    void Close() override;
    void CloseAfterFailure() override;
    int FramesWritten() const override { return m_framesWritten; }
    bool TakesDeepFrames() const override { return m_choice.Profile->DeepFrames(); }

    // The pattern in use since Open.
    const QString &Pattern() const { return m_pattern; }
    // What Open did beyond creating files (frames of an earlier sequence removed); empty if nothing.
    const QString &Notice() const { return m_notice; }

private:
    struct TJob
    {
        int Index = 0;
        QImage Frame;
    };

    struct TFileIdentity
    {
        dev_t Device = 0;
        ino_t Inode = 0;
    };

    void ClearEarlierSequence();
    void RefuseInput(const QString &frameName) const;
    void Fail(int index, const QString &message);
    void Work();
    void WriteImage(const TJob &job, std::unique_ptr<TLibavEncoder> &encoder);
    void Join();
    QString Failure() const;

    TFormatChoice m_choice;
    std::unique_ptr<TColourMapping> m_mapping;  // for images Qt writes in another signal than BT.709
    TSinkSettings m_settings;
    QString m_pattern;
    QString m_notice;
    std::vector<TFileIdentity> m_inputs;
    TBoundedQueue<TJob> m_queue{4};
    std::vector<std::thread> m_workers;
    mutable std::mutex m_mutex;
    std::set<int> m_done;           // indexes of whole files
    int m_failedIndex = -1;         // lowest index that failed
    QString m_failure;
    std::atomic<bool> m_stop{false};
    int m_nextIndex = 0;
    int m_framesWritten = 0;
    bool m_open = false;
};

} // namespace velmora
