#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace velmora {

class TElementNode;
class TElementTree;

// Elements ready to go under a project in one step (an unlinked credit block's, say).
struct TCreditBlock
{
    std::vector<std::unique_ptr<TElementNode>> Nodes;
};

// Where an import goes in the tree: below a focused project or column as its last children,
// after any other focused node among its siblings; without focus at the project's end.
struct TInsertionPoint
{
    TElementNode *Parent = nullptr;
    std::size_t Index = 0;
};
TInsertionPoint InsertionPointFor(const TElementTree &tree);

} // namespace velmora
