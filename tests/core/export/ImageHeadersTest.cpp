// Timecodes counted on frame by frame, and the header patching refusing files it does not know.
#include "core/export/ExportError.h"
#include "core/export/sinks/ImageHeaders.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct TTimecodeRow
{
    const char *Start;
    qint64 Offset;
    TFrameRate Rate;
    std::optional<quint32> Packed;  // nothing: not a timecode
};

TEST(ImageHeaders, TimecodesCountOnFromTheStart)
{
    const std::vector<TTimecodeRow> rows = {
        {"01:00:59:23", 1, {24, 1}, 0x01010000},
        {"01:00:00:00", 0, {25, 1}, 0x01000000},
        {"23:59:59:24", 1, {25, 1}, 0x00000000},        // past midnight it starts again
        {"00:00:59:23", 1, {24000, 1001}, 0x00010000},  // counts 24 a second
        {"00:00:59;29", 1, {30000, 1001}, 0x00010042},  // drop-frame skips ;00 and ;01
        {"00:09:59;29", 1, {30000, 1001}, 0x00100040},  // but not every tenth minute
        {"00:00:59;59", 1, {60000, 1001}, 0x00010044},  // four at 60000/1001
        {"00:00:00;00", 17982, {30000, 1001}, 0x00100040},  // ten minutes of drop-frame
        {"00:00:59;24", 1, {25, 1}, std::nullopt},      // drop-frame exists at 29.97 and 59.94 only
        {"1:00:00:00", 0, {25, 1}, std::nullopt},
        {"", 0, {25, 1}, std::nullopt},
    };
    for (const TTimecodeRow &row : rows) {
        SCOPED_TRACE(row.Start);
        const std::optional<TTimecodeFields> fields = TimecodeAfter(QString::fromLatin1(row.Start), row.Offset, row.Rate);
        ASSERT_EQ(fields.has_value(), row.Packed.has_value());
        if (fields) {
            EXPECT_EQ(fields->Packed(), *row.Packed) << std::hex << fields->Packed();
        }
    }
}

QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Le64(quint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A two-line scanline EXR header with one attribute and its chunk table; chunks are stand-ins.
QByteArray SmallExr()
{
    QByteArray exr = Le32(20000630) + Le32(2);
    exr += QByteArray("writer\0string\0", 14) + Le32(4) + "lavc";
    exr += '\0';
    const int table = exr.size();
    exr += Le64(table + 16) + Le64(table + 16 + 12);
    exr += QByteArray(24, 'x');
    return exr;
}

TEST(ImageHeaders, ExrChunkTableMovesWithTheHeader)
{
    const QByteArray before = SmallExr();
    TImageTags tags;
    tags.Rate = {24, 1};
    tags.Timecode = TimecodeAfter(QStringLiteral("01:00:00:00"), 0, tags.Rate);
    const QByteArray after = WithExrTags(before, tags);
    const int grown = after.size() - before.size();
    ASSERT_EQ(grown, 9 + 9 + 4 + 8 + 16 + 9 + 4 + 8);
    const int table = after.indexOf(QByteArray(24, 'x')) - 16;
    EXPECT_EQ(qFromLittleEndian<quint64>(after.constData() + table), quint64(table + 16));
    EXPECT_EQ(qFromLittleEndian<quint64>(after.constData() + table + 8), quint64(table + 28));
    EXPECT_EQ(after.right(24), QByteArray(24, 'x'));
}

TEST(ImageHeaders, UnknownLayoutsAreRefused)
{
    TImageTags tags;
    QByteArray tiled = SmallExr();
    tiled[5] = 0x02;  // the tiled flag
    QByteArray outside = SmallExr();
    qToLittleEndian<quint64>(9999, outside.data() + outside.size() - 24 - 8);
    const std::vector<QByteArray> exrs = {QByteArray(), QByteArray(64, '\0'), SmallExr().left(30), tiled, outside};
    for (const QByteArray &exr : exrs)
        EXPECT_THROW(WithExrTags(exr, tags), EExportError) << exr.size();
    QByteArray moved(1700, '\0');
    moved.replace(0, 4, "XPDS");
    qToLittleEndian<quint32>(1800, moved.data() + 4);  // pixels inside the industry headers
    for (const QByteArray &dpx : {QByteArray("XPDS"), QByteArray(1700, 'x'), moved})
        EXPECT_THROW(WithDpxTags(dpx, tags), EExportError) << dpx.size();
}

} // namespace
