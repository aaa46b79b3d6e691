#include "ui/ElementTreeModel.h"

#include "core/typedfiler/CodePage.h"

#include "ui/TreeClipboard.h"
#include "ui/TreeImages.h"

namespace velmora {

TElementTreeModel::TElementTreeModel(TElementTree &tree, const TTreeImages &images, QObject *parent)
    : QAbstractItemModel(parent), m_tree(&tree), m_images(images)
{
}

TElementNode &TElementTreeModel::NodeOf(const QModelIndex &index) const
{
    if (!index.isValid())
        return m_tree->Root();
    return *static_cast<TElementNode *>(index.internalPointer());
}

QModelIndex TElementTreeModel::IndexOf(const TElementNode &node) const
{
    if (node.Parent() == nullptr)
        return {};
    return createIndex(node.Index(), 0, const_cast<TElementNode *>(&node));
}

TElementNode &TElementTreeModel::InsertNode(TElementNode &parent, std::size_t index, std::unique_ptr<TElementNode> node)
{
    index = std::min(index, parent.ChildCount());
    const int row = static_cast<int>(index);
    beginInsertRows(IndexOf(parent), row, row);
    TElementNode &inserted = m_tree->InsertChild(parent, index, std::move(node));
    endInsertRows();
    Q_EMIT StructureChanged();
    return inserted;
}

void TElementTreeModel::RemoveNode(TElementNode &node)
{
    Q_EMIT NodeAboutToBeRemoved(&node);
    const int row = node.Index();
    beginRemoveRows(IndexOf(*node.Parent()), row, row);
    // Destroy the subtree only after views have let go of its rows.
    std::unique_ptr<TElementNode> taken = m_tree->TakeNode(node);
    endRemoveRows();
    taken.reset();
    Q_EMIT StructureChanged();
}

bool TElementTreeModel::MoveNode(TElementNode &node, TElementNode &parent, std::size_t index)
{
    for (const TElementNode *ancestor = &parent; ancestor != nullptr; ancestor = ancestor->Parent())
        if (ancestor == &node)
            return false;
    index = std::min(index, parent.ChildCount());
    const int row = node.Index();
    if (!beginMoveRows(IndexOf(*node.Parent()), row, row, IndexOf(parent), static_cast<int>(index)))
        return false;
    const bool sameParent = node.Parent() == &parent;
    // Taking the node out drops the focus when it lies inside; the moved node keeps it.
    TElementNode *focused = m_tree->FocusedNode();
    std::unique_ptr<TElementNode> taken = m_tree->TakeNode(node);
    // Taking the node out shifts its later siblings up by one.
    if (sameParent && index > static_cast<std::size_t>(row))
        --index;
    m_tree->InsertChild(parent, index, std::move(taken));
    m_tree->SetFocusedNode(focused);
    endMoveRows();
    Q_EMIT StructureChanged();
    return true;
}

void TElementTreeModel::Reset()
{
    beginResetModel();
    endResetModel();
    Q_EMIT StructureChanged();
}

void TElementTreeModel::NodeChanged(const TElementNode &node)
{
    const QModelIndex index = IndexOf(node);
    if (index.isValid())
        Q_EMIT dataChanged(index, index);
}

QModelIndex TElementTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const TElementNode &node = NodeOf(parent);
    if (column != 0 || row < 0 || static_cast<std::size_t>(row) >= node.ChildCount())
        return {};
    return createIndex(row, 0, node.Child(static_cast<std::size_t>(row)));
}

QModelIndex TElementTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    const TElementNode *parent = NodeOf(child).Parent();
    return parent ? IndexOf(*parent) : QModelIndex();
}

int TElementTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(NodeOf(parent).ChildCount());
}

int TElementTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant TElementTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const IElement *element = NodeOf(index).Element();
    if (element == nullptr)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return NodeCaption(NodeOf(index));
    case Qt::DecorationRole:
        return m_images.Icon(element->GetImageIndex(-1, ikNormal));
    default:
        return {};
    }
}

bool TElementTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    TElementNode &node = NodeOf(index);
    IElement *element = node.Element();
    if (element == nullptr || !element->CanEditCaption(-1))
        return false;
    const QString caption = value.toString();
    if (caption == NodeCaption(node) || !element->SetCaption(-1, caption))
        return false;
    Q_EMIT dataChanged(index, index);
    Q_EMIT CaptionEdited(&node);
    // Captions other than texts live in the project file's 8-bit code page.
    if (NodeCaption(node) != caption && FromSystemCodePage(ToSystemCodePage(caption)) == NodeCaption(node))
        Q_EMIT CaptionNotStorable(caption);
    return true;
}

Qt::ItemFlags TElementTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const IElement *element = NodeOf(index).Element();
    if (element != nullptr && element->CanEditCaption(-1))
        flags |= Qt::ItemIsEditable;
    return flags;
}

Qt::DropActions TElementTreeModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

Qt::DropActions TElementTreeModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

QStringList TElementTreeModel::mimeTypes() const
{
    return TreeClipboardFormats();
}

} // namespace velmora
