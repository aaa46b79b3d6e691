// HDR and cinema deliveries read back by ffprobe and ffmpeg: the tags, PQ's mastering display
// and light levels, and the code values white and grey decode to.
#include "cli/CliRunner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

namespace {

class HdrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        if (!HaveFfmpegTools())
            GTEST_SKIP() << "ffprobe and ffmpeg are needed";
    }

    // A roll whose every pixel is the ground's colour (the title is written in it too).
    QString Project(const QString &name, const QString &ground)
    {
        const QJsonArray children{QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")},
                                              {QStringLiteral("Text"), QStringLiteral("TITLE")},
                                              {QStringLiteral("FontSize"), 40},
                                              {QStringLiteral("Color"), ground}}};
        const QJsonObject project{{QStringLiteral("kind"), QStringLiteral("TVmElementProject")},
                                  {QStringLiteral("Width"), 320},
                                  {QStringLiteral("Height"), 120},
                                  {QStringLiteral("ScrollRate"), 8},
                                  {QStringLiteral("FrameRate"), 24},
                                  {QStringLiteral("BackColor"), ground},
                                  {QStringLiteral("children"), children}};
        QFile json(m_dir.filePath(name + QStringLiteral(".json")));
        EXPECT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(project).toJson());
        json.close();
        const QString vmz = m_dir.filePath(name + QStringLiteral(".vmz"));
        EXPECT_EQ(RunCli({QStringLiteral("import"), json.fileName(), QStringLiteral("-o"), vmz}).ExitCode, 0);
        return vmz;
    }

    TCliResult Render(const QString &project, const QString &name, const QStringList &extra)
    {
        return RunCli(QStringList{QStringLiteral("render"), project, QStringLiteral("-o"), m_dir.filePath(name),
                                  QStringLiteral("--frames"), QStringLiteral("0:1"), QStringLiteral("--start-number"),
                                  QStringLiteral("0"), QStringLiteral("-q")}
                      + extra);
    }

    QString File(const QString &name) const { return m_dir.filePath(name); }

    static QJsonObject Probe(const QString &file)
    {
        const QByteArray out = RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"),
                                                                   QStringLiteral("-show_frames"), QStringLiteral("-show_streams"),
                                                                   QStringLiteral("-of"), QStringLiteral("json"), file});
        return QJsonDocument::fromJson(out).object();
    }

    // The mean of the first frame's luma (or grey), decoded to 16 bits full range, over 0..1.
    static double MeanLevel(const QString &file)
    {
        const QByteArray raw = RunTool(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), file,
                                        QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-f"),
                                        QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("gray16le"),
                                        QStringLiteral("-")});
        if (raw.size() < 2)
            return -1;
        std::vector<quint16> samples(size_t(raw.size()) / 2);
        std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
        double sum = 0;
        for (quint16 s : samples)
            sum += s;
        return sum / double(samples.size()) / 65535.0;
    }

    QTemporaryDir m_dir;
};

TEST_F(HdrTest, TagsAndWhiteLevelsReadBack)
{
    const QString white = Project(QStringLiteral("white"), QStringLiteral("#FFFFFFFF"));
    struct TRow
    {
        const char *Name;
        QStringList Options;
        const char *Transfer;
        double Level;        // decoded white over 0..1
        bool LightLevels;    // PQ in a container that carries them
    };
    const QString pq = QStringLiteral("pq");
    const QString hlg = QStringLiteral("hlg");
    const QString colour = QStringLiteral("--colour");
    const QString codec = QStringLiteral("--codec");
    const QString profile = QStringLiteral("--profile");
    const std::vector<TRow> rows = {
        {"p.mov", {colour, pq}, "smpte2084", 0.5806, true},
        {"p.mp4", {colour, pq, codec, QStringLiteral("h265"), profile, QStringLiteral("main10")}, "smpte2084", 0.5806, true},
        {"p.mkv", {colour, pq, codec, QStringLiteral("ffv1"), profile, QStringLiteral("16")}, "smpte2084", 0.5806, true},
        {"p.mxf", {colour, pq, profile, QStringLiteral("hqx")}, "smpte2084", 0.5806, false},
        {"w.mov", {colour, pq, QStringLiteral("--graphics-white"), QStringLiteral("100")}, "smpte2084", 0.5081, true},
        {"h.mov", {colour, hlg, profile, QStringLiteral("4444")}, "arib-std-b67", 0.75, false},
        {"h.mkv", {colour, hlg, codec, QStringLiteral("h265"), profile, QStringLiteral("main10")}, "arib-std-b67", 0.75, false},
        {"h.dpx", {colour, hlg, profile, QStringLiteral("12")}, nullptr, 0.75, false},
        {"p.png", {colour, pq, profile, QStringLiteral("16")}, nullptr, 0.5806, false},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.Name);
        const TCliResult result = Render(white, QString::fromLatin1(row.Name), row.Options);
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const bool sequence = row.Transfer == nullptr;
        const QString file = sequence ? File(QString::fromLatin1(row.Name).replace(QLatin1Char('.'), QStringLiteral("_000000.")))
                                      : File(QString::fromLatin1(row.Name));
        EXPECT_NEAR(MeanLevel(file), row.Level, 0.01);
        if (sequence)
            continue;
        const QJsonObject probe = Probe(file);
        const QJsonObject stream = probe[QStringLiteral("streams")].toArray().first().toObject();
        EXPECT_EQ(stream[QStringLiteral("color_primaries")].toString(), QStringLiteral("bt2020"));
        EXPECT_EQ(stream[QStringLiteral("color_transfer")].toString(), QLatin1String(row.Transfer));
        const QJsonObject frame = probe[QStringLiteral("frames")].toArray().first().toObject();
        EXPECT_EQ(frame[QStringLiteral("color_transfer")].toString(), QLatin1String(row.Transfer));
        if (!row.LightLevels)
            continue;
        QJsonObject display, levels;
        for (const QJsonValue &side : stream[QStringLiteral("side_data_list")].toArray()) {
            const QString type = side[QStringLiteral("side_data_type")].toString();
            if (type == QStringLiteral("Mastering display metadata"))
                display = side.toObject();
            else if (type == QStringLiteral("Content light level metadata"))
                levels = side.toObject();
        }
        const QStringList redX = display[QStringLiteral("red_x")].toString().split(QLatin1Char('/'));
        ASSERT_EQ(redX.size(), 2);
        EXPECT_NEAR(redX[0].toDouble() / redX[1].toDouble(), 0.708, 1e-4);  // BT.2020's red
        // Measured: every pixel is graphics white.
        const int graphicsWhite = row.Options.contains(QStringLiteral("100")) ? 100 : 203;
        EXPECT_EQ(levels[QStringLiteral("max_content")].toInt(), graphicsWhite);
        EXPECT_EQ(levels[QStringLiteral("max_average")].toInt(), graphicsWhite);
    }
}

TEST_F(HdrTest, PngCarriesItsColourChunk)
{
    const QString white = Project(QStringLiteral("white"), QStringLiteral("#FFFFFFFF"));
    ASSERT_EQ(Render(white, QStringLiteral("c.png"), {QStringLiteral("--colour"), QStringLiteral("hlg"), QStringLiteral("--profile"),
                                                      QStringLiteral("16")}).ExitCode, 0);
    QFile png(File(QStringLiteral("c_000000.png")));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray bytes = png.readAll();
    const qsizetype at = bytes.indexOf("cICP");
    ASSERT_GT(at, 0);
    EXPECT_LT(at, bytes.indexOf("IDAT"));
    EXPECT_EQ(bytes.mid(at + 4, 4), QByteArray("\x09\x12\x00\x01", 4));  // BT.2020, HLG, RGB, full range
    EXPECT_FALSE(QImage(png.fileName()).isNull()) << "a reader must still take it";
}

TEST_F(HdrTest, DcdmFramesHoldTheDciCodeValues)
{
    struct TRow
    {
        const char *Ground;
        double Level;  // the SDR level, 0..1
    };
    for (const TRow &row : {TRow{"#FFFFFFFF", 1.0}, TRow{"#FF808080", 128 / 255.0}}) {
        SCOPED_TRACE(row.Ground);
        const QString project = Project(QStringLiteral("g"), QString::fromLatin1(row.Ground));
        const TCliResult result = Render(project, QStringLiteral("dcdm.tif"),
                                         {QStringLiteral("--colour"), QStringLiteral("dci-xyz"), QStringLiteral("--profile"),
                                          QStringLiteral("16"), QStringLiteral("--overwrite")});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QImage frame(File(QStringLiteral("dcdm_000000.tif")));
        ASSERT_EQ(frame.depth(), 64);
        // The 320 x 120 film is centred on 2K Scope, black around.
        ASSERT_EQ(frame.size(), QSize(2048, 858));
        EXPECT_EQ(frame.pixelColor(10, 10).rgba64().green(), 0);
        // DCI's formula: CV = 4095 (L Y / 52.37)^(1/2.6), the white at 48 cd/m², x 0.314, y 0.351.
        const double light = 48 * std::pow(row.Level, 2.4);
        const double xyz[3] = {light * 0.314 / 0.351, light, light * (1 - 0.314 - 0.351) / 0.351};
        const QRgba64 got = frame.pixelColor(1024, 429).rgba64();
        const int codes[3] = {got.red(), got.green(), got.blue()};
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(codes[c] % 16, 0) << "12-bit codes in the top of 16 bits";
            EXPECT_NEAR(codes[c] / 16, 4095 * std::pow(xyz[c] / 52.37, 1 / 2.6), 1.0) << c;
        }
    }
    const QString white = Project(QStringLiteral("w"), QStringLiteral("#FFFFFFFF"));
    const TCliResult png = Render(white, QStringLiteral("d.png"), {QStringLiteral("--colour"), QStringLiteral("dci-xyz"),
                                                                   QStringLiteral("--profile"), QStringLiteral("16")});
    EXPECT_EQ(png.ExitCode, 2);
    EXPECT_TRUE(png.Err.contains("tiff tiff 16")) << png.Err.toStdString();
}

TEST_F(HdrTest, RefusesWhatCannotCarryIt)
{
    const QString white = Project(QStringLiteral("white"), QStringLiteral("#FFFFFFFF"));
    struct TRow
    {
        const char *Name;
        QStringList Options;
        const char *Message;
    };
    const std::vector<TRow> rows = {
        {"a.mov", {QStringLiteral("--colour"), QStringLiteral("pq"), QStringLiteral("--codec"), QStringLiteral("h264")}, "cannot carry --colour pq"},
        {"a.avi", {QStringLiteral("--colour"), QStringLiteral("hlg")}, "AVI files cannot carry"},
        {"a.mov", {QStringLiteral("--colour"), QStringLiteral("p3")}, "--colour takes bt709, pq, hlg, dci-xyz"},
        {"a.mov", {QStringLiteral("--graphics-white"), QStringLiteral("300")}, "--graphics-white is for"},
        {"a.mov", {QStringLiteral("--colour"), QStringLiteral("pq"), QStringLiteral("--graphics-white"), QStringLiteral("5000")}, "graphics-white"},
    };
    for (const TRow &row : rows) {
        SCOPED_TRACE(row.Name);
        const TCliResult result = Render(white, QString::fromLatin1(row.Name), row.Options);
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_TRUE(result.Err.contains(row.Message)) << result.Err.toStdString();
        EXPECT_FALSE(QFile::exists(File(QString::fromLatin1(row.Name))));
    }
}

} // namespace
