#pragma once

#include "core/document/ElementTree.h"
#include "core/error.h"

#include <QIODevice>
#include <QString>
#include <functional>

namespace velmora {

class ITypedFiler;

// Answers the document commands' questions; the editor shows real dialogs, tests answer in code.
class IDocumentPrompts
{
public:
    virtual ~IDocumentPrompts() = default;
    virtual bool Confirm(const QString &question) = 0; // Yes/No; true only for Yes
    virtual QString ChooseOpenFile() = 0;              // empty: cancelled
    virtual QString ChooseSaveFile() = 0;              // empty: cancelled
};

// Failures of the document commands and the project file.
class EDocumentError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

// Messages of the document.
namespace DocumentMessages {
inline constexpr const char InvalidFileType[] = "Invalid file type";
inline constexpr const char NoProject[] = "The file holds no project.";
inline constexpr const char NotAProject[] = "The file's first element is not a project.";
inline constexpr const char CannotOpen[] = "Cannot open file \"%1\". %2";
inline constexpr const char CannotCreate[] = "Cannot create file \"%1\". %2";
inline constexpr const char NotLoaded[] = "The file \"%1\" could not be loaded. %2 The following error was returned : %3";
inline constexpr const char ConfirmNew[] = "The project has changed, are you sure you want to create a new project";
inline constexpr const char ConfirmLoad[] = "The project has changed, are you sure you want to load a new project";
} // namespace DocumentMessages

// The first nine bytes of every project file.
inline constexpr char ProjectSignature[] = "VELMORA01";

// The open project: its element tree, file name (a Unicode path), modified flag and title.
class TDocument
{
public:
    TDocument(); // starts with NewProject()

    TElementTree &Tree() { return m_tree; }
    const TElementTree &Tree() const { return m_tree; }
    const QString &ProjectFileName() const { return m_fileName; }
    bool Modified() const { return m_modified; }
    // The top-level node holding the project element.
    TElementNode *ProjectNode() const { return m_tree.ProjectNode(); }

    // Every edit ends here: sets Modified and refreshes the title.
    void MarkModified();
    // Computes "Velmora - [%s%s]", stores it (Title()) and calls the title callback.
    QString UpdateTitle();
    const QString &Title() const { return m_title; }
    std::function<void(const QString &)> OnTitleChanged;

    // Resets to an unnamed, unmodified project holding one project node, without asking.
    void NewProject();
    // Reads a whole project file from the stream's start. On failure the document is unchanged.
    void LoadProjectFile(QIODevice &stream);
    // Writes the signature and the tree section of the project node.
    void SaveProjectFile(QIODevice &stream);
    // Reads nine raw bytes and compares them with the signature.
    bool CheckSignature(ITypedFiler &filer);
    // Opens and loads a file; on failure starts a new project and throws the wrapped message.
    void OpenProject(const QString &fileName);
    // Names the project after fileName and writes it there atomically. On failure throws;
    // the file on disk is untouched and Modified stays as it was.
    void SaveProjectAs(const QString &fileName);

    // Command logic; each returns false when the user cancelled.
    bool ActNewExecute(IDocumentPrompts &prompts);
    bool ActLoadExecute(IDocumentPrompts &prompts);
    bool ActSaveExecute(IDocumentPrompts &prompts);
    bool ActSaveAsExecute(IDocumentPrompts &prompts);

private:
    void WriteProjectFile(const QString &fileName);

    TElementTree m_tree;
    QString m_fileName;
    bool m_modified = false;
    QString m_title;
};

} // namespace velmora
