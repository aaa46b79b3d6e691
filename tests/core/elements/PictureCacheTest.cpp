// Pictures named by many rows and elements are decoded once for each size they are drawn at,
// and a file saved again is read again.
#include "core/elements/PictureCache.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using velmora::TPictureCache;

QImage Filled(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(PictureCacheTest, SharesDecodesBySizeAndFollowsTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("p.png");
    ASSERT_TRUE(Filled(QSize(400, 300), qRgb(200, 30, 30)).save(path));

    const struct
    {
        const char *Name;
        QSize Drawn;
        QSize Decoded;
    } rows[] = {
        {"own size", QSize(), QSize(400, 300)},
        {"drawn smaller", QSize(100, 75), QSize(100, 75)},
        {"drawn larger: never decoded above its own size", QSize(800, 600), QSize(400, 300)},
        {"drawn wider only", QSize(500, 100), QSize(400, 300)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const QImage first = TPictureCache::Picture(path, row.Drawn);
        const QImage second = TPictureCache::Picture(path, row.Drawn);
        EXPECT_EQ(first.size(), row.Decoded);
        EXPECT_EQ(first.pixel(first.width() / 2, first.height() / 2), qRgb(200, 30, 30));
        // One decode, its pixels shared.
        EXPECT_EQ(first.constBits(), second.constBits());
    }
    EXPECT_GT(TPictureCache::BytesHeld(), 0);
    EXPECT_LE(TPictureCache::BytesHeld(), TPictureCache::BudgetBytes);

    // Saved again under the same name (a new file, as editors save): the new pixels show.
    const QString next = dir.filePath("next.png");
    ASSERT_TRUE(Filled(QSize(40, 30), qRgb(20, 200, 30)).save(next));
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(next, path));
    const QImage again = TPictureCache::Picture(path);
    EXPECT_EQ(again.size(), QSize(40, 30));
    EXPECT_EQ(again.pixel(5, 5), qRgb(20, 200, 30));

    // Nothing to decode: a missing file, a folder, a FIFO-free non-picture.
    QFile text(dir.filePath("notes.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
    text.close();
    for (const QString &bad : {dir.filePath("missing.png"), dir.path(), text.fileName()})
        EXPECT_TRUE(TPictureCache::Picture(bad).isNull()) << bad.toStdString();
}

} // namespace
