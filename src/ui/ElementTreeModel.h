#pragma once

#include "core/document/ElementTree.h"

#include <QAbstractItemModel>
#include <memory>

namespace velmora {

class TTreeImages;

// Item model over the document's element tree: captions and icons come from the elements,
// and every structural change of the tree goes through it so views follow.
class TElementTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    TElementTreeModel(TElementTree &tree, const TTreeImages &images, QObject *parent = nullptr);

    TElementTree &Tree() const { return *m_tree; }
    // The node of index; the invisible root for an invalid index.
    TElementNode &NodeOf(const QModelIndex &index) const;
    // The index of node; invalid for the root.
    QModelIndex IndexOf(const TElementNode &node) const;

    // Attaches node under parent at index (clamped to the end).
    TElementNode &InsertNode(TElementNode &parent, std::size_t index, std::unique_ptr<TElementNode> node);
    // Destroys node with its subtree.
    void RemoveNode(TElementNode &node);
    // Moves node under parent before the child now at index; false when it would not move.
    bool MoveNode(TElementNode &node, TElementNode &parent, std::size_t index);
    // Tells views that the whole tree was replaced or rebuilt.
    void Reset();
    // Tells views that node's caption or icon changed.
    void NodeChanged(const TElementNode &node);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;

Q_SIGNALS:
    // Nodes were added, removed, moved or the tree was reset.
    void StructureChanged();
    // node and its subtree are about to be destroyed.
    void NodeAboutToBeRemoved(velmora::TElementNode *node);
    // The user gave node a new caption in place.
    void CaptionEdited(velmora::TElementNode *node);
    // A caption was typed with characters the project file cannot store; they became "?".
    void CaptionNotStorable(const QString &typed);

private:
    TElementTree *m_tree;
    const TTreeImages &m_images;
};

} // namespace velmora
