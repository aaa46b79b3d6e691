// velmora-cli import: builds a project file from a JSON description.
#include "cli/CliSupport.h"
#include "core/interchange/ProjectJson.h"

#include "core/document/Document.h"
#include "core/export/OutputTarget.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace velmora::cli {

int RunImport(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Builds a project file from a JSON description."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The project file to write."), QStringLiteral("PROJECT.vmz"));
    parser.addOption(output);
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("DESCRIPTION.json"), files))
        return 0;
    const QString target = RequiredValue(parser, QStringLiteral("output"));

    QFile file(files.first());
    if (!file.open(QIODevice::ReadOnly))
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotOpen).arg(files.first(), file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (json.isNull())
        throw EVelmoraError(QStringLiteral("%1: %2 at offset %3")
                                .arg(files.first(), parseError.errorString())
                                .arg(parseError.offset));

    TOutputTarget::RefuseInput(target, files.first());
    TOutputTarget outputFile(target);
    TDocument document;
    ProjectFromJson(json.isObject() ? QJsonValue(json.object()) : QJsonValue(json.array()), document, QFileInfo(files.first()).absoluteDir());
    QFile written(outputFile.WritePath());
    if (!written.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotCreate).arg(target, written.errorString()));
    try {
        document.SaveProjectFile(written);
        written.close();
    } catch (const EVelmoraError &) {
        if (written.error() == QFileDevice::NoError)
            throw;
    }
    // The file's own error names the system's reason ("No space left on device").
    if (written.error() != QFileDevice::NoError)
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotCreate).arg(target, written.errorString()));
    outputFile.Commit();
    return 0;
}

} // namespace velmora::cli
