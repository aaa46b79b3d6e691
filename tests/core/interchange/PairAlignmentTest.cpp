// Role/name pairs of a credit block in rendered pixels: first lines on one baseline, the gutter
// between them.
#include "core/document/ElementTree.h"
#include "core/elements/ElementProject.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/render/FrameRenderer.h"

#include "support/SheetFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace velmora {
namespace {

struct TInkRun
{
    int Top;
    int Bottom; // last row with ink
};

// Runs of rows holding bright pixels between x0 and x1.
std::vector<TInkRun> InkRuns(const QImage &frame, int x0, int x1, int *minX = nullptr, int *maxX = nullptr)
{
    std::vector<TInkRun> runs;
    bool inRun = false;
    for (int y = 0; y < frame.height(); ++y) {
        bool ink = false;
        for (int x = x0; x < x1; ++x)
            if (qGray(frame.pixel(x, y)) > 100) {
                ink = true;
                if (minX)
                    *minX = std::min(*minX, x);
                if (maxX)
                    *maxX = std::max(*maxX, x);
            }
        if (ink && !inRun)
            runs.push_back({y, y});
        if (ink)
            runs.back().Bottom = y;
        inRun = ink;
    }
    return runs;
}

TEST(PairAlignment, RoleAndNameShareTheirFirstBaseline)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pairs.csv");
    // Capitals only, so that the bottom of the ink is the baseline; the second name wraps.
    test::TTable table = {{"Kind", "Role", "Name"}};
    for (int i = 0; i < 6; ++i)
        table.push_back({"pair", i == 3 ? "HEAD OF\nDEPARTMENT" : "HEAD", i == 1 ? QString("NAME ").repeated(30).trimmed() : "NAME"});
    test::WriteSheet(path, table);
    TCreditSource source;
    source.Sheet = ReadSheet(path);
    source.StylesJson = QStringLiteral(R"({"Role": {"FontSize": 24, "Gutter": 60}, "Name": {"FontSize": 40}})");

    TElementTree tree;
    TElementNode &projectNode = tree.AddChild(tree.Root(), std::make_unique<TVmElementProject>());
    auto *project = dynamic_cast<TVmElementProject *>(projectNode.Element());
    project->SetWidth(1200);
    project->SetHeight(1000);
    project->SetBackColor(0xFF000000);
    tree.InsertChild(projectNode, 0, CreditBlockNode(std::move(source)));

    TFrameRenderer renderer;
    const QImage &frame = renderer.RenderFrame(tree, 1000, false); // the roll's top at the frame's top
    int roleRight = 0;
    int nameLeft = 1200;
    const std::vector<TInkRun> roles = InkRuns(frame, 0, 600, nullptr, &roleRight);
    const std::vector<TInkRun> names = InkRuns(frame, 600, 1200, &nameLeft, nullptr);
    ASSERT_EQ(roles.size(), 7u); // six roles, one of them on two lines
    ASSERT_GE(names.size(), 7u); // six names, one of them wrapped
    // The first line of each role: every run except the second line of the two-line role.
    for (std::size_t i : {0u, 2u, 3u, 5u, 6u}) {
        const TInkRun &role = roles[i];
        const auto facing = std::min_element(names.begin(), names.end(), [&](const TInkRun &a, const TInkRun &b) {
            return std::abs(a.Bottom - role.Bottom) < std::abs(b.Bottom - role.Bottom);
        });
        EXPECT_LE(std::abs(facing->Bottom - role.Bottom), 1) << "role " << i << " at " << role.Top;
        // The name is the taller text: its capitals start well above the role's.
        EXPECT_LT(facing->Top, role.Top - 5);
    }
    // The gutter keeps role and name apart on either side of the middle, wrapped lines too.
    EXPECT_LT(roleRight, 600 - 20);
    EXPECT_GT(nameLeft, 600 + 20);
    EXPECT_GT(roleRight, 600 - 40);
    EXPECT_LT(nameLeft, 600 + 40);
}

} // namespace
} // namespace velmora
