#include "core/credits/CreditSource.h"

#include "core/document/ElementTree.h"
#include "core/error.h"
#include "core/interchange/CreditSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

TCreditSource ReadCreditSource(const QString &sheetPath, const QString &stylesPath, const QString &worksheet,
                               const QString &projectDir)
{
    if (!worksheet.isEmpty())
        throw EVelmoraError(QStringLiteral("%1: choosing a worksheet is not supported yet; the first one is read")
                                .arg(sheetPath));
    TCreditSource source;
    source.Sheet = ReadSheet(sheetPath);
    source.Worksheet = worksheet;
    const QString absolute = QFileInfo(sheetPath).absoluteFilePath();
    source.SheetPath = absolute;
    if (!projectDir.isEmpty()) {
        const QString relative = QDir(projectDir).relativeFilePath(absolute);
        if (!relative.startsWith(QLatin1String("../")) && !QDir::isAbsolutePath(relative))
            source.SheetPath = relative;
    }
    const QString styles = stylesPath.isEmpty() ? StylesBesideSheet(sheetPath) : stylesPath;
    if (!styles.isEmpty()) {
        QFile file(styles);
        if (!file.open(QIODevice::ReadOnly))
            throw EVelmoraError(QStringLiteral("%1: %2").arg(styles, file.errorString()));
        source.StylesJson = QString::fromUtf8(file.readAll());
        source.StylesPath = styles;
    }
    return source;
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
