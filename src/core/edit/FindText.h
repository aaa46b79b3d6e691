#pragma once

#include "core/document/Document.h"

#include <QRegularExpression>
#include <QString>
#include <vector>

namespace velmora {

// How Find and Replace match.
struct TFindOptions
{
    bool MatchCase = false;
    bool WholeWord = false;
};

// The pattern that finds what literally (an invalid pattern for an empty what).
QRegularExpression FindPattern(const QString &what, TFindOptions options);

// The text elements at or below root whose text matches, in tree order.
std::vector<TElementNode *> FindTextNodes(const TElementNode &root, const QString &what, TFindOptions options);

// The first hit after from in tree order, wrapping round to the start; null when there is none.
TElementNode *NextTextNode(const TElementNode &root, const TElementNode *from, const QString &what, TFindOptions options);

// Replaces every match in the text of node (a text element) as one step; the matches replaced.
int ReplaceInNode(TDocument &document, TElementNode &node, const QString &what, const QString &with, TFindOptions options);

// Replaces every match in every text at or below root as one step named "Replace All"; the
// matches replaced.
int ReplaceAll(TDocument &document, TElementNode &root, const QString &what, const QString &with, TFindOptions options);

} // namespace velmora
