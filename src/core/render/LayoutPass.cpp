#include "core/render/LayoutPass.h"

#include "core/document/ElementTree.h"
#include "core/render/RollIndex.h"

#include <algorithm>

namespace velmora {

TFilm FilmOf(const TElementNode &node)
{
    TFilm film;
    const TElementNode *at = &node;
    while (at != nullptr && !at->Facets().Project)
        at = at->Parent();
    if (at == nullptr)
        return film;
    if (const auto *project = queryInterface<IProject>(at->Element())) {
        film.Width = std::max(1, project->GetWidth());
        film.Height = std::max(1, project->GetHeight());
    }
    if (const auto *styles = queryInterface<IProjectStyles>(at->Element()))
        film.Styles = &styles->GetStyles();
    return film;
}

qint32 TLayoutPass::RenderNode(const TElementNode &node, QPainter &graphics, TLayoutRect rect, qint32 top) const
{
    if (node.Element() == nullptr)
        return top;
    const TNodeFacets &facets = node.Facets();
    if (!facets.Project)
        rect.Y = top;

    quint8 flags = 0;
    if (ShowPlaceholders)
        flags |= DrawFlags::ShowPlaceholders;
    if (&node == FocusedNode)
        flags |= DrawFlags::Focused;
    if (SkipInvisible)
        flags |= DrawFlags::SkipInvisible;
    if (MeasureOnly)
        flags |= DrawFlags::MeasureOnly;

    const std::size_t placed = Placements != nullptr ? Placements->size() : 0;
    if (Placements != nullptr)
        Placements->push_back({&node, rect.X, rect.Width, top, top, top});
    qint32 result = top;
    if (facets.Render != nullptr && (DrawBackground || !facets.Project)) {
        if (facets.FilmScaled != nullptr)
            facets.FilmScaled->RenderForFilm(graphics, rect, flags, Film);
        else
            facets.Render->Render(graphics, rect, flags);
        // An element drawn above its own top does not pull what follows upward.
        result = std::max(top, rect.Y);
        if (Placements != nullptr && !facets.Project)
            (*Placements)[placed].ContentTop = ClampToInt32(qint64(rect.Y) - rect.Height);
    }
    const qint32 x0 = rect.X;
    const qint32 w0 = rect.Width;
    const qint32 y0 = rect.Y;

    const std::size_t count = node.ChildCount();
    if (facets.ColumnSet && count > 0) {
        // The remainder of the division belongs to no column.
        const qint32 columnWidth = w0 / static_cast<qint32>(count);
        for (std::size_t i = 0; i < count; ++i) {
            rect.X = SaturatingAdd(x0, qint64(i) * columnWidth);
            rect.Width = columnWidth;
            result = std::max(result, RenderNode(*node.Child(i), graphics, rect, y0));
        }
    }
    if (facets.Container) {
        qint32 bottom = top;
        std::size_t first = 0;
        std::size_t last = count;
        std::optional<TRollIndex::TChildRange> near;
        if (Index != nullptr && SkipInvisible && !MeasureOnly && Placements == nullptr) {
            // A frame's worth of slack on each side covers whatever draws outside its band
            // (glyphs overhanging their line, a focus frame).
            near = Index->ChildrenNear(node, top, -Film.Height, SaturatingAdd(Film.Height, Film.Height));
        }
        if (near) {
            first = near->First;
            last = near->Last;
            bottom = near->BottomBeforeFirst;
            result = std::max(result, bottom);
        }
        for (std::size_t i = first; i < last; ++i) {
            bottom = RenderNode(*node.Child(i), graphics, rect, bottom);
            result = std::max(result, bottom);
        }
        if (near)
            result = std::max(result, near->Bottom);
    }
    if (Placements != nullptr)
        (*Placements)[placed].Bottom = result;
    if (&node == FocusedNode && !facets.Project)
        FocusedBand = std::pair(top, result);
    return result;
}

} // namespace velmora
