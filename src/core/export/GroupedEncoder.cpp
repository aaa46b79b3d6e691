#include "core/export/GroupedEncoder.h"

#include <algorithm>
#include <cstdint>

namespace velmora {

TGroupedEncoder::TGroupedEncoder(const TCodecInfo &codec, const TEncoderSettings &settings, int groupSize,
                                 int threads)
    : m_codec(codec), m_settings(settings), m_groupSize(std::max(groupSize, 1)), m_threads(std::max(threads, 1))
{
    m_settings.Threads = 1;
    m_firstEncoder = CreateEncoder(codec, m_settings);
    m_firstEncoder->DescribeStream(m_described);
}

TGroupedEncoder::~TGroupedEncoder()
{
    // Let running groups end before their frames go away.
    for (std::future<TPacketList> &job : m_running)
        if (job.valid())
            job.wait();
}

void TGroupedEncoder::Encode(const QImage &frame, TPacketList &out)
{
    m_group.push_back(frame);
    if (int(m_group.size()) >= m_groupSize) {
        // At most one running group per thread; that also bounds the frames held.
        Collect(out, size_t(m_threads - 1));
        Launch();
    }
    Collect(out, SIZE_MAX);
}

void TGroupedEncoder::Flush(TPacketList &out)
{
    if (!m_group.empty())
        Launch();
    Collect(out, 0);
}

void TGroupedEncoder::Launch()
{
    std::unique_ptr<IVideoEncoder> encoder = std::move(m_firstEncoder);
    std::vector<QImage> frames = std::move(m_group);
    m_group.clear();
    m_running.push_back(std::async(std::launch::async,
        [codec = &m_codec, settings = m_settings, encoder = std::move(encoder), frames = std::move(frames)]() mutable {
            if (!encoder)
                encoder = CreateEncoder(*codec, settings);  // a fresh instance starts with a key frame
            TPacketList packets;
            for (const QImage &frame : frames)
                encoder->Encode(frame, packets);
            encoder->Flush(packets);
            return packets;
        }));
}

void TGroupedEncoder::Collect(TPacketList &out, size_t keepRunning)
{
    while (!m_running.empty()) {
        const bool ready = m_running.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        if (!ready && m_running.size() <= keepRunning)
            return;
        std::future<TPacketList> job = std::move(m_running.front());
        m_running.pop_front();
        TPacketList packets = job.get();  // rethrows the group's error
        for (TEncodedPacket &packet : packets)
            out.push_back(std::move(packet));
    }
}

void TGroupedEncoder::DescribeStream(avi::TStreamSetup &setup) const
{
    setup.Compressed = m_described.Compressed;
    setup.Compression = m_described.Compression;
    setup.BitCount = m_described.BitCount;
    setup.ExtraData = m_described.ExtraData;
}

} // namespace velmora
