// velmora-cli render: real videos, read back by ffprobe and ffmpeg, against velmora-cli still.
#include "cli/CliRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <csignal>

namespace {

constexpr int FilmWidth = 160;
constexpr int FilmHeight = 120;
constexpr int Scroll = 8;

class RenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        if (!HaveFfmpegTools())
            GTEST_SKIP() << "ffprobe and ffmpeg are needed";
        QJsonArray children;
        for (int i = 0; i < 4; ++i)
            children.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")},
                                        {QStringLiteral("Text"), QStringLiteral("Credit number %1").arg(i)},
                                        {QStringLiteral("FontSize"), 18},
                                        {QStringLiteral("TopOffset"), 10},
                                        {QStringLiteral("Color"), i % 2 ? QStringLiteral("#FFFFD040") : QStringLiteral("#FFFFFFFF")}});
        const QJsonObject project{{QStringLiteral("kind"), QStringLiteral("TVmElementProject")},
                                  {QStringLiteral("Width"), FilmWidth},
                                  {QStringLiteral("Height"), FilmHeight},
                                  {QStringLiteral("ScrollRate"), Scroll},
                                  {QStringLiteral("FrameRate"), 24},
                                  {QStringLiteral("BackColor"), QStringLiteral("#FF183050")},
                                  {QStringLiteral("children"), children}};
        QFile json(Path(QStringLiteral("small.json")));
        ASSERT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(project).toJson());
        json.close();
        m_project = Path(QStringLiteral("small.vmz"));
        ASSERT_EQ(RunCli({QStringLiteral("import"), json.fileName(), QStringLiteral("-o"), m_project}).ExitCode, 0);
        const QJsonObject info = QJsonDocument::fromJson(RunCli({QStringLiteral("info"), m_project, QStringLiteral("--json")}).Out).object();
        m_frameCount = info[QStringLiteral("frame_count")].toInt();
        m_positionRange = info[QStringLiteral("position_range")].toInt();
        ASSERT_EQ(m_frameCount, (info[QStringLiteral("position_range")].toInt() + Scroll - 1) / Scroll);
    }

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    // One entry of ffprobe's report on the first video stream (or its frames), one line a value.
    static QStringList ProbeEntries(const QString &file, const QString &entries)
    {
        const QByteArray out = RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"),
                                                                   QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                                                                   QStringLiteral("-show_entries"), entries, QStringLiteral("-of"),
                                                                   QStringLiteral("csv=p=0"), file});
        QStringList values;
        // A frame with side data gets further, empty columns after its value.
        for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            values << line.section(QLatin1Char(','), 0, 0);
        return values;
    }

    QString Render(const QString &codec, const QStringList &extra = {})
    {
        const QString video = Path(codec + QStringLiteral(".avi"));
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), m_project, QStringLiteral("-o"), video,
                                                     QStringLiteral("--codec"), codec, QStringLiteral("--quiet")}
                                         + extra);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        return video;
    }

    QJsonObject Probe(const QString &video)
    {
        const QByteArray out = RunTool(QStringLiteral("ffprobe"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                                        QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_streams"),
                                        QStringLiteral("-of"), QStringLiteral("json"), video});
        return QJsonDocument::fromJson(out).object()[QStringLiteral("streams")].toArray().first().toObject();
    }

    // Every frame of the video as 24-bit pictures.
    std::vector<QImage> Decode(const QString &video)
    {
        const QByteArray raw = RunTool(QStringLiteral("ffmpeg"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), video,
                                        QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                                        QStringLiteral("rgb24"), QStringLiteral("-")});
        std::vector<QImage> frames;
        const qsizetype size = FilmWidth * FilmHeight * 3;
        for (qsizetype at = 0; at + size <= raw.size(); at += size)
            frames.push_back(QImage(reinterpret_cast<const uchar *>(raw.constData() + at), FilmWidth, FilmHeight,
                                    FilmWidth * 3, QImage::Format_RGB888)
                                 .copy());
        return frames;
    }

    QImage Still(int position)
    {
        const QString png = Path(QStringLiteral("still-%1.png").arg(position));
        EXPECT_EQ(RunCli({QStringLiteral("still"), m_project, QStringLiteral("--position"), QString::number(position),
                          QStringLiteral("-o"), png})
                      .ExitCode,
                  0);
        return QImage(png).convertToFormat(QImage::Format_RGB888);
    }

    static double Psnr(const QImage &a, const QImage &b)
    {
        double sum = 0;
        for (int y = 0; y < a.height(); ++y) {
            const uchar *p = a.constScanLine(y);
            const uchar *q = b.constScanLine(y);
            for (int x = 0; x < a.width() * 3; ++x)
                sum += double(p[x] - q[x]) * (p[x] - q[x]);
        }
        const double mse = sum / (a.width() * a.height() * 3.0);
        return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
    }

    QTemporaryDir m_dir;
    QString m_project;
    int m_frameCount = 0;
    int m_positionRange = 0;
};

struct TCodecRow
{
    const char *Name;
    const char *FfprobeCodec;
    // 99: exact. Lossy bounds are in RGB, where 4:2:0 chroma costs saturated text a lot.
    double MinimumPsnr;
};

TEST_F(RenderTest, EveryCodecMatchesTheStills)
{
    const std::vector<TCodecRow> rows = {
        {"raw", "rawvideo", 99}, {"ffv1", "ffv1", 99},    {"huffyuv", "huffyuv", 99}, {"utvideo", "utvideo", 99},
        {"mjpeg", "mjpeg", 23},  {"mpeg4", "mpeg4", 22}, {"h264", "h264", 22},       {"cinepak", "cinepak", 18},
        {"cinepak-libav", "cinepak", 18},
    };
    std::vector<QImage> stills;
    for (int k = 0; k < m_frameCount; ++k)
        stills.push_back(Still(k * Scroll));
    for (const TCodecRow &row : rows) {
        SCOPED_TRACE(row.Name);
        const QString video = Render(QString::fromLatin1(row.Name), {QStringLiteral("--quality"), QStringLiteral("9000")});
        const QJsonObject stream = Probe(video);
        EXPECT_EQ(stream[QStringLiteral("codec_name")].toString(), QString::fromLatin1(row.FfprobeCodec));
        EXPECT_EQ(stream[QStringLiteral("width")].toInt(), FilmWidth);
        EXPECT_EQ(stream[QStringLiteral("height")].toInt(), FilmHeight);
        EXPECT_EQ(stream[QStringLiteral("r_frame_rate")].toString(), QStringLiteral("24/1"));
        EXPECT_EQ(stream[QStringLiteral("nb_read_frames")].toString().toInt(), m_frameCount);

        const std::vector<QImage> frames = Decode(video);
        ASSERT_EQ(int(frames.size()), m_frameCount);
        for (int k = 0; k < m_frameCount; ++k) {
            if (row.MinimumPsnr >= 99)
                EXPECT_EQ(frames[k], stills[k]) << "frame " << k;
            else
                EXPECT_GE(Psnr(frames[k], stills[k]), row.MinimumPsnr) << "frame " << k;
        }
    }
}

// The default codec honours --data-rate; 0 lifts the cap.
TEST_F(RenderTest, DataRateCapsTheDefaultCodec)
{
    const auto size = [this](int rate) {
        const QString video = Render(QStringLiteral("cinepak"), {QStringLiteral("--data-rate"), QString::number(rate)});
        qint64 bytes = 0;
        for (const QByteArray &line : RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"),
                                                 QStringLiteral("-show_entries"), QStringLiteral("packet=size"),
                                                 QStringLiteral("-of"), QStringLiteral("csv=p=0"), video})
                                          .split('\n'))
            bytes += line.trimmed().toLongLong();
        return bytes;
    };
    const qint64 free = size(0);
    const int rate = int(free * 24 / m_frameCount / 2);
    const qint64 capped = size(rate);
    EXPECT_LE(capped, qint64(rate) * m_frameCount / 24 * 105 / 100) << free;
    EXPECT_GE(capped, qint64(rate) * m_frameCount / 24 * 60 / 100) << free;
}

TEST_F(RenderTest, SliceHoldsThoseFramesOfTheWholeRun)
{
    const std::vector<QImage> whole = Decode(Render(QStringLiteral("ffv1")));
    const QString slice = Path(QStringLiteral("slice.avi"));
    const TCliResult result = RunCli({QStringLiteral("render"), m_project, QStringLiteral("-o"), slice, QStringLiteral("--codec"),
                                      QStringLiteral("ffv1"), QStringLiteral("--frames"), QStringLiteral("2:4"), QStringLiteral("--quiet")});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const std::vector<QImage> part = Decode(slice);
    ASSERT_EQ(part.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(part[k], whole[k + 2]);
}

// Slices rendered apart line up: their timecode and file numbers are those of their place in
// the roll, unless the command line names the slice's own.
TEST_F(RenderTest, SlicesAreTimedAndNumberedByTheirPlaceInTheRoll)
{
    const int first = m_frameCount - 3;
    ASSERT_GE(first, 25) << "the roll should pass one second";
    const QString place = QStringLiteral("00:00:01:%1").arg(first - 24, 2, 10, QLatin1Char('0'));  // at 24 frames a second
    const QByteArray inHouseHour = QStringLiteral("01:%1").arg(place.mid(3)).toLatin1();
    const struct { QStringList Extra; const char *Timecode; const char *Rate; } movies[] = {
        {{QStringLiteral("--frames"), QStringLiteral("%1:").arg(first)}, nullptr, "24/1"},
        {{QStringLiteral("--frames"), QStringLiteral("0:%1").arg(first)}, "00:00:00:00", "24/1"},
        // The roll starts at the house's hour; the slice at its place after it.
        {{QStringLiteral("--frames"), QStringLiteral("%1:").arg(first), QStringLiteral("--timecode"), QStringLiteral("01:00:00:00")},
         inHouseHour.constData(), "24/1"},
        {{QStringLiteral("--chunk"), QStringLiteral("1/1"), QStringLiteral("--timecode"), QStringLiteral("01:00:00:00")},
         "01:00:00:00", "24/1"},
        {{QStringLiteral("--frames"), QStringLiteral("%1:").arg(first), QStringLiteral("--timecode"), QStringLiteral("01:00:00:00"),
          QStringLiteral("--slice-timecode"), QStringLiteral("10:00:00:00")},
         "10:00:00:00", "24/1"},
        {{}, "", "24/1"},  // a whole roll keeps to the timecode asked for, none here
        {{QStringLiteral("--rate"), QStringLiteral("23.976"), QStringLiteral("--timecode"), QStringLiteral("01:00:00:00")},
         "01:00:00:00", "24000/1001"},
        {{QStringLiteral("--rate"), QStringLiteral("29.97"), QStringLiteral("--timecode"), QStringLiteral("01:00:00;00")},
         "01:00:00;00", "30000/1001"},
        {{QStringLiteral("--rate"), QStringLiteral("59.94"), QStringLiteral("--timecode"), QStringLiteral("00:09:00;04")},
         "00:09:00;04", "60000/1001"},
    };
    for (const auto &row : movies) {
        SCOPED_TRACE(row.Extra.join(QLatin1Char(' ')).toStdString());
        const QString out = Path(QStringLiteral("slice.mov"));
        QFile::remove(out);
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), m_project, QStringLiteral("-o"), out,
                                                     QStringLiteral("--codec"), QStringLiteral("h264"), QStringLiteral("-q")}
                                         + row.Extra);
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QStringList timecode = ProbeEntries(out, QStringLiteral("stream_tags=timecode"));
        const QString expected = row.Timecode ? QString::fromLatin1(row.Timecode) : place;
        EXPECT_EQ(timecode.value(0), expected);
        EXPECT_EQ(Probe(out)[QStringLiteral("r_frame_rate")].toString(), QString::fromLatin1(row.Rate));
    }

    const struct { QStringList Extra; int FirstNumber; int Count; } sequences[] = {
        {{QStringLiteral("--frames"), QStringLiteral("%1:").arg(first)}, first, 3},
        {{QStringLiteral("--frames"), QStringLiteral("2:4")}, 2, 3},
        {{QStringLiteral("--frames"), QStringLiteral("2:4"), QStringLiteral("--start-number"), QStringLiteral("0")}, 0, 3},
        {{QStringLiteral("--frames"), QStringLiteral("2:4"), QStringLiteral("--start-number"), QStringLiteral("1001")}, 1001, 3},
        {{QStringLiteral("--frames"), QStringLiteral("%1:9999").arg(first)}, first, 3},  // cut at the roll's end
    };
    for (const auto &row : sequences) {
        SCOPED_TRACE(row.Extra.join(QLatin1Char(' ')).toStdString());
        QTemporaryDir dir;
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), m_project, QStringLiteral("-o"),
                                                     dir.filePath(QStringLiteral("c_%04d.png")), QStringLiteral("-q")}
                                         + row.Extra);
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        QStringList names;
        for (int k = 0; k < row.Count; ++k)
            names << QStringLiteral("c_%1.png").arg(row.FirstNumber + k, 4, 10, QLatin1Char('0'));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), names);
    }
}

// A project that stores its start timecode is labelled from it unless --timecode names another,
// and slices start at their place after it; a format without timecode is written all the same.
TEST_F(RenderTest, ProjectStartTimecodeLabelsTheRollAndItsSlices)
{
    QJsonArray children;
    for (int i = 0; i < 4; ++i)
        children.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("TVmElementText")},
                                    {QStringLiteral("Text"), QStringLiteral("Credit %1").arg(i)},
                                    {QStringLiteral("TopOffset"), 200}});
    QJsonObject project{{QStringLiteral("kind"), QStringLiteral("TVmElementProject")},
                        {QStringLiteral("Width"), FilmWidth},
                        {QStringLiteral("Height"), FilmHeight},
                        {QStringLiteral("ScrollRate"), 4},
                        {QStringLiteral("FrameRate"), 25},
                        {QStringLiteral("StartTimecode"), QStringLiteral("01:00:00:00")},
                        {QStringLiteral("children"), children}};
    const auto import = [&](const QString &name) {
        QFile json(Path(name + QStringLiteral(".json")));
        EXPECT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(project).toJson());
        json.close();
        return RunCli({QStringLiteral("import"), json.fileName(), QStringLiteral("-o"), Path(name + QStringLiteral(".vmz"))});
    };
    ASSERT_EQ(import(QStringLiteral("hour")).ExitCode, 0);
    const QString stored = Path(QStringLiteral("hour.vmz"));
    EXPECT_TRUE(RunCli({QStringLiteral("info"), stored}).Out.contains("Start timecode: 01:00:00:00\n"));
    EXPECT_FALSE(RunCli({QStringLiteral("info"), m_project}).Out.contains("Start timecode"));

    const struct { QStringList Extra; const char *Output; const char *Timecode; } rows[] = {
        {{QStringLiteral("--frames"), QStringLiteral("100:104")}, "s.mov", "01:00:04:00"},
        {{QStringLiteral("--frames"), QStringLiteral("100:104"), QStringLiteral("--timecode"), QStringLiteral("02:00:00:00")},
         "s.mov", "02:00:04:00"},
        {{QStringLiteral("--frames"), QStringLiteral("0:4")}, "s.mov", "01:00:00:00"},
        {{QStringLiteral("--frames"), QStringLiteral("100:104"), QStringLiteral("--slice-timecode"), QStringLiteral("05:00:00:00")},
         "s.mov", "05:00:00:00"},
        {{QStringLiteral("--frames"), QStringLiteral("100:104")}, "s.mp4", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Extra.join(QLatin1Char(' ')).toStdString() + " " + row.Output);
        const QString out = Path(QString::fromLatin1(row.Output));
        QFile::remove(out);
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), stored, QStringLiteral("-o"), out,
                                                     QStringLiteral("--codec"), QStringLiteral("h264"), QStringLiteral("-q")}
                                         + row.Extra);
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(ProbeEntries(out, QStringLiteral("stream_tags=timecode")).value(0), QString::fromLatin1(row.Timecode));
    }

    // A drop-frame start needs an NTSC rate: the render says whose start it is and writes nothing.
    const QString dropped = Path(QStringLiteral("drop.mov"));
    project[QStringLiteral("FrameRate")] = 30;
    project[QStringLiteral("StartTimecode")] = QStringLiteral("01:00:00;00");
    ASSERT_EQ(import(QStringLiteral("drop")).ExitCode, 0);
    const TCliResult refused = RunCli({QStringLiteral("render"), Path(QStringLiteral("drop.vmz")), QStringLiteral("-o"), dropped});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains("The project's start timecode")) << refused.Err.toStdString();
    EXPECT_FALSE(QFile::exists(dropped));
    const TCliResult ntsc = RunCli({QStringLiteral("render"), Path(QStringLiteral("drop.vmz")), QStringLiteral("-o"), dropped,
                                    QStringLiteral("--rate"), QStringLiteral("29.97"), QStringLiteral("--frames"),
                                    QStringLiteral("0:1"), QStringLiteral("-q")});
    ASSERT_EQ(ntsc.ExitCode, 0) << ntsc.Err.toStdString();
    EXPECT_EQ(ProbeEntries(dropped, QStringLiteral("stream_tags=timecode")).value(0), QStringLiteral("01:00:00;00"));

    project[QStringLiteral("FrameRate")] = 25;
    project[QStringLiteral("StartTimecode")] = QStringLiteral("01:00:00:25");
    const TCliResult badJson = import(QStringLiteral("bad"));
    EXPECT_NE(badJson.ExitCode, 0);
    EXPECT_TRUE(badJson.Err.contains("StartTimecode")) << badJson.Err.toStdString();
}

// A key frame every N frames, exactly, in every codec that has a choice: 18 unless told.
TEST_F(RenderTest, KeyFramesComeAtTheIntervalAsked)
{
    const struct { const char *Name; QStringList Extra; int Every; } rows[] = {
        {"k.mp4", {}, 18},
        {"k5.mp4", {QStringLiteral("--keyframes"), QStringLiteral("5")}, 5},
        {"k7.mkv", {QStringLiteral("--codec"), QStringLiteral("h265"), QStringLiteral("--keyframes"), QStringLiteral("7")}, 7},
        {"k.mov", {QStringLiteral("--codec"), QStringLiteral("h265")}, 18},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const QString out = Path(QString::fromLatin1(row.Name));
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), m_project, QStringLiteral("-o"), out, QStringLiteral("-q")}
                                         + row.Extra);
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QStringList flags = ProbeEntries(out, QStringLiteral("frame=key_frame"));
        ASSERT_EQ(flags.size(), m_frameCount);
        for (int k = 0; k < m_frameCount; ++k)
            EXPECT_EQ(flags[k], k % row.Every == 0 ? QStringLiteral("1") : QStringLiteral("0")) << "frame " << k;
    }
}

// Ctrl-C, SIGTERM and SIGHUP stop the run after the frame in hand; the frames written so far
// replace the target as a playable file and the exit code says which signal it was.
TEST_F(RenderTest, StopSignalsCloseAPlayableFileAndExitWith128PlusTheSignal)
{
    // A roll long enough to be interrupted: the demo in FFV1 on one thread takes several seconds.
    const QString project = Path(QStringLiteral("demo.vmz"));
    ASSERT_EQ(RunCli({QStringLiteral("import"), QStringLiteral(VELMORA_EXAMPLES_DIR "/demo.json"), QStringLiteral("-o"), project}).ExitCode, 0);
    const struct { int Signal; int ExitCode; } rows[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Signal);
        const QString video = Path(QStringLiteral("interrupted-%1.avi").arg(row.Signal));
        QProcess process;
        process.start(QStringLiteral(VELMORA_CLI), {QStringLiteral("render"), project, QStringLiteral("-o"), video,
                                                    QStringLiteral("--codec"), QStringLiteral("ffv1"), QStringLiteral("--threads"),
                                                    QStringLiteral("1")});
        ASSERT_TRUE(process.waitForStarted());
        // Wait until the file being written (beside the target) has frames in it, then signal.
        const QString partial = QStringLiteral("interrupted-%1.part-*.avi").arg(row.Signal);
        auto written = [&] {
            const QFileInfoList files = QDir(m_dir.path()).entryInfoList({partial}, QDir::Files);
            return files.isEmpty() ? qint64(0) : files.first().size();
        };
        for (int i = 0; i < 200 && written() < 100000; ++i)
            QThread::msleep(50);
        EXPECT_FALSE(QFile::exists(video));  // not in place before it is closed
        ::kill(pid_t(process.processId()), row.Signal);
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), row.ExitCode);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("holds the (\\d+) frames written")).match(err);
        ASSERT_TRUE(match.hasMatch()) << err.toStdString();
        const int frames = match.captured(1).toInt();
        EXPECT_GT(frames, 0);
        EXPECT_EQ(Probe(video)[QStringLiteral("nb_read_frames")].toString().toInt(), frames);
        EXPECT_TRUE(QDir(m_dir.path()).entryList({partial}, QDir::Files).isEmpty());
    }
}

// Every output is written in the format its name says; a name Velmora cannot write is
// refused before anything is written, with the names that work.
TEST_F(RenderTest, OutputsAreWhatTheirNamesSay)
{
    const std::vector<QImage> stills = [this] {
        std::vector<QImage> all;
        for (int k = 0; k < m_frameCount; ++k)
            all.push_back(Still(k * Scroll));
        return all;
    }();
    // 99: exact. 4:2:0 chroma costs saturated text a lot, as in the AVI table above.
    const struct { const char *Name; QStringList Extra; const char *Codec; const char *Rate; double MinimumPsnr; } rows[] = {
        {"x.mp4", {}, "h264", "24/1", 22},
        {"x.mov", {"--rate", "24000/1001"}, "prores", "24000/1001", 26},  // 4:2:2
        {"x.mkv", {}, "ffv1", "24/1", 99},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        const QString out = Path(QString::fromLatin1(row.Name));
        const TCliResult result = RunCli(QStringList{QStringLiteral("render"), m_project, QStringLiteral("-o"), out,
                                                     QStringLiteral("--quality"), QStringLiteral("9000"), QStringLiteral("-q")}
                                         + row.Extra);
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QJsonObject stream = Probe(out);
        EXPECT_EQ(stream[QStringLiteral("codec_name")].toString(), QString::fromLatin1(row.Codec));
        EXPECT_EQ(stream[QStringLiteral("r_frame_rate")].toString(), QString::fromLatin1(row.Rate));
        EXPECT_EQ(stream[QStringLiteral("nb_read_frames")].toString().toInt(), m_frameCount);
        const std::vector<QImage> frames = Decode(out);
        ASSERT_EQ(int(frames.size()), m_frameCount);
        for (int k = 0; k < m_frameCount; ++k) {
            if (row.MinimumPsnr >= 99)
                EXPECT_EQ(frames[k], stills[k]) << k;
            else
                EXPECT_GE(Psnr(frames[k], stills[k]), row.MinimumPsnr) << k;
        }
    }

    // A sequence: numbered from --start-number, each file the still of its frame.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("seq")));
    const TCliResult sequence = RunCli({QStringLiteral("render"), m_project, QStringLiteral("-o"),
                                        Path(QStringLiteral("seq/c_%04d.tif")), QStringLiteral("--start-number"),
                                        QStringLiteral("5"), QStringLiteral("-q")});
    ASSERT_EQ(sequence.ExitCode, 0) << sequence.Err.toStdString();
    EXPECT_EQ(QDir(Path(QStringLiteral("seq"))).entryList(QDir::Files).size(), m_frameCount);
    for (int k = 0; k < m_frameCount; ++k)
        EXPECT_EQ(QImage(Path(QStringLiteral("seq/c_%1.tif").arg(k + 5, 4, 10, QLatin1Char('0')))).convertToFormat(QImage::Format_RGB888),
                  stills[k]) << k;

    // Stills: the bytes of the format the extension names.
    const struct { const char *Name; QByteArray Magic; } images[] = {
        {"s.tif", QByteArray("II*\0", 4)}, {"s.jpg", QByteArray("\xFF\xD8\xFF")}, {"s.bmp", QByteArray("BM")},
        {"s.png", QByteArray("\x89PNG")}};
    for (const auto &image : images) {
        SCOPED_TRACE(image.Name);
        const QString out = Path(QString::fromLatin1(image.Name));
        ASSERT_EQ(RunCli({QStringLiteral("still"), m_project, QStringLiteral("-p"), QStringLiteral("40"), QStringLiteral("-o"), out}).ExitCode, 0);
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(4).startsWith(image.Magic));
    }
}

TEST_F(RenderTest, RefusalsWriteNothingAndSayWhatWorks)
{
    const QByteArray pastTheEnd = QStringLiteral("past the end of the roll, which has frames 0 to %1.").arg(m_frameCount - 1).toUtf8();
    const QByteArray lastPosition = QStringLiteral("positions run from 0 to %1").arg(m_positionRange).toUtf8();
    const QString beyond = QString::number(m_frameCount);
    const struct { QStringList Arguments; const char *Output; int Exit; QByteArray Words; } rows[] = {
        {{QStringLiteral("render"), QStringLiteral("--frames"), QStringLiteral("9000:9100")}, "x.mov", 2, pastTheEnd},
        {{QStringLiteral("render"), QStringLiteral("--frames"), beyond + QStringLiteral(":")}, "x.avi", 2, pastTheEnd},
        {{QStringLiteral("render"), QStringLiteral("--frames"), beyond + QStringLiteral(":9999")}, "f_%04d.png", 2, pastTheEnd},
        {{QStringLiteral("still"), QStringLiteral("-p"), QString::number(m_positionRange + 1)}, "x.png", 2, lastPosition},
        {{QStringLiteral("render"), QStringLiteral("--rate"), QStringLiteral("25"), QStringLiteral("--timecode"),
          QStringLiteral("01:00:00;00")}, "x.mov", 1, "needs 30000/1001 or 60000/1001"},
        {{QStringLiteral("render"), QStringLiteral("--rate"), QStringLiteral("29.97"), QStringLiteral("--timecode"),
          QStringLiteral("00:01:00;01")}, "x.mov", 1, "names no frame"},
        {{QStringLiteral("render")}, "x.xyz", 2, "Velmora writes avi, mov, mp4, m4v, mkv, mxf, png, tif, tiff, dpx, exr"},
        {{QStringLiteral("still"), QStringLiteral("-p"), QStringLiteral("0")}, "x.xyz", 2, "images can be written as"},
        {{QStringLiteral("render"), QStringLiteral("--alpha")}, "x.mp4", 1, "carries no alpha channel"},
        {{QStringLiteral("render"), QStringLiteral("--codec"), QStringLiteral("prores")}, "x.mp4", 2,
         "MP4 files take the codecs h264, h265, not \"prores\""},
        {{QStringLiteral("render"), QStringLiteral("--rate"), QStringLiteral("24000/1001")}, "x.avi", 1,
         "AVI files take whole frame rates only"},
        {{QStringLiteral("render"), QStringLiteral("--codec"), QStringLiteral("dnxhr")}, "x.mov", 1,
         "DNxHR cannot code 160 x 120 pixels: it needs at least 256 x 120"},
        {{QStringLiteral("render"), QStringLiteral("--rate"), QStringLiteral("fast")}, "x.mov", 2, "--rate takes N, N/D or a decimal"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Words.toStdString());
        QTemporaryDir dir;
        const QString out = dir.filePath(QString::fromLatin1(row.Output));
        QStringList arguments = row.Arguments;
        arguments.insert(1, m_project);
        const TCliResult result = RunCli(arguments + QStringList{QStringLiteral("-o"), out});
        EXPECT_EQ(result.ExitCode, row.Exit);
        EXPECT_TRUE(result.Err.contains(row.Words)) << result.Err.toStdString();
        EXPECT_FALSE(result.Err.contains("@ 0x")) << "FFmpeg's own log reached the terminal";
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
    const TCliResult formats = RunCli({QStringLiteral("formats")});
    EXPECT_EQ(formats.ExitCode, 0);
    for (const char *line : {"avi ", "mov ", "mp4 ", "mkv ", "mxf ", "png ", "tiff ", "dpx ", "exr ", "prores", "4444 (4444) +alpha"})
        EXPECT_TRUE(formats.Out.contains(line)) << line;
}

} // namespace
