// Side panels, the commands panels register, and the generating state of the main window.
#include "ui/window/MainWindow.h"

#include "ui/preview/RollRuler.h"
#include "ui/preview/Transport.h"

#include <QAction>
#include <QMenuBar>
#include <QSlider>
#include <QSplitter>
#include <QToolBar>

namespace velmora {

namespace {

// The action of list named id, or null (the end) when none is or id is empty.
QAction *ActionNamed(const QList<QAction *> &list, const QString &id)
{
    if (!id.isEmpty())
        for (QAction *action : list)
            if (action->objectName() == id)
                return action;
    return nullptr;
}

} // namespace

void TMain::PlaceAction(QAction *action, const TActionPlace &place)
{
    if (!place.Menu.isEmpty()) {
        QMenu *menu = nullptr;
        const QString title = QString(place.Menu).remove(QLatin1Char('&'));
        for (QAction *item : menuBar()->actions())
            if (item->menu() != nullptr && item->text().remove(QLatin1Char('&')) == title)
                menu = item->menu();
        if (menu == nullptr) {
            // A panel's own menu goes before Help, which stays last.
            menu = new QMenu(place.Menu, this);
            const QList<QAction *> menus = menuBar()->actions();
            menuBar()->insertMenu(menus.isEmpty() ? nullptr : menus.last(), menu);
        }
        QAction *before = ActionNamed(menu->actions(), place.Before);
        if (place.SeparatorBefore)
            menu->insertSeparator(before);
        menu->insertAction(before, action);
    }
    if (!place.ToolBar.isEmpty())
        if (auto *bar = findChild<QToolBar *>(place.ToolBar)) {
            QAction *before = ActionNamed(bar->actions(), place.ToolBarBefore);
            bar->insertAction(before, action);
            if (place.ToolBarSeparatorAfter)
                bar->insertSeparator(before);
            // The upper bar's buttons are all of one height, whoever brings them.
            if (bar == UpperToolBar)
                bar->widgetForAction(action)->setMinimumHeight(44);
        }
}

void TMain::ActShowElementsExecute()
{
    ToggleSidePanel(ActShowElements->isChecked(), ElementsSplitter, 0, m_savedElementsWidth);
}

void TMain::ActShowPropertiesExecute()
{
    ToggleSidePanel(ActShowProperties->isChecked(), PagesSplitter, 1, m_savedPagesWidth);
}

void TMain::ToggleSidePanel(bool hide, QSplitter *splitter, int panelIndex, int &savedWidth)
{
    QSplitterHandle *handle = splitter->handle(1);
    const int other = 1 - panelIndex;
    QList<int> sizes = splitter->sizes();
    // The panel's width says whether it is collapsed: the splitter shows the handle again
    // whenever it lays itself out. Hiding a hidden panel again must not store its zero width.
    const bool collapsed = sizes[panelIndex] == 0;
    if (hide && !collapsed) {
        handle->hide();
        savedWidth = sizes[panelIndex];
        sizes[other] += sizes[panelIndex];
        sizes[panelIndex] = 0;
        splitter->setSizes(sizes);
    } else if (!hide && collapsed) {
        sizes[other] = std::max(0, sizes[other] - savedWidth);
        sizes[panelIndex] = savedWidth;
        splitter->setSizes(sizes);
        handle->show();
    }
}

void TMain::SetGenerating(bool on)
{
    m_context->SetGenerating(on);
    m_transport->SetGenerating(on);
    ActShowProperties->setChecked(on);
    ActShowPropertiesExecute();
    ActShowElements->setChecked(on);
    ActShowElementsExecute();
    GeneratingPanel->setVisible(on);
    TrackBar->setVisible(!on);
    m_ruler->setVisible(!on);
    UpdateActions();
    // The outlines the run left out come back once it ends.
    if (!on && ShowPlaceholders())
        SchedulePreviewUpdate();
}

} // namespace velmora
