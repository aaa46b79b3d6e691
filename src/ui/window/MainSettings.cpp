// What the main window keeps between sessions: layout, view and the last Generate choices.
#include "ui/window/MainWindow.h"

#include "controls/PreviewPaintBox.h"
#include "ui/generate/GenerationCommand.h"
#include "ui/window/EditorSettings.h"

#include <QAction>
#include <QSplitter>

namespace velmora {

namespace {

const QString GeometryKey = QStringLiteral("Window/Geometry");
const QString StateKey = QStringLiteral("Window/State");
const QString ElementsSplitterKey = QStringLiteral("Window/ElementsSplitter");
const QString PagesSplitterKey = QStringLiteral("Window/PagesSplitter");
const QString ElementsHiddenKey = QStringLiteral("Window/ElementsHidden");
const QString PropertiesHiddenKey = QStringLiteral("Window/PropertiesHidden");
const QString ZoomKey = QStringLiteral("View/Zoom");
const QString PlaceholdersKey = QStringLiteral("View/Placeholders");
const QString SafeAreasKey = QStringLiteral("View/SafeAreas");

} // namespace

void TMain::RememberSettings()
{
    m_remembersSettings = true;
    const QSettings settings = EditorSettings();
    if (settings.contains(GeometryKey))
        restoreGeometry(settings.value(GeometryKey).toByteArray());
    if (settings.contains(StateKey))
        restoreState(settings.value(StateKey).toByteArray());
    ElementsSplitter->restoreState(settings.value(ElementsSplitterKey).toByteArray());
    PagesSplitter->restoreState(settings.value(PagesSplitterKey).toByteArray());
    // A side panel hidden last time comes back hidden, its width kept for showing it again.
    for (const auto &[key, action] : {std::pair{ElementsHiddenKey, ActShowElements}, std::pair{PropertiesHiddenKey, ActShowProperties}})
        if (settings.value(key, false).toBool() != action->isChecked())
            action->trigger();
    SetZoomChoice(settings.value(ZoomKey, ZoomChoice()).toInt());
    ActShowPlaceholders->setChecked(settings.value(PlaceholdersKey, ActShowPlaceholders->isChecked()).toBool());
    ActShowSafeAreas->setChecked(settings.value(SafeAreasKey, ActShowSafeAreas->isChecked()).toBool());
    if (settings.contains(QStringLiteral("Generate/Format")))
        Generation().SetDelivery(ReadDeliveryChoice(settings));
    SchedulePreviewUpdate();
}

void TMain::KeepDefaultLayout()
{
    m_defaultLayout = {saveState(), ElementsSplitter->saveState(), PagesSplitter->saveState()};
}

void TMain::SaveSettings()
{
    if (!m_remembersSettings)
        return;
    QSettings settings = EditorSettings();
    settings.setValue(GeometryKey, saveGeometry());
    settings.setValue(StateKey, saveState());
    settings.setValue(ElementsSplitterKey, ElementsSplitter->saveState());
    settings.setValue(PagesSplitterKey, PagesSplitter->saveState());
    settings.setValue(ElementsHiddenKey, ActShowElements->isChecked());
    settings.setValue(PropertiesHiddenKey, ActShowProperties->isChecked());
    settings.setValue(ZoomKey, ZoomChoice());
    settings.setValue(PlaceholdersKey, ActShowPlaceholders->isChecked());
    settings.setValue(SafeAreasKey, ActShowSafeAreas->isChecked());
    if (m_generation != nullptr)
        WriteDeliveryChoice(settings, m_generation->Delivery());
}

void TMain::ResetLayout()
{
    for (QAction *action : {ActShowElements, ActShowProperties})
        if (action->isChecked())
            action->trigger();
    restoreState(m_defaultLayout.State);
    ElementsSplitter->restoreState(m_defaultLayout.ElementsSplitter);
    PagesSplitter->restoreState(m_defaultLayout.PagesSplitter);
}

} // namespace velmora
