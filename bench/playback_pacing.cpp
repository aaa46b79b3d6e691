// Plays a roll in the real editor window for a while and logs, for every frame, when it was
// due, when its render finished and when the preview painted it; prints frames shown and
// skipped and the error of the paint times against the ideal times.
#include "controls/PreviewPaintBox.h"
#include "core/elements/Interfaces.h"
#include "ui/window/MainWindow.h"
#include "ui/preview/Player.h"
#include "ui/preview/Transport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSlider>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;

namespace {

struct TFrameRecord
{
    int Frame = 0;
    qint64 Due = 0;
    qint64 Rendered = 0;
    qint64 Painted = -1;
};

double Ms(qint64 nanoseconds)
{
    return nanoseconds / 1e6;
}

// The window's own target, timing how long each frame takes to render and paint.
struct TTimedTarget : TForwardingPlaybackTarget
{
    const IPlaybackClock &Clock;
    std::vector<qint64> Costs;
    TTimedTarget(IPlaybackTarget &inner, const IPlaybackClock &clock) : TForwardingPlaybackTarget(inner), Clock(clock) {}
    void ShowFrame(int position) override
    {
        const qint64 start = Clock.NowNanoseconds();
        TForwardingPlaybackTarget::ShowFrame(position);
        Costs.push_back(Clock.NowNanoseconds() - start);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Playback pacing of the Velmora preview"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("Project file (.vmz) to play."));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Seconds to play (10)."), QStringLiteral("s"), QStringLiteral("10"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Frame rate (0: the project's)."), QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption start(QStringLiteral("start"), QStringLiteral("Start position (-1: the middle of the roll)."), QStringLiteral("p"), QStringLiteral("-1"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Write one line per frame here."), QStringLiteral("file"));
    parser.addOptions({seconds, fps, start, log});
    parser.process(app);
    if (parser.positionalArguments().isEmpty() || !QFileInfo::exists(parser.positionalArguments().constFirst())) {
        std::fprintf(stderr, "usage: velmora-bench-playback PROJECT.vmz [--seconds S] [--fps N] [--start P] [--log FILE]\n");
        return 2;
    }

    TMain window;
    window.show();
    window.OpenProjectFile(parser.positionalArguments().constFirst());
    auto *project = queryInterface<IProject>(window.Document().ProjectNode()->Element());
    if (parser.value(fps).toInt() > 0)
        project->SetFrameRate(parser.value(fps).toInt());
    window.RenderFrame();
    const int position = parser.value(start).toInt() >= 0 ? parser.value(start).toInt() : window.Controls().TrackBar->maximum() / 2;
    window.ShowFrameAt(position - position % std::max(1, project->GetScrollRate()));

    TMonotonicClock clock;
    TPlayer &player = window.Transport().Player();
    player.SetClock(clock);
    TTimedTarget timed(window.Transport().WindowTarget(), clock);
    player.SetTarget(timed);
    std::vector<TFrameRecord> records;
    records.reserve(4096);
    QObject::connect(&player, &TPlayer::FrameShown, &window, [&](int frame, qint64 due) {
        records.push_back({frame, due, clock.NowNanoseconds(), -1});
    });
    // Connected after the window's own paint handler: the frame is in the window's buffer now.
    std::vector<std::pair<int, qint64>> paints;  // position, time
    paints.reserve(8192);
    QObject::connect(window.Controls().PreviewBox, &TPreviewPaintBox::OnPaint, &window,
        [&] {
            if (player.IsPlaying())
                paints.emplace_back(window.FramePosition(), clock.NowNanoseconds());
        });

    const int playMs = parser.value(seconds).toInt() * 1000;
    // Let the window settle on the screen before the clock starts.
    QTimer::singleShot(1000, &window, [&] {
        player.Play(1);
        QTimer::singleShot(playMs, Qt::PreciseTimer, &window, [&] {
            player.Pause();
            QApplication::quit();
        });
    });
    QApplication::exec();

    // Each frame's first paint; a forward run shows every position at most once.
    const int scroll = std::max(1, project->GetScrollRate());
    std::size_t next = 0;
    for (TFrameRecord &r : records)
        for (std::size_t i = next; i < paints.size(); ++i)
            if (paints[i].first == r.Frame * scroll) {
                r.Painted = paints[i].second;
                next = i + 1;
                break;
            }

    int shown = 0;
    int unpainted = 0;
    double sum = 0;
    double absoluteSum = 0;
    double worst = 0;
    std::vector<double> errors;
    double renderSum = 0;
    double renderWorst = 0;
    QFile logFile(parser.value(log));
    QTextStream out(&logFile);
    if (parser.isSet(log) && logFile.open(QIODevice::WriteOnly | QIODevice::Text))
        out << "frame\tdue_ms\trendered_ms\tpainted_ms\terror_ms\n";
    const qint64 origin = records.empty() ? 0 : records.front().Due;
    for (const TFrameRecord &r : records) {
        const double render = Ms(r.Rendered - r.Due);
        renderSum += render;
        renderWorst = std::max(renderWorst, render);
        if (r.Painted < 0) {
            ++unpainted;
            continue;
        }
        ++shown;
        const double error = Ms(r.Painted - r.Due);
        sum += error;
        absoluteSum += std::abs(error);
        errors.push_back(error);
        worst = std::max(worst, std::abs(error));
        if (logFile.isOpen())
            out << r.Frame << '\t' << Ms(r.Due - origin) << '\t' << Ms(r.Rendered - origin) << '\t' << Ms(r.Painted - origin)
                << '\t' << error << '\n';
    }
    const int rate = std::max(1, project->GetFrameRate());
    const double frameMs = 1000.0 / rate;
    std::printf("film %dx%d at %d fps, preview %dx%d (zoom %d%%), %d s from position %d\n", project->GetWidth(),
        project->GetHeight(), rate, window.Controls().PreviewBox->width(), window.Controls().PreviewBox->height(), window.ZoomPercent(),
        playMs / 1000, position);
    std::printf("frames rendered %zu, shown %d, rendered but not painted %d, skipped %d\n", records.size(), shown,
        unpainted, player.SkippedFrames());
    if (shown > 0) {
        std::sort(errors.begin(), errors.end());
        const auto at = [&](double q) { return errors[std::min(errors.size() - 1, std::size_t(q * errors.size()))]; };
        std::printf("paint time - ideal time: mean %.2f ms, mean of |error| %.2f ms, worst |error| %.2f ms (%.2f of a %.1f ms frame)\n",
            sum / shown, absoluteSum / shown, worst, worst / frameMs, frameMs);
        std::printf("  min %.2f, median %.2f, 95th percentile %.2f, 99th percentile %.2f ms\n", errors.front(), at(0.5),
            at(0.95), at(0.99));
    }
    if (!records.empty())
        std::printf("frame shown (render and paint done) - ideal time: mean %.2f ms, worst %.2f ms\n", renderSum / records.size(), renderWorst);
    if (!timed.Costs.empty()) {
        std::sort(timed.Costs.begin(), timed.Costs.end());
        std::printf("render and paint of one frame: median %.2f ms, 95th percentile %.2f ms, worst %.2f ms\n",
            Ms(timed.Costs[timed.Costs.size() / 2]), Ms(timed.Costs[timed.Costs.size() * 95 / 100]), Ms(timed.Costs.back()));
    }
    return 0;
}
