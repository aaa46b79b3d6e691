// Cost of one 1920 x 1080 frame for rolls of 20, 200 and 2000 text elements (with column sets
// and pictures), in the middle of the roll where the frame is full. Compare the per-frame times:
// skipping hidden elements should keep the long roll close to the short one.
#include "core/render/FrameRenderer.h"

#include "support/SampleRolls.h"

#include "OffscreenBenchMain.h"
#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

void RenderMiddleFrames(benchmark::State &state, bool skipInvisible)
{
    const int count = static_cast<int>(state.range(0));
    test::RollBuilder roll(1920, 1080);
    test::AddCreditRoll(roll, count, false);
    TFrameRenderer renderer;
    renderer.SetSkipInvisible(skipInvisible);
    renderer.RenderFrame(roll.tree, 0, false);
    // Positions that centre the roll's middle in the frame, a few scroll steps apart.
    const int middle = renderer.PositionRange() / 2;
    int step = 0;
    for (auto _ : state) {
        const QImage &frame = renderer.RenderFrame(roll.tree, middle + 4 * (step++ % 16), false);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["rollHeight"] = renderer.RollHeight();
}

void BM_FrameSkippingHidden(benchmark::State &state)
{
    RenderMiddleFrames(state, true);
}

void BM_FrameDrawingAll(benchmark::State &state)
{
    RenderMiddleFrames(state, false);
}

BENCHMARK(BM_FrameSkippingHidden)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameDrawingAll)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunOffscreenBenchmarks(argc, argv);
}
