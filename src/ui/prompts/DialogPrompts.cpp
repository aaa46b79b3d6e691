#include "ui/prompts/DialogPrompts.h"

#include "ui/window/EditorSettings.h"

#include "ui/generate/CodecOptionsDialog.h"
#include "controls/ColorSelectorDialogForm.h"
#include "controls/MultilineEditorForm.h"
#include "ui/pages/PageDialogs.h"
#include "ui/prompts/TemplateChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QFileInfo>
#include <QMessageBox>

namespace velmora {

namespace {

const QString ProjectFilter = QStringLiteral("Velmora Projects(*.vmz)|*.vmz");
const QString ImageFilter = QStringLiteral(
    "All Image Types|*.png;*.bmp;*.gif;*.jpg;*.jpeg;*.tif;*.svg;*.pdf|Portable Network Graphics (*.png)|*.png|"
    "Bitmap (*.bmp)|*.bmp|Graphic Interchange Format (*.gif)|*.gif|JPEG Images (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
    "Tagged Image File Format (*.tif)|*.tif|Scalable Vector Graphics (*.svg)|*.svg|PDF, first page (*.pdf)|*.pdf");
const QString VideoFilter = QStringLiteral("AVI Files (*.avi)|*.avi");

// One configured file dialog; returns the chosen file or empty when cancelled.
QString RunFileDialog(QWidget *parent, const QString &title, const QString &filter, const QString &suffix,
    QFileDialog::AcceptMode mode, const QString &folder, const QString &proposed = {})
{
    QFileDialog dialog(parent, title);
    // Given as the directory alone: a folder that is missing must not become the file's name.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(DialogNameFilters(filter));
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget *parent, const QString &question, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("Confirm"), question, buttons, parent);
    box->setDefaultButton(defaultButton);
    return box;
}

QStringList DialogNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The description may already end in its patterns, as "Velmora Projects(*.vmz)" does.
        filters << (parts[i].endsWith(QLatin1Char(')')) ? parts[i] : parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

TDialogPrompts::TDialogPrompts(QWidget *parent) : m_parent(parent) {}

bool TDialogPrompts::Confirm(const QString &question)
{
    return MakeQuestionBox(m_parent, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)->exec() == QMessageBox::Yes;
}

TSaveChoice TDialogPrompts::AskSaveChanges(const QString &question)
{
    switch (MakeQuestionBox(m_parent, question, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save)->exec()) {
    case QMessageBox::Save:
        return TSaveChoice::Save;
    case QMessageBox::Discard:
        return TSaveChoice::Discard;
    default:
        return TSaveChoice::Cancel;
    }
}

QString TDialogPrompts::ProjectFolder() const
{
    const QString project = m_projectFile ? m_projectFile() : QString();
    if (!project.isEmpty() && QFileInfo(project).absoluteDir().exists())
        return QFileInfo(project).absolutePath();
    const QString last = EditorSettings().value(QStringLiteral("Files/LastFolder")).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void TDialogPrompts::RememberFolder(const QString &fileName)
{
    if (!fileName.isEmpty())
        EditorSettings().setValue(QStringLiteral("Files/LastFolder"), QFileInfo(fileName).absolutePath());
}

QString TDialogPrompts::ChooseOpenFile()
{
    const QString name = RunFileDialog(m_parent, QStringLiteral("Open Project"), ProjectFilter, QStringLiteral("vmz"),
        QFileDialog::AcceptOpen, ProjectFolder());
    RememberFolder(name);
    return name;
}

QString TDialogPrompts::ChooseSaveFile()
{
    // The dialog asks about overwriting; a new file needs no question: saving is what was asked.
    const QString project = m_projectFile ? m_projectFile() : QString();
    const QString name = RunFileDialog(m_parent, QStringLiteral("Save Project"), ProjectFilter, QStringLiteral("vmz"),
        QFileDialog::AcceptSave, ProjectFolder(), project.isEmpty() ? QString() : QFileInfo(project).fileName());
    RememberFolder(name);
    return name;
}

void TDialogPrompts::ShowError(const QString &message)
{
    QMessageBox::critical(m_parent, QStringLiteral("Velmora"), message);
}

void TDialogPrompts::ShowInformation(const QString &message)
{
    QMessageBox::information(m_parent, QStringLiteral("Velmora"), message);
}

QString TDialogPrompts::ChooseImageFile()
{
    return RunFileDialog(m_parent, QStringLiteral("Select image to open"), ImageFilter, QString(),
        QFileDialog::AcceptOpen, QString());
}

bool TDialogPrompts::ChooseDelivery(TDeliveryChoice &choice, TGenerateRange &range, int projectRate, int frameCount)
{
    TDeliveryDialog dialog(choice, projectRate, m_parent);
    dialog.SetRange(range, frameCount);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.Choice();
    range = dialog.Range();
    return true;
}

QString TDialogPrompts::ChooseOutputFile(const QString &proposed)
{
    // AVI keeps its dialog; other formats offer their own extensions.
    const TOutputFormat *format = FormatForFile(proposed);
    if (format == nullptr || format->Kind == TSinkKind::Avi)
        return RunFileDialog(m_parent, QStringLiteral("Output to"), VideoFilter, QStringLiteral("avi"),
            QFileDialog::AcceptSave, QString(), proposed);
    const QString filter = QStringLiteral("%1 (*.%2)|*.%3")
        .arg(format->Title, format->Extensions.join(QStringLiteral(" *.")), format->Extensions.join(QStringLiteral(";*.")));
    return RunFileDialog(m_parent, QStringLiteral("Output to"), filter, format->Extensions.front(),
        QFileDialog::AcceptSave, QString(), proposed);
}

bool TDialogPrompts::ChooseCodecOptions(TAVICompressorOptions &options)
{
    TCodecOptionsDialog dialog(options, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.Options();
    return true;
}

std::optional<quint32> TDialogPrompts::ChooseColor(quint32 initial, const std::function<void(quint32)> &live)
{
    const auto dialog = MakeColorDialog(m_parent, initial, live);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->Frame()->GetColor();
}

bool TDialogPrompts::EditMultilineText(const QString &text, const std::function<void(const QString &)> &edited)
{
    return MakeMultilineEditor(m_parent, text, edited)->exec() == QDialog::Accepted;
}

std::optional<int> TDialogPrompts::ChooseProjectTemplate(const QStringList &names)
{
    TTemplateChooser chooser(m_parent, names);
    if (chooser.exec() != QDialog::Accepted || chooser.Chosen() < 0)
        return std::nullopt;
    return chooser.Chosen();
}

} // namespace velmora
