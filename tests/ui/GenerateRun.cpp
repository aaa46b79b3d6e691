// The Generate command end to end: real window, real rendering, real FFmpeg, ffprobe on the file.
#include "EditorFixture.h"
#include "ui/generate/GenerationCommand.h"

#include <QLocale>

#include "core/export/run/GenerationRun.h"
#include "core/render/FrameRenderer.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <csignal>
#include <sys/resource.h>

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr int FilmWidth = 160;
constexpr int FilmHeight = 120;

// What ffprobe reads from a video's first stream.
struct TProbe
{
    int Frames = -1;
    QString Rate;
    QString Size;
};

QString Tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

TProbe Probe(const QString &fileName)
{
    QProcess process;
    process.start(Tool("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"),
                                       QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                                       QStringLiteral("stream=nb_read_packets,r_frame_rate,width,height"), QStringLiteral("-of"),
                                       QStringLiteral("default=noprint_wrappers=1"), fileName});
    process.waitForFinished(60000);
    TProbe probe;
    QString width;
    QString height;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const QString value = line.section(QLatin1Char('='), 1).trimmed();
        if (key == QLatin1String("nb_read_packets"))
            probe.Frames = value.toInt();
        else if (key == QLatin1String("r_frame_rate"))
            probe.Rate = value;
        else if (key == QLatin1String("width"))
            width = value;
        else if (key == QLatin1String("height"))
            height = value;
    }
    probe.Size = width + QLatin1Char('x') + height;
    return probe;
}

// Every frame of a video decoded to RGB by ffmpeg.
QList<QImage> DecodeFrames(const QString &fileName)
{
    QProcess process;
    process.start(Tool("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), fileName,
                                      QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                                      QStringLiteral("rgb24"), QStringLiteral("-")});
    process.waitForFinished(60000);
    const QByteArray data = process.readAllStandardOutput();
    const qsizetype frameBytes = qsizetype(FilmWidth) * FilmHeight * 3;
    QList<QImage> frames;
    for (qsizetype at = 0; at + frameBytes <= data.size(); at += frameBytes)
        frames << QImage(reinterpret_cast<const uchar *>(data.constData() + at), FilmWidth, FilmHeight, FilmWidth * 3,
                          QImage::Format_RGB888)
                      .copy();
    return frames;
}

bool IsPlain(const QImage &frame)
{
    const QRgb first = frame.pixel(0, 0);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (frame.pixel(x, y) != first)
                return false;
    return true;
}

// Lets writes past a size fail as a full disk would, for the life of the object.
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previous);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_previous)(int) = SIG_DFL;
};

// An editor over a small, quick project with one line of text.
struct TSmallProject : TEditorFixture
{
    QTemporaryDir Folder;

    explicit TSmallProject(int scrollRate, bool withText = true)
    {
        auto *project = queryInterface<IProject>(Project().Element());
        project->SetWidth(FilmWidth);
        project->SetHeight(FilmHeight);
        project->SetFrameRate(10);
        project->SetScrollRate(scrollRate);
        if (withText)
            AddText(Project(), QStringLiteral("Directed by Somebody"));
        Main().RenderFrame();
    }

    QString Path(const QString &name) const { return Folder.filePath(name); }
    // Saves the project as name in the folder through File > Save As; returns its path.
    QString SaveAs(const QString &name)
    {
        const QString path = Path(name);
        Prompts.Files = {path};
        Main().Controls().ActSaveAs->trigger();
        return path;
    }
    // Frames a complete run writes, from the roll as it is now.
    int ExpectedFrames() { return FrameCountFor(FilmHeight + Main().RollHeight(), queryInterface<IProject>(Project().Element())->GetScrollRate()); }
    // Runs Generate with the output file and codec answered.
    void Generate(const QString &fileName, const QString &handler)
    {
        Prompts.Files = {fileName};
        Prompts.Codecs = {handler};
        Main().Controls().ActGenerateFrames->trigger();
    }
    // Calls hook for every frame the run reports, with the frame's position.
    template <typename Hook>
    void OnProgress(Hook hook)
    {
        QObject::connect(Main().Controls().GenerationProgressBar, &QProgressBar::valueChanged, Main().Controls().GenerationProgressBar, hook);
    }
};

void VerifyEditingState(TMain &w)
{
    QVERIFY(!w.Generating());
    QVERIFY(w.Controls().GeneratingPanel->isHidden());
    QVERIFY(w.Controls().TrackBar->isVisible());
    QVERIFY(!w.Controls().ActShowElements->isChecked() && !w.Controls().ActShowProperties->isChecked());
    QVERIFY(w.Controls().ElementsPanel->width() > 0 && w.Controls().Pages->width() > 0);
    QVERIFY(w.Controls().ActGenerateFrames->isEnabled() && w.Controls().ActNew->isEnabled());
}

// The start timecode a QuickTime file carries, as ffprobe reads it.
QString MovTimecode(const QString &fileName)
{
    QProcess process;
    process.start(Tool("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                       QStringLiteral("stream_tags=timecode"), QStringLiteral("-of"),
                                       QStringLiteral("default=noprint_wrappers=1:nokey=1"), fileName});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n')).first().trimmed();
}

} // namespace

class GenerateRunTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (Tool("ffprobe").isEmpty() || Tool("ffmpeg").isEmpty())
            QSKIP("ffprobe and ffmpeg are needed to read the videos back");
    }

    void writesEveryFrameOfTheRoll_data()
    {
        QTest::addColumn<int>("scrollRate");
        QTest::addColumn<QString>("handler");
        QTest::newRow("cinepak") << 30 << "CVID";
        QTest::newRow("motion jpeg") << 17 << "MJPG";
        QTest::newRow("lossless") << 45 << "FFV1";
        QTest::newRow("rate beyond the roll: one frame") << 1000 << "CVID";
    }
    void writesEveryFrameOfTheRoll()
    {
        QFETCH(int, scrollRate);
        QFETCH(QString, handler);
        TSmallProject f(scrollRate);
        TMain &w = f.Main();
        const int expected = f.ExpectedFrames();
        QVERIFY(expected > 0);
        const QString file = f.Path(QStringLiteral("roll.avi"));
        f.Generate(file, handler);

        QVERIFY2(f.Prompts.Errors.isEmpty(), qPrintable(f.Prompts.Errors.join(QLatin1Char('\n'))));
        const TProbe probe = Probe(file);
        QCOMPARE(probe.Frames, expected);
        QCOMPARE(probe.Rate, QStringLiteral("10/1"));
        QCOMPARE(probe.Size, QStringLiteral("160x120"));
        VerifyEditingState(w);
        // The preview stays at the last frame; the progress bar ends on it, below its maximum.
        const int last = (expected - 1) * scrollRate;
        QCOMPARE(w.FramePosition(), last);
        QCOMPARE(w.Controls().TrackBar->value(), last);
        QCOMPARE(w.Controls().GenerationProgressBar->value(), last);
        QCOMPARE(w.Controls().GenerationProgressBar->maximum(), FilmHeight + w.RollHeight());
        QCOMPARE(w.Controls().GeneratingOutputInfo->text(), QDir::toNativeSeparators(file));
        // The end is said: file, frames and size.
        QCOMPARE(f.Prompts.Informations.size(), 1);
        const QString said = f.Prompts.Informations.front();
        QVERIFY2(said.startsWith(QStringLiteral("Wrote %1 frames to \"%2\" (").arg(expected).arg(QDir::toNativeSeparators(file))), qPrintable(said));
        QVERIFY(said.contains(QLocale::system().formattedDataSize(QFileInfo(file).size())));
    }

    void progressAndEndTexts_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("range");
        QTest::addColumn<QString>("text");
        QTest::newRow("before the first frame") << 0 << 0.0 << 0 << 1000 << "%p%";
        QTest::newRow("a quarter in 30 s") << 50 << 30.0 << 250 << 1000 << "%p%  1.7 fps  about 1:30 left";
        QTest::newRow("fast") << 600 << 10.0 << 900 << 1000 << "%p%  60.0 fps  about 0:01 left";
        QTest::newRow("at the end") << 100 << 4.0 << 1000 << 1000 << "%p%  25.0 fps";
    }
    void progressAndEndTexts()
    {
        QFETCH(int, frames);
        QFETCH(double, seconds);
        QFETCH(int, position);
        QFETCH(int, range);
        QFETCH(QString, text);
        QCOMPARE(GenerationProgressText(frames, seconds, position, range), text);
        const TGenerationResult cancelled{TGenerationOutcome::Cancelled, frames, QString()};
        QCOMPARE(GenerationEndMessage(QStringLiteral("/tmp/a.avi"), cancelled, 10, seconds),
            QStringLiteral("Generation cancelled: \"%1\" keeps the %2 frames written.").arg(QDir::toNativeSeparators("/tmp/a.avi")).arg(frames));
        const TGenerationResult done{TGenerationOutcome::Completed, frames, QString()};
        QVERIFY(GenerationEndMessage(QStringLiteral("/tmp/%06d.png"), done, -1, 75.0).endsWith(QStringLiteral("\" in 1:15.")));
        const TGenerationResult options{TGenerationOutcome::OptionsCancelled, 0, QString()};
        QVERIFY(GenerationEndMessage(QStringLiteral("/tmp/a.avi"), options, -1, 1.0).isEmpty());
    }

    void windowIsLockedWhileGenerating()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        const QString file = f.Path(QStringLiteral("locked.avi"));
        int checks = 0;
        // The bar moves first at the second frame, well inside the run.
        f.OnProgress([&](int position) {
            if (position == 0 || checks++ > 0)
                return;
            QVERIFY(w.Generating());
            QVERIFY(w.Controls().GeneratingPanel->isVisible());
            QVERIFY(w.Controls().TrackBar->isHidden());
            QCOMPARE(w.Controls().GeneratingOutputInfo->text(), QDir::toNativeSeparators(file));
            QVERIFY(w.Controls().ActShowElements->isChecked() && w.Controls().ActShowProperties->isChecked());
            QCOMPARE(w.Controls().ElementsPanel->width(), 0);
            QCOMPARE(w.Controls().Pages->width(), 0);
            const TMainControls &c = w.Controls();
            for (QAction *action : {c.ActNew, c.ActLoad, c.ActSave, c.ActSaveAs, c.ActShowPlaceholders, c.ActShowElements, c.ActShowProperties,
                     c.ActGenerateFrames})
                QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
            // Closing is refused without a question, and a second Generate does nothing.
            QVERIFY(!w.close());
            QVERIFY(w.isVisible());
            w.Controls().ActGenerateFrames->trigger();
        });
        f.Generate(file, QStringLiteral("CVID"));
        QVERIFY(checks > 1);
        QVERIFY(f.Prompts.Questions.isEmpty());
        QCOMPARE(f.Prompts.OutputProposals.size(), 1);
        QCOMPARE(Probe(file).Frames, f.ExpectedFrames());
        VerifyEditingState(w);
    }

    void cancelKeepsTheFramesWritten_data()
    {
        QTest::addColumn<int>("pressAt");  // position reported before Cancel; -1: during the first frame
        QTest::addColumn<int>("frames");
        QTest::newRow("during the first frame") << -1 << 1;
        QTest::newRow("after the second frame") << 10 << 2;
        QTest::newRow("after the third frame") << 20 << 3;
    }
    void cancelKeepsTheFramesWritten()
    {
        QFETCH(int, pressAt);
        QFETCH(int, frames);
        TSmallProject f(10);
        TMain &w = f.Main();
        QVERIFY(f.ExpectedFrames() > 5);
        const auto press = [&w] { QTest::mouseClick(w.Controls().CancelGenerationButton, Qt::LeftButton); };
        if (pressAt < 0)
            QTimer::singleShot(0, &w, press);  // delivered by the event processing of the first frame
        else
            f.OnProgress([&](int position) {
                if (position == pressAt)
                    press();
            });
        const QString file = f.Path(QStringLiteral("cancelled.avi"));
        f.Generate(file, QStringLiteral("MJPG"));
        QVERIFY(f.Prompts.Errors.isEmpty());
        QCOMPARE(Probe(file).Frames, frames);
        QCOMPARE(w.FramePosition(), (frames - 1) * 10);
        VerifyEditingState(w);
        const TGenerationResult kept{TGenerationOutcome::Cancelled, frames, QString()};
        QCOMPARE(f.Prompts.Informations, QStringList{velmora::GenerationEndMessage(file, kept, 0, 0.0)});
    }

    void cancellingTheCodecChoiceWritesNothing()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        const QString file = f.Path(QStringLiteral("never.avi"));
        f.Generate(file, QString());
        QVERIFY(!QFile::exists(file));
        QVERIFY(f.Prompts.Errors.isEmpty());
        QCOMPARE(f.Prompts.CodecQuestions.size(), std::size_t(1));
        QCOMPARE(f.Prompts.CodecQuestions[0].Handler, QStringLiteral("CVID"));
        QCOMPARE(f.Prompts.CodecQuestions[0].Quality, 5000);
        QCOMPARE(f.Prompts.CodecQuestions[0].KeyFrameEvery, 18);
        QCOMPARE(f.Prompts.CodecQuestions[0].BytesPerSecond, 153600);
        VerifyEditingState(w);
        // Cancelling the output dialog asks nothing more.
        w.Controls().ActGenerateFrames->trigger();
        QCOMPARE(f.Prompts.CodecQuestions.size(), std::size_t(1));
    }

    void theCodecChoiceIsKeptForTheSession()
    {
        TSmallProject f(1000);
        f.Generate(f.Path(QStringLiteral("first.avi")), QStringLiteral("MJPG"));
        QVERIFY(f.Prompts.Errors.isEmpty());
        f.Generate(f.Path(QStringLiteral("second.avi")), QString());
        QCOMPARE(f.Prompts.CodecQuestions.size(), std::size_t(2));
        QCOMPARE(f.Prompts.CodecQuestions[1].Handler, QStringLiteral("MJPG"));
        // A cancelled choice is not remembered.
        f.Generate(f.Path(QStringLiteral("third.avi")), QString());
        QCOMPARE(f.Prompts.CodecQuestions[2].Handler, QStringLiteral("MJPG"));
    }

    void proposesTheProjectNameAsVideo()
    {
        TSmallProject f(1000);
        TMain &w = f.Main();
        // Never saved: empty first, then the name chosen last.
        const QString chosen = f.Path(QStringLiteral("chosen.avi"));
        f.Generate(chosen, QString());
        f.Generate(QString(), QString());
        f.Generate(QString(), QString());
        f.Prompts.Files = {f.Path(QStringLiteral("credits.vmz"))};
        w.Controls().ActSaveAs->trigger();
        QCOMPARE(w.Document().ProjectFileName(), f.Path(QStringLiteral("credits.vmz")));
        f.Generate(QString(), QString());
        QCOMPARE(f.Prompts.OutputProposals,
                 (QStringList{QString(), chosen, chosen, f.Path(QStringLiteral("credits.avi"))}));
        VerifyEditingState(w);
    }

    // Generate offers the format first; its extension goes into the proposed name, and the
    // choice (codec, profile, alpha, rate, scale) is offered again next time.
    void deliversOtherFormatsAndRemembersTheChoice()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        TDeliveryChoice choice;
        choice.Format = QStringLiteral("mov");
        choice.Codec = QStringLiteral("prores");
        choice.Profile = QStringLiteral("4444");
        choice.Alpha = true;
        choice.Rate = {24000, 1001};
        choice.Scale = 2;
        f.Prompts.Deliveries = {choice};
        const QString file = f.Path(QStringLiteral("master.mov"));
        f.Prompts.Files = {file};
        w.Controls().ActGenerateFrames->trigger();
        QVERIFY2(f.Prompts.Errors.isEmpty(), qPrintable(f.Prompts.Errors.join(QLatin1Char('\n'))));
        QVERIFY(f.Prompts.CodecQuestions.empty());  // the AVI codec dialog is for AVI only
        const TProbe probe = Probe(file);
        QCOMPARE(probe.Frames, f.ExpectedFrames());
        QCOMPARE(probe.Rate, QStringLiteral("24000/1001"));
        QCOMPARE(probe.Size, QStringLiteral("%1x%2").arg(2 * FilmWidth).arg(2 * FilmHeight));
        // The preview is back to the film size with its background.
        QCOMPARE(w.FrameBitmap().size(), QSize(FilmWidth, FilmHeight));
        QCOMPARE(qAlpha(w.FrameBitmap().pixel(0, 0)), 255);
        VerifyEditingState(w);

        f.Prompts.Files = {QString()};
        w.Controls().ActGenerateFrames->trigger();
        QCOMPARE(f.Prompts.DeliveryQuestions.size(), std::size_t(2));
        QVERIFY(f.Prompts.DeliveryQuestions[1] == choice);
        QCOMPARE(f.Prompts.OutputProposals, (QStringList{QStringLiteral("credits.mov"), file}));

        // A cancelled format choice asks nothing more.
        f.Prompts.Deliveries = {std::nullopt};
        w.Controls().ActGenerateFrames->trigger();
        QCOMPARE(f.Prompts.OutputProposals.size(), 2);
    }

    void writesThePartOfTheRollAskedForWithItsTimecode()
    {
        TSmallProject f(2);
        TMain &w = f.Main();
        queryInterface<IProject>(f.Project().Element())->SetFrameRate(25); // timecodes read back with two frame digits
        const int frames = f.ExpectedFrames();
        QVERIFY(frames > 60);
        TDeliveryChoice choice;
        choice.Format = QStringLiteral("mov");
        // Typed into the real dialog: refused ranges keep it open and say why; nothing is written.
        const struct
        {
            const char *In, *Out, *Timecode, *Refusal;
        } refused[] = {
            {"9999", "", "", "Frame 9999 and those after it are past the end of the roll, which has frames 0 to "},
            {"20", "10", "", "The out point, frame 10, comes before the in point, frame 20."},
            {"00:00:01:35", "", "", "In: not a frame number, and \"00:00:01:35\" is not a timecode"},
            {"", "", "01:00:00;00", "Start timecode: Drop-frame timecode"},
        };
        for (const auto &r : refused) {
            f.Prompts.Deliveries = {choice};
            f.Prompts.RangeReplies = {{r.In, r.Out, r.Timecode}};
            w.Controls().ActGenerateFrames->trigger();
            QVERIFY2(f.Prompts.RangeNotes.last().startsWith(QString::fromUtf8(r.Refusal)), qPrintable(f.Prompts.RangeNotes.last()));
            QVERIFY(f.Prompts.OutputProposals.isEmpty());
        }
        // Frames 10 to 1 s 05 (frame 30 at 25 fps), labelled from the start timecode asked for.
        const QString file = f.Path(QStringLiteral("part.mov"));
        f.Prompts.Deliveries = {choice};
        f.Prompts.RangeReplies = {{"10", "00:00:01:05", "10:00:00:00"}};
        f.Prompts.Files = {file};
        w.Controls().ActGenerateFrames->trigger();
        QVERIFY2(f.Prompts.Errors.isEmpty(), qPrintable(f.Prompts.Errors.join(QLatin1Char('\n'))));
        QCOMPARE(Probe(file).Frames, 21);
        QCOMPARE(MovTimecode(file), QStringLiteral("10:00:00:00"));
        QVERIFY(f.Prompts.Informations.last().startsWith(QStringLiteral("Wrote 21 frames")));
        // The next run offers the same range; without a timecode a part is labelled by its place.
        QCOMPARE(f.Main().findChild<TGenerationCommand *>()->Range(), (TGenerateRange{10, 30, QStringLiteral("10:00:00:00")}));
        f.Prompts.Deliveries = {choice};
        f.Prompts.RangeReplies = {{"00:00:02:00", "", ""}};
        f.Prompts.Files = {file};
        w.Controls().ActGenerateFrames->trigger();
        QCOMPARE(Probe(file).Frames, frames - 50);
        QCOMPARE(MovTimecode(file), QStringLiteral("00:00:02:00"));
        QCOMPARE(w.FramePosition(), (frames - 1) * 2);
    }

    void anUnwritableFileIsReported_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing folder") << "missing/out.avi";
        QTest::newRow("folder is a file") << "plain.txt/out.avi";
    }
    void anUnwritableFileIsReported()
    {
        QFETCH(QString, relative);
        TSmallProject f(40);
        QFile plain(f.Path(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString file = f.Path(relative);
        f.Generate(file, QStringLiteral("CVID"));
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY2(f.Prompts.Errors[0].contains(file), qPrintable(f.Prompts.Errors[0]));
        QVERIFY(!QFile::exists(file));
        VerifyEditingState(f.Main());
    }

    void theProjectFileIsNeverTheOutput()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        const QString project = f.SaveAs(QStringLiteral("credits.vmz"));
        QFile file(project);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        file.close();
        f.Generate(project, QStringLiteral("CVID"));
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY2(f.Prompts.Errors[0].contains(QStringLiteral("it is the input file")), qPrintable(f.Prompts.Errors[0]));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
        VerifyEditingState(w);
    }

    // A frame of a sequence whose name leads to the project through a link is refused.
    void aSequenceNeverWritesOverTheProject()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        const QString project = f.SaveAs(QStringLiteral("credits.vmz"));
        QFile file(project);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        file.close();
        QVERIFY(QFile::link(project, f.Path(QStringLiteral("s_000001.png"))));
        TDeliveryChoice choice;
        choice.Format = QStringLiteral("png");
        f.Prompts.Deliveries = {choice};
        f.Prompts.Files = {f.Path(QStringLiteral("s.png"))};
        w.Controls().ActGenerateFrames->trigger();
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY2(f.Prompts.Errors[0].contains(QStringLiteral("input")), qPrintable(f.Prompts.Errors[0]));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
        VerifyEditingState(w);
    }

    void aFullDiskEndsTheRunWithAPlayableFile()
    {
        TSmallProject f(4);
        const QString file = f.Path(QStringLiteral("full.avi"));
        {
            // Room for a few uncompressed frames (57600 bytes each) and no more.
            const TFileSizeLimit limit(200000);
            f.Generate(file, QStringLiteral("DIB "));
        }
        QCOMPARE(f.Prompts.Errors.size(), 1);
        QVERIFY2(f.Prompts.Errors[0].contains(file), qPrintable(f.Prompts.Errors[0]));
        VerifyEditingState(f.Main());
        const int frames = Probe(file).Frames;
        QVERIFY2(frames >= 1 && frames < f.ExpectedFrames(), qPrintable(QString::number(frames)));
    }

    void anEditDuringTheRunShowsInLaterFrames()
    {
        // No text yet: the frames are plain background until the edit.
        TSmallProject f(40, false);
        QCOMPARE(f.ExpectedFrames(), 3);
        f.OnProgress([&](int position) {
            if (position == 40)
                f.AddText(f.Project(), QStringLiteral("LATE ENTRY\nLATE ENTRY\nLATE ENTRY"));
        });
        const QString file = f.Path(QStringLiteral("edited.avi"));
        f.Generate(file, QStringLiteral("DIB "));
        QVERIFY(f.Prompts.Errors.isEmpty());
        const QList<QImage> frames = DecodeFrames(file);
        // The roll grew, so the run went on past its first end; the text shows once it is in.
        QCOMPARE(frames.size(), f.ExpectedFrames());
        QVERIFY(frames.size() > 3);
        QVERIFY(IsPlain(frames[0]) && IsPlain(frames[1]));
        QVERIFY(!IsPlain(frames[2]));
    }

    // Outlines shown in the preview are an editing aid: the video holds the command line's frames.
    void placeholdersStayOutOfTheVideo()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        w.Controls().ActShowPlaceholders->trigger();
        QVERIFY(w.ShowPlaceholders());
        const QString file = f.Path(QStringLiteral("outlines.avi"));
        f.Generate(file, QStringLiteral("DIB "));
        QVERIFY(f.Prompts.Errors.isEmpty());
        const QList<QImage> frames = DecodeFrames(file);
        QCOMPARE(frames.size(), f.ExpectedFrames());
        TFrameRenderer renderer;
        for (int i = 0; i < frames.size(); ++i) {
            const QImage expected = renderer.RenderFrame(w.Document().Tree(), i * 40, false).convertToFormat(QImage::Format_RGB888);
            QVERIFY2(frames[i] == expected, qPrintable(QStringLiteral("frame %1").arg(i)));
        }
        // Back in the editor, the preview shows the outlines again.
        QTRY_VERIFY(w.FrameBitmap() != renderer.RenderFrame(w.Document().Tree(), w.FramePosition(), false));
    }

    // A 16-bit sequence from the editor holds the levels the command line's does.
    void deepOutputsGetDeepFrames()
    {
        TSmallProject f(40);
        TMain &w = f.Main();
        TDeliveryChoice choice;
        choice.Format = QStringLiteral("png");
        choice.Codec = QStringLiteral("png");
        choice.Profile = QStringLiteral("16");
        f.Prompts.Deliveries = {choice};
        f.Prompts.Files = {f.Path(QStringLiteral("deep.png"))};
        w.Controls().ActGenerateFrames->trigger();
        QVERIFY2(f.Prompts.Errors.isEmpty(), qPrintable(f.Prompts.Errors.join(QLatin1Char('\n'))));
        const QImage frame = QImage(f.Path(QStringLiteral("deep_000001.png"))).convertToFormat(QImage::Format_RGBA64);
        QVERIFY(!frame.isNull());
        // Antialiased text edges: 8-bit values times 257 would all be multiples of 257.
        int between = 0;
        for (int y = 0; y < frame.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgba64 *>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x)
                between += line[x].green() % 257 != 0;
        }
        QVERIFY2(between > 0, "only 8-bit levels");
        QCOMPARE(w.FrameBitmap().depth(), 32);  // the preview is back to 8 bits
    }

    // A Cinepak data rate too low for the film size is said while the run goes.
    void aCoarseCinepakRateIsSaid()
    {
        TSmallProject f(400);
        auto *project = queryInterface<IProject>(f.Project().Element());
        project->SetWidth(1280);
        project->SetHeight(720);
        f.Main().RenderFrame();
        QString shown;
        f.OnProgress([&](int) { shown = f.Main().Controls().GeneratingOutputInfo->text(); });
        const QString file = f.Path(QStringLiteral("starved.avi"));
        f.Generate(file, QStringLiteral("CVID"));
        QVERIFY(f.Prompts.Errors.isEmpty());
        QVERIFY2(shown.contains(QStringLiteral("1280 x 720 at 10 frames per second")) && shown.contains(QStringLiteral("coarse")), qPrintable(shown));
        QVERIFY(shown.startsWith(QDir::toNativeSeparators(file)));
    }

    void undoDuringTheRunTakesOutWhatItDraws()
    {
        TSmallProject f(40, false);
        f.AddText(f.Project(), QStringLiteral("GONE\nGONE\nGONE"));
        f.Main().RenderFrame();
        QVERIFY(f.ExpectedFrames() > 3);
        QUndoStack &stack = f.Main().Document().UndoStack();
        const int steps = stack.index();
        f.OnProgress([&](int position) {
            // Between two frames, the text being drawn leaves the tree.
            if (position == 40 && f.Main().Controls().ActUndo->isEnabled())
                f.Main().Controls().ActUndo->trigger();
        });
        const QString file = f.Path(QStringLiteral("undone.avi"));
        f.Generate(file, QStringLiteral("DIB "));
        QVERIFY(f.Prompts.Errors.isEmpty());
        VerifyEditingState(f.Main());
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project"));
        const QList<QImage> frames = DecodeFrames(file);
        // The roll is empty from the third frame on, so the run ends with the bare film.
        QCOMPARE(frames.size(), 3);
        QVERIFY(IsPlain(frames[0]) && !IsPlain(frames[1]) && IsPlain(frames[2]));

        // The history is the same after the run: redo brings the text back, undo takes it again.
        QCOMPARE(stack.index(), steps - 1);
        f.Main().Controls().ActRedo->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project(GONE\nGONE\nGONE)"));
        f.Main().Controls().ActUndo->trigger();
        QCOMPARE(Structure(f.Project()), QStringLiteral("Velmora Project"));
    }
};

QTEST_MAIN(GenerateRunTest)
#include "GenerateRun.moc"
