#include "core/export/encode/cinepak/CinepakEncoder.h"

#include "core/export/ExportError.h"
#include "core/export/encode/cinepak/CinepakColour.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cmath>
#include <future>
#include <limits>

namespace velmora {

using namespace cinepak;

namespace {

constexpr int DefaultKeyFrameEvery = 18;
constexpr int MaxStrips = 32;           // what decoders keep codebooks for
constexpr int BlockRowsPerStrip = 32;  // 128 lines up to the middle quality; fewer above it
constexpr int MaxFrameBytes = 0xffffff; // the frame header's 24-bit length
constexpr double MaxRateDoublings = 16;  // how far a data rate may lower the quality
constexpr double MinRateQuality = -MaxRateDoublings * 1000;
constexpr double SqueezeQuality = -MaxRateDoublings * 500;  // below it inter frames are kept whole
constexpr int MaxRecodes = 2;  // further tries at a frame that overruns the data rate
// Room for the picture to move above the least a frame can be, in the lowest rate held.
constexpr double HeldRateHeadroom = 1.25;

void PutU16(QByteArray &out, int value)
{
    out.append(char(value >> 8));
    out.append(char(value));
}

} // namespace

double TCinepakEncoder::LambdaFor(double quality)
{
    // Quality halves the weight of a bit every 1000 steps: 16 in the middle of the scale.
    return std::pow(2.0, (5000 - std::min(quality, 10000.0)) / 1000.0 + 4.0);
}

TStripPlan TCinepakEncoder::PlanFor(double quality)
{
    TStripPlan plan;
    plan.Lambda = LambdaFor(quality);
    // Codebook entries are judged at quality 0 at worst: a data rate below that keeps them
    // up to date, so the blocks still coded find entries that fit.
    plan.EntryLambda = std::min(plan.Lambda, LambdaFor(0));
    // In the lowest quarter of the scale the codebooks shrink too, halving every 625 steps.
    const int size = quality >= 2500 ? 256 : std::max(16, int(256 * std::pow(2.0, (quality - 2500) / 625.0)));
    plan.V1Size = size;
    plan.V4Size = size;
    plan.Iterations = 1 + int(std::clamp(quality, 0.0, 10000.0)) / 4000;
    return plan;
}

std::vector<int> TCinepakEncoder::StripRowsFor(int quality, int codedHeight)
{
    // Above the middle of the scale strips get lower, so there are more codebook entries an area.
    const double rowsPerStrip = BlockRowsPerStrip * std::pow(0.5, std::max(0, std::clamp(quality, 0, 10000) - 5000) / 2500.0);
    const int blockRows = codedHeight / 4;
    const int strips = std::clamp(int(std::lround(blockRows / rowsPerStrip)), 1, std::min(MaxStrips, blockRows));
    std::vector<int> rows;
    for (int i = 0; i < strips; ++i)
        rows.push_back(blockRows / strips + (i < blockRows % strips ? 1 : 0));
    return rows;
}

qint64 TCinepakEncoder::LowestHeldRate(const TEncoderSettings &settings)
{
    const int codedWidth = (settings.Width + 3) & ~3;
    const int codedHeight = (settings.Height + 3) & ~3;
    const int blocksWide = codedWidth / 4;
    // The least a frame can be: every strip's header and flag words, and on key frames one V1
    // entry and an index byte a block. Nothing else is fixed, so the rate control can get there.
    qint64 interFrame = 10, keyFrame = 10;
    for (const int rows : StripRowsFor(settings.Quality, codedHeight)) {
        const qint64 blocks = qint64(blocksWide) * rows;
        const qint64 flagBytes = (blocks + 31) / 32 * 4;
        interFrame += 12 + 4 + flagBytes;
        keyFrame += 12 + 4 + 6 + 4 + flagBytes + blocks;
    }
    const int every = settings.KeyFrameEvery > 0 ? settings.KeyFrameEvery : DefaultKeyFrameEvery;
    const double perFrame = (double(keyFrame) + double(every - 1) * double(interFrame)) / every;
    return qint64(std::ceil(perFrame * HeldRateHeadroom * std::max(settings.Rate, 1) / 1024.0)) * 1024;
}

TCinepakEncoder::TCinepakEncoder(const TEncoderSettings &settings)
    : m_settings(settings), m_codedWidth((settings.Width + 3) & ~3), m_codedHeight((settings.Height + 3) & ~3)
{
    if (settings.Width <= 0 || settings.Height <= 0 || m_codedWidth > 0xffff || m_codedHeight > 0xffff)
        throw EExportError(QStringLiteral("Cinepak cannot hold frames of %1 x %2 pixels.")
                               .arg(settings.Width).arg(settings.Height));
    // A cap below what the film size allows at all is held at the lowest rate that can be.
    if (m_settings.BytesPerSecond > 0)
        m_settings.BytesPerSecond = int(std::min<qint64>(std::max<qint64>(m_settings.BytesPerSecond, LowestHeldRate(settings)),
                                                         std::numeric_limits<int>::max()));
    m_stripRows = StripRowsFor(settings.Quality, m_codedHeight);
    const int strips = int(m_stripRows.size());
    m_strips.resize(size_t(strips));
    m_scratch.resize(size_t(std::clamp(settings.Threads, 1, strips)));
    m_patches.resize(size_t(m_codedWidth / 2) * size_t(m_codedHeight / 2));
}

void TCinepakEncoder::DescribeStream(avi::TStreamSetup &setup) const
{
    setup.Compressed = true;
    setup.Compression = avi::FourCC("cvid");
    setup.BitCount = 24;
    setup.ExtraData.clear();
}

void TCinepakEncoder::Convert(const QImage &frame, int firstPatchRow, int endPatchRow)
{
    const int width = frame.width();
    const int height = frame.height();
    const int patchesWide = m_codedWidth / 2;
    const int inside = width / 2;  // patches with both pixels inside the picture
    // A caller that refills one buffer leaves nothing to compare with.
    const bool comparable = m_previous.size() == frame.size() && m_previous.constBits() != frame.constBits();
    for (int pr = firstPatchRow; pr < endPatchRow; ++pr) {
        // The picture is extended at its right and bottom edges by repeating the last pixels.
        const int y0 = std::min(2 * pr, height - 1);
        const int y1 = std::min(2 * pr + 1, height - 1);
        const uchar *row0 = frame.constScanLine(y0);
        const uchar *row1 = frame.constScanLine(y1);
        // Rows as they were in the frame before hold the patches they had.
        if (comparable && std::memcmp(row0, m_previous.constScanLine(y0), size_t(width) * 3) == 0
            && std::memcmp(row1, m_previous.constScanLine(y1), size_t(width) * 3) == 0)
            continue;
        TPatch *out = &m_patches[size_t(pr) * size_t(patchesWide)];
        ConvertPatchRow(row0, row1, inside, out);
        for (int pc = inside; pc < patchesWide; ++pc) {
            const int x0 = std::min(2 * pc, width - 1) * 3;
            const int x1 = std::min(2 * pc + 1, width - 1) * 3;
            out[pc] = ConvertPatch(row0 + x0, row0 + x1, row1 + x0, row1 + x1);
        }
    }
}

QByteArray TCinepakEncoder::EncodeFrame(const QImage &frame, const TStripPlan &plan)
{
    const int strips = int(m_strips.size());
    std::vector<int> firstRow(size_t(strips) + 1, 0);
    for (int i = 0; i < strips; ++i)
        firstRow[size_t(i) + 1] = firstRow[size_t(i)] + m_stripRows[size_t(i)];

    std::vector<QByteArray> coded(static_cast<size_t>(strips));
    std::atomic<int> next{0};
    const auto work = [&](TStripScratch &scratch) {
        for (int i; (i = next++) < strips;) {
            const int top = firstRow[size_t(i)];
            Convert(frame, top * 2, firstRow[size_t(i) + 1] * 2);
            TStripPicture picture;
            picture.Patches = &m_patches[size_t(top) * 2 * size_t(m_codedWidth / 2)];
            picture.BlocksWide = m_codedWidth / 4;
            picture.BlockRows = m_stripRows[size_t(i)];
            coded[size_t(i)] = CodeStrip(picture, plan, m_strips[size_t(i)], scratch);
        }
    };
    std::vector<std::future<void>> helpers;
    for (size_t t = 1; t < m_scratch.size(); ++t)
        helpers.push_back(std::async(std::launch::async, work, std::ref(m_scratch[t])));
    work(m_scratch[0]);
    for (std::future<void> &helper : helpers)
        helper.get();

    QByteArray out;
    qint64 total = 10;
    for (const QByteArray &strip : coded)
        total += strip.size();
    if (total > MaxFrameBytes)
        throw EExportError(QStringLiteral("A Cinepak frame of %1 x %2 pixels does not fit the format.")
                               .arg(m_settings.Width).arg(m_settings.Height));
    out.reserve(int(total));
    // Inter frames: every strip goes on from its own codebooks of the frame before.
    out.append(char(plan.Key ? 0x00 : 0x01));
    out.append(char(total >> 16));
    out.append(char(total >> 8));
    out.append(char(total));
    PutU16(out, m_codedWidth);
    PutU16(out, m_codedHeight);
    PutU16(out, strips);
    for (const QByteArray &strip : coded)
        out.append(strip);
    return out;
}

void TCinepakEncoder::Encode(const QImage &frame, TPacketList &out)
{
    if (frame.format() != QImage::Format_BGR888 || frame.width() != m_settings.Width
        || frame.height() != m_settings.Height)
        throw EExportError(QStringLiteral("A frame does not have the size or format of the video."));
    const int every = m_settings.KeyFrameEvery > 0 ? m_settings.KeyFrameEvery : DefaultKeyFrameEvery;
    const bool key = m_frameIndex % every == 0;

    double quality = std::clamp(m_settings.Quality, 0, 10000);
    const double perFrame = m_settings.BytesPerSecond > 0 ? double(m_settings.BytesPerSecond) / std::max(m_settings.Rate, 1) : 0;
    if (perFrame > 0) {
        // Over budget the quality goes down: by the debt in frames, plus its slow sum, in steps
        // that double the weight of a bit.
        const double debt = (m_spent - m_allowed) / perFrame;
        quality -= 1000 * std::clamp(m_rateIntegral + 0.5 * debt, 0.0, MaxRateDoublings);
    }
    TEncodedPacket packet;
    packet.KeyFrame = key;
    // A frame far beyond what the budget has room for is coded again at a lower quality, so
    // short runs keep the rate too. A key frame may borrow a sixth of its group's budget.
    const double room = m_allowed - m_spent + perFrame * (key ? std::max(1.5, every / 6.0) : 1.5);
    std::vector<TStripState> saved;
    for (int attempt = 0;; ++attempt) {
        // Deep below the scale an inter frame keeps the whole picture as shown: the roll then
        // moves in coarser steps, never as a mix of old and new blocks.
        const bool hold = !key && quality < SqueezeQuality;
        TStripPlan plan = PlanFor(hold ? MinRateQuality : quality);
        plan.Key = key;
        if (hold)
            plan.MaxKeptError = std::numeric_limits<int>::max();
        if (perFrame > 0 && attempt == 0)
            saved = m_strips;
        packet.Data = EncodeFrame(frame, plan);
        const double size = double(packet.Data.size());
        if (perFrame <= 0 || attempt == MaxRecodes || size <= room || quality <= MinRateQuality || hold)
            break;
        quality = std::max(MinRateQuality, quality - 1000 * (1 + std::log2(size / std::max(room, perFrame / 4))));
        m_strips = saved;
    }
    if (perFrame > 0) {
        m_spent += double(packet.Data.size());
        m_allowed += perFrame;
        m_rateIntegral = std::clamp(m_rateIntegral + 0.05 * (m_spent - m_allowed) / perFrame, 0.0, MaxRateDoublings);
    }
    ++m_frameIndex;
    m_previous = frame;  // shares the pixels; the caller's next frame leaves them alone
    out.push_back(std::move(packet));
}

QImage TCinepakEncoder::ShownFrame() const
{
    QImage image(m_settings.Width, m_settings.Height, QImage::Format_BGR888);
    const int patchesWide = m_codedWidth / 2;
    int patchRow = 0;
    for (size_t i = 0; i < m_strips.size(); ++i) {
        const std::vector<TPatch> &shown = m_strips[i].Shown;
        const int rows = m_stripRows[i] * 2;
        for (int r = 0; r < rows && !shown.empty(); ++r, ++patchRow)
            for (int pc = 0; pc < patchesWide; ++pc) {
                const TPatch &p = shown[size_t(r) * size_t(patchesWide) + size_t(pc)];
                for (int q = 0; q < 4; ++q) {
                    const int x = pc * 2 + (q & 1);
                    const int y = patchRow * 2 + (q >> 1);
                    if (x >= image.width() || y >= image.height())
                        continue;
                    uchar *pixel = image.scanLine(y) + x * 3;
                    const int luma = p.Y[q];
                    pixel[2] = uchar(std::clamp(luma + 2 * p.V, 0, 255));
                    pixel[1] = uchar(std::clamp(luma - p.U / 2 - p.V, 0, 255));
                    pixel[0] = uchar(std::clamp(luma + 2 * p.U, 0, 255));
                }
            }
    }
    return image;
}

QString CinepakDataRateWarning(const TEncoderSettings &settings)
{
    // Credit frames at quality 5000 take about 0.03 bytes a pixel; below a third of that the rate
    // control has to give up detail everywhere.
    constexpr double ComfortableBytesPerPixel = 0.01;
    if (settings.BytesPerSecond <= 0 || settings.Width <= 0 || settings.Height <= 0)
        return {};
    const int rate = std::max(1, settings.Rate);
    const qint64 lowest = TCinepakEncoder::LowestHeldRate(settings);
    const double perFrame = double(settings.BytesPerSecond) / rate;
    const double needed = ComfortableBytesPerPixel * settings.Width * settings.Height;
    // Near the lowest rate nearly every byte goes to flags and key frames, and the credits move
    // in steps. Twice that leaves as much again for the moving credits.
    const qint64 clean = std::max(2 * lowest, qint64(std::ceil(needed * rate / 1024.0)) * 1024);
    const QString size = QStringLiteral("%1 x %2 at %3 frames per second").arg(settings.Width).arg(settings.Height).arg(rate);
    if (settings.BytesPerSecond < lowest)
        return QStringLiteral("the data rate of %1 bytes per second (%2 bytes a frame) cannot be held at %3: the lowest "
                              "rate Cinepak can hold there is %4 bytes per second, so that is held instead, and the "
                              "picture will be coarse (about %5 bytes per second or more keeps it clean; --data-rate 0 "
                              "sets no cap)")
            .arg(settings.BytesPerSecond)
            .arg(qint64(perFrame))
            .arg(size)
            .arg(lowest)
            .arg(clean);
    if (settings.BytesPerSecond >= clean)
        return {};
    return QStringLiteral("the data rate of %1 bytes per second leaves %2 bytes a frame, too few for %3: "
                          "the picture will be coarse (about %4 bytes per second or more keeps it clean; "
                          "--data-rate 0 sets no cap)")
        .arg(settings.BytesPerSecond)
        .arg(qint64(perFrame))
        .arg(size)
        .arg(clean);
}

} // namespace velmora
