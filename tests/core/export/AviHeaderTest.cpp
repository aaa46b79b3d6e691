// Byte layout of the files TAVICompressor writes.
#include "ExportTestSupport.h"
#include "core/export/avi/AVICompressor.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

QImage Gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x + y) % 256));
    return image;
}

// Writes frames with the given options and returns the file's single RIFF list.
TChunk WriteAndRead(const QString &file, TAVICompressorOptions options, const std::vector<QImage> &frames)
{
    TAVICompressor writer;
    EXPECT_EQ(writer.Open(file, options), 0) << writer.LastError().toStdString();
    for (const QImage &frame : frames)
        writer.AddFrame(frame);
    writer.Close();
    const std::vector<TChunk> riffs = ReadRiff(file);
    EXPECT_EQ(riffs.size(), 1u);
    return riffs.empty() ? TChunk{} : riffs.front();
}

} // namespace

TEST(AviHeader, DefaultOptionsFor720x576)
{
    QTemporaryDir dir;
    TAVICompressorOptions options = DefaultCompressorOptions();
    options.Width = 720;
    options.Height = 576;
    // No frames: Cinepak is slow at this size, and the headers do not depend on them.
    const TChunk riff = WriteAndRead(dir.filePath("default.avi"), options, {});
    ASSERT_EQ(riff.Form, "AVI ");

    const TChunk *strh = riff.Find("hdrl/strl/strh");
    ASSERT_NE(strh, nullptr);
    ASSERT_EQ(strh->Data.size(), 56);
    EXPECT_EQ(strh->Data.mid(0, 4), "vids");
    EXPECT_EQ(strh->Data.mid(4, 4), "CVID");
    EXPECT_EQ(U32At(strh->Data, 20), 1u);        // scale
    EXPECT_EQ(U32At(strh->Data, 24), 18u);       // rate
    EXPECT_EQ(U32At(strh->Data, 32), 0u);        // length
    EXPECT_EQ(U32At(strh->Data, 36), 1244160u);  // suggested buffer size
    EXPECT_EQ(U32At(strh->Data, 40), 5000u);     // quality
    EXPECT_EQ(U16At(strh->Data, 48), 0);
    EXPECT_EQ(U16At(strh->Data, 50), 0);
    EXPECT_EQ(U16At(strh->Data, 52), 719);
    EXPECT_EQ(U16At(strh->Data, 54), 575);

    const TChunk *strf = riff.Find("hdrl/strl/strf");
    ASSERT_NE(strf, nullptr);
    EXPECT_EQ(U32At(strf->Data, 0), 40u + quint32(strf->Data.size() - 40));
    EXPECT_EQ(U32At(strf->Data, 4), 720u);
    EXPECT_EQ(U32At(strf->Data, 8), 576u);
    EXPECT_EQ(U16At(strf->Data, 12), 1);
    EXPECT_EQ(U16At(strf->Data, 14), 24);
    EXPECT_EQ(strf->Data.mid(16, 4), "cvid");
    EXPECT_EQ(U32At(strf->Data, 20), 1244160u);
    EXPECT_EQ(riff.Find("hdrl/strl/strn"), nullptr);  // no name, no chunk

    const TChunk *avih = riff.Find("hdrl/avih");
    ASSERT_NE(avih, nullptr);
    EXPECT_EQ(U32At(avih->Data, 0), 1000000u / 18);
    EXPECT_EQ(U32At(avih->Data, 16), 0u);  // total frames
    EXPECT_EQ(U32At(avih->Data, 32), 720u);
    EXPECT_EQ(U32At(avih->Data, 36), 576u);
    EXPECT_TRUE(riff.Find("movi")->Children.empty());
    EXPECT_EQ(riff.Find("idx1")->Size, 0u);
}

// Rows of uncompressed frames are padded to 4 bytes and stored bottom-up.
TEST(AviHeader, UncompressedRowsArePaddedAndBottomUp)
{
    QTemporaryDir dir;
    const struct { int Width; int RowBytes; } rows[] = {{350, 1052}, {351, 1056}, {352, 1056}, {353, 1060}, {1, 4}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Width);
        const int height = 3;
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Width = row.Width;
        options.Height = height;
        options.Handler = QStringLiteral("DIB ");
        const QImage frame = Gradient(row.Width, height);
        const QString file = dir.filePath(QStringLiteral("w%1.avi").arg(row.Width));
        const TChunk riff = WriteAndRead(file, options, {frame, frame});

        const TChunk *strf = riff.Find("hdrl/strl/strf");
        ASSERT_NE(strf, nullptr);
        ASSERT_EQ(strf->Data.size(), 40);
        EXPECT_EQ(U32At(strf->Data, 16), 0u);  // BI_RGB
        EXPECT_EQ(U32At(strf->Data, 20), quint32(row.RowBytes * height));
        EXPECT_EQ(riff.Find("hdrl/strl/strh")->Data.mid(4, 4), "DIB ");

        const TChunk *movi = riff.Find("movi");
        ASSERT_EQ(movi->Count("00db"), 2);
        const TChunk &chunk = movi->Children.front();
        EXPECT_EQ(chunk.Size, quint32(row.RowBytes * height));
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        in.seek(chunk.Offset + 8);
        const QByteArray data = in.read(chunk.Size);
        for (int y = 0; y < height; ++y) {
            const QByteArray stored = data.mid((height - 1 - y) * row.RowBytes, row.RowBytes);
            EXPECT_EQ(stored.left(3 * row.Width),
                      QByteArray(reinterpret_cast<const char *>(frame.constScanLine(y)), 3 * row.Width));
            EXPECT_EQ(stored.mid(3 * row.Width), QByteArray(row.RowBytes - 3 * row.Width, '\0'));
        }
    }
}

TEST(AviHeader, IndexPointsAtEveryFrameAndMarksKeyFrames)
{
    QTemporaryDir dir;
    TAVICompressorOptions options = DefaultCompressorOptions();
    options.Width = 64;
    options.Height = 48;
    options.Handler = QStringLiteral("FMP4");
    options.KeyFrameEvery = 3;
    options.ShowOptionsDialog = false;
    std::vector<QImage> frames;
    for (int i = 0; i < 7; ++i)
        frames.push_back(Gradient(64, 48).transformed(QTransform().translate(i, 0)).copy(0, 0, 64, 48));
    const QString file = dir.filePath("index.avi");
    const TChunk riff = WriteAndRead(file, options, frames);

    const TChunk *movi = riff.Find("movi");
    const TChunk *idx1 = riff.Find("idx1");
    ASSERT_NE(movi, nullptr);
    ASSERT_NE(idx1, nullptr);
    ASSERT_EQ(idx1->Data.size(), 7 * 16);
    const qint64 base = movi->Offset + 8;
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const TChunk &chunk = movi->Children[size_t(i)];
        EXPECT_EQ(idx1->Data.mid(i * 16, 4), "00dc");
        EXPECT_EQ(U32At(idx1->Data, i * 16 + 4), i % 3 == 0 ? 0x10u : 0u);
        EXPECT_EQ(base + U32At(idx1->Data, i * 16 + 8), chunk.Offset);
        EXPECT_EQ(U32At(idx1->Data, i * 16 + 12), chunk.Size);
    }
    EXPECT_EQ(U32At(riff.Find("hdrl/strl/strh")->Data, 32), 7u);
    EXPECT_EQ(U32At(riff.Find("hdrl/odml/dmlh")->Data, 0), 7u);
    EXPECT_NE(riff.Find("hdrl/strl/JUNK"), nullptr);  // room for an OpenDML index, unused
}

TEST(AviHeader, StreamNameIsCutTo63Bytes)
{
    QTemporaryDir dir;
    const struct { QString Name; QByteArray Stored; } rows[] = {
        {QStringLiteral("Closing credits"), "Closing credits"},
        {QString(70, QLatin1Char('x')), QByteArray(63, 'x')},
        {QString(62, QLatin1Char('x')) + QStringLiteral("\u00e9"), QByteArray(62, 'x')},  // no half character
    };
    int n = 0;
    for (const auto &row : rows) {
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Width = 8;
        options.Height = 8;
        options.Compress = false;
        options.StreamName = row.Name;
        const TChunk riff = WriteAndRead(dir.filePath(QStringLiteral("n%1.avi").arg(n++)), options, {Gradient(8, 8)});
        const TChunk *strn = riff.Find("hdrl/strl/strn");
        ASSERT_NE(strn, nullptr);
        EXPECT_EQ(strn->Data.left(strn->Data.indexOf('\0')), row.Stored);
    }
}
