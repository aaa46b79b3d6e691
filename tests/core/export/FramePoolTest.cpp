// Reused frame buffers and the scaler reading them where they lie.
#include "core/export/encode/FrameConverter.h"
#include "core/export/run/FramePool.h"

#include <QPainter>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixdesc.h>
}

using namespace velmora;

namespace {

// Colours, edges and text: every channel and the chroma filters have something to do.
QImage Picture(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
    QPainter painter(&image);
    painter.fillRect(QRect(5, 5, size.width() / 3, size.height() / 2), QColor(250, 30, 60));
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Cast"));
    return image;
}

// The planes of a converted frame, row by row without their padding.
QByteArray Planes(const AVFrame &frame)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(AVPixelFormat(frame.format));
    const int bytes = (desc->comp[0].depth + 7) / 8;
    QByteArray planes;
    for (int p = 0; p < 4 && frame.data[p]; ++p) {
        const int w = p == 0 || p == 3 ? frame.width : AV_CEIL_RSHIFT(frame.width, desc->log2_chroma_w);
        const int h = p == 0 || p == 3 ? frame.height : AV_CEIL_RSHIFT(frame.height, desc->log2_chroma_h);
        for (int y = 0; y < h; ++y)
            planes.append(reinterpret_cast<const char *>(frame.data[p] + qsizetype(y) * frame.linesize[p]), w * bytes);
    }
    return planes;
}

QByteArray Converted(const QImage &image, AVPixelFormat source, AVPixelFormat target)
{
    QuietLibavLog();
    TFrameConverter converter({image.size(), target, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP, 1,
                               true, QStringLiteral("test")});
    TFramePtr frame(av_frame_alloc());
    frame->format = target;
    frame->width = image.width();
    frame->height = image.height();
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    converter.Convert(image, source, *frame);
    return Planes(*frame);
}

// Into a frame of the pool, whose rows have room past their end.
QImage Pooled(TFramePool &pool, const QImage &image, QImage::Format format)
{
    QImage frame = pool.Take();
    {
        QPainter painter(&frame);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image);
    }
    return SharedView(frame, format);
}

} // namespace

TEST(FramePool, FramesComeBackOnceEveryCopyIsGone)
{
    TFramePool pool({33, 7}, QImage::Format_ARGB32_Premultiplied);
    QImage first = pool.Take();
    const uchar *memory = first.constBits();
    EXPECT_EQ(first.size(), QSize(33, 7));
    EXPECT_GE(first.bytesPerLine() - 33 * 4, TFrameConverter::SpareRowBytes);
    QImage view = SharedView(first, QImage::Format_RGB32);
    first = QImage();
    EXPECT_NE(pool.Take().constBits(), memory);  // the view still holds it
    view = QImage();
    EXPECT_EQ(pool.Take().constBits(), memory);
    EXPECT_EQ(pool.Allocated(), 2);
}

TEST(FramePool, FramesOutliveThePool)
{
    QImage view;
    {
        TFramePool pool({16, 4}, QImage::Format_RGBA64_Premultiplied);
        QImage frame = pool.Take();
        frame.fill(QColor(10, 20, 30));
        view = SharedView(frame, QImage::Format_RGBX64);
    }
    EXPECT_EQ(view.pixelColor(15, 3), QColor(10, 20, 30));
}

// Pool frames go to the scaler as they lie, 32-bit frames as 24-bit ones did, and 16-bit
// frames through planes: none of it may change a value.
TEST(FrameConverter, EveryWayInGivesTheSamePlanes)
{
    const QSize size(98, 37);  // odd sizes: the chroma of the last column and row
    const QImage picture = Picture(size);
    const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
    TFramePool pool8(size, QImage::Format_ARGB32_Premultiplied);
    TFramePool pool16(size, QImage::Format_RGBA64_Premultiplied);
    const QImage rgb32 = Pooled(pool8, picture, QImage::Format_RGB32);
    ASSERT_TRUE(TFrameConverter::ReadsInPlace(rgb32, AV_PIX_FMT_BGR0));
    ASSERT_FALSE(TFrameConverter::ReadsInPlace(bgr, AV_PIX_FMT_BGR24));

    for (const AVPixelFormat target : {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P10LE, AV_PIX_FMT_BGR0}) {
        SCOPED_TRACE(av_get_pix_fmt_name(target));
        const QByteArray expected = Converted(bgr, AV_PIX_FMT_BGR24, target);
        EXPECT_EQ(Converted(rgb32, AV_PIX_FMT_BGR0, target), expected);
        EXPECT_EQ(Converted(picture.convertToFormat(QImage::Format_RGB32), AV_PIX_FMT_BGR0, target), expected);
    }

    // 16-bit frames, in place or copied, read by channel into the right planes.
    const QImage deep = picture.convertToFormat(QImage::Format_RGBX64);
    const QByteArray copied = Converted(deep, AV_PIX_FMT_RGBA64, AV_PIX_FMT_YUV422P10LE);
    EXPECT_EQ(Converted(Pooled(pool16, deep, QImage::Format_RGBX64), AV_PIX_FMT_RGBA64, AV_PIX_FMT_YUV422P10LE), copied);
    const QByteArray eightBit = Converted(bgr, AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV422P10LE);
    ASSERT_EQ(copied.size(), eightBit.size());
    const auto *a = reinterpret_cast<const quint16 *>(copied.constData());
    const auto *b = reinterpret_cast<const quint16 *>(eightBit.constData());
    int furthest = 0;
    for (qsizetype i = 0; i < copied.size() / 2; ++i)
        furthest = std::max(furthest, std::abs(int(a[i]) - int(b[i])));
    // 8 bits scaled up land a few 10-bit steps from 16 bits; a swapped channel lands hundreds away.
    EXPECT_LE(furthest, 4) << "8-bit and 16-bit pictures of the same colours, converted to 10 bits";
}
