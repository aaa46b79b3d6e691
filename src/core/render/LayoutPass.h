#pragma once

#include "core/elements/ElementTypes.h"
#include "core/elements/Interfaces.h"
#include "core/elements/ProjectStyle.h"

#include <optional>
#include <utility>
#include <vector>

class QPainter;

namespace velmora {

class TElementNode;
class TRollIndex;

// Where the walk placed one node: its band (top to the lowest y it reached) and its column.
struct TPlacedNode
{
    const TElementNode *Node = nullptr;
    qint32 X = 0;
    qint32 Width = 0;
    qint32 Top = 0;
    qint32 Bottom = 0;
    qint32 ContentTop = 0; // below the element's own top offset: where what it draws begins
};

// The film of the project node is in (node may be the project itself): its size and styles;
// a 1920 x 1080 film without styles when there is no project above it.
TFilm FilmOf(const TElementNode &node);

// One walk over the tree that places and draws every element, for one film. A walk may start
// at any node: the film is given, not picked up from the project on the way.
struct TLayoutPass
{
    explicit TLayoutPass(const TFilm &film) : Film(film) {}

    const TFilm Film;
    const TElementNode *FocusedNode = nullptr;
    bool ShowPlaceholders = false;
    // Lets elements whose drawing misses the frame skip painting; heights are unaffected.
    bool SkipInvisible = true;
    // Places and measures every element without drawing anything.
    bool MeasureOnly = false;
    // Off for frames with alpha: the project's colour and picture stay out, the elements alone remain.
    bool DrawBackground = true;

    // Filled by the walk: where the focused node and its subtree lay (top, bottom), unless it is the project.
    mutable std::optional<std::pair<qint32, qint32>> FocusedBand;
    // When set, the walk appends every node it places, parents before their children.
    std::vector<TPlacedNode> *Placements = nullptr;
    // When set (and elements may skip painting), long containers walk only the children the
    // index finds near the frame; the index must come from a full walk of this same tree.
    const TRollIndex *Index = nullptr;

    // Draws node and its subtree in band rect starting at top; returns the lowest y reached (never above top).
    qint32 RenderNode(const TElementNode &node, QPainter &graphics, TLayoutRect rect, qint32 top) const;
};

} // namespace velmora
