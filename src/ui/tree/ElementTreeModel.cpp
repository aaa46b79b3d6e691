#include "ui/tree/ElementTreeModel.h"

#include "core/edit/EditCommands.h"
#include "core/typedfiler/CodePage.h"
#include "ui/tree/TreeClipboard.h"
#include "ui/tree/TreeImages.h"

namespace velmora {

TElementTreeModel::TElementTreeModel(TDocument &document, const TTreeImages &images, QObject *parent)
    : QAbstractItemModel(parent), m_document(document), m_images(images)
{
    connect(&document, &TDocument::NodeAboutToBeInserted, this, [this](TElementNode *parent, int row) {
        beginInsertRows(IndexOf(*parent), row, row);
    });
    connect(&document, &TDocument::NodeAboutToBeRemoved, this, [this](TElementNode *node) {
        const int row = node->Index();
        beginRemoveRows(IndexOf(*node->Parent()), row, row);
    });
    connect(&document, &TDocument::NodeAboutToBeMoved, this, [this](TElementNode *node, TElementNode *parent, int row) {
        const int from = node->Index();
        // The document leaves out moves to where the node already is, which views refuse.
        beginMoveRows(IndexOf(*node->Parent()), from, from, IndexOf(*parent), row);
    });
    connect(&document, &TDocument::TreeAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&document, &TDocument::Changed, this, &TElementTreeModel::DocumentChanged);
}

void TElementTreeModel::DocumentChanged(const TDocumentChange &change)
{
    using TKind = TDocumentChange::TKind;
    switch (change.Kind) {
    case TKind::NodeAdded: endInsertRows(); break;
    case TKind::NodeRemoved: endRemoveRows(); break;
    case TKind::NodeMoved: endMoveRows(); break;
    case TKind::TreeReset: endResetModel(); break;
    case TKind::ElementFields: ElementChanged(change.Element); return;
    case TKind::ElementReplaced: NodeChanged(*change.Node); return;
    }
    Q_EMIT StructureChanged();
}

void TElementTreeModel::ElementChanged(IElement *element)
{
    // Captions follow the text and the picture's file name.
    if (const TElementNode *node = NodeOfElement(Tree().Root(), element))
        NodeChanged(*node);
}

TElementNode &TElementTreeModel::NodeOf(const QModelIndex &index) const
{
    if (!index.isValid())
        return Tree().Root();
    return *static_cast<TElementNode *>(index.internalPointer());
}

QModelIndex TElementTreeModel::IndexOf(const TElementNode &node) const
{
    if (node.Parent() == nullptr)
        return {};
    return createIndex(node.Index(), 0, const_cast<TElementNode *>(&node));
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
    if (!RenameCaption(m_document, node, caption))
        return false;
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
