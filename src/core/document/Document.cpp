#include "core/document/Document.h"

#include "core/document/TreeSection.h"
#include "core/elements/ElementProject.h"
#include "core/typedfiler/TypedFiler.h"

#include <QFile>
#include <QSaveFile>

namespace velmora {

namespace {
[[noreturn]] void Fail(const char *message)
{
    throw EDocumentError(QString::fromLatin1(message));
}

[[noreturn]] void FailFile(const char *format, const QString &fileName, const QString &reason)
{
    throw EDocumentError(QString::fromLatin1(format).arg(fileName, reason));
}
} // namespace

TDocument::TDocument()
{
    NewProject();
}

void TDocument::MarkModified()
{
    m_modified = true;
    UpdateTitle();
}

QString TDocument::UpdateTitle()
{
    m_title = QStringLiteral("Velmora - [%1%2]").arg(m_modified ? QStringLiteral("*") : QString(), m_fileName);
    if (OnTitleChanged)
        OnTitleChanged(m_title);
    return m_title;
}

void TDocument::NewProject()
{
    m_fileName.clear();
    m_modified = false;
    m_tree.Clear();
    m_tree.AddChild(m_tree.Root(), std::make_unique<TVmElementProject>());
    UpdateTitle();
}

bool TDocument::CheckSignature(ITypedFiler &filer)
{
    QByteArray bytes;
    filer.ReadBytes(sizeof ProjectSignature - 1, bytes);
    return bytes == QByteArrayView(ProjectSignature);
}

void TDocument::LoadProjectFile(QIODevice &stream)
{
    TTypedFiler filer(&stream);
    filer.SeekToStart();
    if (!CheckSignature(filer))
        Fail(DocumentMessages::InvalidFileType);
    // Read aside first, so a damaged file leaves the open project as it was.
    TElementTree loaded;
    LoadTreeSection(stream, loaded);
    const TElementNode *first = loaded.ProjectNode();
    // Every handler relies on a project node at the top.
    if (first == nullptr)
        Fail(DocumentMessages::NoProject);
    if (!first->Facets().Project)
        Fail(DocumentMessages::NotAProject);

    NewProject();
    m_tree.Clear();
    while (loaded.Root().ChildCount() > 0)
        m_tree.InsertChild(m_tree.Root(), m_tree.Root().ChildCount(), loaded.TakeNode(*loaded.Root().Child(0)));
}

void TDocument::SaveProjectFile(QIODevice &stream)
{
    TTypedFiler(&stream).WriteBytes(QByteArray(ProjectSignature));
    SaveTreeSection(stream, m_tree, ProjectNode());
}

void TDocument::OpenProject(const QString &fileName)
{
    try {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            FailFile(DocumentMessages::CannotOpen, fileName, file.errorString());
        LoadProjectFile(file);
    } catch (const std::exception &error) {
        const auto *known = dynamic_cast<const EVelmoraError *>(&error);
        const QString reason = known ? known->message() : QString::fromLocal8Bit(error.what());
        NewProject();
        throw EDocumentError(QString::fromLatin1(DocumentMessages::NotLoaded).arg(fileName, QStringLiteral("\r\n"), reason));
    }
    m_fileName = fileName;
    m_modified = false;
    UpdateTitle();
}

void TDocument::WriteProjectFile(const QString &fileName)
{
    // The old file is replaced only once the new one is completely on disk.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        FailFile(DocumentMessages::CannotCreate, fileName, file.errorString());
    SaveProjectFile(file);
    if (!file.flush())
        throw EDocumentError(QString::fromLatin1(TypedFilerMessages::WriteError));
    if (!file.commit())
        FailFile(DocumentMessages::CannotCreate, fileName, file.errorString());
}

void TDocument::SaveProjectAs(const QString &fileName)
{
    // The new name holds even when writing fails, so Save tries the same file again.
    m_fileName = fileName;
    try {
        WriteProjectFile(fileName);
    } catch (...) {
        UpdateTitle();
        throw;
    }
    m_modified = false;
    UpdateTitle();
}

bool TDocument::ActNewExecute(IDocumentPrompts &prompts)
{
    if (m_modified && !prompts.Confirm(QString::fromLatin1(DocumentMessages::ConfirmNew)))
        return false;
    NewProject();
    return true;
}

bool TDocument::ActLoadExecute(IDocumentPrompts &prompts)
{
    if (m_modified && !prompts.Confirm(QString::fromLatin1(DocumentMessages::ConfirmLoad)))
        return false;
    const QString fileName = prompts.ChooseOpenFile();
    if (fileName.isEmpty())
        return false;
    OpenProject(fileName);
    return true;
}

bool TDocument::ActSaveExecute(IDocumentPrompts &prompts)
{
    if (m_fileName.isEmpty())
        return ActSaveAsExecute(prompts);
    SaveProjectAs(m_fileName);
    return true;
}

bool TDocument::ActSaveAsExecute(IDocumentPrompts &prompts)
{
    const QString fileName = prompts.ChooseSaveFile();
    if (fileName.isEmpty())
        return false;
    SaveProjectAs(fileName);
    return true;
}

} // namespace velmora
