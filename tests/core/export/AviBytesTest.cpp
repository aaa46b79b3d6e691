// The bytes of AVI files, pinned for every codec: files written today must stay the files
// earlier versions wrote, so archived renders can be remade exactly and checked by hash.
// The frames are drawn here, without fonts, so only the writing path is pinned.
#include "core/export/avi/AVICompressor.h"

#include <QCryptographicHash>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

constexpr int Width = 64;
constexpr int Height = 48;
constexpr int Frames = 8;

// Colour ramps both ways, under a diagonal band that moves: smooth areas, hard edges, motion
// and chroma that 4:2:0 and 4:2:2 codecs round differently.
QImage Frame(int index)
{
    QImage image(Width, Height, QImage::Format_BGR888);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            image.setPixelColor(x, y, QColor(x * 4, y * 5, (x + y + index * 9) % 256));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 210, 40));
    painter.drawPolygon(QPolygon({QPoint(index * 5, 0), QPoint(index * 5 + 12, 0), QPoint(index * 5 - 8, Height),
                                  QPoint(index * 5 - 20, Height)}));
    return image;
}

struct TPinned
{
    const char *Codec;
    int Quality;
    int KeyFrameEvery;
    int BytesPerSecond;  // 0: no data rate
    const char *Md5;
};

std::string Md5Of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex().toStdString();
}

} // namespace

TEST(AviBytes, EveryCodecWritesThePinnedFile)
{
    const TPinned pinned[] = {
        {"cinepak", 5000, 4, 0, "4e70822addeb9392fa3b5aa3d35e63fc"},
        {"cinepak", 8000, 3, 6000, "b9d14bf29f69e3a2349929e40390a9d5"},
        {"mjpeg", 5000, 0, 0, "d207fb0fa66b37ef9bb9623df8014139"},
        {"ffv1", 5000, 4, 0, "4d11151e39cb83c8d65da9fe0326a555"},
        {"huffyuv", 5000, 0, 0, "44aae50b89de169b17444b04c7cb3411"},
        {"utvideo", 5000, 0, 0, "694c5a0a43f610659de868fc0eaff948"},
        {"mpeg4", 5000, 4, 0, "a338d0039668f380a3e57eb20665ecea"},
        {"mpeg4", 5000, 4, 20000, "852701276142d3f4a3cdd5a6df4e70c9"},
        {"h264", 5000, 4, 0, "c5d5fb5371bc9e0bd776860f1999861f"},
        {"h264", 9000, 3, 20000, "0c174ea6b26e93dcb669e624455aca41"},
        {"raw", 5000, 0, 0, "12873b1bced368faf60556d948261c0f"},
        {"cinepak-libav", 5000, 4, 0, "deaf61a3365a6ab2653992e3b4e4b368"},
    };
    QTemporaryDir dir;
    for (const TPinned &row : pinned) {
        SCOPED_TRACE(row.Codec);
        const auto *codec = FindCodecByName(QString::fromLatin1(row.Codec));
        ASSERT_NE(codec, nullptr);
        if (!IsCodecAvailable(*codec)) {
            ADD_FAILURE() << "this machine lacks the encoder";
            continue;
        }
        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Width = Width;
        options.Height = Height;
        options.Rate = 25;
        options.Handler = QString::fromLatin1(codec->Handler);
        options.CodecName = codec->Name;
        options.Quality = row.Quality;
        options.KeyFrameEvery = row.KeyFrameEvery;
        options.BytesPerSecond = row.BytesPerSecond;
        options.CompressFlags = (row.KeyFrameEvery > 0 ? AVICOMPRESSF_KEYFRAMES : 0)
            | (row.BytesPerSecond > 0 ? AVICOMPRESSF_DATARATE : 0);
        options.ShowOptionsDialog = false;
        const QString path = dir.filePath(QStringLiteral("%1.avi").arg(row.Codec));
        TAVICompressor writer;
        writer.SetThreadCount(2);  // groups of key frames side by side, as on a user's machine
        ASSERT_EQ(writer.Open(path, options), 0) << writer.LastError().toStdString();
        for (int i = 0; i < Frames; ++i)
            writer.AddFrame(Frame(i));
        writer.Close();
        EXPECT_EQ(Md5Of(path), row.Md5)
            << row.Codec << " quality " << row.Quality << " key frames " << row.KeyFrameEvery << " data rate "
            << row.BytesPerSecond;
    }
}
