#pragma once

#include "core/document/ElementTree.h"
#include "core/error.h"

#include <QIODevice>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QUndoCommand;
class QUndoStack;

namespace velmora {

class ITypedFiler;

// The answers to a question about unsaved changes.
enum class TSaveChoice { Save, Discard, Cancel };

// Answers the document commands' questions; the editor shows real dialogs, tests answer in code.
class IDocumentPrompts
{
public:
    virtual ~IDocumentPrompts() = default;
    virtual bool Confirm(const QString &question) = 0; // Yes/No; true only for Yes
    // The question about a changed project, answered with Save, Discard or Cancel.
    virtual TSaveChoice AskSaveChanges(const QString &question) = 0;
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
inline constexpr const char ConfirmClose[] = "The project has changed, are you sure you want to close Velmora";
} // namespace DocumentMessages

// What one change of the document touched; every view refreshes from this one description.
struct TDocumentChange
{
    enum class TKind {
        NodeAdded,       // Node is new in the tree
        NodeRemoved,     // a node left Parent (Node is null: it may be gone already)
        NodeMoved,       // Node sits elsewhere; Parent is its place now
        ElementFields,   // fields of Element changed; Redraw is false when the frame stays the same
        ElementReplaced, // Node holds a new element (a block reloaded, an undo of it); Old is still alive
        TreeReset,       // the whole tree is new (New, Open)
    };
    TKind Kind;
    TElementNode *Node = nullptr;
    TElementNode *Parent = nullptr;
    IElement *Element = nullptr;
    IElement *Old = nullptr;
    bool Redraw = true;

    // A change to the tree's shape (rows added, removed or moved, or a new tree).
    bool Structural() const { return Kind == TKind::NodeAdded || Kind == TKind::NodeRemoved || Kind == TKind::NodeMoved || Kind == TKind::TreeReset; }
};

// The first nine bytes of every project file.
inline constexpr char ProjectSignature[] = "VELMORA01";

// The open project: its element tree, file name (a Unicode path), modified flag and title,
// and the undo stack every edit goes through. Each change of the tree or of an element is
// announced by one signal, Changed, so views follow the document instead of being told by each
// edit, and a view cannot miss a kind of change by listening to the wrong few signals.
class TDocument : public QObject
{
    Q_OBJECT
public:
    explicit TDocument(QObject *parent = nullptr); // starts with NewProject()
    ~TDocument() override;

    TElementTree &Tree() { return m_tree; }
    const TElementTree &Tree() const { return m_tree; }
    const QString &ProjectFileName() const { return m_fileName; }
    // Edits since the last save (the undo stack is away from its clean state), or a change
    // marked without a step of its own.
    bool Modified() const;
    // The top-level node holding the project element.
    TElementNode *ProjectNode() const { return m_tree.ProjectNode(); }

    // Marks the project changed when an action changed nothing that Undo could take back.
    void MarkModified();
    // Computes "Velmora - [%s%s]", stores it (Title()) and calls the title callback.
    QString UpdateTitle();
    const QString &Title() const { return m_title; }
    std::function<void(const QString &)> OnTitleChanged;

    // Resets to an unnamed, unmodified project holding one project node, without asking;
    // prepare sets up the fresh project element before the views see it.
    void NewProject(const std::function<void(IProject &)> &prepare = {});
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

    // --- edits --------------------------------------------------------------------------------
    QUndoStack &UndoStack() const { return *m_undoStack; }
    // Does command and puts it on the undo stack (merging it with the last step where it can).
    void Push(QUndoCommand *command);
    // Typed edits of one field merge only within one epoch; a new selection starts a new one.
    quint64 MergeEpoch() const { return m_mergeEpoch; }
    void BreakMerge() { ++m_mergeEpoch; }

    // Changes of the tree for the edit commands; each is announced before and after.
    TElementNode &InsertNode(TElementNode &parent, std::size_t index, std::unique_ptr<TElementNode> node);
    std::unique_ptr<TElementNode> TakeNode(TElementNode &node);
    // Moves node under parent so that it ends at index there; false when it stays where it is
    // or would land inside itself.
    bool MoveNode(TElementNode &node, TElementNode &parent, std::size_t index);
    // Puts element into node; hands back the element the node held.
    std::unique_ptr<IElement> ReplaceElement(TElementNode &node, std::unique_ptr<IElement> element);
    // Tells the views that a field of element changed; redraw is false when the frame stays the same.
    void NotifyElementChanged(IElement *element, bool redraw = true);

    // The project style new texts take (empty: none); forgotten with the project.
    const QString &CurrentStyle() const { return m_currentStyle; }
    void SetCurrentStyle(const QString &name) { m_currentStyle = name; }

    // Before the project is left: nothing to ask when it is unchanged; otherwise asks question and
    // saves (Save As for a project never saved) when told to. True when the project may go.
    bool SettleChanges(IDocumentPrompts &prompts, const QString &question);

    // Command logic; each returns false when the user cancelled.
    bool ActNewExecute(IDocumentPrompts &prompts);
    bool ActLoadExecute(IDocumentPrompts &prompts);
    bool ActSaveExecute(IDocumentPrompts &prompts);
    bool ActSaveAsExecute(IDocumentPrompts &prompts);

Q_SIGNALS:
    // Every change of the tree or of an element, after it happened.
    void Changed(const velmora::TDocumentChange &change);
    // Before a change, for views that must prepare (the tree model's begin... calls, panels
    // forgetting nodes about to go).
    void NodeAboutToBeInserted(velmora::TElementNode *parent, int row);
    // node and its subtree are about to leave the tree (to be destroyed or kept by a command).
    void NodeAboutToBeRemoved(velmora::TElementNode *node);
    // node goes under parent, before the child now at row (rows counted before the move).
    void NodeAboutToBeMoved(velmora::TElementNode *node, velmora::TElementNode *parent, int row);
    // The whole tree is about to be replaced (New, Open).
    void TreeAboutToBeReset();
    // Modified() may have changed.
    void ModifiedChanged();

private:
    void WriteProjectFile(const QString &fileName);
    // Empties the tree and the undo stack and adds a fresh project node.
    void ResetToNewProject();
    void SetSaved();

    TElementTree m_tree;
    QString m_fileName;
    bool m_modified = false;
    QString m_title;
    std::unique_ptr<QUndoStack> m_undoStack;
    quint64 m_mergeEpoch = 0;
    bool m_pushing = false;
    QString m_currentStyle;
};

} // namespace velmora
