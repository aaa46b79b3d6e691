#pragma once

#include "core/document/Document.h"
#include "core/edit/Fields.h"
#include "core/edit/TreeRules.h"

#include <QStringList>
#include <QUndoCommand>
#include <algorithm>
#include <memory>
#include <vector>

namespace velmora {

// --- fields ------------------------------------------------------------------------------------

// Sets one field of one element. Successive edits of the same field of the same element in one
// merge epoch become one step; an edit that brings the value back to where the step began
// leaves no step at all.
template <typename Facet, typename Value>
class TChangeValue : public QUndoCommand
{
public:
    TChangeValue(TDocument &document, IElement &element, const TField<Facet, Value> &field, Value oldValue, Value newValue)
        : QUndoCommand(QString::fromLatin1(field.Name)), m_document(document), m_element(element), m_field(field),
          m_epoch(document.MergeEpoch()), m_old(std::move(oldValue)), m_new(std::move(newValue))
    {
    }

    void redo() override { Apply(m_new); }
    void undo() override { Apply(m_old); }
    int id() const override { return m_field.MergeId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = dynamic_cast<const TChangeValue *>(other);
        if (next == nullptr || &next->m_element != &m_element || next->m_epoch != m_epoch || &next->m_field != &m_field)
            return false;
        m_new = next->m_new;
        setObsolete(m_new == m_old);
        return true;
    }

private:
    void Apply(const Value &value)
    {
        if (auto *facet = queryInterface<Facet>(&m_element)) {
            m_field.Set(*facet, value);
            m_document.NotifyElementChanged(&m_element, m_field.Redraws);
        }
    }

    TDocument &m_document;
    IElement &m_element;
    const TField<Facet, Value> &m_field;
    quint64 m_epoch;
    Value m_old;
    Value m_new;
};

// Sets field of element to value as one step; nothing happens when it holds that value already
// or lacks the facet. True when a step was taken (or merged).
template <typename Facet, typename Value>
bool ChangeValue(TDocument &document, IElement *element, const TField<Facet, Value> &field, const Value &value)
{
    const Facet *facet = queryInterface<Facet>(element);
    if (facet == nullptr)
        return false;
    Value old = field.Get(*facet);
    if (old == value)
        return false;
    document.Push(new TChangeValue<Facet, Value>(document, *element, field, std::move(old), value));
    return true;
}

// Sets one field of several elements of one kind to one value as one step; merges as
// TChangeValue does, for the same elements.
template <typename Facet, typename Value>
class TChangeValues : public QUndoCommand
{
public:
    TChangeValues(TDocument &document, std::vector<std::pair<IElement *, Value>> olds, const TField<Facet, Value> &field,
        Value newValue)
        : QUndoCommand(QString::fromLatin1(field.Name)), m_document(document), m_olds(std::move(olds)), m_field(field),
          m_epoch(document.MergeEpoch()), m_new(std::move(newValue))
    {
    }

    void redo() override
    {
        for (const auto &[element, old] : m_olds)
            Apply(*element, m_new);
    }
    void undo() override
    {
        for (const auto &[element, old] : m_olds)
            Apply(*element, old);
    }
    int id() const override { return m_field.MergeId; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = dynamic_cast<const TChangeValues *>(other);
        if (next == nullptr || next->m_epoch != m_epoch || &next->m_field != &m_field || next->m_olds.size() != m_olds.size())
            return false;
        for (std::size_t i = 0; i < m_olds.size(); ++i)
            if (next->m_olds[i].first != m_olds[i].first)
                return false;
        m_new = next->m_new;
        setObsolete(std::all_of(m_olds.begin(), m_olds.end(), [this](const auto &old) { return old.second == m_new; }));
        return true;
    }

private:
    void Apply(IElement &element, const Value &value)
    {
        if (auto *facet = queryInterface<Facet>(&element)) {
            m_field.Set(*facet, value);
            m_document.NotifyElementChanged(&element, m_field.Redraws);
        }
    }

    TDocument &m_document;
    std::vector<std::pair<IElement *, Value>> m_olds;
    const TField<Facet, Value> &m_field;
    quint64 m_epoch;
    Value m_new;
};

// Sets field of every element with the facet to value as one step (one element: ChangeValue);
// nothing happens when all of them hold it already. True when a step was taken (or merged).
template <typename Facet, typename Value>
bool ChangeValues(TDocument &document, const std::vector<IElement *> &elements, const TField<Facet, Value> &field,
    const Value &value)
{
    std::vector<std::pair<IElement *, Value>> olds;
    for (IElement *element : elements)
        if (const Facet *facet = queryInterface<Facet>(element))
            olds.emplace_back(element, field.Get(*facet));
    if (olds.size() <= 1)
        return olds.empty() ? false : ChangeValue(document, olds.front().first, field, value);
    if (std::all_of(olds.begin(), olds.end(), [&value](const auto &old) { return old.second == value; }))
        return false;
    document.Push(new TChangeValues<Facet, Value>(document, std::move(olds), field, value));
    return true;
}

// A value tried out live (a colour dialog): shown in the document at once, then kept as one
// step from the first value, or put back without leaving a step.
template <typename Facet, typename Value>
class TLiveValue
{
public:
    TLiveValue(TDocument &document, IElement *element, const TField<Facet, Value> &field)
        : m_document(document), m_element(element), m_field(field)
    {
        if (const Facet *facet = queryInterface<Facet>(element))
            m_original = field.Get(*facet);
    }

    const Value &Original() const { return m_original; }
    void Show(const Value &value)
    {
        if (auto *facet = queryInterface<Facet>(m_element)) {
            m_field.Set(*facet, value);
            m_document.NotifyElementChanged(m_element, m_field.Redraws);
        }
    }
    // The value shown now becomes one step; false when it is the first value.
    bool Commit()
    {
        const Facet *facet = queryInterface<Facet>(m_element);
        if (facet == nullptr)
            return false;
        Value shown = m_field.Get(*facet);
        if (shown == m_original)
            return false;
        m_document.Push(new TChangeValue<Facet, Value>(m_document, *m_element, m_field, m_original, std::move(shown)));
        return true;
    }
    void Cancel() { Show(m_original); }

private:
    TDocument &m_document;
    IElement *m_element;
    const TField<Facet, Value> &m_field;
    Value m_original{};
};

// --- tree --------------------------------------------------------------------------------------

// Puts new nodes into the tree (new element, paste, drop copy). Undo takes them out and keeps them.
class TInsertNodes : public QUndoCommand
{
public:
    // Each node goes where CopyPlace puts it for target and attach.
    TInsertNodes(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes, TElementNode &target,
        TAttachMode attach, const QString &text);
    void redo() override;
    void undo() override;
    // The inserted nodes, in order (valid while this step lives).
    const std::vector<TElementNode *> &Nodes() const { return m_nodes; }

private:
    TDocument &m_document;
    std::vector<TElementNode *> m_nodes;
    std::vector<std::unique_ptr<TElementNode>> m_detached;
    std::vector<TTreePlace> m_places;
    TElementNode &m_target;
    TAttachMode m_attach;
};

// Takes nodes out of the tree with their subtrees and keeps them; undo puts back the very same
// nodes in the same places, with the expanded and selected state they had.
class TRemoveNodes : public QUndoCommand
{
public:
    // nodes: in tree order, none inside another.
    TRemoveNodes(TDocument &document, std::vector<TElementNode *> nodes, const QString &text = QStringLiteral("Remove Elements"));
    void redo() override;
    void undo() override;

private:
    struct TRemoved
    {
        TElementNode *Node;
        TTreePlace Place;
        std::vector<std::pair<TElementNode *, quint16>> Flags;
        std::unique_ptr<TElementNode> Owned;
    };
    TDocument &m_document;
    std::vector<TRemoved> m_removed;
};

// Moves nodes to a target (drop move, paste of cut nodes); undo moves them back.
class TMoveNodes : public QUndoCommand
{
public:
    // nodes as PlanMove orders them.
    TMoveNodes(TDocument &document, std::vector<TElementNode *> nodes, TElementNode &target, TAttachMode attach);
    void redo() override;
    void undo() override;

private:
    struct TMove
    {
        TElementNode *Node;
        TTreePlace From;
        TTreePlace To;
        bool Moved = false;
    };
    TDocument &m_document;
    std::vector<TMove> m_moves;
    TElementNode &m_target;
    TAttachMode m_attach;
    bool m_placed = false;
};

// Gives a node another element (a loaded or cleared picture); the step keeps the other one, so
// undo brings back the old element with its picture exactly as it was.
class TReplaceElement : public QUndoCommand
{
public:
    TReplaceElement(TDocument &document, TElementNode &node, std::unique_ptr<IElement> element, const QString &text);
    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap();
    TDocument &m_document;
    TElementNode &m_node;
    std::unique_ptr<IElement> m_other;
};

// --- edits built from the commands -------------------------------------------------------------

// A copy of element through its record and caption, as the clipboard would make it.
std::unique_ptr<IElement> CloneElement(const IElement &element);

// Whether an element of kind can be added with node focused (InsertionAttach).
bool CanAddElement(const TElementNode *node, const TElementKind &kind);
// Adds a new element of kind as node's last child when node takes it, otherwise after node;
// the new node, or null when it fits neither place. New texts take the current style.
TElementNode *AddElement(TDocument &document, TElementNode *node, const TElementKind &kind);
// Adds a prepared subtree (a credit pair, a spacer) at node as AddElement places a kind, as one
// step named text; the new node, or null when it fits nowhere there.
TElementNode *AddSubtree(TDocument &document, TElementNode *node, std::unique_ptr<TElementNode> subtree, const QString &text);
// A role and a name side by side: columns of two columns, the role right-aligned against the
// name left-aligned.
std::unique_ptr<TElementNode> MakeCreditPair(const QString &role, const QString &name);
// Empty space of height pixels: a picture-less image element of fixed height, the form every
// project file already knows.
std::unique_ptr<TElementNode> MakeSpacer(int height);
// Pastes nodes at focused as AddElement places a kind (the first node's place decides); the
// nodes that may not rest there are released. The inserted nodes in order.
std::vector<TElementNode *> PasteCopies(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes,
    TElementNode *focused, const QString &text);
// Moves nodes (cut earlier) to focused as PasteCopies places them; the number moved.
int PasteMoves(TDocument &document, std::vector<TElementNode *> nodes, TElementNode *focused);
// Inserts the nodes that may rest in target; the inserted nodes in order (the others are released).
std::vector<TElementNode *> InsertCopies(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes,
    TElementNode *target, TAttachMode attach, const QString &text);
// Moves the nodes PlanMove allows; the number moved.
int MoveNodes(TDocument &document, std::vector<TElementNode *> nodes, TElementNode &target, TAttachMode attach, bool dragging);
// Removes nodes (tree order, none inside another), leaving the project node; the number removed.
// text names the step ("Cut").
int RemoveNodes(TDocument &document, std::vector<TElementNode *> nodes, const QString &text = QStringLiteral("Remove Elements"));
// Renames node's element when it allows it; true when the caption changed.
bool RenameCaption(TDocument &document, TElementNode &node, const QString &caption);
// New image elements for picture files dropped at target in mode, as one step; the new nodes, or
// none when an image may not be dropped there.
std::vector<TElementNode *> DropImageFiles(TDocument &document, const QStringList &files, TElementNode *target, TDropMode mode);
// Loads a picture into an image element, or as the project's background; clears the background.
void LoadImage(TDocument &document, TElementNode &node, const QString &fileName);
void LoadBackground(TDocument &document, TElementNode &node, const QString &fileName);
void ClearBackground(TDocument &document, TElementNode &node);

} // namespace velmora
