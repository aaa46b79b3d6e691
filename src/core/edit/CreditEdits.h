#pragma once

#include "core/credits/ElementCreditBlock.h"
#include "core/elements/ProjectTemplates.h"
#include "core/render/RunningTime.h"

#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace velmora {

class TDocument;
class TElementNode;
struct TElasticPlan;

// The edits of credit blocks that take several steps on the document's undo stack, each put
// together here as one undoable step so the editor, the command line and tests share them.

// Puts nodes in at the tree's insertion point (before the node there, or last under its
// parent), with the styles the project lacks and, when film is given, the project's film
// changed to it. The nodes as they went in; empty when nothing did.
std::vector<TElementNode *> InsertCredits(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes,
                                          const TProjectStyles &styles, const std::optional<TTemplateSettings> &film);

// Reads worksheet into the linked block of node. False (nothing done) when node holds no linked
// block or the block reads that worksheet already. Throws the reader's error, document untouched.
bool ChangeWorksheet(TDocument &document, TElementNode &node, const QString &worksheet);

// Puts reloaded blocks in place of the blocks of their nodes.
void ReloadCreditBlocks(TDocument &document,
                        std::vector<std::pair<TElementNode *, std::unique_ptr<TVmElementCreditBlock>>> reloaded);

// Replaces the block of node with its elements for hand work; false when node is not a credit
// block. Throws when the block has no good rows to give, document untouched.
bool UnlinkCredits(TDocument &document, TElementNode &node);

// Makes a fit of the roll planned with the credit blocks' elastic spaces: the old end gap out,
// the scroll rate, the blocks' stretches and the new end gap. plan must hold a fit.
void ApplyElasticFit(TDocument &document, TElasticPlan plan);
// Makes a fit planned by scroll rate and end gap alone.
void ApplyRunningTimeFit(TDocument &document, const TRunningTimePlan &plan);

} // namespace velmora
