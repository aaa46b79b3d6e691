#include "ui/CreditLink.h"

#include "core/credits/CreditSource.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/edit/EditCommands.h"
#include "core/error.h"

#include <QFileInfo>
#include <QUndoStack>

namespace velmora {

namespace {

void CollectBlocks(TElementNode &node, std::vector<TElementNode *> &out)
{
    if (dynamic_cast<TVmElementCreditBlock *>(node.Element()) != nullptr)
        out.push_back(&node);
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        CollectBlocks(*node.Child(i), out);
}

std::vector<TElementNode *> BlockNodes(TDocument &document)
{
    std::vector<TElementNode *> nodes;
    CollectBlocks(document.Tree().Root(), nodes);
    return nodes;
}

bool SameContent(const TCreditSource &a, const TCreditSource &b)
{
    if (a.StylesJson != b.StylesJson || a.Sheet.Rows.size() != b.Sheet.Rows.size())
        return false;
    for (std::size_t i = 0; i < a.Sheet.Rows.size(); ++i)
        if (a.Sheet.Rows[i].Number != b.Sheet.Rows[i].Number || a.Sheet.Rows[i].Cells != b.Sheet.Rows[i].Cells)
            return false;
    return true;
}

} // namespace

TCreditLink::TCreditLink(TDocument &document, QObject *parent) : QObject(parent), m_document(document)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(250);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, [this] { ReloadChanged(); });
    // The set of watched files follows the blocks in the tree. Inserting thousands of rows
    // one node at a time must not walk the whole tree for each: only a block coming in, or
    // going while some are watched, changes the set.
    connect(&document, &TDocument::NodeInserted, this, [this](TElementNode *node) {
        std::vector<TElementNode *> blocks;
        CollectBlocks(*node, blocks);
        if (!blocks.empty())
            Rewatch();
    });
    connect(&document, &TDocument::NodeRemoved, this, [this] {
        if (!m_watcher.files().isEmpty())
            Rewatch();
    });
    connect(&document, &TDocument::ElementReplaced, this, &TCreditLink::Rewatch);
    connect(&document, &TDocument::TreeReset, this, &TCreditLink::Rewatch);
    Rewatch();
}

QString TCreditLink::ProjectDir() const
{
    return m_document.ProjectFileName().isEmpty() ? QString() : QFileInfo(m_document.ProjectFileName()).absolutePath();
}

void TCreditLink::Rewatch()
{
    QStringList files;
    QStringList folders;
    const QString projectDir = ProjectDir();
    for (TElementNode *node : BlockNodes(m_document)) {
        const auto &source = static_cast<const TVmElementCreditBlock *>(node->Element())->Source();
        for (const QString &path : {source.SheetPath, source.StylesPath}) {
            if (path.isEmpty())
                continue;
            const QFileInfo file(QFileInfo(path).isAbsolute() || projectDir.isEmpty() ? path : projectDir + QLatin1Char('/') + path);
            files.append(file.absoluteFilePath());
            folders.append(file.absolutePath());
        }
    }
    folders.removeDuplicates();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    for (const QString &path : files + folders)
        if (QFileInfo::exists(path))
            m_watcher.addPath(path);
}

int TCreditLink::ReloadChanged()
{
    m_problems.clear();
    std::vector<std::pair<TElementNode *, std::unique_ptr<TVmElementCreditBlock>>> changes;
    for (TElementNode *node : BlockNodes(m_document)) {
        const auto &block = *static_cast<const TVmElementCreditBlock *>(node->Element());
        try {
            auto reloaded = ReloadedCreditBlock(block, ProjectDir());
            if (!SameContent(reloaded->Source(), block.Source()))
                changes.emplace_back(node, std::move(reloaded));
        } catch (const EVelmoraError &error) {
            // The block keeps what it last read well.
            m_problems.append(error.message());
        }
    }
    if (!changes.empty()) {
        Q_EMIT AboutToReload();
        QUndoStack &stack = m_document.UndoStack();
        stack.beginMacro(QStringLiteral("Reload Credits"));
        for (auto &[node, block] : changes)
            m_document.Push(new TReplaceElement(m_document, *node, std::move(block), QStringLiteral("Reload Credits")));
        stack.endMacro();
    }
    // A rename replaced the watched file: watch the new one.
    Rewatch();
    if (!changes.empty() || !m_problems.isEmpty())
        Q_EMIT Reloaded(int(changes.size()), m_problems);
    return int(changes.size());
}

bool UnlinkCredits(TDocument &document, TElementNode &node)
{
    const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element());
    const TElementNode *projectNode = document.ProjectNode();
    const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (block == nullptr || project == nullptr)
        return false;
    const QString projectDir =
        document.ProjectFileName().isEmpty() ? QString() : QFileInfo(document.ProjectFileName()).absolutePath();
    TCreditBlock elements = UnlinkedCreditElements(*block, project->GetWidth(), project->GetHeight(), projectDir);
    QUndoStack &stack = document.UndoStack();
    stack.beginMacro(QStringLiteral("Unlink Credits"));
    if (!elements.Nodes.empty())
        document.Push(new TInsertNodes(document, std::move(elements.Nodes), node, TAttachMode::InsertBefore,
                                       QStringLiteral("Unlink Credits")));
    document.Push(new TRemoveNodes(document, {&node}));
    stack.endMacro();
    return true;
}

} // namespace velmora
