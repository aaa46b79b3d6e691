#include "core/render/FrameRenderer.h"

#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/render/LayoutPass.h"

#include <QPainter>
#include <algorithm>
#include <limits>

namespace velmora {

const QImage &TFrameRenderer::RenderFrame(const TElementTree &tree, int position, bool showPlaceholders)
{
    const TElementNode *projectNode = tree.ProjectNode();
    const IProject *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    const int width = std::max(1, project ? project->GetWidth() : 1);
    const int height = std::max(1, project ? project->GetHeight() : 1);

    if (!PrepareFrame(width, height))
        return m_frame;
    // Each frame starts from nothing, so a translucent background never shows the previous
    // frame; an opaque background covers every pixel by itself.
    m_frameOpaque = project != nullptr && m_drawBackground && qAlpha(project->GetBackColor()) == 255;
    if (!m_frameOpaque)
        m_frame.fill(Qt::transparent);
    if (project == nullptr)
        return m_frame;

    QPainter painter(&m_frame);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (m_scale > 1)
        painter.scale(m_scale, m_scale);  // the layout stays in film pixels
    TLayoutPass pass(FilmOf(*projectNode));
    pass.FocusedNode = tree.FocusedNode();
    pass.ShowPlaceholders = showPlaceholders;
    pass.SkipInvisible = m_skipInvisible;
    pass.DrawBackground = m_drawBackground;
    const qint32 top = height - position;
    const bool indexed = m_unchangingTree && m_skipInvisible && !m_index.Empty() && m_indexedTree == &tree
        && m_indexedProject == projectNode && m_indexedFocus == tree.FocusedNode() && m_indexedWidth == width
        && m_indexedHeight == height;
    std::vector<TPlacedNode> placements;
    if (indexed)
        pass.Index = &m_index;
    else if (m_unchangingTree && m_skipInvisible)
        pass.Placements = &placements;
    const qint32 bottom = pass.RenderNode(*projectNode, painter, TLayoutRect{0, 0, width, height}, top);
    m_rollHeight = ClampToInt32(qint64(bottom) - top);
    m_focusedBand = pass.FocusedBand;
    if (indexed && !m_focusedBand)
        m_focusedBand = m_index.FocusedBand(top);  // the focused node may lie away from the frame
    if (pass.Placements != nullptr) {
        m_index.Build(*projectNode, placements, tree.FocusedNode());
        m_indexedTree = &tree;
        m_indexedProject = projectNode;
        m_indexedFocus = tree.FocusedNode();
        m_indexedWidth = width;
        m_indexedHeight = height;
    }
    return m_frame;
}

bool TFrameRenderer::PrepareFrame(int width, int height)
{
    const qint64 scaledWidth = qint64(width) * m_scale;
    const qint64 scaledHeight = qint64(height) * m_scale;
    const QImage::Format format = FrameFormat();
    // A frame offered that does not fit is let go; the renderer's own is kept for reuse.
    if (m_nextFrame.size() == QSize(int(scaledWidth), int(scaledHeight)) && m_nextFrame.format() == format)
        m_frame = std::move(m_nextFrame);
    m_nextFrame = QImage();
    if (m_frame.width() != scaledWidth || m_frame.height() != scaledHeight || m_frame.format() != format)
        m_frame = ImageSizeProblem(scaledWidth, scaledHeight, QString(), m_deepFrames ? 8 : 4).isEmpty()
            ? QImage(int(scaledWidth), int(scaledHeight), format)
            : QImage();  // beyond the memory one image may take: reported as a null frame
    m_filmHeight = height;
    m_rollHeight = 0;
    m_focusedBand.reset();
    m_frameOpaque = false;
    return !m_frame.isNull();
}

void TFrameRenderer::SetUnchangingTree(bool on)
{
    m_unchangingTree = on;
    m_index.Clear();
}

QImage::Format TFrameRenderer::FrameFormat() const
{
    return m_deepFrames ? QImage::Format_RGBA64_Premultiplied : QImage::Format_ARGB32_Premultiplied;
}

void TFrameRenderer::MeasureRoll(const TElementTree &tree)
{
    const TElementNode *projectNode = tree.ProjectNode();
    const IProject *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    const int width = std::max(1, project ? project->GetWidth() : 1);
    const int height = std::max(1, project ? project->GetHeight() : 1);
    m_filmHeight = height;
    m_rollHeight = 0;
    m_rollSaturated = false;
    if (project == nullptr)
        return;
    // Elements draw nothing in this pass; the painter only has to exist.
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixel);
    TLayoutPass pass(FilmOf(*projectNode));
    pass.MeasureOnly = true;
    // From the top a render at position 0 uses, so saturated sums come out the same.
    const qint32 top = height;
    const qint32 bottom = pass.RenderNode(*projectNode, painter, TLayoutRect{0, 0, width, height}, top);
    m_rollHeight = ClampToInt32(qint64(bottom) - top);
    m_rollSaturated = bottom >= std::numeric_limits<qint32>::max();
}

QString TFrameRenderer::RollTooTallProblem() const
{
    constexpr qint64 Largest = std::numeric_limits<qint32>::max();
    if (!m_rollSaturated && qint64(m_filmHeight) + m_rollHeight < Largest)
        return QString();
    return QStringLiteral("The roll is taller than Velmora can play: with the film's %1 pixels its positions pass %2 "
                          "(2^31 - 1); make its elements, offsets or gaps smaller.").arg(m_filmHeight).arg(Largest);
}

QString ImageSizeProblem(qint64 width, qint64 height, const QString &what, int bytesPerPixel)
{
    const qint64 bytes = std::max<qint64>(width, 1) * std::max<qint64>(height, 1) * bytesPerPixel;
    if (bytes <= MaxImageBytes)
        return QString();
    return QStringLiteral("%1 of %2 x %3 pixels would need %4 MB of memory; Velmora draws images of up to %5 MB.")
        .arg(what.isEmpty() ? QStringLiteral("An image") : what)
        .arg(width)
        .arg(height)
        .arg(bytes >> 20)
        .arg(MaxImageBytes >> 20);
}

std::vector<int> GenerationPositions(int positionRange, int scrollRate)
{
    std::vector<int> positions;
    if (scrollRate < 1)
        return positions;
    for (qint64 p = 0; p < positionRange; p += scrollRate)
        positions.push_back(static_cast<int>(p));
    return positions;
}

} // namespace velmora
