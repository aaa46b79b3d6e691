// Long rolls from project files: opening and laying a project out, and one 1920 x 1080 frame in
// the middle of its roll. Give the projects after the benchmark flags:
//   velmora-bench-long-roll [--benchmark_...] short.vmz long.vmz ...
// The per-frame times of a short and a long roll should stay close: only what is on screen
// costs anything.
#include "core/document/Document.h"
#include "core/render/FrameRenderer.h"

#include <QGuiApplication>
#include <QFileInfo>
#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

void OpenAndLayOut(benchmark::State &state, const QString &file)
{
    for (auto _ : state) {
        TDocument document;
        document.OpenProject(file);
        TFrameRenderer renderer;
        renderer.MeasureRoll(document.Tree());
        benchmark::DoNotOptimize(renderer.RollHeight());
    }
}

void MiddleFrame(benchmark::State &state, const QString &file, bool unchanging)
{
    TDocument document;
    document.OpenProject(file);
    TFrameRenderer renderer;
    renderer.SetUnchangingTree(unchanging);
    renderer.MeasureRoll(document.Tree());
    const int middle = renderer.PositionRange() / 2;
    // The first frame lays every element out; the frames measured are the ones after it.
    renderer.RenderFrame(document.Tree(), middle, false);
    int step = 0;
    for (auto _ : state) {
        const QImage &frame = renderer.RenderFrame(document.Tree(), middle + 4 * (step++ % 64), false);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["rollHeight"] = renderer.RollHeight();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QString file = QString::fromLocal8Bit(argv[i]);
        const std::string name = QFileInfo(file).fileName().toStdString();
        benchmark::RegisterBenchmark(("OpenAndLayOut/" + name).c_str(), OpenAndLayOut, file)->Unit(benchmark::kMillisecond);
        // Walking every element, as the editor does, and through the index, as a generation run does.
        benchmark::RegisterBenchmark(("MiddleFrameWalkingAll/" + name).c_str(), MiddleFrame, file, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("MiddleFrame/" + name).c_str(), MiddleFrame, file, true)->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
