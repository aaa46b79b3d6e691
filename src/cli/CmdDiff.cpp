// velmora-cli diff: what changed in the credits between two versions of a roll.
#include "cli/CliSupport.h"

#include "core/document/Document.h"
#include "core/edit/CreditSheet.h"
#include "core/export/formats/OutputTarget.h"
#include "core/signoff/CreditDiff.h"
#include "core/sheets/SheetReader.h"
#include "core/signoff/ProofPdf.h"

#include <QDate>
#include <QFileInfo>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::cli {

namespace {

QJsonObject EntryJson(const TCreditEntry &entry)
{
    QJsonObject object{{QStringLiteral("kind"), QLatin1String(CreditKindName(entry.Kind))},
                       {QStringLiteral("value"), entry.Value},
                       {QStringLiteral("section"), entry.Place.Section},
                       {QStringLiteral("credit"), entry.Place.Number},
                       {QStringLiteral("path"), entry.Place.Path},
                       {QStringLiteral("frame"), entry.Place.Frame}};
    if (entry.Kind == TCreditKind::Role)
        object.insert(QStringLiteral("role"), entry.Role);
    if (!entry.Place.Row.isEmpty())
        object.insert(QStringLiteral("row"), entry.Place.Row);
    return object;
}

std::vector<TCreditEntry> EntriesOf(const QString &file, const QString &styles, TDocument &document)
{
    // Any failure to read a side is an error (2), not a difference (1).
    try {
        OpenRoll(file, document, styles);
        PrintCreditWarnings(document);
        // A missing picture changes no credit: the comparison goes on, and says so.
        for (const QString &problem : CreditBlockFiles(document.Tree()).Problems)
            PrintError(QStringLiteral("warning: ") + problem);
        return CreditEntries(document.Tree());
    } catch (const EUsageError &) {
        throw;
    } catch (const EVelmoraError &e) {
        throw EUsageError(e.message());
    }
}

} // namespace

int RunDiff(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares the credits of two versions of a roll (projects, linked projects or sheets, in any\n"
        "pairing): credits added, removed, changed (which name, which role) and moved to another section,\n"
        "each with its place in both (a sheet's row where it has one).\n"
        "Exit code 0 when the credits are the same, 1 when they differ, 2 on error."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the changes as JSON."));
    const QCommandLineOption styles(QStringLiteral("styles"),
                                    QStringLiteral("Styles for the sheets (JSON): once for both sides, or twice, old then new; "
                                                   "default: NAME-styles.json beside each sheet, if any. Projects keep their own."),
                                    QStringLiteral("styles.json"));
    const QCommandLineOption pdf(QStringLiteral("pdf"),
                                 QStringLiteral("Also write the new version's proof with the changes marked."),
                                 QStringLiteral("OUT.pdf"));
    parser.addOptions({json, pdf, styles});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("OLD NEW"), files, 2))
        return 0;
    if (parser.isSet(pdf)) {
        TOutputTarget::RefuseInput(parser.value(pdf), files[0]);
        TOutputTarget::RefuseInput(parser.value(pdf), files[1]);
    }
    QStringList sideStyles = parser.values(styles);
    if (sideStyles.size() > 2)
        throw EUsageError(QStringLiteral("--styles is given once for both sides or twice, old then new"));
    if (sideStyles.size() == 1)
        sideStyles.append(sideStyles.first());
    sideStyles.resize(2);
    for (int side = 0; side < 2; ++side)
        if (!IsSheetFile(files[side])) {
            // One file for both sides styles the sheet side; a project keeps the styles it carries.
            if (parser.values(styles).size() == 2 && !sideStyles[side].isEmpty())
                throw EUsageError(QStringLiteral("--styles applies to credit sheets only; %1 carries its own styles").arg(files[side]));
            sideStyles[side].clear();
        }
    if (parser.isSet(styles) && sideStyles[0].isEmpty() && sideStyles[1].isEmpty())
        throw EUsageError(QStringLiteral("--styles applies to credit sheets only; both sides are projects"));
    TDocument oldDocument;
    TDocument newDocument;
    const std::vector<TCreditEntry> oldEntries = EntriesOf(files[0], sideStyles[0], oldDocument);
    const std::vector<TCreditEntry> newEntries = EntriesOf(files[1], sideStyles[1], newDocument);
    const std::vector<TCreditChange> changes = DiffCredits(oldEntries, newEntries);
    if (parser.isSet(pdf)) {
        RefuseOutputOnInputs(parser.value(pdf), RollInputs(oldDocument, files[0]) + RollInputs(newDocument, files[1]));
        TProofOptions options;
        options.Title = QStringLiteral("%1 (changes since %2)").arg(QFileInfo(files[1]).fileName(), QFileInfo(files[0]).fileName());
        options.Date = QDate::currentDate().toString(Qt::ISODate);
        options.Marks = ProofMarksFor(changes, newEntries);
        try {
            WriteProofPdf(newDocument.Tree(), parser.value(pdf), options);
        } catch (const EVelmoraError &e) {
            throw EUsageError(e.message());
        }
    }
    if (parser.isSet(json)) {
        QJsonArray list;
        for (const TCreditChange &change : changes) {
            QJsonObject object{{QStringLiteral("change"), QLatin1String(ChangeKindName(change.Kind))}};
            if (change.Old)
                object.insert(QStringLiteral("old"), EntryJson(*change.Old));
            if (change.New)
                object.insert(QStringLiteral("new"), EntryJson(*change.New));
            list.append(object);
        }
        const QJsonObject report{{QStringLiteral("old"), files[0]},
                                 {QStringLiteral("new"), files[1]},
                                 {QStringLiteral("same"), changes.empty()},
                                 {QStringLiteral("changes"), list}};
        PrintOut(QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Indented)));
    } else {
        QString text;
        for (const TCreditChange &change : changes)
            text += DescribeChange(change) + QLatin1Char('\n');
        text += changes.empty() ? QStringLiteral("The credits are the same.\n")
                                : QStringLiteral("%1 changes\n").arg(changes.size());
        PrintOut(text);
    }
    return changes.empty() ? 0 : ExitFailure;
}

} // namespace velmora::cli
