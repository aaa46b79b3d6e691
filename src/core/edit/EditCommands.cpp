#include "core/edit/EditCommands.h"
#include "core/edit/StyleCommands.h"

#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/document/ElementCatalogue.h"
#include "core/elements/ElementText.h"

#include <QBuffer>
#include <array>

namespace velmora {

TInsertNodes::TInsertNodes(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes, TElementNode &target,
    TAttachMode attach, const QString &text)
    : QUndoCommand(text), m_document(document), m_detached(std::move(nodes)), m_target(target), m_attach(attach)
{
    for (const auto &node : m_detached)
        m_nodes.push_back(node.get());
}

void TInsertNodes::redo()
{
    const bool first = m_places.empty();
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (first) {
            const auto place = CopyPlace(m_target, m_attach, i);
            m_places.push_back(place.value_or(TTreePlace{&m_target, m_target.ChildCount()}));
        }
        const TTreePlace &place = m_places[i];
        m_document.InsertNode(*place.Parent, place.Index, std::move(m_detached[i]));
    }
}

void TInsertNodes::undo()
{
    for (std::size_t i = m_nodes.size(); i-- > 0;)
        m_detached[i] = m_document.TakeNode(*m_nodes[i]);
}

TRemoveNodes::TRemoveNodes(TDocument &document, std::vector<TElementNode *> nodes, const QString &text)
    : QUndoCommand(text), m_document(document)
{
    for (TElementNode *node : nodes)
        m_removed.push_back({node, {}, {}, nullptr});
}

void TRemoveNodes::redo()
{
    // Last to first: the places of the earlier nodes stay as they were.
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it) {
        it->Place = {it->Node->Parent(), std::size_t(it->Node->Index())};
        it->Flags.clear();
        ForEachNode(*it->Node, [&](TElementNode &n) { it->Flags.emplace_back(&n, n.StoredFlags()); });
        it->Owned = m_document.TakeNode(*it->Node);
    }
}

void TRemoveNodes::undo()
{
    for (TRemoved &removed : m_removed) {
        // The views may have cleared the selection while the nodes left.
        for (const auto &[node, flags] : removed.Flags)
            node->SetFlags(flags);
        m_document.InsertNode(*removed.Place.Parent, removed.Place.Index, std::move(removed.Owned));
    }
}

TMoveNodes::TMoveNodes(TDocument &document, std::vector<TElementNode *> nodes, TElementNode &target, TAttachMode attach)
    : QUndoCommand(QStringLiteral("Move Elements")), m_document(document), m_target(target), m_attach(attach)
{
    for (TElementNode *node : nodes)
        m_moves.push_back({node, {}, {}});
}

void TMoveNodes::redo()
{
    for (TMove &move : m_moves) {
        TElementNode &node = *move.Node;
        if (!m_placed) {
            move.From = {node.Parent(), std::size_t(node.Index())};
            const auto place = MovePlace(m_target, m_attach);
            if (!place)
                continue;
            // MovePlace counts the moved node among its old siblings; the move counts its final place.
            std::size_t index = place->Index;
            if (place->Parent == node.Parent() && index > move.From.Index)
                --index;
            move.Moved = m_document.MoveNode(node, *place->Parent, index);
            move.To = {node.Parent(), std::size_t(node.Index())};
        } else if (move.Moved) {
            m_document.MoveNode(node, *move.To.Parent, move.To.Index);
        }
    }
    m_placed = true;
}

void TMoveNodes::undo()
{
    for (auto it = m_moves.rbegin(); it != m_moves.rend(); ++it)
        if (it->Moved)
            m_document.MoveNode(*it->Node, *it->From.Parent, it->From.Index);
}

TReplaceElement::TReplaceElement(TDocument &document, TElementNode &node, std::unique_ptr<IElement> element, const QString &text)
    : QUndoCommand(text), m_document(document), m_node(node), m_other(std::move(element))
{
}

void TReplaceElement::Swap()
{
    m_other = m_document.ReplaceElement(m_node, std::move(m_other));
}

std::unique_ptr<IElement> CloneElement(const IElement &element)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    element.SaveToStream(buffer);
    buffer.seek(0);
    std::unique_ptr<IElement> copy = element.GetClass().Create();
    copy->LoadFromStream(buffer);
    // The caption travels beside the record, as in the tree section.
    if (element.CanEditCaption(-1)) {
        QString caption;
        element.GetCaption(-1, caption);
        copy->SetCaption(-1, caption);
    }
    return copy;
}

namespace {
std::function<bool(const TElementNode &)> TakesKind(const TElementKind &kind)
{
    return [&kind](const TElementNode &container) { return AcceptsChild(&container, kind); };
}

std::function<bool(const TElementNode &)> TakesNode(const TElementNode &node)
{
    return [&node](const TElementNode &container) { return CanPlaceOnto(&node, &container); };
}
} // namespace

bool CanAddElement(const TElementNode *node, const TElementKind &kind)
{
    return InsertionAttach(node, TakesKind(kind)).has_value();
}

TElementNode *AddElement(TDocument &document, TElementNode *node, const TElementKind &kind)
{
    if (!CanAddElement(node, kind))
        return nullptr;
    auto made = std::make_unique<TElementNode>(kind.Create());
    GiveNewTextTheDefaultLook(document, *made);
    return AddSubtree(document, node, std::move(made), QStringLiteral("Add Element"));
}

TElementNode *AddSubtree(TDocument &document, TElementNode *node, std::unique_ptr<TElementNode> subtree, const QString &text)
{
    const auto attach = InsertionAttach(node, TakesKind(subtree->Element()->GetClass()));
    if (!attach)
        return nullptr;
    StyleNewTexts(document, *subtree);
    std::vector<std::unique_ptr<TElementNode>> nodes;
    nodes.push_back(std::move(subtree));
    auto *command = new TInsertNodes(document, std::move(nodes), *node, *attach, text);
    TElementNode *added = command->Nodes().front();
    document.Push(command);
    return added;
}

std::unique_ptr<TElementNode> MakeCreditPair(const QString &role, const QString &name)
{
    auto set = std::make_unique<TVmElementColumns>();
    set->SetCaption(-1, QStringLiteral("%1 / %2").arg(role, name));
    auto node = std::make_unique<TElementNode>(std::move(set));
    // Columns have no gutter of their own: thin spaces at the inner ends keep role and name
    // apart, as the sheet import sets its pairs, and a word joiner keeps the role's from being
    // dropped at the line end.
    const QString gutter(4, QChar(0x2009));
    const std::array<std::pair<QString, TElementHAlignment>, 2> cells{
        {{role + gutter + QChar(0x2060), eaRight}, {gutter + name, eaLeft}}};
    for (const auto &[words, alignment] : cells) {
        auto text = std::make_unique<TVmElementText>();
        text->SetText(words);
        text->SetHorizontalAlign(alignment);
        auto column = std::make_unique<TElementNode>(std::make_unique<TVmElementColumn>());
        column->AppendChild(std::make_unique<TElementNode>(std::move(text)));
        node->AppendChild(std::move(column));
    }
    node->SetExpanded(true);
    return node;
}

std::unique_ptr<TElementNode> MakeSpacer(int height)
{
    auto element = std::make_unique<TVmElementImage>();
    element->SetCaption(-1, QStringLiteral("Spacer %1 px").arg(height));
    element->SetUseFixedHeight(true);
    element->SetFixedHeight(height);
    return std::make_unique<TElementNode>(std::move(element));
}

std::vector<TElementNode *> PasteCopies(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes,
    TElementNode *focused, const QString &text)
{
    if (nodes.empty())
        return {};
    const auto attach = InsertionAttach(focused, TakesNode(*nodes.front()));
    if (!attach)
        return {};
    TElementNode *container = InsertionParent(*focused, *attach);
    std::erase_if(nodes, [container](const auto &node) { return !CanPlaceOnto(node.get(), container); });
    auto *command = new TInsertNodes(document, std::move(nodes), *focused, *attach, text);
    std::vector<TElementNode *> inserted = command->Nodes();
    document.Push(command);
    return inserted;
}

int PasteMoves(TDocument &document, std::vector<TElementNode *> nodes, TElementNode *focused)
{
    if (nodes.empty())
        return 0;
    const auto attach = InsertionAttach(focused, TakesNode(*nodes.front()));
    if (!attach)
        return 0;
    TElementNode *container = InsertionParent(*focused, *attach);
    // Checked against the node that will hold them; a node may not go inside itself.
    std::erase_if(nodes, [&](const TElementNode *node) {
        return node == nullptr || node->Contains(focused) || !CanPlaceOnto(node, container);
    });
    std::vector<TElementNode *> planned = PlanMove(std::move(nodes), *focused, *attach, true);
    if (planned.empty())
        return 0;
    const int count = int(planned.size());
    document.Push(new TMoveNodes(document, std::move(planned), *focused, *attach));
    return count;
}

std::vector<TElementNode *> InsertCopies(TDocument &document, std::vector<std::unique_ptr<TElementNode>> nodes,
    TElementNode *target, TAttachMode attach, const QString &text)
{
    // A copy that may not rest in the target is released with its element.
    std::erase_if(nodes, [target](const auto &node) { return !CanPlaceOnto(node.get(), target); });
    if (nodes.empty())
        return {};
    auto *command = new TInsertNodes(document, std::move(nodes), *target, attach, text);
    std::vector<TElementNode *> inserted = command->Nodes();
    document.Push(command);
    return inserted;
}

int MoveNodes(TDocument &document, std::vector<TElementNode *> nodes, TElementNode &target, TAttachMode attach, bool dragging)
{
    std::vector<TElementNode *> planned = PlanMove(std::move(nodes), target, attach, dragging);
    if (planned.empty() || attach == TAttachMode::None)
        return 0;
    const int count = int(planned.size());
    document.Push(new TMoveNodes(document, std::move(planned), target, attach));
    return count;
}

int RemoveNodes(TDocument &document, std::vector<TElementNode *> nodes, const QString &text)
{
    // The project node is never removed.
    std::erase_if(nodes, [&](const TElementNode *node) { return node == nullptr || node == document.ProjectNode(); });
    if (nodes.empty())
        return 0;
    const int count = int(nodes.size());
    document.Push(new TRemoveNodes(document, std::move(nodes), text));
    return count;
}

std::vector<TElementNode *> DropImageFiles(TDocument &document, const QStringList &files, TElementNode *target, TDropMode mode)
{
    const TAttachMode attach = AttachModeFor(mode);
    if (files.isEmpty() || target == nullptr || target->Element() == nullptr || attach == TAttachMode::None
        || !CanDropKindOn(TVmElementImage::Kind, target->Element()->GetClass(), mode))
        return {};
    std::vector<std::unique_ptr<TElementNode>> nodes;
    for (const QString &file : files) {
        auto image = std::make_unique<TVmElementImage>();
        image->LoadFromFile(file);
        nodes.push_back(std::make_unique<TElementNode>(std::move(image)));
    }
    auto *command = new TInsertNodes(document, std::move(nodes), *target, attach, QStringLiteral("Drop Images"));
    std::vector<TElementNode *> inserted = command->Nodes();
    document.Push(command);
    return inserted;
}

bool RenameCaption(TDocument &document, TElementNode &node, const QString &caption)
{
    IElement *element = node.Element();
    if (element == nullptr || !element->CanEditCaption(-1))
        return false;
    return ChangeValue(document, element, Fields::Caption, caption);
}

namespace {
template <typename Facet>
void ReplaceWithEdited(TDocument &document, TElementNode &node, const char *name, const std::function<void(Facet &)> &edit)
{
    if (queryInterface<Facet>(node.Element()) == nullptr)
        return;
    std::unique_ptr<IElement> edited = CloneElement(*node.Element());
    edit(*queryInterface<Facet>(edited.get()));
    document.Push(new TReplaceElement(document, node, std::move(edited), QString::fromLatin1(name)));
}
} // namespace

void LoadImage(TDocument &document, TElementNode &node, const QString &fileName)
{
    ReplaceWithEdited<IElementImage>(document, node, "Load Image", [&](IElementImage &image) { image.LoadFromFile(fileName); });
}

void LoadBackground(TDocument &document, TElementNode &node, const QString &fileName)
{
    ReplaceWithEdited<IProjectBackground>(document, node, "Load Background Image",
        [&](IProjectBackground &background) { background.LoadBackground(fileName); });
}

void ClearBackground(TDocument &document, TElementNode &node)
{
    ReplaceWithEdited<IProjectBackground>(document, node, "Clear Background Image",
        [](IProjectBackground &background) { background.ClearBackground(); });
}

} // namespace velmora
