// Document commands, closing and the About box of the main window.
#include "ui/MainWindow.h"

#include "ui/AboutBox.h"
#include "ui/Prompts.h"

#include <QCloseEvent>

namespace velmora {

void TMain::ActNewExecute()
{
    m_document.ActNewExecute(*m_prompts);
}

void TMain::ActLoadExecute()
{
    m_document.ActLoadExecute(*m_prompts);
}

void TMain::OpenProjectFile(const QString &fileName)
{
    RunHandler([&] { m_document.OpenProject(fileName); });
}

void TMain::ActSaveExecute()
{
    m_document.ActSaveExecute(*m_prompts);
    ArmIdleUpdate();
}

void TMain::ActSaveAsExecute()
{
    m_document.ActSaveAsExecute(*m_prompts);
    SchedulePreviewUpdate();
    ArmIdleUpdate();
}

bool TMain::FormCloseQuery()
{
    if (m_generating)
        return false;
    if (!m_document.Modified())
        return true;
    return m_prompts->Confirm(QStringLiteral("The project has changed, are you sure you want to close Velmora"));
}

void TMain::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TMain::ActAboutExecute()
{
    TAbout about(this);
    about.exec();
}

} // namespace velmora
