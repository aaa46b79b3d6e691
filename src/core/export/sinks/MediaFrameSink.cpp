#include "core/export/sinks/MediaFrameSink.h"

#include "core/export/ExportError.h"
#include "core/render/Timecode.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/opt.h>
}

namespace velmora {

void CheckFormatChoice(const TFormatChoice &choice, const TSinkSettings &settings)
{
    const TOutputFormat &format = *choice.Format;
    const TFormatCodec &codec = *choice.Codec;
    if (settings.Alpha && !choice.Profile->CarriesAlpha()) {
        QStringList carriers;
        for (const TOutputFormat &f : OutputFormats())
            for (const TFormatCodec &c : f.Codecs)
                for (const TCodecProfile &p : c.Profiles)
                    if (p.CarriesAlpha())
                        carriers << QStringLiteral("%1 %2%3").arg(f.Name, c.Name, p.Name.isEmpty() ? QString() : QStringLiteral(" ") + p.Name);
        throw EExportError(QStringLiteral("%1 %2 carries no alpha channel; these do: %3.")
                               .arg(format.Title, QStringLiteral("%1 %2").arg(codec.Title, choice.Profile->Title).trimmed(),
                                    carriers.join(QStringLiteral(", "))));
    }
    const QString colour = ColourRefusal(format, codec, *choice.Profile, choice.Colour.Encoding);
    if (!colour.isEmpty())
        throw EExportError(colour);
    if (choice.Colour.Encoding == TColourEncoding::DciXyz) {
        if (settings.Alpha)
            throw EExportError(QStringLiteral("DCDM frames carry no alpha channel; render them without --alpha."));
        if (!DcdmRaster(settings.Size).isValid())
            throw EExportError(QStringLiteral("A film of %1 x %2 pixels fits no cinema raster; DCDM frames are %3.")
                                   .arg(settings.Size.width()).arg(settings.Size.height()).arg(DcdmRasterNames()));
    }
    const QString size = SizeRefusal(codec, settings.Size);
    if (!size.isEmpty())
        throw EExportError(size);
    if (!format.TakesRate(settings.Rate)) {
        QStringList rates;
        for (const TFrameRate &rate : format.Rates)
            rates << rate.Text();
        throw EExportError(format.Rates.empty()
                               ? QStringLiteral("%1 files take whole frame rates only, not %2.").arg(format.Title, settings.Rate.Text())
                               : QStringLiteral("%1 files cannot run at %2 frames per second; they take %3.")
                                     .arg(format.Title, settings.Rate.Text(), rates.join(QStringLiteral(", "))));
    }
    if (!choice.Timecode.isEmpty()) {
        if (!format.Timecode) {
            QStringList carriers;
            for (const TOutputFormat &f : OutputFormats())
                if (f.Timecode)
                    carriers << f.Title;
            throw EExportError(QStringLiteral("%1 files carry no timecode; these do: %2.").arg(format.Title, carriers.join(QStringLiteral(", "))));
        }
        try {
            ParseTimecode(choice.Timecode, settings.Rate);
        } catch (const EVelmoraError &e) {
            throw EExportError(e.message());
        }
    }
}

namespace {

// Two bytes of EBML, which any level up to PQ's 10000 cd/m² fits in.
constexpr unsigned PlaceholderLight = 0xffff;

// A measured level as the metadata holds it: whole cd/m², rounded up so the level is never
// below a pixel's.
unsigned CandelaLevel(double candelas)
{
    return unsigned(std::clamp(std::ceil(candelas - 0.01), 0.0, 10000.0));
}

// Writes the measured levels over the placeholders in a finished Matroska file's track
// header (MaxCLL 0x55BC, MaxFALL 0x55BD, each a two-byte unsigned). False when they are not
// found or cannot be written.
bool PatchMatroskaLightLevels(const QString &path, const TFrameLight &light)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray head = file.read(1 << 16);  // the tracks come before any cluster
    const std::pair<char, unsigned> fields[] = {{char(0xbc), CandelaLevel(light.Brightest)}, {char(0xbd), CandelaLevel(light.Average)}};
    for (const auto &[id, value] : fields) {
        const QByteArray placeholder = QByteArray("\x55") + id + QByteArray("\x82\xff\xff", 3);
        const qsizetype at = head.indexOf(placeholder);
        if (at < 0 || !file.seek(at + 3))
            return false;
        const char bytes[2] = {char(value >> 8), char(value & 0xff)};
        if (file.write(bytes, 2) != 2)
            return false;
    }
    return file.flush();
}

} // namespace

TMediaFrameSink::TMediaFrameSink(const TFormatChoice &choice) : m_choice(choice) {}

TMediaFrameSink::~TMediaFrameSink()
{
    // Not closed by its run: nothing was asked to be kept.
    CloseAfterFailure();
}

bool TMediaFrameSink::Open(const TSinkSettings &settings)
{
    CheckFormatChoice(m_choice, settings);
    QuietLibavLog();
    m_fileName = settings.FileName;
    m_framesWritten = 0;
    m_failed = false;
    m_lastDts = AV_NOPTS_VALUE;
    m_stop.store(false);

    const AVOutputFormat *muxer = av_guess_format(m_choice.Format->Muxer.constData(), nullptr, nullptr);
    if (!muxer)
        throw EExportError(QStringLiteral("%1 files cannot be written on this machine.").arg(m_choice.Format->Title));
    // The encoder opens before the file exists, so codec refusals leave nothing behind.
    TEncoderSettings encoding;
    encoding.Width = settings.Size.width();
    encoding.Height = settings.Size.height();
    encoding.Rate = settings.Rate;
    encoding.Alpha = settings.Alpha;
    encoding.Quality = m_choice.Quality;
    encoding.KeyFrameEvery = m_choice.KeyFrameEvery;
    encoding.Threads = settings.Threads > 0 ? settings.Threads : int(std::max(1u, std::thread::hardware_concurrency()));
    encoding.GlobalHeader = (muxer->flags & AVFMT_GLOBALHEADER) != 0;
    encoding.Colour = m_choice.Colour;
    m_encoder = std::make_unique<TLibavEncoder>(*m_choice.Codec, *m_choice.Profile, encoding);

    // Written beside the target and put in place when finished, so a failed run keeps the
    // previous file of that name.
    m_target = std::make_unique<TOutputTarget>(m_fileName);
    if (m_target->IsPipe()) {
        m_target.reset();
        throw EExportError(QStringLiteral("%1 files cannot be written into a pipe: \"%2\".").arg(m_choice.Format->Title, m_fileName));
    }
    const QByteArray path = QFile::encodeName(m_target->WritePath());
    try {
        CheckAv(avformat_alloc_output_context2(&m_format, muxer, nullptr, path.constData()),
                QStringLiteral("Could not set up the file \"%1\"").arg(m_fileName));
        m_stream = avformat_new_stream(m_format, nullptr);
        if (!m_stream)
            CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not set up the file \"%1\"").arg(m_fileName));
        AVCodecContext *c = m_encoder->Context();
        CheckAv(avcodec_parameters_from_context(m_stream->codecpar, c),
                QStringLiteral("Could not set up the file \"%1\"").arg(m_fileName));
        m_stream->time_base = c->time_base;
        m_stream->avg_frame_rate = c->framerate;
        m_stream->r_frame_rate = c->framerate;
        if (m_choice.Colour.Encoding == TColourEncoding::Pq) {
            AddMasteringDisplay();
            if (WritesColourAtStart())
                AddLightLevels(PlaceholderLight, PlaceholderLight);
        }
        if (!m_choice.Timecode.isEmpty())
            av_dict_set(&m_format->metadata, "timecode", m_choice.Timecode.toLatin1().constData(), 0);
        CheckAv(avio_open(&m_format->pb, path.constData(), AVIO_FLAG_WRITE),
                QStringLiteral("Could not create the file \"%1\"").arg(m_fileName));
        AVDictionary *options = nullptr;
        if (m_choice.Format->Name == QLatin1String("mp4"))
            av_dict_set(&options, "movflags", "+faststart", 0);  // players start before the whole file is there
        const int header = avformat_write_header(m_format, &options);
        av_dict_free(&options);
        CheckAv(header, QStringLiteral("Could not write the file \"%1\"").arg(m_fileName));
    } catch (const EExportError &) {
        Discard();
        throw;
    }
    return true;
}

// The display PQ masters are graded on: BT.2020 primaries, D65, 1000 cd/m² down to 0.005,
// the common grading monitor; the picture itself never leaves the graphics white's range.
void TMediaFrameSink::AddMasteringDisplay()
{
    AVMasteringDisplayMetadata *display = av_mastering_display_metadata_alloc();
    if (!display)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not set up the file \"%1\"").arg(m_fileName));
    constexpr int Unit = 50000;  // ST 2086's chromaticity steps
    const double primaries[3][2] = {{0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j)
            display->display_primaries[i][j] = av_make_q(int(std::lround(primaries[i][j] * Unit)), Unit);
    display->white_point[0] = av_make_q(15635, Unit);
    display->white_point[1] = av_make_q(16450, Unit);
    display->max_luminance = av_make_q(1000, 1);
    display->min_luminance = av_make_q(50, 10000);
    display->has_primaries = 1;
    display->has_luminance = 1;
    const int added = av_stream_add_side_data(m_stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA,
                                              reinterpret_cast<uint8_t *>(display), sizeof *display);
    if (added < 0)
        av_free(display);
    CheckAv(added, QStringLiteral("Could not set up the file \"%1\"").arg(m_fileName));
}

// MaxCLL and MaxFALL as the frames reached them. MOV and MP4 write the stream's description
// when they finish, so the measure of the whole run goes in then; Matroska writes it first,
// with placeholders that are written over at the end.
void TMediaFrameSink::AddLightLevels(unsigned brightest, unsigned average)
{
    size_t size = 0;
    AVContentLightMetadata *levels = av_content_light_metadata_alloc(&size);
    if (!levels)
        CheckAv(AVERROR(ENOMEM), QStringLiteral("Could not finish the file \"%1\"").arg(m_fileName));
    levels->MaxCLL = brightest;
    levels->MaxFALL = average;
    const int added = av_stream_add_side_data(m_stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, reinterpret_cast<uint8_t *>(levels), size);
    if (added < 0)
        av_free(levels);
    CheckAv(added, QStringLiteral("Could not finish the file \"%1\"").arg(m_fileName));
}

bool TMediaFrameSink::WritesColourAtStart() const
{
    return m_choice.Format->Muxer == "matroska";
}

void TMediaFrameSink::Discard()
{
    if (m_format) {
        avio_closep(&m_format->pb);
        avformat_free_context(m_format);
        m_format = nullptr;
    }
    m_target.reset();  // and its temporary file
    m_encoder.reset();
    m_stream = nullptr;
}

void TMediaFrameSink::WritePacket(AVPacket *packet)
{
    // libx265 here can hand out a decoding time with garbage in it, above or far below the
    // showing time (it seems to leave it unset at times); muxers then refuse the packet
    // (Matroska, MOV) or store the garbage (MP4). A real one is never after the showing time,
    // always after the previous packet's, and reordering holds a frame back a few frames at
    // most; one that is not gets the earliest time those rules leave.
    const qint64 pts = packet->pts;
    const qint64 dts = packet->dts;
    constexpr qint64 MostFramesHeldBack = 64;
    const bool plausible = dts != AV_NOPTS_VALUE && dts <= pts && (m_lastDts == AV_NOPTS_VALUE ? dts >= pts - MostFramesHeldBack
                                                                                                : dts > m_lastDts);
    if (!plausible && pts != AV_NOPTS_VALUE)
        packet->dts = m_lastDts == AV_NOPTS_VALUE ? pts : std::min(pts, m_lastDts + 1);
    m_lastDts = packet->dts;
    av_packet_rescale_ts(packet, m_encoder->Context()->time_base, m_stream->time_base);
    packet->stream_index = m_stream->index;
    CheckAv(av_interleaved_write_frame(m_format, packet), QStringLiteral("Could not write to the file \"%1\"").arg(m_fileName));
    ++m_framesWritten;
}

void TMediaFrameSink::Write(const QImage &frame)
{
    if (!m_format || m_failed)
        throw EExportError(QStringLiteral("The video file \"%1\" is not open for writing.").arg(m_fileName));
    if (m_stop.load())
        return;  // the run is ending: what is encoded stays, nothing new starts
    try {
        m_encoder->Encode(frame, [this](AVPacket *packet) { WritePacket(packet); });
    } catch (const EExportError &) {
        m_failed = true;
        throw;
    }
}

// Flushes the encoder and writes the trailer, which makes the file playable with what it
// holds, also after a failure. Throws the first error.
void TMediaFrameSink::Finish()
{
    std::optional<EExportError> failure;
    try {
        if (!m_failed)
            m_encoder->Flush([this](AVPacket *packet) { WritePacket(packet); });
    } catch (const EExportError &e) {
        failure = e;
    }
    const bool pq = m_choice.Colour.Encoding == TColourEncoding::Pq;
    const TFrameLight light = m_encoder->MeasuredLight();
    if (!failure && pq && !WritesColourAtStart()) {
        try {
            AddLightLevels(CandelaLevel(light.Brightest), CandelaLevel(light.Average));
        } catch (const EExportError &e) {
            failure = e;
        }
    }
    const int trailer = av_write_trailer(m_format);
    if (trailer < 0 && !failure)
        failure = EExportError(QStringLiteral("Could not finish the file \"%1\": %2").arg(m_fileName, AvErrorText(trailer)));
    const int closed = avio_closep(&m_format->pb);
    if (closed < 0 && !failure)
        failure = EExportError(QStringLiteral("Could not finish the file \"%1\": %2").arg(m_fileName, AvErrorText(closed)));
    avformat_free_context(m_format);
    m_format = nullptr;
    m_stream = nullptr;
    m_encoder.reset();
    if (!failure && pq && WritesColourAtStart() && !PatchMatroskaLightLevels(m_target->WritePath(), light))
        failure = EExportError(QStringLiteral("Could not write the light levels into the file \"%1\".").arg(m_fileName));
    if (failure)
        throw EExportError(failure->message());
}

void TMediaFrameSink::Close()
{
    if (!m_format)
        return;
    try {
        Finish();
    } catch (const EExportError &) {
        m_framesWritten = 0;
        m_target.reset();  // the previous file stays
        throw;
    }
    m_target->Commit();
    m_target.reset();
}

void TMediaFrameSink::CloseAfterFailure()
{
    if (!m_format)
        return;
    bool kept = false;
    try {
        Finish();
        kept = m_target->KeepAfterFailure(m_framesWritten);
    } catch (const EExportError &) {
        kept = false;  // the run has its message already; this decides only what stays on disk
    }
    if (!kept)
        m_framesWritten = 0;
    m_target.reset();
}

} // namespace velmora
