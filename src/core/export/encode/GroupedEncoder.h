#pragma once

#include "core/export/encode/VideoEncoder.h"

#include <atomic>
#include <deque>
#include <future>

namespace velmora {

// Spreads an encoder that uses one core over several: the frames are cut into groups of the
// key frame interval, each group is encoded from a key frame by its own encoder instance on
// its own thread, and the packets come out in frame order.
class TGroupedEncoder final : public IVideoEncoder
{
public:
    // Opens the first instance at once, so settings errors show here. Throws EExportError.
    TGroupedEncoder(const TFormatCodec &codec, const TEncoderSettings &settings, int groupSize, int threads);
    ~TGroupedEncoder() override;

    void Encode(const QImage &frame, TPacketList &out) override;
    void Flush(TPacketList &out) override;
    void DescribeStream(avi::TStreamSetup &setup) const override;
    bool TakesRgb32() const override { return m_takesRgb32; }
    // Running groups end after their current frame; groups not started are dropped.
    void RequestStop() override { m_stop.store(true); }

private:
    // What one group gave: all of its frames, or a beginning of them after a stop.
    struct TGroupResult
    {
        TPacketList Packets;
        bool Complete = true;
    };

    void Launch();
    void Collect(TPacketList &out, size_t keepRunning);

    const TFormatCodec &m_codec;
    TEncoderSettings m_settings;
    int m_groupSize;
    int m_threads;
    avi::TStreamSetup m_described;
    std::unique_ptr<IVideoEncoder> m_firstEncoder;
    std::vector<QImage> m_group;
    std::deque<std::future<TGroupResult>> m_running;
    std::atomic<bool> m_stop{false};
    bool m_takesRgb32 = false;
    bool m_gap = false;  // a group ended early: nothing after it may follow in the file
};

} // namespace velmora
