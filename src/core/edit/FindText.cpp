#include "core/edit/FindText.h"

#include "core/edit/EditCommands.h"
#include "core/edit/TreeRules.h"

#include <QUndoStack>

namespace velmora {

namespace {

QString TextOf(const TElementNode &node)
{
    const auto *text = queryInterface<IElementText>(node.Element());
    QString words;
    if (text != nullptr)
        text->GetText(words);
    return words;
}

bool Matches(const TElementNode &node, const QRegularExpression &pattern)
{
    return queryInterface<IElementText>(node.Element()) != nullptr && TextOf(node).contains(pattern);
}

// Every match of pattern in text replaced by with taken literally; the count in replaced.
QString Replaced(const QString &text, const QRegularExpression &pattern, const QString &with, int &replaced)
{
    QString out;
    qsizetype at = 0;
    replaced = 0;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedLength() == 0)
            continue;
        out += text.mid(at, match.capturedStart() - at) + with;
        at = match.capturedEnd();
        ++replaced;
    }
    return out + text.mid(at);
}

} // namespace

QRegularExpression FindPattern(const QString &what, TFindOptions options)
{
    if (what.isEmpty())
        return QRegularExpression(QStringLiteral("("));
    QString pattern = QRegularExpression::escape(what);
    // A word is bounded by a non-letter on each side, also where what starts or ends with one.
    if (options.WholeWord)
        pattern = QStringLiteral("(?<![\\w])") + pattern + QStringLiteral("(?![\\w])");
    QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.MatchCase)
        flags |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(pattern, flags);
}

std::vector<TElementNode *> FindTextNodes(const TElementNode &root, const QString &what, TFindOptions options)
{
    const QRegularExpression pattern = FindPattern(what, options);
    std::vector<TElementNode *> hits;
    if (!pattern.isValid())
        return hits;
    ForEachNode(const_cast<TElementNode &>(root), [&](TElementNode &node) {
        if (Matches(node, pattern))
            hits.push_back(&node);
    });
    return hits;
}

TElementNode *NextTextNode(const TElementNode &root, const TElementNode *from, const QString &what, TFindOptions options)
{
    const QRegularExpression pattern = FindPattern(what, options);
    if (!pattern.isValid())
        return nullptr;
    // One walk: the first hit after from, else the first hit of all (the search wraps round).
    TElementNode *first = nullptr;
    TElementNode *next = nullptr;
    bool passed = from == nullptr;
    ForEachNode(const_cast<TElementNode &>(root), [&](TElementNode &node) {
        if (next != nullptr)
            return;
        const bool hit = Matches(node, pattern);
        if (hit && first == nullptr)
            first = &node;
        if (hit && passed)
            next = &node;
        if (&node == from)
            passed = true;
    });
    return next != nullptr ? next : first;
}

int ReplaceInNode(TDocument &document, TElementNode &node, const QString &what, const QString &with, TFindOptions options)
{
    const QRegularExpression pattern = FindPattern(what, options);
    if (!pattern.isValid() || !Matches(node, pattern))
        return 0;
    int replaced = 0;
    const QString text = Replaced(TextOf(node), pattern, with, replaced);
    // A step of its own: a replace never folds into typing in the text field.
    document.BreakMerge();
    ChangeValue(document, node.Element(), Fields::Text, text);
    document.BreakMerge();
    return replaced;
}

int ReplaceAll(TDocument &document, TElementNode &root, const QString &what, const QString &with, TFindOptions options)
{
    const std::vector<TElementNode *> hits = FindTextNodes(root, what, options);
    if (hits.empty())
        return 0;
    int replaced = 0;
    document.UndoStack().beginMacro(QStringLiteral("Replace All"));
    for (TElementNode *node : hits)
        replaced += ReplaceInNode(document, *node, what, with, options);
    document.UndoStack().endMacro();
    return replaced;
}

} // namespace velmora
