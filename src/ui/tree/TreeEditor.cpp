#include "ui/tree/TreeEditor.h"

#include "core/edit/EditCommands.h"
#include "core/elements/ElementImage.h"
#include "core/error.h"
#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/ElementsTreeView.h"
#include "ui/tree/TreeClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>

namespace velmora {

TTreeEditor::TTreeEditor(TElementTreeModel &model, TElementsTreeView &view, std::function<bool(const QString &)> confirm)
    : m_model(model), m_view(view), m_confirm(std::move(confirm))
{
    connect(m_view.selectionModel(), &QItemSelectionModel::selectionChanged, this, &TTreeEditor::SelectionChanged);
    connect(m_view.selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        Tree().SetFocusedNode(current.isValid() ? &m_model.NodeOf(current) : nullptr);
        Q_EMIT Changed();
    });
    connect(&m_view, &QTreeView::expanded, this, [this](const QModelIndex &index) { m_model.NodeOf(index).SetExpanded(true); });
    connect(&m_view, &QTreeView::collapsed, this, [this](const QModelIndex &index) { m_model.NodeOf(index).SetExpanded(false); });
    connect(&Document(), &TDocument::NodeAboutToBeRemoved, this, &TTreeEditor::Forget);
    // Nodes coming back (undo of a removal, a paste) show the state they carry.
    connect(&Document(), &TDocument::Changed, this, [this](const TDocumentChange &change) {
        if (change.Kind == TDocumentChange::TKind::NodeAdded)
            ApplyNodeState(*change.Node);
    });
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_dragNodes.clear(); });
}

TDocument &TTreeEditor::Document() const
{
    return m_model.Document();
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
    return SelectedTopNodes(Tree().Root());
}

bool TTreeEditor::AcceptsChild(const TElementKind &kind) const
{
    return CanAddElement(FocusedNode(), kind);
}

TElementNode *TTreeEditor::AddElement(const TElementKind &kind)
{
    TElementNode *previous = FocusedNode();
    TElementNode *added = velmora::AddElement(Document(), previous, kind);
    FocusAdded(previous, added);
    return added;
}

TElementNode *TTreeEditor::AddSubtree(std::unique_ptr<TElementNode> subtree, const QString &text)
{
    TElementNode *previous = FocusedNode();
    TElementNode *added = velmora::AddSubtree(Document(), previous, std::move(subtree), text);
    FocusAdded(previous, added);
    return added;
}

void TTreeEditor::FocusAdded(TElementNode *previous, TElementNode *added)
{
    if (added != nullptr) {
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
}

void TTreeEditor::DeleteSelection()
{
    if (!m_confirm(QStringLiteral("Are you sure you want to Remove the selected element(s)")))
        return;
    // The project node is refused and deselected; selected nodes below it still go.
    if (TElementNode *project = Tree().ProjectNode(); project != nullptr && project->IsSelected())
        Select(*project, false);
    // Every offer marks the project, the refused project node's too.
    if (RemoveNodes(Document(), SelectedNodes()) == 0)
        Document().MarkModified();
}

bool TTreeEditor::ElementsTreeDragOver(const TElementNode *target, TDropMode mode) const
{
    return CanDropAt(FocusedNode(), target, mode);
}

bool TTreeEditor::CanDropImagesAt(const TElementNode *target, TDropMode mode) const
{
    return target != nullptr && target->Element() != nullptr && AttachModeFor(mode) != TAttachMode::None
        && CanDropKindOn(TVmElementImage::Kind, target->Element()->GetClass(), mode);
}

void TTreeEditor::ElementsTreeDragDrop(TElementNode *target, TDropMode mode, Qt::DropAction effect, const QMimeData *data)
{
    const TAttachMode attach = AttachModeFor(mode);
    if (attach == TAttachMode::None || target == nullptr)
        return;
    // Picture files from the file manager become image elements at the drop point.
    if (const QStringList files = DroppedImageFiles(data); !files.isEmpty() && !data->hasFormat(VirtualTreeDataFormat)) {
        // A refused picture stops the drop before anything changes; it must not leave the event.
        try {
            for (TElementNode *node : DropImageFiles(Document(), files, target, mode))
                Select(*node, true);
        } catch (const EVelmoraError &e) {
            if (m_showError)
                m_showError(e.message());
        }
        return;
    }
    bool changed = false;
    // A failed drop ends with no effect and no message.
    try {
        if (effect == Qt::MoveAction && m_dragging)
            changed = MoveNodes(Document(), m_dragNodes, *target, attach, true) > 0;
        else if (effect == Qt::CopyAction && data != nullptr && data->hasFormat(VirtualTreeDataFormat))
            changed = CopyNodes(data->data(VirtualTreeDataFormat), target, attach, QStringLiteral("Copy Elements"));
    } catch (const std::exception &) {
    }
    // A drop marks the project also when it changed nothing.
    if (!changed)
        Document().MarkModified();
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

bool TTreeEditor::CanCut() const
{
    // The project node stays; cutting it alone would copy and remove nothing.
    bool any = false;
    ForEachNode(Tree().Root(), [&](TElementNode &node) { any = any || (node.IsSelected() && &node != Tree().ProjectNode()); });
    return any;
}

void TTreeEditor::CopyToClipboard()
{
    const std::vector<TElementNode *> nodes = SelectedNodes();
    if (nodes.empty())
        return;
    // The chunks are taken now, so deleting the nodes later does not empty the clipboard.
    QGuiApplication::clipboard()->setMimeData(CreateTreeMimeData(nodes).release());
}

void TTreeEditor::CutToClipboard()
{
    if (!CanCut())
        return;
    // As Delete, the project node is let go and the elements selected below it are taken.
    if (TElementNode *project = Tree().ProjectNode(); project != nullptr && project->IsSelected())
        Select(*project, false);
    // Cut takes the elements away at once, as one step; Paste inserts copies wherever it goes.
    CopyToClipboard();
    RemoveNodes(Document(), SelectedNodes(), QStringLiteral("Cut"));
}

bool TTreeEditor::CanPaste() const
{
    TElementNode *target = FocusedNode();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (target == nullptr || data == nullptr || !data->hasFormat(VirtualTreeDataFormat))
        return false;
    try {
        const auto copies = CopiesOf(data->data(VirtualTreeDataFormat));
        return !copies.empty()
            && InsertionAttach(target, [&](const TElementNode &container) { return CanPlaceOnto(copies.front().get(), &container); }).has_value();
    } catch (const std::exception &) {
        // Damaged data: Paste stays available so that it can say what is wrong.
        return true;
    }
}

void TTreeEditor::PasteFromClipboard()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data != nullptr && data->hasFormat(VirtualTreeDataFormat))
        PasteCopies(Document(), CopiesOf(data->data(VirtualTreeDataFormat)), FocusedNode(), QStringLiteral("Paste Elements"));
}

void TTreeEditor::SelectAll()
{
    QItemSelection all;
    ForEachNode(Tree().Root(), [&](TElementNode &node) {
        if (const QModelIndex index = m_model.IndexOf(node); index.isValid())
            all.select(index, index);
    });
    m_view.selectionModel()->select(all, QItemSelectionModel::Select);
}

void TTreeEditor::ApplyNodeState(TElementNode &node)
{
    QItemSelection selected;
    ForEachNode(node, [&](TElementNode &n) {
        const QModelIndex index = m_model.IndexOf(n);
        if (!index.isValid())
            return;
        if (n.IsExpanded())
            m_view.setExpanded(index, true);
        if (n.IsSelected())
            selected.select(index, index);
    });
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
    const auto inside = [removed](TElementNode *node) { return removed->Contains(node); };
    std::erase_if(m_dragNodes, inside);
}

std::vector<std::unique_ptr<TElementNode>> TTreeEditor::CopiesOf(const QByteArray &payload)
{
    std::vector<std::unique_ptr<TElementNode>> copies = DecodeNodeChunks(payload);
    // Copies arrive unselected, their descendants too.
    for (auto &copy : copies)
        ForEachNode(*copy, [](TElementNode &node) { node.SetSelected(false); });
    return copies;
}

bool TTreeEditor::CopyNodes(const QByteArray &payload, TElementNode *target, TAttachMode attach, const QString &text)
{
    return !InsertCopies(Document(), CopiesOf(payload), target, attach, text).empty();
}

void TTreeEditor::Select(TElementNode &node, bool on)
{
    const QModelIndex index = m_model.IndexOf(node);
    if (index.isValid())
        m_view.selectionModel()->select(index, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

} // namespace velmora
