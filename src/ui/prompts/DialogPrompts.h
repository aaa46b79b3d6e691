#pragma once

#include <functional>

#include "ui/prompts/Prompts.h"

#include <QMessageBox>
#include <memory>

class QWidget;

namespace velmora {

// The prompts as message boxes and file dialogs over a parent window.
class TDialogPrompts : public IEditorPrompts
{
public:
    explicit TDialogPrompts(QWidget *parent);

    bool Confirm(const QString &question) override;
    TSaveChoice AskSaveChanges(const QString &question) override;
    QString ChooseOpenFile() override;
    QString ChooseSaveFile() override;
    void ShowError(const QString &message) override;
    void ShowInformation(const QString &message) override;
    QString ChooseImageFile() override;
    bool ChooseDelivery(TDeliveryChoice &choice, TGenerateRange &range, int projectRate, int frameCount) override;
    QString ChooseOutputFile(const QString &proposed) override;
    bool ChooseCodecOptions(TAVICompressorOptions &options) override;
    std::optional<quint32> ChooseColor(quint32 initial, const std::function<void(quint32)> &live) override;
    std::optional<int> ChooseProjectTemplate(const QStringList &names) override;
    bool EditMultilineText(const QString &text, const std::function<void(const QString &)> &edited) override;

    // The project file open now (empty for one never saved): Open and Save As start in its
    // folder, else in the folder used last, else in Documents.
    void SetProjectFile(std::function<QString()> projectFile) { m_projectFile = std::move(projectFile); }
    // The folder the project dialogs start in now.
    QString ProjectFolder() const;

private:
    // Remembers the folder of a file the user chose, for dialogs of a project never saved.
    static void RememberFolder(const QString &fileName);

    QWidget *m_parent;
    std::function<QString()> m_projectFile;
};

// A question box titled "Confirm" with buttons; Enter presses defaultButton.
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget *parent, const QString &question, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton);

// Converts a "Description|patterns|..." filter into the name filters of a file dialog.
QStringList DialogNameFilters(const QString &filter);

} // namespace velmora
