// Credit blocks at 20 and 5,000 rows: reading the rows again and laying them out (what a save
// of a linked sheet costs), and one 1920 x 1080 frame in the middle of the roll. Per-frame cost
// should stay close between the two sizes: only the rows on screen are drawn.
#include "core/credits/CreditSource.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementProject.h"
#include "core/render/FrameRenderer.h"

#include "OffscreenBenchMain.h"
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

// A producer-style sheet: sections of pairs with continuation rows, cast lists and notes columns.
TCreditSource SourceOf(int rows)
{
    TCreditSource source;
    source.SheetPath = QStringLiteral("credits.csv");
    source.Sheet.Name = QStringLiteral("credits.csv");
    source.Sheet.Rows.push_back({1, {"Department", "Kind", "Role", "Name", "Text", "Columns", "Notes"}});
    for (int r = 0; r < rows; ++r) {
        const int number = r + 2;
        if (r % 40 == 0)
            source.Sheet.Rows.push_back({number, {"", "heading", "", "", QStringLiteral("SECTION %1").arg(r / 40), "", ""}});
        else if (r % 40 >= 30)
            source.Sheet.Rows.push_back({number, {"", "names", "", QStringLiteral("Name %1\nName %2").arg(r).arg(r + 1), "", "3", ""}});
        else
            source.Sheet.Rows.push_back({number, {"Crew", "pair", r % 3 == 0 && r % 40 > 1 ? "" : QStringLiteral("Role %1").arg(r),
                                                  QStringLiteral("Person %1").arg(r), "", "", "ok"}});
    }
    return source;
}

void BM_ReloadAndLayOut(benchmark::State &state)
{
    const TCreditSource source = SourceOf(int(state.range(0)));
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        TVmElementCreditBlock block(source);
        TLayoutRect rect{0, 0, 1920, 1080};
        QPainter painter(&pixel);
        block.Render(painter, rect, DrawFlags::MeasureOnly);
        benchmark::DoNotOptimize(rect.Height);
    }
}

void BM_MiddleFrame(benchmark::State &state)
{
    TElementTree tree;
    auto project = std::make_unique<TVmElementProject>();
    project->SetWidth(1920);
    project->SetHeight(1080);
    TElementNode &projectNode = tree.InsertChild(tree.Root(), 0, std::make_unique<TElementNode>(std::move(project)));
    tree.InsertChild(projectNode, 0, CreditBlockNode(SourceOf(int(state.range(0)))));
    TFrameRenderer renderer;
    renderer.RenderFrame(tree, 0, false);
    const int middle = renderer.PositionRange() / 2;
    int step = 0;
    for (auto _ : state) {
        const QImage &frame = renderer.RenderFrame(tree, middle + 4 * (step++ % 16), false);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["rollHeight"] = renderer.RollHeight();
}

BENCHMARK(BM_ReloadAndLayOut)->Arg(20)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MiddleFrame)->Arg(20)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunOffscreenBenchmarks(argc, argv);
}
