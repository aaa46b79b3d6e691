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
    // A save that fails keeps the window open, with the error shown.
    bool settled = false;
    RunHandler([&] { settled = m_document.SettleChanges(*m_prompts, QString::fromLatin1(DocumentMessages::ConfirmClose)); });
    return settled;
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
