#pragma once

#include "core/document/Document.h"

#include <QAbstractItemModel>
#include <memory>

namespace velmora {

class TTreeImages;

// Item model over the document's element tree: captions and icons come from the elements,
// and the model follows the document's change signals, so views show every edit and undo.
class TElementTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    TElementTreeModel(TDocument &document, const TTreeImages &images, QObject *parent = nullptr);

    TDocument &Document() const { return m_document; }
    TElementTree &Tree() const { return m_document.Tree(); }
    // The node of index; the invisible root for an invalid index.
    TElementNode &NodeOf(const QModelIndex &index) const;
    // The index of node; invalid for the root.
    QModelIndex IndexOf(const TElementNode &node) const;

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
    // A caption was typed with characters the project file cannot store; they became "?".
    void CaptionNotStorable(const QString &typed);

private:
    void DocumentChanged(const TDocumentChange &change);
    void ElementChanged(IElement *element);

    TDocument &m_document;
    const TTreeImages &m_images;
};

} // namespace velmora
