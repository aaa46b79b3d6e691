#pragma once

#include <QString>
#include <vector>

namespace velmora {

class TElementNode;
class TElementTree;

// A heading of the roll and the scroll position that brings it to the top of the frame.
struct TRollSection
{
    QString Title;
    int Position = 0;
    const TElementNode *Node = nullptr; // the heading's element, or the credit block holding the row
};

// The headings of the roll in roll order: texts that read as headings and the heading rows of
// linked credit blocks. Measures the roll once; nothing for a tree without a project. A roll
// with cards gives its cards instead, each at the position of its held frame.
std::vector<TRollSection> RollSections(const TElementTree &tree);

} // namespace velmora
