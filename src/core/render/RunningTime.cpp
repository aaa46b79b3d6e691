#include "core/render/RunningTime.h"

#include "core/document/ElementTree.h"
#include "core/elements/ElementImage.h"
#include "core/error.h"
#include "core/render/FrameRenderer.h"

#include <QRegularExpression>

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

} // namespace

std::optional<TRunningTimePlan> PlanRollRunningTime(TElementTree &tree, qint64 targetFrames)
{
    TElementNode *projectNode = tree.ProjectNode();
    if (projectNode == nullptr || queryInterface<IProject>(projectNode->Element()) == nullptr)
        return std::nullopt;
    // Measure without the gap an earlier fit added, so fitting twice gives the same roll; the
    // gap goes back at once, so the tree is as it was.
    TElementNode *oldGap = nullptr;
    std::unique_ptr<TElementNode> takenGap;
    if (projectNode->ChildCount() > 0 && IsFitGap(*projectNode->Child(projectNode->ChildCount() - 1)))
        takenGap = tree.TakeNode(*projectNode->Child(projectNode->ChildCount() - 1));
    TFrameRenderer renderer;
    renderer.RenderFrame(tree, 0, false);
    if (takenGap) {
        oldGap = takenGap.get();
        tree.InsertChild(*projectNode, projectNode->ChildCount(), std::move(takenGap));
    }
    const std::optional<TRunningTimeFit> fit = FitRunningTime(renderer.PositionRange(), targetFrames);
    if (!fit)
        return std::nullopt;
    return TRunningTimePlan{*fit, oldGap};
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
    TElementNode *projectNode = tree.ProjectNode();
    if (plan->OldGap != nullptr)
        tree.TakeNode(*plan->OldGap);
    queryInterface<IProject>(projectNode->Element())->SetScrollRate(plan->Fit.ScrollRate);
    if (plan->Fit.Gap > 0)
        tree.InsertChild(*projectNode, projectNode->ChildCount(), MakeRunningTimeGap(plan->Fit.Gap));
    return plan->Fit;
}

QString DescribeFit(const TRunningTimeFit &fit, int frameRate)
{
    const QString gap = fit.Gap > 0 ? QStringLiteral("with a %1-pixel gap at the end").arg(fit.Gap)
                                    : QStringLiteral("without a gap at the end");
    return QStringLiteral("Running time %1 (%2 frames): scrolling %3 pixels per frame, %4")
        .arg(FormatTimecode(fit.Frames, frameRate))
        .arg(fit.Frames)
        .arg(fit.ScrollRate)
        .arg(gap);
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
