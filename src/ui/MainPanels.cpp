// Side panels and the generating state of the main window.
#include "ui/MainWindow.h"

#include "ui/RollRuler.h"
#include "ui/Transport.h"

#include <QAction>
#include <QSlider>
#include <QSplitter>

namespace velmora {

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
    m_generating = on;
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
