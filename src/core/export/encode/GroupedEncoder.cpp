#include "core/export/encode/GroupedEncoder.h"

#include <algorithm>
#include <cstdint>

namespace velmora {

TGroupedEncoder::TGroupedEncoder(const TFormatCodec &codec, const TEncoderSettings &settings, int groupSize,
                                 int threads)
    : m_codec(codec), m_settings(settings), m_groupSize(std::max(groupSize, 1)), m_threads(std::max(threads, 1))
{
    m_settings.Threads = 1;
    m_firstEncoder = CreateEncoder(codec, m_settings);
    m_firstEncoder->DescribeStream(m_described);
    m_takesRgb32 = m_firstEncoder->TakesRgb32();
}

TGroupedEncoder::~TGroupedEncoder()
{
    // Let running groups end before their frames go away; nobody wants their packets now.
    m_stop.store(true);
    for (std::future<TGroupResult> &job : m_running)
        if (job.valid())
            job.wait();
}

void TGroupedEncoder::Encode(const QImage &frame, TPacketList &out)
{
    if (m_stop.load()) {
        Collect(out, 0);
        return;
    }
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
    if (!m_group.empty() && !m_stop.load())
        Launch();
    m_group.clear();
    Collect(out, 0);
}

void TGroupedEncoder::Launch()
{
    std::unique_ptr<IVideoEncoder> encoder = std::move(m_firstEncoder);
    std::vector<QImage> frames = std::move(m_group);
    m_group.clear();
    m_running.push_back(std::async(std::launch::async,
        [codec = &m_codec, settings = m_settings, encoder = std::move(encoder), frames = std::move(frames),
         stop = &m_stop]() mutable {
            if (!encoder)
                encoder = CreateEncoder(*codec, settings);  // a fresh instance starts with a key frame
            TGroupResult result;
            for (const QImage &frame : frames) {
                // A stop ends the group after the frame in hand; what came before is whole.
                if (stop->load()) {
                    result.Complete = false;
                    break;
                }
                encoder->Encode(frame, result.Packets);
            }
            encoder->Flush(result.Packets);
            return result;
        }));
}

void TGroupedEncoder::Collect(TPacketList &out, size_t keepRunning)
{
    while (!m_running.empty()) {
        const bool ready = m_running.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        if (!ready && m_running.size() <= keepRunning)
            return;
        std::future<TGroupResult> job = std::move(m_running.front());
        m_running.pop_front();
        TGroupResult group = job.get();  // rethrows the group's error
        if (m_gap)
            continue;  // frames after a missing stretch would play at the wrong time
        for (TEncodedPacket &packet : group.Packets)
            out.push_back(std::move(packet));
        m_gap = !group.Complete;
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
