#include "core/credits/CreditSource.h"

#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/interchange/CreditSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <map>

namespace velmora {

namespace {
QString KeptPath(const QString &absolute, const QString &projectDir);
} // namespace

TCreditSource ReadCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet,
                               const QString &projectDir)
{
    TCreditSource source;
    source.Sheet = ReadSheet(sheetPath, worksheet);
    source.Worksheet = worksheet;
    const QString absolute = QFileInfo(sheetPath).absoluteFilePath();
    source.BaseDir = projectDir;
    source.SheetPath = KeptPath(absolute, projectDir);
    const QString styles = stylesPath.isEmpty() ? StylesBesideSheet(sheetPath) : stylesPath;
    if (!styles.isEmpty()) {
        source.StylesJson = QString::fromUtf8(ReadStylesFile(styles));
        source.StylesPath = styles;
    }
    return source;
}

TCreditSource ReadCopiedCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet)
{
    TCreditSource source = ReadCreditSource(sheetPath, stylesPath, worksheet, QString());
    const QDir sheetDir = QFileInfo(sheetPath).absoluteDir();
    if (!source.Sheet.Rows.empty()) {
        const QStringList &header = source.Sheet.Rows.front().Cells;
        const qsizetype image = std::find_if(header.begin(), header.end(), [](const QString &cell) {
            return cell.trimmed().compare(QLatin1String(CreditColumnName(colImage)), Qt::CaseInsensitive) == 0;
        }) - header.begin();
        for (std::size_t r = 1; image < header.size() && r < source.Sheet.Rows.size(); ++r) {
            TSheetRow &row = source.Sheet.Rows[r];
            if (image >= row.Cells.size() || row.Cells[image].trimmed().isEmpty())
                continue;
            // Nothing reads the sheet's folder again: a picture that is not there now is an error now.
            const QString path = sheetDir.absoluteFilePath(row.Cells[image].trimmed());
            if (!QFileInfo::exists(path))
                FailCreditRow(source.Sheet.Name, row.Number, QStringLiteral("column Image: the file \"%1\" does not exist").arg(path));
            if (!QFileInfo(path).isFile())
                FailCreditRow(source.Sheet.Name, row.Number,
                              QStringLiteral("column Image: \"%1\" is not a regular file (a folder or a device)").arg(path));
            row.Cells[image] = path;
        }
    }
    source.SheetPath.clear();
    source.StylesPath.clear();
    return source;
}

namespace {

QString Resolved(const QString &path, const QString &projectDir)
{
    return QDir::isAbsolutePath(path) || projectDir.isEmpty() ? path : QDir(projectDir).filePath(path);
}

} // namespace

std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir)
{
    auto reloaded = ReloadedCreditBlock(block, projectDir, block.Source().Worksheet);
    reloaded->SetStretches(block.Stretches());
    return reloaded;
}

std::unique_ptr<TVmElementCreditBlock> ReloadedCreditBlock(const TVmElementCreditBlock &block, const QString &projectDir,
                                                           const QString &worksheet)
{
    const TCreditSource &old = block.Source();
    // A copy has no file to read; its rows are all there is.
    if (!block.Linked())
        throw EVelmoraError(QStringLiteral("these credits were copied into the project and follow no sheet"));
    TCreditSource source = ReadCreditSource(Resolved(old.SheetPath, projectDir),
                                            old.StylesPath.isEmpty() ? QString() : Resolved(old.StylesPath, projectDir),
                                            worksheet, QString());
    // The paths stay as the project holds them.
    source.SheetPath = old.SheetPath;
    source.BaseDir = projectDir.isEmpty() ? old.BaseDir : projectDir;
    if (!old.StylesPath.isEmpty())
        source.StylesPath = old.StylesPath;
    return std::make_unique<TVmElementCreditBlock>(std::move(source));
}

#include <algorithm>
#include <map>
namespace {

// The path as the project in projectDir keeps it: relative when in or below the folder.
QString KeptPath(const QString &absolute, const QString &projectDir)
{
    if (projectDir.isEmpty())
        return absolute;
    const QString relative = QDir(projectDir).relativeFilePath(absolute);
    return relative.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(relative) ? absolute : relative;
}

void Anchor(const TElementNode &node, const QString &projectDir, bool rebase)
{
    if (auto *block = dynamic_cast<TVmElementCreditBlock *>(node.Element())) {
        if (rebase && !block->Source().SheetPath.isEmpty())
            block->SetSheetPath(KeptPath(QFileInfo(block->SheetFilePath()).absoluteFilePath(), projectDir));
        block->SetBaseDir(projectDir);
    }
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
        Anchor(*node.Child(i), projectDir, rebase);
}

} // namespace

void AnchorCreditBlocks(const TElementTree &tree, const QString &projectDir, bool rebase)
{
    Anchor(tree.Root(), projectDir, rebase);
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
        const QString path = Resolved(block.Source().SheetPath, projectDir);
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
        for (const TCreditRow &row : rows.Rows) {
            if (row.Kind != TCreditRowKind::Image || row[colImage].trimmed().isEmpty())
                continue;
            const QString path = pictures.absoluteFilePath(row[colImage].trimmed());
            out.Files << path;
            const QFileInfo info(path);
            const QString where = QStringLiteral("%1:%2: column Image: ").arg(rows.SheetName).arg(row.Number);
            if (!info.exists())
                out.Problems << where + QStringLiteral("the file \"%1\" does not exist").arg(path);
            else if (!info.isFile())
                out.Problems << where + QStringLiteral("\"%1\" is not a regular file (a folder or a device)").arg(path);
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

} // namespace velmora
