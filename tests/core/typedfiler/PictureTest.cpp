// Pictures through the image format handlers: real encoding and decoding with QImage.
#include "FilerTestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QtEndian>

using namespace velmora;
using namespace velmora::test;

namespace {

QImage SampleImage()
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(20, 40, 200));
    QPainter painter(&image);
    painter.fillRect(0, 0, 12, 8, QColor(250, 250, 250));
    painter.fillRect(12, 8, 12, 8, QColor(200, 30, 30));
    return image;
}

struct TFormatCase
{
    const char *Name;
    const char *QtFormat;
    int Tolerance; // per channel; JPEG is lossy
};

// Rows show their name in test listings.
void PrintTo(const TFormatCase &row, std::ostream *out) { *out << row.Name; }

class PictureFormatTest : public ::testing::TestWithParam<TFormatCase>
{
};

TEST_P(PictureFormatTest, RoundTripsThroughTheHandlerFormat)
{
    const TFormatCase &format = GetParam();
    const QString name = QString::fromLatin1(format.Name);
    const auto written = MakeGraphic(name, SampleImage());
    ASSERT_NE(written, nullptr);
    TBufferFiler stream;
    stream.Filer.WritePicture(written.get());

    // Tag, the handler name as a String, then a Stream holding a real file of that format.
    const QByteArray bytes = stream.Bytes();
    QByteArray header = Hex("19 03 01") + QByteArray(4, '\0') + QByteArray(format.Name) + Hex("10 11");
    qToLittleEndian<quint32>(quint32(name.size()), header.data() + 3);
    ASSERT_TRUE(bytes.startsWith(header));
    const qint64 length = qFromLittleEndian<qint64>(bytes.constData() + header.size());
    const QByteArray payload = bytes.mid(header.size() + 8);
    EXPECT_EQ(length, payload.size());
    EXPECT_FALSE(QImage::fromData(payload, format.QtFormat).isNull());

    stream.Filer.SeekToStart();
    const auto read = stream.Filer.ReadPicture();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Handler().Name(), name);
    ASSERT_EQ(read->Image.size(), QSize(24, 16));
    for (const QPoint at : {QPoint(2, 2), QPoint(20, 12), QPoint(20, 2), QPoint(2, 12)}) {
        const QColor expected = SampleImage().pixelColor(at);
        const QColor actual = read->Image.pixelColor(at);
        EXPECT_NEAR(actual.red(), expected.red(), format.Tolerance);
        EXPECT_NEAR(actual.green(), expected.green(), format.Tolerance);
        EXPECT_NEAR(actual.blue(), expected.blue(), format.Tolerance);
    }
    EXPECT_TRUE(stream.Buffer.atEnd());
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureFormatTest,
                         ::testing::Values(TFormatCase{"PNG", "png", 0}, TFormatCase{"BMP", "bmp", 0},
                                           TFormatCase{"JPEG", "jpeg", 12}),
                         [](const auto &info) { return std::string(info.param.Name); });

TEST(PictureTest, EmptyImageIsItsHandlerNameAloneAndTakesAFollowingString)
{
    const auto empty = MakeGraphic(QStringLiteral("PNG"), QImage());
    TBufferFiler stream;
    stream.Filer.WritePicture(empty.get());
    EXPECT_EQ(stream.Bytes(), Hex("19 03 01 03 00 00 00 50 4E 47"));
    stream.Filer.WriteString("next");
    stream.Filer.WriteInteger(5);

    stream.Filer.SeekToStart();
    EXPECT_EQ(stream.Filer.ReadPicture(), nullptr);
    EXPECT_EQ(stream.Filer.ReadInteger(), 5);
}

// A registered format that cannot make images or cannot encode them.
class TFailingHandler : public IImageFormatHandler
{
public:
    explicit TFailingHandler(QString name) : m_name(std::move(name)) {}
    QString Name() const override { return m_name; }
    std::unique_ptr<TGraphic> CreateGraphic(std::shared_ptr<const IImageFormatHandler>) const override
    {
        return nullptr;
    }
    bool Load(QIODevice &, QImage &) const override { return false; }
    bool Save(const QImage &, QIODevice &) const override { return false; }

private:
    QString m_name;
};

TEST(PictureTest, FailingHandlersReportTheirName)
{
    RegisterImageFormatHandler(std::make_shared<TFailingHandler>(QStringLiteral("Broken")));
    TBufferFiler stream;
    const auto graphic = MakeGraphic(QStringLiteral("Broken"), SampleImage());
    EXPECT_EQ(MessageOf([&] { stream.Filer.WritePicture(graphic.get()); }), QStringLiteral("Stream write error"));
    EXPECT_TRUE(stream.Bytes().isEmpty()) << "nothing is written for an image that cannot be encoded";

    stream.Filer.WritePicture(MakeGraphic(QStringLiteral("Broken"), QImage()).get());
    stream.Filer.SeekToStart();
    EXPECT_EQ(MessageOf([&] { stream.Filer.ReadPicture(); }), QStringLiteral("Could not create an instance of 'Broken'"));
    EXPECT_TRUE(UnregisterImageFormatHandler(QStringLiteral("Broken")));
    EXPECT_EQ(FindImageFormatHandler(QStringLiteral("Broken")), nullptr);
}

} // namespace
