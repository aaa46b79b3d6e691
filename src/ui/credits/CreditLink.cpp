#include "ui/credits/CreditLink.h"

#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/edit/CreditEdits.h"
#include "core/error.h"
#include "core/sheets/SheetReader.h"
#include "core/render/LayoutPass.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>

namespace velmora {

namespace {

void CollectBlocks(TElementNode &node, std::vector<TElementNode *> &out)
{
    // A copied sheet follows no file: there is nothing to watch or read again.
    if (const auto *block = dynamic_cast<TVmElementCreditBlock *>(node.Element()); block != nullptr && block->Linked())
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

// What a read gave, to tell a new save of the sheet from one already read.
QByteArray ContentKey(const TCreditSource &source)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(source.StylesJson.toUtf8());
    for (const TSheetRow &row : source.Sheet.Rows) {
        hash.addData(QByteArray::number(row.Number) + '\x1e');
        for (const QString &cell : row.Cells)
            hash.addData(cell.toUtf8() + '\x1f');
    }
    return hash.result();
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
    connect(&document, &TDocument::Changed, this, [this](const TDocumentChange &change) {
        using TKind = TDocumentChange::TKind;
        switch (change.Kind) {
        case TKind::NodeAdded: {
            std::vector<TElementNode *> blocks;
            CollectBlocks(*change.Node, blocks);
            if (!blocks.empty())
                Rewatch();
            break;
        }
        case TKind::NodeRemoved:
            if (!m_watcher.files().isEmpty())
                Rewatch();
            break;
        case TKind::ElementReplaced: Rewatch(); break;
        // An opened project learns its file name (which relative sheet paths start from) only
        // after its tree is in: the watch waits for that.
        case TKind::TreeReset: QTimer::singleShot(0, this, &TCreditLink::Rewatch); break;
        case TKind::NodeMoved:
        case TKind::ElementFields: break;
        }
    });
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
    std::map<const TElementNode *, QByteArray> lastRead;
    for (TElementNode *node : BlockNodes(m_document)) {
        const auto &source = static_cast<const TVmElementCreditBlock *>(node->Element())->Source();
        const auto last = m_lastRead.find(node);
        lastRead[node] = last != m_lastRead.end() ? last->second : ContentKey(source);
        for (const QString &path : {source.SheetPath, source.StylesPath}) {
            if (path.isEmpty())
                continue;
            const QFileInfo file(QFileInfo(path).isAbsolute() || projectDir.isEmpty() ? path : projectDir + QLatin1Char('/') + path);
            files.append(file.absoluteFilePath());
            folders.append(file.absolutePath());
        }
    }
    m_lastRead = std::move(lastRead);
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
    // A sheet saved back to its last good content changes no block, yet its error is over.
    const bool hadProblems = !m_problems.isEmpty();
    m_problems.clear();
    m_sheetProblems.clear();
    std::vector<std::pair<TElementNode *, std::unique_ptr<TVmElementCreditBlock>>> changes;
    for (TElementNode *node : BlockNodes(m_document)) {
        const auto &block = *static_cast<const TVmElementCreditBlock *>(node->Element());
        try {
            auto reloaded = ReloadedCreditBlock(block, ProjectDir());
            // Only a new save counts: a reload undone stays undone until the sheet is saved again,
            // whatever else happens in its folder.
            QByteArray &last = m_lastRead[node];
            const QByteArray key = ContentKey(reloaded->Source());
            const bool saved = last.isEmpty() || key != last;
            last = key;
            if (saved && !SameContent(reloaded->Source(), block.Source()))
                changes.emplace_back(node, std::move(reloaded));
        } catch (const EVelmoraError &error) {
            // The block keeps what it last read well.
            m_problems.append(error.message());
            QStringList header;
            try {
                const TSheet sheet = ReadSheet(block.SheetFilePath(), block.Source().Worksheet);
                if (!sheet.Rows.empty())
                    header = sheet.Rows.front().Cells;
            } catch (const EVelmoraError &) {
                // A sheet that does not read at all has no columns to name.
            }
            m_sheetProblems.push_back(SheetProblemOf(node, error.message(), header));
        }
    }
    if (!changes.empty()) {
        Q_EMIT AboutToReload();
    }
    const int reloaded = int(changes.size());
    ReloadCreditBlocks(m_document, std::move(changes));
    // A rename replaced the watched file: watch the new one.
    Rewatch();
    if (reloaded > 0 || !m_problems.isEmpty() || hadProblems)
        Q_EMIT Reloaded(reloaded, m_problems);
    return reloaded;
}

QString TSheetProblem::Text() const
{
    QString place = Sheet;
    if (Row > 0)
        place += QStringLiteral(":%1").arg(Row);
    if (Row > 0 && !Column.isEmpty())
        place += QLatin1Char(':') + Column;
    return place.isEmpty() ? Message : place + QStringLiteral(": ") + Message;
}

namespace {

// The spreadsheet's name for the column at index (0: A, 26: AA).
QString ColumnLetter(int index)
{
    QString letters;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

} // namespace

TSheetProblem SheetProblemOf(TElementNode *block, const QString &message, const QStringList &header)
{
    TSheetProblem problem;
    problem.Block = block;
    problem.Message = message;
    static const QRegularExpression located(QStringLiteral("^([^:]+):(\\d+): (.*)$"));
    static const QRegularExpression named(QStringLiteral("^([^:]+): (.*)$"));
    if (const QRegularExpressionMatch match = located.match(message); match.hasMatch()) {
        problem.Sheet = match.captured(1);
        problem.Row = match.captured(2).toInt();
        problem.Message = match.captured(3);
    } else if (const QRegularExpressionMatch file = named.match(message); file.hasMatch()) {
        problem.Sheet = file.captured(1);
        problem.Message = file.captured(2);
    }
    // The messages name the column they are about in a few set ways.
    static const QRegularExpression numbered(QStringLiteral("^a value in column (\\d+),"));
    static const QRegularExpression column(QStringLiteral(
        "^column (\\w+):|needs an? (\\w+)$|^unknown (\\w+) |^no (Kind)$|^the column \"([^\"]+)\" appears twice"));
    if (const QRegularExpressionMatch match = numbered.match(problem.Message); match.hasMatch()) {
        problem.Column = ColumnLetter(match.captured(1).toInt() - 1);
    } else if (const QRegularExpressionMatch match = column.match(problem.Message); match.hasMatch()) {
        QString name;
        for (int i = 1; i <= match.lastCapturedIndex() && name.isEmpty(); ++i)
            name = match.captured(i);
        for (int i = 0; i < header.size(); ++i)
            if (header[i].trimmed().compare(name, Qt::CaseInsensitive) == 0) {
                problem.Column = ColumnLetter(i);
                break;
            }
    }
    return problem;
}

} // namespace velmora
