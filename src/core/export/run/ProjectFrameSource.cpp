#include "core/export/run/ProjectFrameSource.h"

#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/render/FrameRenderer.h"

#include <algorithm>

namespace velmora {

namespace {

const IProject *ProjectOf(const TElementTree &tree)
{
    const TElementNode *node = tree.ProjectNode();
    return node ? queryInterface<IProject>(node->Element()) : nullptr;
}

} // namespace

QSize TProjectFrameSource::FilmSize() const
{
    // The renderer never draws below 1 x 1; the video must match what it draws.
    const IProject *project = ProjectOf(m_tree);
    if (project == nullptr)
        return QSize(1, 1) * m_renderer.Scale();
    return QSize(std::max(1, project->GetWidth()), std::max(1, project->GetHeight())) * m_renderer.Scale();
}

int TProjectFrameSource::Scale() const
{
    return m_renderer.Scale();
}

int TProjectFrameSource::FrameRate() const
{
    // A damaged file may hold any number; a video needs at least one frame per second.
    const IProject *project = ProjectOf(m_tree);
    return project ? std::max(1, project->GetFrameRate()) : 25;
}

TFrameRate TProjectFrameSource::VideoRate() const
{
    const IProject *project = ProjectOf(m_tree);
    return project ? ProjectFrameRate(*project) : TFrameRate{25, 1};
}

int TProjectFrameSource::ScrollRate() const
{
    // A rate below 1 would never reach the end of the roll.
    const IProject *project = ProjectOf(m_tree);
    return project ? std::max(1, project->GetScrollRate()) : 4;
}

int TProjectFrameSource::PositionRange() const
{
    return m_renderer.PositionRange();
}

const QImage &TProjectFrameSource::RenderFrame(int position)
{
    return m_renderer.RenderFrame(m_tree, position, m_showPlaceholders);
}

void TProjectFrameSource::SetDeepFrames(bool on)
{
    m_renderer.SetDeepFrames(on);
}

void TProjectFrameSource::SetNextFrame(QImage frame)
{
    m_renderer.SetNextFrame(std::move(frame));
}

bool TProjectFrameSource::FrameOpaque() const
{
    return m_renderer.FrameOpaque();
}

} // namespace velmora

namespace velmora {

qint64 TProjectFrameSource::TimedFrameCount()
{
    // A roll without cards runs by position; laying it out here would only cost time.
    if (!m_timeline && !TTimeline::HasCards(m_tree))
        return -1;
    if (!m_timeline)
        m_timeline = TTimeline::Build(m_tree);
    return m_timeline->Timed() ? m_timeline->FrameCount() : -1;
}

const QImage &TProjectFrameSource::RenderFrameNumber(qint64 frame)
{
    if (!m_timeline)
        m_timeline = TTimeline::Build(m_tree);
    return m_renderer.RenderTimelineFrame(m_tree, *m_timeline, frame, m_showPlaceholders);
}

} // namespace velmora
