#include "core/edit/CreditSheet.h"

#include "core/document/ElementTree.h"
#include "core/error.h"

#include <QDir>
#include <QFileInfo>
#include <map>

namespace velmora {

TInsertionPoint InsertionPointFor(const TElementTree &tree)
{
    TElementNode *project = tree.ProjectNode();
    TElementNode *focused = tree.FocusedNode();
    if (focused == nullptr || focused == project || focused->Parent() == nullptr)
        return {project, project ? project->ChildCount() : 0};
    if (focused->Facets().Container)
        return {focused, focused->ChildCount()};
    TElementNode *parent = focused->Parent();
    // Below a column set only columns may go: the block goes after the set instead.
    if (!parent->Facets().Container)
        return {parent->Parent(), std::size_t(parent->Index() + 1)};
    return {parent, std::size_t(focused->Index() + 1)};
}

namespace {

QString RowKey(const TSheetRow &row)
{
    QStringList cells = row.Cells;
    while (!cells.isEmpty() && cells.back().isEmpty())
        cells.removeLast();
    return cells.join(QChar(0x1F));
}

// Rows that one side has and the other lacks, counted once for a changed row: a row inserted
// near the top moves every row below it without changing them.
int ChangedRows(const TSheet &before, const TSheet &after)
{
    std::map<QString, int> counts;
    for (const TSheetRow &row : before.Rows)
        ++counts[RowKey(row)];
    int added = 0;
    for (const TSheetRow &row : after.Rows) {
        int &count = counts[RowKey(row)];
        if (count > 0)
            --count;
        else
            ++added;
    }
    int removed = 0;
    for (const auto &[key, count] : counts)
        removed += count;
    return std::max(added, removed);
}

void CollectLinked(TElementNode &node, std::vector<TElementNode *> &out)
{
    if (const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element()))
        if (!block->Source().SheetPath.isEmpty())
            out.push_back(&node);
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        CollectLinked(*node.Child(i), out);
}

} // namespace

QString TSheetRefresh::Describe() const
{
    switch (State) {
    case TState::Unchanged:
        return QStringLiteral("credits read from %1, unchanged since the project was saved").arg(Sheet);
    case TState::Changed:
        return QStringLiteral("credits read from %1, saved %2, %3 %4 changed since the project was saved")
            .arg(Sheet, Saved.toString(QStringLiteral("yyyy-MM-dd hh:mm")))
            .arg(ChangedRows)
            .arg(ChangedRows == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
    case TState::Unreadable:
        break;
    }
    return QStringLiteral("warning: %1; the credits stored in the project are used").arg(Problem);
}

std::vector<TSheetRefresh> RefreshLinkedBlocks(TElementTree &tree, const QString &projectDir)
{
    std::vector<TElementNode *> nodes;
    CollectLinked(tree.Root(), nodes);
    std::vector<TSheetRefresh> results;
    for (TElementNode *node : nodes) {
        const auto &block = *static_cast<const TVmElementCreditBlock *>(node->Element());
        TSheetRefresh result;
        const QString path = ResolvedSheetPath(block.Source().SheetPath, projectDir);
        result.Sheet = QFileInfo(path).fileName();
        if (!QFileInfo::exists(path)) {
            result.State = TSheetRefresh::TState::Unreadable;
            result.Problem = QStringLiteral("%1: the sheet is missing").arg(path);
            results.push_back(result);
            continue;
        }
        result.Saved = QFileInfo(path).lastModified();
        try {
            std::unique_ptr<TVmElementCreditBlock> fresh = ReloadedCreditBlock(block, projectDir);
            result.ChangedRows = ChangedRows(block.Source().Sheet, fresh->Source().Sheet);
            const bool stylesChanged = fresh->Source().StylesJson != block.Source().StylesJson;
            if (result.ChangedRows > 0 || stylesChanged) {
                result.State = TSheetRefresh::TState::Changed;
                node->ReplaceElement(std::move(fresh));
            }
        } catch (const EVelmoraError &error) {
            result.State = TSheetRefresh::TState::Unreadable;
            result.Problem = error.message();
        }
        results.push_back(result);
    }
    return results;
}

std::unique_ptr<TElementNode> CreditBlockNode(TCreditSource source)
{
    return std::make_unique<TElementNode>(std::make_unique<TVmElementCreditBlock>(std::move(source)));
}

TElementNode &InsertCreditBlock(TElementTree &tree, TCreditSource source)
{
    const TInsertionPoint point = InsertionPointFor(tree);
    if (point.Parent == nullptr)
        throw EVelmoraError(QStringLiteral("there is no project to import the credits into"));
    return tree.InsertChild(*point.Parent, point.Index, CreditBlockNode(std::move(source)));
}

namespace {

void CollectFiles(const TElementNode &node, TCreditFiles &out)
{
    if (const auto *block = dynamic_cast<const TVmElementCreditBlock *>(node.Element())) {
        QString caption;
        block->GetCaption(-1, caption);
        if (!block->Problem().isEmpty())
            out.Problems << QStringLiteral("the credit block \"%1\" cannot be read: %2").arg(caption, block->Problem());
        if (block->Linked())
            out.Files << block->SheetFilePath();
        if (const QString styles = block->StylesFilePath(); !styles.isEmpty())
            out.Files << styles;
        const QDir pictures(block->PictureDir());
        const TCreditRows &rows = block->Rows();
        for (const TCreditRow &row : rows.Rows)
            for (const QString &picture : PictureCells(row)) {
                const QString path = pictures.absoluteFilePath(picture);
                out.Files << path;
                if (const QString problem = PictureFileProblem(path); !problem.isEmpty())
                    out.Problems << QStringLiteral("%1:%2: column Image: %3").arg(rows.SheetName).arg(row.Number).arg(problem);
            }
    }
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        CollectFiles(*node.Child(i), out);
}

} // namespace

TCreditFiles CreditBlockFiles(const TElementTree &tree)
{
    TCreditFiles files;
    CollectFiles(tree.Root(), files);
    files.Problems.removeDuplicates();
    return files;
}

} // namespace velmora
