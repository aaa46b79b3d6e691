#include "ui/window/EditorContext.h"

#include "ui/tree/ElementTreeModel.h"
#include "ui/tree/ElementsTreeView.h"

#include <QItemSelectionModel>

namespace velmora {

void TEditorContext::AttachTree(TElementTreeModel &model, TElementsTreeView &view, std::function<void()> layOut)
{
    m_model = &model;
    m_view = &view;
    m_layOut = std::move(layOut);
}

void TEditorContext::Reveal(const TElementNode &node, std::optional<int> position)
{
    if (m_model == nullptr || m_view == nullptr)
        return;
    const QModelIndex index = m_model->IndexOf(node);
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_view->expand(parent);
    m_view->scrollTo(index);
    // A new current node makes the window scroll the roll to show it on the next frame.
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (!position)
        return;
    if (m_layOut)
        m_layOut();
    m_position.SetValue(*position);
}

} // namespace velmora
