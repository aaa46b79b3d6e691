#pragma once

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

    // Folder the project dialogs start in.
    const QString &ProjectFolder() const { return m_projectFolder; }
    void SetProjectFolder(const QString &folder) { m_projectFolder = folder; }

private:
    QWidget *m_parent;
    QString m_projectFolder;
};

// A question box titled "Confirm" with buttons; Enter presses defaultButton.
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget *parent, const QString &question, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton);
// The question before Save creates a new project file.
QString CreateFileQuestion(const QString &fileName);

// Converts a "Description|patterns|..." filter into the name filters of a file dialog.
QStringList DialogNameFilters(const QString &filter);

} // namespace velmora
