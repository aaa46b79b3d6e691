#include "core/export/run/JoinVideos.h"

#include "core/export/avi/AviFileWriter.h"
#include "core/export/avi/AviRepair.h"
#include "core/export/ExportError.h"
#include "core/export/encode/LibavSupport.h"
#include "core/export/formats/OutputTarget.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/timecode.h>
}

namespace velmora {

namespace {

struct TInputCloser { void operator()(AVFormatContext *c) const { avformat_close_input(&c); } };
using TInputPtr = std::unique_ptr<AVFormatContext, TInputCloser>;

struct TOutputCloser
{
    void operator()(AVFormatContext *c) const
    {
        avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
using TOutputPtr = std::unique_ptr<AVFormatContext, TOutputCloser>;

TInputPtr OpenPart(const QString &part, int &videoStream)
{
    const QByteArray path = QFile::encodeName(part);
    AVFormatContext *raw = nullptr;
    CheckAv(avformat_open_input(&raw, path.constData(), nullptr, nullptr), QStringLiteral("Could not open \"%1\"").arg(part));
    TInputPtr input(raw);
    CheckAv(avformat_find_stream_info(raw, nullptr), QStringLiteral("Could not read \"%1\"").arg(part));
    videoStream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoStream < 0)
        throw EExportError(QStringLiteral("\"%1\" holds no video.").arg(part));
    return input;
}

// Slices of one roll share codec, its set-up, size, pixels and rate; anything else would play
// as a broken file.
void CheckMatches(const AVStream &first, const AVStream &other, const QString &part)
{
    const AVCodecParameters &a = *first.codecpar;
    const AVCodecParameters &b = *other.codecpar;
    if (a.codec_id != b.codec_id || a.width != b.width || a.height != b.height || a.format != b.format || a.profile != b.profile)
        throw EExportError(QStringLiteral("\"%1\" is not a slice of the same video as the first part: its codec, size "
                                          "or pixels differ.").arg(part));
    if (av_cmp_q(first.avg_frame_rate, other.avg_frame_rate) != 0)
        throw EExportError(QStringLiteral("\"%1\" is not a slice of the same video as the first part: its frame rate differs.")
                               .arg(part));
    // Different parameter sets (H.264's SPS and PPS) decode the joined frames wrongly.
    if (a.extradata_size != b.extradata_size
        || (a.extradata_size > 0 && std::memcmp(a.extradata, b.extradata, std::size_t(a.extradata_size)) != 0))
        throw EExportError(QStringLiteral("\"%1\" is not a slice of the same video as the first part: its codec "
                                          "settings differ.").arg(part));
}

// The frames a part's headers promise; -1 when they do not say (a Matroska file written live).
int64_t FramesPromised(const AVFormatContext &input, const AVStream &stream)
{
    if (stream.nb_frames > 0)
        return stream.nb_frames;
    const AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return -1;
    if (stream.duration > 0 && stream.duration != AV_NOPTS_VALUE)
        return av_rescale_q_rnd(stream.duration, stream.time_base, av_inv_q(rate), AV_ROUND_NEAR_INF);
    if (input.duration > 0)
        return av_rescale_q_rnd(input.duration, AV_TIME_BASE_Q, av_inv_q(rate), AV_ROUND_NEAR_INF);
    return -1;
}

// A part cut short (a copy or an upload that stopped) would join into a roll missing frames.
void CheckWhole(const AVFormatContext &input, const AVStream &stream, int64_t frames, const QString &part)
{
    const int64_t promised = FramesPromised(input, stream);
    if (promised > 0 && frames < promised)
        throw EExportError(QStringLiteral("\"%1\" ends early: it holds %2 of the %3 frames its headers give; "
                                          "render that slice again.").arg(part).arg(frames).arg(promised));
}

// The frame a part's timecode puts its first frame at; -1 without a timecode.
int64_t TimecodeFrame(const AVFormatContext &input, const AVStream &stream)
{
    const AVDictionaryEntry *entry = av_dict_get(stream.metadata, "timecode", nullptr, 0);
    if (entry == nullptr)
        entry = av_dict_get(input.metadata, "timecode", nullptr, 0);
    const AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
    AVTimecode timecode{};
    if (entry == nullptr || rate.num <= 0
        || av_timecode_init_from_string(&timecode, rate, entry->value, nullptr) < 0)
        return -1;
    return timecode.start;
}

bool IsAvi(const QString &file)
{
    return QFileInfo(file).suffix().compare(QLatin1String("avi"), Qt::CaseInsensitive) == 0;
}

bool SameStream(const avi::TStreamSetup &a, const avi::TStreamSetup &b)
{
    return a.Width == b.Width && a.Height == b.Height && a.Rate == b.Rate && a.Handler == b.Handler
        && a.Compression == b.Compression && a.BitCount == b.BitCount && a.ExtraData == b.ExtraData;
}

// AVI parts go through our own writer, so the joined file has the headers and indexes every
// AVI file of ours has; libavformat only reads the frame chunks and their key flags.
int JoinAvi(const QStringList &parts, const QString &output)
{
    const avi::TStreamSetup setup = ReadAviStreamSetup(parts.front());
    for (const QString &part : parts)
        if (!SameStream(setup, ReadAviStreamSetup(part)))
            throw EExportError(QStringLiteral("\"%1\" is not a slice of the same video as the first part: its codec, "
                                              "size or rate differ.").arg(part));
    TOutputTarget target(output);
    TAviFileWriter writer;
    writer.Create(target.WritePath(), output);
    writer.WriteHeaders(setup);
    TPacketPtr packet(av_packet_alloc());
    if (!packet)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not join into \"%1\"").arg(output));
    for (const QString &part : parts) {
        int video = -1;
        const TInputPtr input = OpenPart(part, video);
        int64_t frames = 0;
        while (true) {
            const int read = av_read_frame(input.get(), packet.get());
            if (read == AVERROR_EOF)
                break;
            CheckAv(read, QStringLiteral("Could not read \"%1\"").arg(part));
            if (packet->stream_index == video)
            {
                writer.WriteFrame(reinterpret_cast<const char *>(packet->data), packet->size,
                                  (packet->flags & AV_PKT_FLAG_KEY) != 0);
                ++frames;
            }
            av_packet_unref(packet.get());
        }
        CheckWhole(*input, *input->streams[video], frames, part);
    }
    writer.Finish();
    target.Commit();
    return writer.FramesWritten();
}

// Where a part's first frame shows (in its own time base), how many frames its decoding runs
// ahead of showing (the B-frame delay an H.264 encoder opens with), and whether it keeps decode
// times at all (Matroska does not).
struct TPartTiming
{
    int64_t Start = 0;
    int64_t Delay = 0;
    bool DecodeTimes = true;
};

TPartTiming ReadPartTiming(const QString &part, AVRational frameTime)
{
    int video = -1;
    const TInputPtr input = OpenPart(part, video);
    const AVStream *in = input->streams[video];
    TPacketPtr packet(av_packet_alloc());
    if (!packet)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not read \"%1\"").arg(part));
    while (true) {
        const int read = av_read_frame(input.get(), packet.get());
        if (read == AVERROR_EOF)
            return {};
        CheckAv(read, QStringLiteral("Could not read \"%1\"").arg(part));
        if (packet->stream_index == video)
            break;
        av_packet_unref(packet.get());
    }
    TPartTiming timing;
    // An edit list shows the first frame at the stream's start, whatever the first packet's time.
    if (in->start_time != AV_NOPTS_VALUE)
        timing.Start = in->start_time;
    else
        timing.Start = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (packet->dts != AV_NOPTS_VALUE)
        timing.Delay = std::max<int64_t>(0, av_rescale_q_rnd(timing.Start - packet->dts, in->time_base, frameTime,
                                                             AV_ROUND_NEAR_INF));
    else
        timing.DecodeTimes = false;
    return timing;
}

int JoinMuxed(const QStringList &parts, const QString &output)
{
    int firstVideo = -1;
    TInputPtr first = OpenPart(parts.front(), firstVideo);
    const AVStream *firstStream = first->streams[firstVideo];

    TOutputTarget target(output);
    const QByteArray path = QFile::encodeName(target.WritePath());
    const QByteArray name = QFile::encodeName(output);
    const AVOutputFormat *muxer = av_guess_format(nullptr, name.constData(), nullptr);
    if (!muxer)
        throw EExportError(QStringLiteral("\"%1\": the extension names no video format Velmora writes.").arg(output));
    AVFormatContext *raw = nullptr;
    CheckAv(avformat_alloc_output_context2(&raw, muxer, nullptr, path.constData()),
            QStringLiteral("Could not set up the file \"%1\"").arg(output));
    TOutputPtr out(raw);
    AVStream *stream = avformat_new_stream(raw, nullptr);
    if (!stream)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not set up the file \"%1\"").arg(output));
    CheckAv(avcodec_parameters_copy(stream->codecpar, firstStream->codecpar),
            QStringLiteral("Could not set up the file \"%1\"").arg(output));
    stream->codecpar->codec_tag = 0;  // the muxer picks its own tag for the codec
    stream->time_base = firstStream->time_base;
    stream->avg_frame_rate = firstStream->avg_frame_rate;
    stream->r_frame_rate = firstStream->r_frame_rate;
    // The timecode of the first frame is the first part's.
    for (const AVDictionary *from : {static_cast<const AVDictionary *>(first->metadata), static_cast<const AVDictionary *>(firstStream->metadata)})
        if (const AVDictionaryEntry *timecode = av_dict_get(from, "timecode", nullptr, 0))
            av_dict_set(&raw->metadata, "timecode", timecode->value, 0);
    CheckAv(avio_open(&raw->pb, path.constData(), AVIO_FLAG_WRITE), QStringLiteral("Could not create the file \"%1\"").arg(output));
    CheckAv(avformat_write_header(raw, nullptr), QStringLiteral("Could not write the file \"%1\"").arg(output));

    TPacketPtr packet(av_packet_alloc());
    if (!packet)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not join into \"%1\"").arg(output));
    const AVRational rate = firstStream->avg_frame_rate.num > 0 ? firstStream->avg_frame_rate : AVRational{25, 1};
    const AVRational frameTime = av_inv_q(rate);
    const int64_t frameDuration = av_rescale_q(1, frameTime, stream->time_base);
    // Each frame shows at its place in the whole roll, timed as a single render times it: by its
    // number, not by adding up the parts' rounded durations. Decoding runs ahead by the largest
    // delay of any part throughout, so decode times keep rising across every seam, and a part
    // with less delay of its own starts decoding that much earlier.
    std::vector<TPartTiming> timings;
    timings.reserve(std::size_t(parts.size()));
    int64_t delay = 0;
    for (const QString &part : parts) {
        timings.push_back(ReadPartTiming(part, frameTime));
        delay = std::max(delay, timings.back().Delay);
    }
    int64_t lastDts = AV_NOPTS_VALUE;
    int frames = 0;
    int64_t nextTimecode = -1;  // the frame the next part's timecode should give
    for (int i = 0; i < parts.size(); ++i) {
        int video = -1;
        TInputPtr input = i == 0 ? std::move(first) : OpenPart(parts[i], video);
        if (i == 0)
            video = firstVideo;
        const AVStream *in = input->streams[video];
        CheckMatches(*stream, *in, parts[i]);  // the output holds the first part's set-up
        // Timecodes, where the parts have them, say whether each starts where the last ended.
        const int64_t at = TimecodeFrame(*input, *in);
        if (i > 0 && at >= 0 && nextTimecode >= 0 && at != nextTimecode)
            throw EExportError(QStringLiteral("\"%1\" does not follow \"%2\": its timecode starts %3 frames %4 where "
                                              "that part ends; give the parts once each, in order.")
                                   .arg(parts[i], parts[i - 1])
                                   .arg(std::llabs(at - nextTimecode))
                                   .arg(at < nextTimecode ? QStringLiteral("before") : QStringLiteral("after")));
        const int framesBefore = frames;
        const TPartTiming &timing = timings[std::size_t(i)];
        // A time of the part, as the place in the roll of the frame it names, plus a shift in frames.
        const auto inRoll = [&](int64_t time, int64_t shift) {
            const int64_t frame = av_rescale_q_rnd(time - timing.Start, in->time_base, frameTime, AV_ROUND_NEAR_INF);
            return av_rescale_q(frame + shift, frameTime, stream->time_base);
        };
        while (true) {
            const int read = av_read_frame(input.get(), packet.get());
            if (read == AVERROR_EOF)
                break;
            CheckAv(read, QStringLiteral("Could not read \"%1\"").arg(parts[i]));
            if (packet->stream_index != video) {
                av_packet_unref(packet.get());
                continue;
            }
            if (packet->pts != AV_NOPTS_VALUE)
                packet->pts = inRoll(packet->pts, framesBefore);
            // Decode times the demuxer guessed for some packets and not others would clash with
            // the muxer's guesses at the seams; it orders them all from the show times alone.
            if (!timing.DecodeTimes)
                packet->dts = AV_NOPTS_VALUE;
            if (packet->dts != AV_NOPTS_VALUE) {
                packet->dts = inRoll(packet->dts, framesBefore - (delay - timing.Delay));
                if (lastDts != AV_NOPTS_VALUE && packet->dts <= lastDts)
                    throw EExportError(QStringLiteral("\"%1\" cannot be joined where it stands: its frames would decode "
                                                      "out of order.").arg(parts[i]));
                lastDts = packet->dts;
            }
            packet->duration = packet->duration > 0 ? av_rescale_q(packet->duration, in->time_base, stream->time_base)
                                                    : frameDuration;
            packet->stream_index = stream->index;
            packet->pos = -1;
            CheckAv(av_interleaved_write_frame(raw, packet.get()), QStringLiteral("Could not write to the file \"%1\"").arg(output));
            ++frames;
        }
        CheckWhole(*input, *in, frames - framesBefore, parts[i]);
        nextTimecode = at >= 0 ? at + (frames - framesBefore) : -1;
    }
    CheckAv(av_write_trailer(raw), QStringLiteral("Could not finish the file \"%1\"").arg(output));
    CheckAv(avio_closep(&raw->pb), QStringLiteral("Could not finish the file \"%1\"").arg(output));
    out.reset();
    target.Commit();
    return frames;
}

} // namespace

int JoinVideos(const QStringList &parts, const QString &output)
{
    if (parts.isEmpty())
        throw EExportError(QStringLiteral("There are no parts to join."));
    const bool avi = IsAvi(output);
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        TOutputTarget::RefuseInput(output, part);
        // The same slice twice would play its frames twice.
        for (int j = 0; j < i; ++j)
            try {
                TOutputTarget::RefuseInput(part, parts[j]);
            } catch (const EExportError &) {
                throw EExportError(QStringLiteral("\"%1\" is given twice; give each slice once, in order.").arg(part));
            }
        if (IsAvi(part) != avi)
            throw EExportError(QStringLiteral("\"%1\" and \"%2\" are of different formats; slices join into a file "
                                              "of their own format.").arg(part, output));
    }
    QuietLibavLog();
    return avi ? JoinAvi(parts, output) : JoinMuxed(parts, output);
}

} // namespace velmora
