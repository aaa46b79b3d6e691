#pragma once

#include "core/document/ElementTree.h"
#include "core/error.h"

#include <QIODevice>
#include <memory>
#include <vector>

namespace velmora {

// Failures of the tree section reader and writer.
class ETreeSectionError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

// Messages of the tree section.
namespace TreeSectionMessages {
inline constexpr const char NotEnoughData[] = "Unable to load tree structure, not enough data available.";
inline constexpr const char WrongFormat[] = "Unable to load tree structure, the format is wrong.";
inline constexpr const char UnknownVersion[] = "Unable to load tree structure, the version is unknown.";
inline constexpr const char AnchorMissing[] = "Stream data corrupt. A node's anchor chunk is missing.";
inline constexpr const char DataAfterEnd[] = "Stream data corrupt. Unexpected data after node's end position.";
inline constexpr const char NegativeSize[] = "Stream data corrupt. A chunk has a negative size.";
inline constexpr const char PastEnd[] = "Stream data corrupt. A node runs past the end of the data.";
inline constexpr const char TooDeep[] = "Stream data corrupt. Nodes are nested too deeply.";
inline constexpr const char TooManyChildren[] = "Stream data corrupt. A node claims more children than its data can hold.";
inline constexpr const char NoElement[] = "Stream data corrupt. A node holds no element.";
} // namespace TreeSectionMessages

// Deepest nesting of nodes the reader accepts (real rolls stay below ten).
inline constexpr int MaxNodeDepth = 256;

// Section format version this build writes; 1 and 2 are read.
inline constexpr quint16 TreeSectionVersion = 2;

// Writes the tree section (header, count, node chunks) for one node, or all top-level nodes when node is null.
void SaveTreeSection(QIODevice &stream, const TElementTree &tree, const TElementNode *node);

// Replaces every node of the tree with the nodes of the section. On failure the tree is unchanged.
void LoadTreeSection(QIODevice &stream, TElementTree &tree);

// One node chunk with its subtree (the clipboard payload is a sequence of these).
void WriteNodeChunk(QIODevice &stream, const TElementNode &node);

// Reads one node chunk with its subtree into a new detached node; throws on damage.
std::unique_ptr<TElementNode> ReadNodeChunk(QIODevice &stream);

// Reads node chunks up to the end of the stream and attaches them as parent's last children.
// Either every chunk is read and attached, or the tree is left unchanged and the error thrown.
std::vector<TElementNode *> LoadNodeChunks(QIODevice &stream, TElementTree &tree, TElementNode &parent);

// Writes the clipboard payload: node chunks of each node in order.
void WriteNodeChunks(QIODevice &stream, const std::vector<const TElementNode *> &nodes);

} // namespace velmora
