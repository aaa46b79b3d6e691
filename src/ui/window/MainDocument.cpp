// Document commands, closing and the About box of the main window.
#include "ui/window/MainWindow.h"

#include "ui/window/AboutBox.h"
#include "core/elements/ProjectTemplates.h"
#include "ui/prompts/Prompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>

namespace velmora {

void TMain::ActNewExecute()
{
    const std::optional<int> choice = m_prompts->ChooseProjectTemplate(ProjectTemplateNames());
    if (!choice || *choice < 0 || std::size_t(*choice) >= ProjectTemplates.size())
        return;
    if (!m_document.SettleChanges(*m_prompts, QString::fromLatin1(DocumentMessages::ConfirmNew)))
        return;
    const TProjectTemplate &chosen = ProjectTemplates[std::size_t(*choice)];
    m_document.NewProject([&chosen](IProject &project) { ApplyProjectTemplate(project, chosen); });
}

void TMain::ActLoadExecute()
{
    if (m_document.ActLoadExecute(*m_prompts))
        RememberProjectFile();
}

void TMain::OpenProjectFile(const QString &fileName)
{
    RunHandler([&] {
        m_document.OpenProject(fileName);
        RememberProjectFile();
    });
}

void TMain::OpenRecentFile(const QString &fileName)
{
    RunHandler([&] {
        if (!m_document.SettleChanges(*m_prompts, QString::fromLatin1(DocumentMessages::ConfirmLoad)))
            return;
        try {
            m_document.OpenProject(fileName);
        } catch (...) {
            // A file that cannot be opened any more leaves the list.
            m_recentFiles.Remove(fileName);
            throw;
        }
        RememberProjectFile();
    });
}

void TMain::RememberProjectFile()
{
    m_recentFiles.Add(m_document.ProjectFileName());
}

void TMain::FillRecentFilesMenu()
{
    m_recentMenu->clear();
    const QStringList files = m_recentFiles.Files();
    for (int i = 0; i < files.size(); ++i) {
        const QString &file = files[i];
        QAction *action = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
        action->setToolTip(file);
        action->setStatusTip(file);
        connect(action, &QAction::triggered, this, [this, file] { OpenRecentFile(file); });
    }
    m_recentMenu->setEnabled(!files.isEmpty() && !Generating());
}

void TMain::ActSaveExecute()
{
    if (m_document.ActSaveExecute(*m_prompts))
        RememberProjectFile();
    ArmIdleUpdate();
}

void TMain::ActSaveAsExecute()
{
    if (m_document.ActSaveAsExecute(*m_prompts))
        RememberProjectFile();
    SchedulePreviewUpdate();
    ArmIdleUpdate();
}

bool TMain::FormCloseQuery()
{
    if (Generating())
        return false;
    // A save that fails keeps the window open, with the error shown.
    bool settled = false;
    RunHandler([&] { settled = m_document.SettleChanges(*m_prompts, QString::fromLatin1(DocumentMessages::ConfirmClose)); });
    return settled;
}

void TMain::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery()) {
        SaveSettings();
        event->accept();
    }
    else
        event->ignore();
}

void TMain::ActAboutExecute()
{
    TAbout about(this);
    about.exec();
}

} // namespace velmora
