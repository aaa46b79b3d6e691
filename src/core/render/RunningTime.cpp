#include "core/render/RunningTime.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/elements/ElementImage.h"
#include "core/error.h"
#include "core/render/FrameRenderer.h"
#include "core/render/LayoutPass.h"

#include <QPainter>

#include <QRegularExpression>
#include <algorithm>

namespace velmora {

qint64 ParseTimecode(const QString &text, int frameRate)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,4}):(\\d{2}):(\\d{2})(?::(\\d{1,3}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    const auto fail = [&](const QString &why) {
        throw EVelmoraError(QStringLiteral("the running time \"%1\" %2").arg(text, why));
    };
    if (!match.hasMatch())
        fail(QStringLiteral("is not HH:MM:SS or HH:MM:SS:FF"));
    const qint64 minutes = match.captured(2).toLongLong();
    const qint64 seconds = match.captured(3).toLongLong();
    const qint64 frames = match.captured(4).isEmpty() ? 0 : match.captured(4).toLongLong();
    if (minutes > 59 || seconds > 59)
        fail(QStringLiteral("has more than 59 minutes or seconds"));
    if (frames >= frameRate)
        fail(QStringLiteral("has %1 frames, but a second holds %2").arg(frames).arg(frameRate));
    const qint64 total = ((match.captured(1).toLongLong() * 60 + minutes) * 60 + seconds) * frameRate + frames;
    if (total <= 0)
        fail(QStringLiteral("is zero"));
    return total;
}

std::optional<TRunningTimeFit> FitRunningTime(qint64 positionRange, qint64 targetFrames, int maxScrollRate)
{
    if (positionRange <= 0 || targetFrames <= 0 || targetFrames > positionRange)
        return std::nullopt;
    // The smallest rate whose ceil(range / rate) does not exceed the target.
    const qint64 rate = (positionRange + targetFrames - 1) / targetFrames;
    if (rate > maxScrollRate)
        return std::nullopt;
    // Frames run while k * rate < range + gap: the least gap that brings the count to the target.
    const qint64 gap = std::max<qint64>(0, (targetFrames - 1) * rate + 1 - positionRange);
    return TRunningTimeFit{int(rate), int(gap), targetFrames};
}

namespace {

const QString FitGapCaption = QStringLiteral("Running time gap");

bool IsFitGap(const TElementNode &node)
{
    const auto *image = dynamic_cast<const TVmElementImage *>(node.Element());
    QString caption;
    if (image != nullptr)
        image->GetCaption(-1, caption);
    return image != nullptr && image->GetImage() == nullptr && caption == FitGapCaption;
}

TElementNode *LastFitGap(const TElementNode &projectNode)
{
    if (projectNode.ChildCount() == 0 || !IsFitGap(*projectNode.Child(projectNode.ChildCount() - 1)))
        return nullptr;
    return projectNode.Child(projectNode.ChildCount() - 1);
}

void CollectBlocks(const TElementNode &node, std::vector<TElementNode *> &out)
{
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        if (dynamic_cast<TVmElementCreditBlock *>(node.Child(i)->Element()) != nullptr)
            out.push_back(node.Child(i));
        CollectBlocks(*node.Child(i), out);
    }
}

const TVmElementCreditBlock &BlockOn(const TElementNode &node)
{
    return *static_cast<const TVmElementCreditBlock *>(node.Element());
}

// The position range of the roll as it is without an earlier fit: no end gap, no stretch.
qint64 RangeWithoutFit(const TFrameRenderer &measured, const TElementTree &tree)
{
    qint64 range = measured.PositionRange();
    if (const TElementNode *gap = LastFitGap(*tree.ProjectNode()))
        range -= std::max(0, dynamic_cast<const TVmElementImage *>(gap->Element())->GetFixedHeight());
    const TFilm film = FilmOf(*tree.ProjectNode());
    for (const TElementNode *node : CreditBlockNodes(tree)) {
        const TCreditLayout &layout = BlockOn(*node).LayoutFor(film);
        range -= qint64(layout.Height()) - layout.NaturalHeight();
    }
    return range;
}

} // namespace

std::vector<TElementNode *> CreditBlockNodes(const TElementTree &tree)
{
    std::vector<TElementNode *> nodes;
    CollectBlocks(tree.Root(), nodes);
    return nodes;
}

std::optional<TRunningTimePlan> PlanRollRunningTime(const TElementTree &tree, qint64 targetFrames)
{
    const TElementNode *projectNode = tree.ProjectNode();
    if (projectNode == nullptr || queryInterface<IProject>(projectNode->Element()) == nullptr)
        return std::nullopt;
    TFrameRenderer renderer;
    renderer.MeasureRoll(tree);
    // Measured without the gap an earlier fit added, so fitting twice gives the same roll.
    TElementNode *oldGap = LastFitGap(*projectNode);
    const std::optional<TRunningTimeFit> fit = FitRunningTime(RangeWithoutFit(renderer, tree), targetFrames);
    if (!fit)
        return std::nullopt;
    return TRunningTimePlan{*fit, oldGap};
}

TElementNode *RunningTimeGap(const TElementTree &tree)
{
    return tree.ProjectNode() ? LastFitGap(*tree.ProjectNode()) : nullptr;
}

std::unique_ptr<TElementNode> MakeRunningTimeGap(int height)
{
    auto gap = std::make_unique<TVmElementImage>();
    gap->SetCaption(-1, FitGapCaption);
    gap->SetUseFixedHeight(true);
    gap->SetFixedHeight(height);
    return std::make_unique<TElementNode>(std::move(gap));
}

std::optional<TRunningTimeFit> FitRollToRunningTime(TElementTree &tree, qint64 targetFrames)
{
    const std::optional<TRunningTimePlan> plan = PlanRollRunningTime(tree, targetFrames);
    if (!plan)
        return std::nullopt;
    ApplyFit(tree, plan->Fit, plan->OldGap);
    return plan->Fit;
}

void ApplyFit(TElementTree &tree, const TRunningTimeFit &fit, TElementNode *oldGap, TBlockStretches stretches)
{
    TElementNode &projectNode = *tree.ProjectNode();
    if (oldGap != nullptr)
        tree.TakeNode(*oldGap);
    queryInterface<IProject>(projectNode.Element())->SetScrollRate(fit.ScrollRate);
    for (TElementNode *node : CreditBlockNodes(tree)) {
        const auto named = std::find_if(stretches.begin(), stretches.end(), [node](const auto &s) { return s.first == node; });
        auto *block = static_cast<TVmElementCreditBlock *>(node->Element());
        block->SetStretches(named == stretches.end() ? std::vector<qint32>{} : std::move(named->second));
    }
    if (fit.Gap > 0)
        tree.InsertChild(projectNode, projectNode.ChildCount(), MakeRunningTimeGap(fit.Gap));
}

int RollOffsetOf(const TElementTree &tree, const TElementNode &node)
{
    const TElementNode *projectNode = tree.ProjectNode();
    const IProject *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (project == nullptr || &node == projectNode)
        return 0;
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixel);
    TLayoutPass pass(FilmOf(*projectNode));
    pass.MeasureOnly = true;
    pass.FocusedNode = &node;
    // From the top a frame at position 0 uses, as the roll's height is measured.
    const qint32 top = std::max(1, project->GetHeight());
    pass.RenderNode(*projectNode, painter, TLayoutRect{0, 0, std::max(1, project->GetWidth()), top}, top);
    return pass.FocusedBand ? ClampToInt32(qint64(pass.FocusedBand->first) - top) : 0;
}

QString DescribeFit(const TRunningTimeFit &fit, int frameRate)
{
    QString spaces;
    if (fit.Stretch > 0 && fit.Shrink > 0)
        spaces = QStringLiteral("%1 pixels added to and %2 taken from %3 elastic spaces").arg(fit.Stretch).arg(fit.Shrink).arg(fit.ElasticSpaces);
    else if (fit.Stretch > 0)
        spaces = QStringLiteral("%1 pixels spread over %2 elastic spaces").arg(fit.Stretch).arg(fit.ElasticSpaces);
    else if (fit.Shrink > 0)
        spaces = QStringLiteral("%1 pixels taken from %2 elastic spaces").arg(fit.Shrink).arg(fit.ElasticSpaces);
    const QString gap = fit.Gap > 0 ? (spaces.isEmpty() ? QString() : spaces + QStringLiteral(", "))
                                          + QStringLiteral("with a %1-pixel gap at the end").arg(fit.Gap)
        : !spaces.isEmpty() ? spaces + QStringLiteral(", no black at the end")
                            : QStringLiteral("without a gap at the end");
    const QString sections = fit.Sections > 0 ? QStringLiteral("; %1 section times met").arg(fit.Sections) : QString();
    return QStringLiteral("Running time %1 (%2 frames): scrolling %3 pixels per frame, %4%5")
        .arg(FormatTimecode(fit.Frames, frameRate))
        .arg(fit.Frames)
        .arg(fit.ScrollRate)
        .arg(gap, sections);
}

QString ScrollSpeedWarning(int filmHeight, int frameRate, int scrollRate)
{
    const double pixelsPerSecond = double(scrollRate) * frameRate;
    if (filmHeight <= 0 || pixelsPerSecond <= 0.0)
        return {};
    const double onScreen = filmHeight / pixelsPerSecond;
    if (onScreen >= MinimumSecondsOnScreen)
        return {};
    const int comfortable = std::max(1, int(filmHeight / (MinimumSecondsOnScreen * frameRate)));
    return QStringLiteral("Scrolling too fast to read: a line stays %1 s on screen (at least %2 s is comfortable, "
                          "%3 pixels per frame or less)")
        .arg(QString::number(onScreen, 'f', 1))
        .arg(MinimumSecondsOnScreen)
        .arg(comfortable);
}

} // namespace velmora
