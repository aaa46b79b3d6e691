#pragma once

#include "core/elements/ElementTypes.h"

#include <QTreeView>

class QMimeData;

namespace velmora {

class TElementNode;
class TElementTreeModel;
class TTreeEditor;

// The element manager's tree: several nodes selectable, captions edited in place when the
// element allows it, and drag and drop decided by the tree editor.
class TElementsTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TElementsTreeView(QWidget *parent = nullptr);

    void SetEditor(TTreeEditor *editor) { m_editor = editor; }
    TElementTreeModel *TreeModel() const;

    // The node under pos and where a drop there would land; null when there is no node.
    TElementNode *DropTargetAt(const QPoint &pos, TDropMode &mode) const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // A caption cut off at the panel's edge shows whole in a tooltip.
    bool viewportEvent(QEvent *event) override;

private:
    bool AcceptDrag(QDragMoveEvent *event);
    // Nodes of a tree where the focused node may go, or picture files where an image may go.
    bool Accepts(const QMimeData *data, const TElementNode *target, TDropMode mode) const;
    Qt::DropAction EffectOf(const QDropEvent *event) const;
    void ClearDropMark();

    TTreeEditor *m_editor = nullptr;
    QRect m_dropMark;
    TDropMode m_dropMarkMode = dmNowhere;
};

// The whole caption of the node at a viewport point when the panel cuts it off, else empty.
QString TruncatedCaptionAt(const TElementsTreeView &view, const QPoint &point);

} // namespace velmora
