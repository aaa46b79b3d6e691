#include "core/credits/CreditSource.h"

#include "core/elements/Drawing.h"
#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

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
        const qsizetype kind = std::find_if(header.begin(), header.end(), [](const QString &cell) {
            return cell.trimmed().compare(QLatin1String(CreditColumnName(colKind)), Qt::CaseInsensitive) == 0;
        }) - header.begin();
        for (std::size_t r = 1; image < header.size() && r < source.Sheet.Rows.size(); ++r) {
            TSheetRow &row = source.Sheet.Rows[r];
            if (image >= row.Cells.size() || row.Cells[image].trimmed().isEmpty())
                continue;
            // A logos row names several pictures.
            const bool logos = kind < row.Cells.size()
                && row.Cells[kind].trimmed().compare(QLatin1String(CreditKindName(TCreditRowKind::Logos)), Qt::CaseInsensitive) == 0;
            QStringList paths;
            for (const QString &name : logos ? row.Cells[image].split(QLatin1Char(';'), Qt::SkipEmptyParts) : QStringList{row.Cells[image]}) {
                if (name.trimmed().isEmpty())
                    continue;
                // Nothing reads the sheet's folder again: a picture that is not there now is an error now.
                const QString path = sheetDir.absoluteFilePath(name.trimmed());
                if (const QString problem = PictureFileProblem(path); !problem.isEmpty())
                    FailCreditRow(source.Sheet.Name, row.Number, QStringLiteral("column Image: ") + problem);
                paths << path;
            }
            row.Cells[image] = paths.join(QLatin1Char(';'));
        }
    }
    source.SheetPath.clear();
    source.StylesPath.clear();
    return source;
}

QString PictureFileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file \"%1\" does not exist").arg(path);
    if (!info.isFile())
        return QStringLiteral("\"%1\" is not a regular file (a folder or a device)").arg(path);
    if (!PictureFileSize(path).isValid())
        return QStringLiteral("\"%1\" is not a picture Velmora can read (or is too large to draw)").arg(path);
    return QString();
}

QString ResolvedSheetPath(const QString &path, const QString &projectDir)
{
    return QDir::isAbsolutePath(path) || projectDir.isEmpty() ? path : QDir(projectDir).filePath(path);
}

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
    TCreditSource source = ReadCreditSource(ResolvedSheetPath(old.SheetPath, projectDir),
                                            old.StylesPath.isEmpty() ? QString() : ResolvedSheetPath(old.StylesPath, projectDir),
                                            worksheet, QString());
    // The paths stay as the project holds them.
    source.SheetPath = old.SheetPath;
    source.BaseDir = projectDir.isEmpty() ? old.BaseDir : projectDir;
    if (!old.StylesPath.isEmpty())
        source.StylesPath = old.StylesPath;
    return std::make_unique<TVmElementCreditBlock>(std::move(source));
}

namespace {

// The path as the project in projectDir keeps it: relative when in or below the folder.
QString KeptPath(const QString &absolute, const QString &projectDir)
{
    if (projectDir.isEmpty())
        return absolute;
    const QString relative = QDir(projectDir).relativeFilePath(absolute);
    return relative.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(relative) ? absolute : relative;
}

} // namespace

void AnchorCreditBlock(TVmElementCreditBlock &block, const QString &projectDir, bool rebase)
{
    if (rebase && !block.Source().SheetPath.isEmpty())
        block.SetSheetPath(KeptPath(QFileInfo(block.SheetFilePath()).absoluteFilePath(), projectDir));
    block.SetBaseDir(projectDir);
}

} // namespace velmora
