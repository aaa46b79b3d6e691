#include "ui/TreeEditor.h"

#include "ui/ElementTreeModel.h"
#include "ui/ElementsTreeView.h"
#include "ui/TreeClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QUuid>
#include <algorithm>

namespace velmora {

namespace {

// Velmora's own mark on the clipboard data it offers.
const QString ClipboardOwnerFormat = QStringLiteral("application/x-velmora-clipboard-owner");

bool Contains(const TElementNode &outer, const TElementNode *inner)
{
    for (; inner != nullptr; inner = inner->Parent())
        if (inner == &outer)
            return true;
    return false;
}

void CollectSelected(const TElementNode &node, std::vector<TElementNode *> &out)
{
    for (const auto &child : node.Children()) {
        if (child->IsSelected())
            out.push_back(child.get());
        else
            CollectSelected(*child, out);
    }
}

} // namespace

TAttachMode AttachModeFor(TDropMode mode)
{
    switch (mode) {
    case dmAbove:
        return TAttachMode::InsertBefore;
    case dmOnto:
        return TAttachMode::AddChildLast;
    case dmBelow:
        return TAttachMode::InsertAfter;
    default:
        return TAttachMode::None;
    }
}

Qt::DropAction DropEffect(TDragSource source, Qt::KeyboardModifiers modifiers, Qt::DropActions offered)
{
    if (source == TDragSource::Elsewhere)
        return offered.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::MoveAction;
    const Qt::KeyboardModifiers keys = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (keys == Qt::NoModifier)
        return source == TDragSource::ThisTree ? Qt::MoveAction : Qt::CopyAction;
    if (keys == Qt::ControlModifier)
        return Qt::CopyAction;
    if (keys == Qt::AltModifier || keys == (Qt::ControlModifier | Qt::AltModifier))
        return Qt::LinkAction;
    return Qt::MoveAction;
}

TTreeEditor::TTreeEditor(TElementTreeModel &model, TElementsTreeView &view, TTreeEditHooks hooks)
    : m_model(model), m_view(view), m_hooks(std::move(hooks))
{
    connect(m_view.selectionModel(), &QItemSelectionModel::selectionChanged, this, &TTreeEditor::SelectionChanged);
    connect(m_view.selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        Tree().SetFocusedNode(current.isValid() ? &m_model.NodeOf(current) : nullptr);
        Q_EMIT Changed();
    });
    connect(&m_view, &QTreeView::expanded, this, [this](const QModelIndex &index) { m_model.NodeOf(index).SetExpanded(true); });
    connect(&m_view, &QTreeView::collapsed, this, [this](const QModelIndex &index) { m_model.NodeOf(index).SetExpanded(false); });
    connect(&m_model, &TElementTreeModel::NodeAboutToBeRemoved, this, &TTreeEditor::Forget);
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_dragNodes.clear();
        m_cutNodes.clear();
    });
}

TElementTree &TTreeEditor::Tree() const
{
    return m_model.Tree();
}

TElementNode *TTreeEditor::FocusedNode() const
{
    return Tree().FocusedNode();
}

std::vector<TElementNode *> TTreeEditor::SelectedNodes() const
{
    std::vector<TElementNode *> nodes;
    CollectSelected(Tree().Root(), nodes);
    return nodes;
}

bool TTreeEditor::AcceptsChild(const TElementKind &kind) const
{
    const TElementNode *focused = FocusedNode();
    if (focused == nullptr || focused->Element() == nullptr)
        return false;
    const auto kinds = focused->Element()->GetChildClasses();
    return std::find(kinds.begin(), kinds.end(), &kind) != kinds.end();
}

TElementNode *TTreeEditor::AddElement(const TElementKind &kind)
{
    TElementNode *previous = FocusedNode();
    TElementNode *added = nullptr;
    if (previous != nullptr) {
        added = &m_model.InsertNode(*previous, previous->ChildCount(), std::make_unique<TElementNode>(kind.Create()));
        const QModelIndex index = m_model.IndexOf(*added);
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            m_view.expand(parent);
        m_view.scrollTo(index);
    }
    if (previous != nullptr)
        Select(*previous, false);
    if (added != nullptr)
        m_view.selectionModel()->setCurrentIndex(m_model.IndexOf(*added), QItemSelectionModel::NoUpdate);
    if (TElementNode *focused = FocusedNode())
        Select(*focused, true);
    MarkModified();
    return added;
}

void TTreeEditor::DeleteSelection()
{
    if (!m_hooks.Confirm(QStringLiteral("Are you sure you want to Remove the selected element(s)")))
        return;
    const std::vector<TElementNode *> offered = SelectedNodes();
    for (auto it = offered.rbegin(); it != offered.rend(); ++it)
        if (!ElementsTreeNodeDelete(**it))
            Select(**it, false);
    // Nodes below a refused node that are selected themselves still go.
    for (TElementNode *node : SelectedNodes())
        m_model.RemoveNode(*node);
}

bool TTreeEditor::ElementsTreeNodeDelete(TElementNode &node)
{
    MarkModified();
    return &node != Tree().ProjectNode();
}

bool TTreeEditor::ElementsTreeDragOver(const TElementNode *target, TDropMode mode) const
{
    const TElementNode *focused = FocusedNode();
    if (target == nullptr || focused == nullptr || target->Element() == nullptr || focused->Element() == nullptr)
        return false;
    return focused->Element()->CanDropOn(target->Element(), mode);
}

void TTreeEditor::ElementsTreeDragDrop(TElementNode *target, TDropMode mode, Qt::DropAction effect, const QMimeData *data)
{
    const TAttachMode attach = AttachModeFor(mode);
    if (attach == TAttachMode::None || target == nullptr)
        return;
    // A failed drop ends with no effect and no message.
    try {
        if (effect == Qt::MoveAction && m_dragging)
            MoveNodes(m_dragNodes, *target, attach);
        else if (effect == Qt::CopyAction && data != nullptr && data->hasFormat(VirtualTreeDataFormat))
            CopyNodes(data->data(VirtualTreeDataFormat), target, attach);
    } catch (const std::exception &) {
    }
    MarkModified();
}

bool TTreeEditor::ElementsTreeNodeMoving(TElementNode *node, TElementNode *target)
{
    // The drop position was checked while dragging over.
    if (m_dragging)
        return true;
    if (node == nullptr || target == nullptr || node->Element() == nullptr || target->Element() == nullptr)
        return false;
    const bool allowed = node->Element()->CanDropOn(target->Element(), dmOnto);
    if (allowed)
        MarkModified();
    return allowed;
}

bool TTreeEditor::ElementsTreeNodeCopying(TElementNode *node, TElementNode *target)
{
    if (node == nullptr || target == nullptr || target == &Tree().Root() || node->Element() == nullptr
        || target->Element() == nullptr)
        return false;
    const bool allowed = node->Element()->CanDropOn(target->Element(), dmOnto);
    if (allowed)
        MarkModified();
    return allowed;
}

void TTreeEditor::ElementsTreeNodeCopied(TElementNode *node)
{
    // Copies arrive unselected, their descendants too.
    if (node == nullptr)
        return;
    node->SetSelected(false);
    for (const auto &child : node->Children())
        ElementsTreeNodeCopied(child.get());
}

void TTreeEditor::BeginDrag()
{
    m_dragNodes = SelectedNodes();
    m_dragging = true;
}

void TTreeEditor::EndDrag()
{
    m_dragging = false;
    m_dragNodes.clear();
}

std::unique_ptr<QMimeData> TTreeEditor::DragData() const
{
    return CreateTreeMimeData(m_dragNodes);
}

bool TTreeEditor::CanSelectAll() const
{
    return Tree().Root().ChildCount() > 0;
}

void TTreeEditor::CopyToClipboard()
{
    const std::vector<TElementNode *> nodes = SelectedNodes();
    if (nodes.empty())
        return;
    // The chunks are taken now, so deleting the nodes later does not empty the clipboard.
    std::unique_ptr<QMimeData> data = CreateTreeMimeData(nodes);
    m_clipboardToken = QUuid::createUuid().toByteArray();
    data->setData(ClipboardOwnerFormat, m_clipboardToken);
    QGuiApplication::clipboard()->setMimeData(data.release());
    m_cutNodes.clear();
}

void TTreeEditor::CutToClipboard()
{
    CopyToClipboard();
    m_cutNodes = SelectedNodes();
}

void TTreeEditor::PasteFromClipboard()
{
    TElementNode *target = FocusedNode();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const bool ours = data != nullptr && !m_clipboardToken.isEmpty() && data->data(ClipboardOwnerFormat) == m_clipboardToken;
    if (ours && !m_cutNodes.empty()) {
        // A paste that moves the cut nodes ends the cut; a refused one leaves it for the next paste.
        if (target != nullptr && MoveNodes(m_cutNodes, *target, TAttachMode::AddChildLast) > 0)
            m_cutNodes.clear();
        return;
    }
    if (data != nullptr && data->hasFormat(VirtualTreeDataFormat))
        CopyNodes(data->data(VirtualTreeDataFormat), target, TAttachMode::AddChildLast);
}

void TTreeEditor::SelectAll()
{
    QItemSelection all;
    std::function<void(TElementNode &)> add = [&](TElementNode &node) {
        for (const auto &child : node.Children()) {
            const QModelIndex index = m_model.IndexOf(*child);
            all.select(index, index);
            add(*child);
        }
    };
    add(Tree().Root());
    m_view.selectionModel()->select(all, QItemSelectionModel::Select);
}

void TTreeEditor::ApplyNodeState(TElementNode &node)
{
    QItemSelection selected;
    std::function<void(TElementNode &)> visit = [&](TElementNode &n) {
        const QModelIndex index = m_model.IndexOf(n);
        if (index.isValid()) {
            if (n.IsExpanded())
                m_view.setExpanded(index, true);
            if (n.IsSelected())
                selected.select(index, index);
        }
        for (const auto &child : n.Children())
            visit(*child);
    };
    visit(node);
    if (!selected.isEmpty())
        m_view.selectionModel()->select(selected, QItemSelectionModel::Select);
}

void TTreeEditor::ApplyTreeState()
{
    ApplyNodeState(Tree().Root());
    const TElementNode *focused = FocusedNode();
    m_view.selectionModel()->setCurrentIndex(focused ? m_model.IndexOf(*focused) : QModelIndex(), QItemSelectionModel::NoUpdate);
}

void TTreeEditor::SelectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    for (const QModelIndex &index : deselected.indexes())
        m_model.NodeOf(index).SetSelected(false);
    for (const QModelIndex &index : selected.indexes())
        m_model.NodeOf(index).SetSelected(true);
    Q_EMIT Changed();
}

void TTreeEditor::Forget(TElementNode *removed)
{
    const auto inside = [removed](TElementNode *node) { return Contains(*removed, node); };
    std::erase_if(m_cutNodes, inside);
    std::erase_if(m_dragNodes, inside);
}

int TTreeEditor::MoveNodes(std::vector<TElementNode *> nodes, TElementNode &target, TAttachMode attach)
{
    int moved = 0;
    // Taken in this order, the nodes keep their order at the target.
    const bool forward = attach == TAttachMode::InsertBefore || attach == TAttachMode::AddChildLast;
    if (!forward)
        std::reverse(nodes.begin(), nodes.end());
    for (TElementNode *node : nodes) {
        if (Contains(*node, &target))
            continue;
        if (ElementsTreeNodeMoving(node, &target)) {
            MoveNode(*node, target, attach);
            ++moved;
        }
    }
    return moved;
}

void TTreeEditor::MoveNode(TElementNode &node, TElementNode &target, TAttachMode attach)
{
    switch (attach) {
    case TAttachMode::InsertBefore:
    case TAttachMode::InsertAfter:
        if (TElementNode *parent = target.Parent())
            m_model.MoveNode(node, *parent, static_cast<std::size_t>(target.Index() + (attach == TAttachMode::InsertAfter ? 1 : 0)));
        break;
    case TAttachMode::AddChildFirst:
        m_model.MoveNode(node, target, 0);
        break;
    case TAttachMode::AddChildLast:
        m_model.MoveNode(node, target, target.ChildCount());
        break;
    case TAttachMode::None:
        break;
    }
}

void TTreeEditor::CopyNodes(const QByteArray &payload, TElementNode *target, TAttachMode attach)
{
    std::vector<std::unique_ptr<TElementNode>> copies = DecodeNodeChunks(payload);
    int placed = 0;
    for (auto &copy : copies) {
        if (!ElementsTreeNodeCopying(copy.get(), target))
            continue; // the refused copy is released with its element
        ElementsTreeNodeCopied(copy.get());
        PlaceCopy(std::move(copy), *target, attach, placed);
    }
}

void TTreeEditor::PlaceCopy(std::unique_ptr<TElementNode> node, TElementNode &target, TAttachMode attach, int &placed)
{
    TElementNode *parent = &target;
    std::size_t index = target.ChildCount();
    switch (attach) {
    case TAttachMode::InsertBefore:
        parent = target.Parent();
        index = static_cast<std::size_t>(target.Index());
        break;
    case TAttachMode::InsertAfter:
        // Each copy goes after the previous one, so copies keep their order.
        parent = target.Parent();
        index = static_cast<std::size_t>(target.Index() + 1 + placed);
        break;
    case TAttachMode::AddChildFirst:
        index = static_cast<std::size_t>(placed);
        break;
    case TAttachMode::AddChildLast:
    case TAttachMode::None:
        break;
    }
    if (parent == nullptr)
        return;
    ApplyNodeState(m_model.InsertNode(*parent, index, std::move(node)));
    ++placed;
}

void TTreeEditor::Select(TElementNode &node, bool on)
{
    const QModelIndex index = m_model.IndexOf(node);
    if (index.isValid())
        m_view.selectionModel()->select(index, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

} // namespace velmora
