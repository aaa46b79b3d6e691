#pragma once

#include "core/export/run/FrameSource.h"
#include "core/render/Timeline.h"

#include <optional>

namespace velmora {

class TElementTree;
class TFrameRenderer;

// Feeds a generation run from the project tree through the shared frame renderer, so the
// video holds exactly the frames the preview and the command line show.
class TProjectFrameSource : public IFrameSource
{
public:
    TProjectFrameSource(const TElementTree &tree, TFrameRenderer &renderer, bool showPlaceholders = false)
        : m_tree(tree), m_renderer(renderer), m_showPlaceholders(showPlaceholders)
    {
    }

    QSize FilmSize() const override;
    int Scale() const override;
    int FrameRate() const override;
    TFrameRate VideoRate() const override;
    int ScrollRate() const override;
    int PositionRange() const override;
    const QImage &RenderFrame(int position) override;
    void SetDeepFrames(bool on) override;
    void SetNextFrame(QImage frame) override;
    bool FrameOpaque() const override;
    qint64 TimedFrameCount() override;
    const QImage &RenderFrameNumber(qint64 frame) override;

private:
    const TElementTree &m_tree;
    TFrameRenderer &m_renderer;
    bool m_showPlaceholders;
    // Built at the first question about frames; the tree does not change while a run reads it.
    std::optional<TTimeline> m_timeline;
};

} // namespace velmora
