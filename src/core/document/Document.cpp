#include "core/document/Document.h"

#include "core/document/ElementTree.h"
#include "core/document/TreeSection.h"
#include "core/elements/ElementProject.h"
#include "core/typedfiler/TypedFiler.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QUndoStack>
#include <algorithm>

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

// Elements that keep paths relative to the project (linked sheets) learn where it now is.
void TellProjectFolder(const TElementNode &node, const QString &projectDir, bool rebase)
{
    if (auto *element = queryInterface<IElementProjectFolder>(node.Element()))
        element->ProjectFolderChanged(projectDir, rebase);
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        TellProjectFolder(*node.Child(i), projectDir, rebase);
}
} // namespace

TDocument::TDocument(QObject *parent) : QObject(parent), m_undoStack(std::make_unique<QUndoStack>())
{
    connect(m_undoStack.get(), &QUndoStack::cleanChanged, this, [this] {
        UpdateTitle();
        Q_EMIT ModifiedChanged();
    });
    // After an undo or redo, the next typed edit is a step of its own, not part of the one below it.
    connect(m_undoStack.get(), &QUndoStack::indexChanged, this, [this] {
        if (!m_pushing)
            BreakMerge();
    });
    NewProject();
}

TDocument::~TDocument()
{
    // The steps hold nodes taken out of the tree; they go before the tree does, quietly.
    disconnect(m_undoStack.get(), nullptr, this, nullptr);
    m_undoStack.reset();
}

bool TDocument::Modified() const
{
    return m_modified || !m_undoStack->isClean();
}

void TDocument::MarkModified()
{
    m_modified = true;
    UpdateTitle();
    Q_EMIT ModifiedChanged();
}

QString TDocument::UpdateTitle()
{
    m_title = QStringLiteral("Velmora - [%1%2]").arg(Modified() ? QStringLiteral("*") : QString(), m_fileName);
    if (OnTitleChanged)
        OnTitleChanged(m_title);
    return m_title;
}

void TDocument::ResetToNewProject()
{
    // The steps refer to nodes of the tree that is going.
    m_undoStack->clear();
    m_modified = false;
    m_currentStyle.clear();
    m_tree.Clear();
    m_tree.AddChild(m_tree.Root(), std::make_unique<TVmElementProject>());
}

void TDocument::NewProject(const std::function<void(IProject &)> &prepare)
{
    Q_EMIT TreeAboutToBeReset();
    m_fileName.clear();
    ResetToNewProject();
    if (prepare)
        if (auto *project = queryInterface<IProject>(ProjectNode()->Element()))
            prepare(*project);
    Q_EMIT TreeReset();
    UpdateTitle();
    Q_EMIT ModifiedChanged();
}

void TDocument::SetSaved()
{
    m_modified = false;
    m_undoStack->setClean();
    UpdateTitle();
    Q_EMIT ModifiedChanged();
}

void TDocument::Push(QUndoCommand *command)
{
    {
        const QScopedValueRollback pushing(m_pushing, true);
        m_undoStack->push(command);
    }
    UpdateTitle();
    Q_EMIT ModifiedChanged();
}

TElementNode &TDocument::InsertNode(TElementNode &parent, std::size_t index, std::unique_ptr<TElementNode> node)
{
    index = std::min(index, parent.ChildCount());
    Q_EMIT NodeAboutToBeInserted(&parent, int(index));
    TElementNode &inserted = m_tree.InsertChild(parent, index, std::move(node));
    Q_EMIT NodeInserted(&inserted);
    return inserted;
}

std::unique_ptr<TElementNode> TDocument::TakeNode(TElementNode &node)
{
    TElementNode *parent = node.Parent();
    Q_EMIT NodeAboutToBeRemoved(&node);
    std::unique_ptr<TElementNode> taken = m_tree.TakeNode(node);
    Q_EMIT NodeRemoved(parent);
    return taken;
}

bool TDocument::MoveNode(TElementNode &node, TElementNode &parent, std::size_t index)
{
    if (node.Parent() == nullptr || node.Contains(&parent))
        return false;
    const bool sameParent = node.Parent() == &parent;
    const std::size_t row = std::size_t(node.Index());
    index = std::min(index, sameParent ? parent.ChildCount() - 1 : parent.ChildCount());
    if (sameParent && index == row)
        return false;
    // Counted before the node leaves its place, a later place among the same siblings is one further.
    const int before = int(sameParent && index > row ? index + 1 : index);
    Q_EMIT NodeAboutToBeMoved(&node, &parent, before);
    // Taking the node out drops the focus when it lies inside; the moved node keeps it.
    TElementNode *focused = m_tree.FocusedNode();
    std::unique_ptr<TElementNode> taken = m_tree.TakeNode(node);
    m_tree.InsertChild(parent, index, std::move(taken));
    m_tree.SetFocusedNode(focused);
    Q_EMIT NodeMoved(&node);
    return true;
}

std::unique_ptr<IElement> TDocument::ReplaceElement(TElementNode &node, std::unique_ptr<IElement> element)
{
    std::unique_ptr<IElement> old = node.ReplaceElement(std::move(element));
    Q_EMIT ElementReplaced(&node, old.get());
    return old;
}

void TDocument::NotifyElementChanged(IElement *element, bool redraw)
{
    Q_EMIT ElementChanged(element, redraw);
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

    Q_EMIT TreeAboutToBeReset();
    m_fileName.clear();
    ResetToNewProject();
    m_tree.Clear();
    while (loaded.Root().ChildCount() > 0)
        m_tree.InsertChild(m_tree.Root(), m_tree.Root().ChildCount(), loaded.TakeNode(*loaded.Root().Child(0)));
    Q_EMIT TreeReset();
    UpdateTitle();
    Q_EMIT ModifiedChanged();
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
    // Linked sheets are kept relative to the project: tell their blocks where that is.
    TellProjectFolder(Tree().Root(), QFileInfo(fileName).absolutePath(), false);
    SetSaved();
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
    // Linked sheets stay found from the new folder.
    TellProjectFolder(Tree().Root(), QFileInfo(fileName).absolutePath(), true);
    try {
        WriteProjectFile(fileName);
    } catch (...) {
        UpdateTitle();
        throw;
    }
    SetSaved();
}

bool TDocument::SettleChanges(IDocumentPrompts &prompts, const QString &question)
{
    if (!Modified())
        return true;
    switch (prompts.AskSaveChanges(question)) {
    case TSaveChoice::Save:
        // A failed save throws, and the project stays.
        return ActSaveExecute(prompts);
    case TSaveChoice::Discard:
        return true;
    case TSaveChoice::Cancel:
        break;
    }
    return false;
}

bool TDocument::ActNewExecute(IDocumentPrompts &prompts)
{
    if (!SettleChanges(prompts, QString::fromLatin1(DocumentMessages::ConfirmNew)))
        return false;
    NewProject();
    return true;
}

bool TDocument::ActLoadExecute(IDocumentPrompts &prompts)
{
    if (!SettleChanges(prompts, QString::fromLatin1(DocumentMessages::ConfirmLoad)))
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
