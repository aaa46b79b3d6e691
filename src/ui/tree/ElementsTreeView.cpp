#include "ui/tree/ElementsTreeView.h"

#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/TreeClipboard.h"
#include "ui/tree/TreeEditor.h"
#include "ui/tree/TreeImages.h"

#include <QDrag>
#include <QHelpEvent>
#include <QStyleOptionViewItem>
#include <QToolTip>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QPainter>

namespace velmora {

TElementsTreeView::TElementsTreeView(QWidget *parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setIconSize(QSize(TreeImageSize, TreeImageSize));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false); // the drop mark below follows our own drop modes
    setDragDropMode(QAbstractItemView::DragDrop);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

TElementTreeModel *TElementsTreeView::TreeModel() const
{
    return qobject_cast<TElementTreeModel *>(model());
}

TElementNode *TElementsTreeView::DropTargetAt(const QPoint &pos, TDropMode &mode) const
{
    mode = dmNowhere;
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || TreeModel() == nullptr)
        return nullptr;
    // The upper quarter of a row drops above it, the lower quarter below, the rest onto it.
    const QRect rect = visualRect(index);
    const int quarter = std::max(1, rect.height() / 4);
    if (pos.y() < rect.top() + quarter)
        mode = dmAbove;
    else if (pos.y() >= rect.bottom() + 1 - quarter)
        mode = dmBelow;
    else
        mode = dmOnto;
    return &TreeModel()->NodeOf(index);
}

void TElementsTreeView::focusInEvent(QFocusEvent *event)
{
    // Taking the focus leaves the focused node as it is: none until the user picks one.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TElementsTreeView::startDrag(Qt::DropActions supportedActions)
{
    if (m_editor == nullptr || m_editor->SelectedNodes().empty())
        return;
    m_editor->BeginDrag();
    auto *drag = new QDrag(this);
    drag->setMimeData(m_editor->DragData().release());
    const QModelIndex current = currentIndex();
    if (current.isValid())
        drag->setPixmap(current.data(Qt::DecorationRole).value<QIcon>().pixmap(iconSize()));
    drag->exec(supportedActions, Qt::MoveAction);
    m_editor->EndDrag();
    ClearDropMark();
}

void TElementsTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (AcceptDrag(event))
        return;
    // Entering must be accepted for move events to follow, even over a refused spot.
    event->accept();
}

void TElementsTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    AcceptDrag(event);
}

void TElementsTreeView::dragLeaveEvent(QDragLeaveEvent *event)
{
    ClearDropMark();
    event->accept();
}

void TElementsTreeView::dropEvent(QDropEvent *event)
{
    ClearDropMark();
    TDropMode mode = dmNowhere;
    const QPoint pos = event->position().toPoint();
    TElementNode *target = DropTargetAt(pos, mode);
    if (!Accepts(event->mimeData(), target, mode)) {
        event->ignore();
        return;
    }
    const Qt::DropAction effect = EffectOf(event);
    m_editor->ElementsTreeDragDrop(target, mode, effect, event->mimeData());
    event->setDropAction(effect);
    event->accept();
}

void TElementsTreeView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    if (m_dropMarkMode == dmNowhere)
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    if (m_dropMarkMode == dmOnto)
        painter.drawRect(m_dropMark.adjusted(1, 1, -1, -1));
    else {
        const int y = m_dropMarkMode == dmAbove ? m_dropMark.top() + 1 : m_dropMark.bottom();
        painter.drawLine(m_dropMark.left(), y, m_dropMark.right(), y);
    }
}

bool TElementsTreeView::AcceptDrag(QDragMoveEvent *event)
{
    TDropMode mode = dmNowhere;
    const QPoint pos = event->position().toPoint();
    TElementNode *target = DropTargetAt(pos, mode);
    const bool accepted = Accepts(event->mimeData(), target, mode);
    const QRect mark = accepted ? visualRect(indexAt(pos)) : QRect();
    if (mark != m_dropMark || (accepted ? mode : dmNowhere) != m_dropMarkMode) {
        m_dropMark = mark;
        m_dropMarkMode = accepted ? mode : dmNowhere;
        viewport()->update();
    }
    if (accepted) {
        event->setDropAction(EffectOf(event));
        event->accept();
    } else
        event->ignore();
    return accepted;
}

bool TElementsTreeView::Accepts(const QMimeData *data, const TElementNode *target, TDropMode mode) const
{
    if (m_editor == nullptr)
        return false;
    if (data->hasFormat(VirtualTreeDataFormat))
        return m_editor->ElementsTreeDragOver(target, mode);
    return !DroppedImageFiles(data).isEmpty() && m_editor->CanDropImagesAt(target, mode);
}

Qt::DropAction TElementsTreeView::EffectOf(const QDropEvent *event) const
{
    TDragSource source = TDragSource::Elsewhere;
    if ((m_editor != nullptr && m_editor->Dragging()) || event->source() == this)
        source = TDragSource::ThisTree;
    else if (qobject_cast<TElementsTreeView *>(event->source()) != nullptr)
        source = TDragSource::OtherTree;
    return DropEffect(source, event->modifiers(), event->possibleActions());
}

void TElementsTreeView::ClearDropMark()
{
    if (m_dropMarkMode == dmNowhere)
        return;
    m_dropMarkMode = dmNowhere;
    m_dropMark = QRect();
    viewport()->update();
}

QString TruncatedCaptionAt(const TElementsTreeView &view, const QPoint &point)
{
    const QModelIndex index = view.indexAt(point);
    if (!index.isValid())
        return {};
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.decorationSize = view.iconSize();
    const int needed = view.itemDelegate()->sizeHint(option, index).width();
    const QRect rect = view.visualRect(index);
    if (rect.x() + needed <= view.viewport()->width())
        return {};
    return index.data(Qt::DisplayRole).toString();
}

bool TElementsTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString caption = TruncatedCaptionAt(*this, help->pos());
        if (caption.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), caption, viewport());
        return true;
    }
    return QTreeView::viewportEvent(event);
}

} // namespace velmora
