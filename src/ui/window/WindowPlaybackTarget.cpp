#include "ui/window/WindowPlaybackTarget.h"

#include "controls/PreviewPaintBox.h"
#include "core/elements/Interfaces.h"
#include "ui/window/MainWindow.h"

namespace velmora {

namespace {

const IProject *ProjectOf(TMain &main)
{
    const TElementNode *node = main.Document().ProjectNode();
    return node != nullptr ? queryInterface<IProject>(node->Element()) : nullptr;
}

} // namespace

int TWindowPlaybackTarget::Position() const
{
    return m_main.FramePosition();
}

int TWindowPlaybackTarget::PositionRange() const
{
    return m_main.Context().Position().Maximum();
}

int TWindowPlaybackTarget::ScrollRate() const
{
    const IProject *project = ProjectOf(m_main);
    return project != nullptr ? project->GetScrollRate() : 1;
}

int TWindowPlaybackTarget::FrameRate() const
{
    const IProject *project = ProjectOf(m_main);
    return project != nullptr ? project->GetFrameRate() : 1;
}

bool TWindowPlaybackTarget::CanPlay() const
{
    return !m_main.Generating();
}

void TWindowPlaybackTarget::ShowFrame(int position)
{
    m_main.RunHandler([&] { m_main.ShowFrameAt(position); });
    // Painted now rather than at the next pass of the event loop, so the player knows when it shows.
    m_main.Controls().PreviewBox->repaint();
}

} // namespace velmora
