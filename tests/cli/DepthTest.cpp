// Outputs deeper than 8 bits: the levels they hold, their full scale, and the rate and
// timecode DPX and OpenEXR frames carry, read back by ffmpeg and ffprobe.
#include "cli/CliRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <set>

namespace {

constexpr int FilmWidth = 320;
constexpr int FilmHeight = 120;

class DepthTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        if (!HaveFfmpegTools())
            GTEST_SKIP() << "ffprobe and ffmpeg are needed";
        // White text for the top code value, a coloured title over a coloured ground for edges
        // whose levels fall between those 8 bits can hold.
        QJsonArray children;
        children.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")},
                                    {QStringLiteral("Text"), QStringLiteral("WHITE")},
                                    {QStringLiteral("FontSize"), 40},
                                    {QStringLiteral("Color"), QStringLiteral("#FFFFFFFF")}});
        children.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")},
                                    {QStringLiteral("Text"), QStringLiteral("Soft edges")},
                                    {QStringLiteral("FontSize"), 36},
                                    {QStringLiteral("Color"), QStringLiteral("#FFE0A030")}});
        const QJsonObject project{{QStringLiteral("kind"), QStringLiteral("TVmElementProject")},
                                  {QStringLiteral("Width"), FilmWidth},
                                  {QStringLiteral("Height"), FilmHeight},
                                  {QStringLiteral("ScrollRate"), 8},
                                  {QStringLiteral("FrameRate"), 24},
                                  {QStringLiteral("BackColor"), QStringLiteral("#FF203858")},
                                  {QStringLiteral("children"), children}};
        QFile json(m_dir.filePath(QStringLiteral("deep.json")));
        ASSERT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(project).toJson());
        json.close();
        m_project = m_dir.filePath(QStringLiteral("deep.vmz"));
        ASSERT_EQ(RunCli({QStringLiteral("import"), json.fileName(), QStringLiteral("-o"), m_project}).ExitCode, 0);
    }

    // Renders frames 12 and 13 (the roll's middle, where both lines are in view), numbered from 0.
    QString Render(const QString &name, const QStringList &extra = {})
    {
        const QString output = m_dir.filePath(name);
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), m_project, QStringLiteral("-o"), output,
                                                     QStringLiteral("--frames"), QStringLiteral("12:13"), QStringLiteral("--start-number"),
                                                     QStringLiteral("0"), QStringLiteral("-q")}
                                         + extra);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        return output;
    }

    QString File(const QString &name) const { return m_dir.filePath(name); }

    // The first frame of a file decoded into 16-bit samples of pixelFormat.
    static std::vector<quint16> Samples(const QString &file, const char *pixelFormat)
    {
        const QByteArray raw = RunTool(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), file,
                                        QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"),
                                        QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QLatin1String(pixelFormat),
                                        QStringLiteral("-")});
        std::vector<quint16> samples(size_t(raw.size()) / 2);
        std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
        return samples;
    }

    static QJsonObject ProbeFrame(const QString &file)
    {
        const QByteArray out = RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"),
                                                                   QStringLiteral("-show_frames"), QStringLiteral("-show_streams"),
                                                                   QStringLiteral("-of"), QStringLiteral("json"), file});
        return QJsonDocument::fromJson(out).object()[QStringLiteral("frames")].toArray().first().toObject();
    }

    QTemporaryDir m_dir;
    QString m_project;
};

TEST_F(DepthTest, DeepOutputsHoldMoreLevelsThanEightBits)
{
    struct TRow
    {
        const char *Name;
        QStringList Options;
        const char *PixelFormat;  // decoded at the file's depth, in 16-bit samples
        quint16 White;
        quint16 EightBitStep;     // an 8-bit picture made deep lands on multiples of this
    };
    const std::vector<TRow> rows = {
        {"t.tif", {QStringLiteral("--profile"), QStringLiteral("16")}, "rgb48le", 65535, 257},
        {"p.png", {QStringLiteral("--profile"), QStringLiteral("16")}, "rgb48le", 65535, 257},
        {"d.dpx", {}, "gbrp10le", 1023, 4},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.Name);
        Render(QString::fromLatin1(row.Name), row.Options);
        const QString first = File(QString::fromLatin1(row.Name).replace(QLatin1Char('.'), QStringLiteral("_000000.")));
        const std::vector<quint16> samples = Samples(first, row.PixelFormat);
        ASSERT_FALSE(samples.empty());
        std::set<quint16> levels(samples.begin(), samples.end());
        std::set<quint16> between;
        for (quint16 level : levels)
            if (level % row.EightBitStep != 0)
                between.insert(level);
        EXPECT_EQ(*levels.rbegin(), row.White) << "white must be the top code value";
        // The antialiased edges fall between the 8-bit steps, and more often than not.
        EXPECT_GT(between.size(), levels.size() / 2) << levels.size() << " levels";
    }
}

TEST_F(DepthTest, DeepFramesLookLikeEightBitOnes)
{
    Render(QStringLiteral("p8.png"));
    Render(QStringLiteral("p16.png"), {QStringLiteral("--profile"), QStringLiteral("16")});
    const QImage eight(File(QStringLiteral("p8_000000.png")));
    const QImage deep(File(QStringLiteral("p16_000000.png")));
    ASSERT_EQ(deep.depth(), 64);
    ASSERT_EQ(eight.size(), deep.size());
    int worst = 0;
    for (int y = 0; y < eight.height(); ++y)
        for (int x = 0; x < eight.width(); ++x) {
            const QRgb a = eight.pixel(x, y);
            const QRgba64 b = deep.pixelColor(x, y).rgba64();
            worst = std::max({worst, std::abs(qRed(a) - b.red8()), std::abs(qGreen(a) - b.green8()), std::abs(qBlue(a) - b.blue8())});
        }
    EXPECT_LE(worst, 1);
}

TEST_F(DepthTest, DpxCarriesBt709RateAndTimecode)
{
    Render(QStringLiteral("d.dpx"), {QStringLiteral("--rate"), QStringLiteral("24000/1001"), QStringLiteral("--slice-timecode"),
                                     QStringLiteral("01:00:59:23")});
    const char *timecodes[] = {"01:00:59:23", "01:01:00:00"};
    for (int i = 0; i < 2; ++i) {
        const QString name = File(QStringLiteral("d_%1.dpx").arg(i, 6, 10, QLatin1Char('0')));
        const QJsonObject frame = ProbeFrame(name);
        EXPECT_EQ(frame[QStringLiteral("color_transfer")].toString(), QStringLiteral("bt709"));
        EXPECT_EQ(frame[QStringLiteral("color_primaries")].toString(), QStringLiteral("bt709"));
        EXPECT_EQ(frame[QStringLiteral("tags")].toObject()[QStringLiteral("timecode")].toString(), QLatin1String(timecodes[i]));
        // ffprobe shows the image demuxer's rate, not the file's: the film and television
        // headers are read here.
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(2048);
        ASSERT_EQ(header.left(4), QByteArray("XPDS"));
        EXPECT_EQ(qFromLittleEndian<quint32>(header.constData() + 4), 2048u);  // pixels after both industry headers
        EXPECT_EQ(qFromLittleEndian<quint32>(header.constData() + 16), quint32(file.size()));
        for (int at : {1724, 1940}) {
            float rate = 0;
            const quint32 bits = qFromLittleEndian<quint32>(header.constData() + at);
            std::memcpy(&rate, &bits, sizeof rate);
            EXPECT_FLOAT_EQ(rate, float(24000.0 / 1001.0)) << at;
        }
    }
}

TEST_F(DepthTest, ExrCarriesTimecodeAndRate)
{
    Render(QStringLiteral("e.exr"), {QStringLiteral("--rate"), QStringLiteral("30000/1001"),
                                                             QStringLiteral("--slice-timecode"), QStringLiteral("10:00:00:29")});
    // ffmpeg's OpenEXR reader skips timeCode and keeps framesPerSecond to itself: both are read
    // from the header; that ffmpeg still decodes every frame shows the chunk table still holds.
    const quint32 timecodes[] = {0x10000029, 0x10000100};
    for (int i = 0; i < 2; ++i) {
        QFile file(File(QStringLiteral("e_%1.exr").arg(i, 6, 10, QLatin1Char('0'))));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const int timeCode = data.indexOf(QByteArray("timeCode\0timecode\0", 18));
        ASSERT_GT(timeCode, 0);
        EXPECT_EQ(qFromLittleEndian<quint32>(data.constData() + timeCode + 18), 8u);
        EXPECT_EQ(qFromLittleEndian<quint32>(data.constData() + timeCode + 22), timecodes[i]);
        const int rate = data.indexOf(QByteArray("framesPerSecond\0rational\0", 25));
        ASSERT_GT(rate, 0);
        EXPECT_EQ(qFromLittleEndian<quint32>(data.constData() + rate + 29), 30000u);
        EXPECT_EQ(qFromLittleEndian<quint32>(data.constData() + rate + 33), 1001u);
        EXPECT_EQ(Samples(file.fileName(), "rgb48le").size(), size_t(FilmWidth * FilmHeight * 3));
    }
}

} // namespace
