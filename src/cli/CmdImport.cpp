// velmora-cli import: builds a project file from a credit sheet or a JSON description.
#include "cli/CliSupport.h"

#include "core/render/CreditFit.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/interchange/ProjectJson.h"
#include "core/elements/ContentSizes.h"
#include "core/render/RunningTime.h"
#include "core/export/formats/OutputTarget.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <functional>

namespace velmora::cli {

namespace {

const char *const ImportHelp = R"(Builds a project file from a credit sheet (CSV, TSV, XLSX, ODS) or a JSON description.

Sheets: a header row, then one row per line of the roll. Columns (any order, names
case-insensitive): Kind (heading, pair, names, text, image, gap; card and crawl, which
start a held card and scrolling), Role, Name, Text, Style, Columns, Size, Image, Time,
Transition; other columns are ignored. With --link the sheet stays one
credit block, laid out when drawn and read again by the editor when the sheet changes;
without it the block keeps the sheet's rows and follows no file. See README.md for the format and the styles file.

The JSON description is what "velmora-cli info --json" prints; README.md lists every
field with its unit, range and default.)";

void ImportJson(const QString &fileName, TDocument &document)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotOpen).arg(fileName, file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (json.isNull())
        throw EVelmoraError(
            QStringLiteral("%1: %2 at offset %3").arg(fileName, parseError.errorString()).arg(parseError.offset));
    QStringList warnings;
    ProjectFromJson(json.isObject() ? QJsonValue(json.object()) : QJsonValue(json.array()), document,
                    QFileInfo(fileName).absoluteDir(), &warnings);
    for (const QString &warning : warnings)
        PrintError(QStringLiteral("warning: ") + warning);
}

// Writes beside the target and puts the file in place only when it is whole.
void WriteProject(TDocument &document, const QString &target)
{
    TOutputTarget outputFile(target);
    if (outputFile.InPlace()) {
        // A device or a pipe cannot seek back to fill in sizes: the file is made in memory first.
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        document.SaveProjectFile(buffer);
        QFile device(target);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || device.write(buffer.data()) != buffer.size())
            throw EVelmoraError(QString::fromLatin1(DocumentMessages::CannotCreate).arg(target, device.errorString()));
        return;
    }
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
}

} // namespace

void BuildFromSheet(TDocument &document, const QString &source, const QString &stylesFile, const QString &film,
                    const QString &worksheet)
{
    StartSheetProject(document, source, film);
    // A copy: the same block a linked import makes, its rows kept and its sheet left behind.
    InsertCreditBlock(document.Tree(), ReadCopiedCreditSource(source, stylesFile, worksheet));
}

void OpenRoll(const QString &file, TDocument &document, const QString &stylesFile, bool storedCredits)
{
    if (!IsSheetFile(file)) {
        if (!stylesFile.isEmpty())
            throw EUsageError(QStringLiteral("--styles applies to credit sheets only; %1 carries its own styles").arg(file));
        OpenProjectFile(document, file, storedCredits);
        return;
    }
    // The sheet becomes what a linking import makes of it, so that a sheet and its project read alike.
    StartSheetProject(document, file, QStringLiteral("1920x1080"));
    InsertCreditBlock(document.Tree(), ReadCreditSource(file, stylesFile, QString(), QString()));
}

void PrintCreditWarnings(const TDocument &document)
{
    const std::function<void(const TElementNode &)> visit = [&](const TElementNode &node) {
        if (const auto *block = queryInterface<TVmElementCreditBlock>(node.Element()))
            for (const QString &warning : block->Warnings())
                PrintError(QStringLiteral("warning: ") + warning);
        for (const auto &child : node.Children())
            visit(*child);
    };
    if (document.ProjectNode() != nullptr)
        visit(*document.ProjectNode());
}

int RunImport(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(ImportHelp));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The project file to write."), QStringLiteral("PROJECT.vmz"));
    const QCommandLineOption styles(QStringLiteral("styles"),
                                    QStringLiteral("Styles for a sheet (JSON); default: NAME-styles.json beside NAME.csv, if any."),
                                    QStringLiteral("styles.json"));
    const QCommandLineOption film(QStringLiteral("film"), QStringLiteral("Film size of a sheet's project (default 1920x1080)."),
                                  QStringLiteral("WxH"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Frames per second, 1 to 100 (sheets: default 24)."),
                                 QStringLiteral("N"));
    const QCommandLineOption scroll(QStringLiteral("scroll"),
                                    QStringLiteral("Pixels per frame, 1 to 1000 (sheets: default 4)."), QStringLiteral("N"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Fit the roll to this running time at a whole scroll rate: a sheet spreads the "
                                                     "rest over the space between blocks (and meets its section "
                                                     "times); a JSON description gets a gap at the end."),
                                      QStringLiteral("HH:MM:SS[:FF]"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Keep the sheet's credit block linked to the file: the editor reads it "
                                                 "again when it changes, instead of keeping a copy of its rows."));
    const QCommandLineOption worksheet(QStringLiteral("sheet"), QStringLiteral("The worksheet of a workbook to read (default: the first)."),
                                       QStringLiteral("NAME"));
    const QCommandLineOption endGap(QStringLiteral("end-gap"),
                                    QStringLiteral("With a sheet and --duration: black at the end may take what the space "
                                                   "between blocks cannot."));
    for (const auto &option : {output, styles, film, fps, scroll, duration, link, worksheet, endGap})
        parser.addOption(option);
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("SHEET.csv|.tsv|.xlsx|.ods|DESCRIPTION.json"), files))
        return 0;
    const QString target = RequiredValue(parser, QStringLiteral("output"));
    const QString source = files.first();
    const bool sheet = IsSheetFile(source);
    if (!sheet && (parser.isSet(styles) || parser.isSet(film) || parser.isSet(link) || parser.isSet(worksheet)))
        throw EUsageError(QStringLiteral("--styles, --film, --link and --sheet apply to sheets only"));

    TOutputTarget::RefuseInput(target, source);
    if (parser.isSet(styles))
        TOutputTarget::RefuseInput(target, parser.value(styles));
    // Everything is built in memory first: a bad sheet writes nothing.
    TDocument document;
    TElementNode *projectNode = document.ProjectNode();
    auto *project = queryInterface<IProject>(projectNode->Element());
    if (sheet && parser.isSet(link)) {
        StartSheetProject(document, source, parser.value(film));
        const QString projectDir = QFileInfo(target).absolutePath();
        InsertCreditBlock(document.Tree(), ReadCreditSource(source, parser.value(styles), parser.value(worksheet), projectDir));
        PrintCreditWarnings(document);
    } else if (sheet) {
        BuildFromSheet(document, source, parser.isSet(styles) ? parser.value(styles) : StylesBesideSheet(source),
                       parser.value(film), parser.value(worksheet));
    } else {
        ImportJson(source, document);
    }
    RefuseUnreadableCredits(document);
    RefuseOutputOnInputs(target, RollInputs(document, source));
    if (parser.isSet(fps))
        project->SetFrameRate(ParseInt(QStringLiteral("fps"), parser.value(fps), 1, 100));
    if (parser.isSet(scroll))
        project->SetScrollRate(ParseInt(QStringLiteral("scroll"), parser.value(scroll), 1, 1000));
    if (sheet) {
        // Section times are met even without a running time for the whole roll.
        const qint64 frames = parser.isSet(duration) ? ParseTimecode(parser.value(duration), project->GetFrameRate()) : 0;
        const TElasticFit elastic = FitRollWithoutBlack(document.Tree(), frames, parser.isSet(endGap));
        if (!elastic.Fit && !elastic.Problem.isEmpty())
            throw EVelmoraError(elastic.Problem);
        if (elastic.Fit)
            PrintOut(DescribeFit(*elastic.Fit, project->GetFrameRate()) + QLatin1Char('\n'));
    } else if (parser.isSet(duration)) {
        const qint64 frames = ParseTimecode(parser.value(duration), project->GetFrameRate());
        const auto fit = FitRollToRunningTime(document.Tree(), frames);
        if (!fit)
            throw EVelmoraError(QStringLiteral("the running time %1 cannot be met: at 1 pixel per frame the roll runs "
                                               "shorter, or it would need more than 1000 pixels per frame")
                                    .arg(FormatTimecode(frames, project->GetFrameRate())));
        PrintOut(DescribeFit(*fit, project->GetFrameRate()) + QLatin1Char('\n'));
    }
    WriteProject(document, target);
    return 0;
}

} // namespace velmora::cli
