// velmora-cli proof: the roll as a PDF to read, search and sign.
#include "cli/CliSupport.h"
#include "cli/SheetRoll.h"

#include "core/document/Document.h"
#include "core/export/formats/OutputTarget.h"
#include "core/signoff/ProofPdf.h"
#include "core/signoff/RollMap.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>

namespace velmora::cli {

int RunProof(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the roll as a PDF drawn by the frame renderer: text stays searchable, pictures are embedded,\n"
        "pages break between elements, and the margin gives the timecode and frame where each element enters."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The PDF to write."),
                                    QStringLiteral("PROOF.pdf"));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Page size: a4 (default), letter or film."),
                                  QStringLiteral("SIZE"));
    const QCommandLineOption safeAreas(QStringLiteral("safe-areas"),
                                       QStringLiteral("Draw the title-safe (90 %) and action-safe (93 %) lines."));
    const QCommandLineOption colours(QStringLiteral("colours"),
                                     QStringLiteral("paper (default): dark text on white; roll: the roll's own colours."),
                                     QStringLiteral("paper|roll"));
    const QCommandLineOption versionLabel(QStringLiteral("version-label"),
                                          QStringLiteral("The version signed off, printed in every page's head (default: the\n"
                                                         "input's modification time)."),
                                          QStringLiteral("LABEL"));
    const QCommandLineOption noSignOff(QStringLiteral("no-sign-off"), QStringLiteral("Leave out the sign-off block."));
    const QCommandLineOption styles = TSheetRollOptions().Styles;
    const QCommandLineOption stored = StoredCreditsOption();
    parser.addOptions({output, page, safeAreas, colours, versionLabel, noSignOff, styles, stored});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz|SHEET"), files))
        return 0;
    const QString target = RequiredValue(parser, QStringLiteral("output"));
    TProofOptions options;
    const QString size = parser.isSet(page) ? parser.value(page).toLower() : QStringLiteral("a4");
    if (size == QLatin1String("a4"))
        options.Page = TProofPage::A4;
    else if (size == QLatin1String("letter"))
        options.Page = TProofPage::Letter;
    else if (size == QLatin1String("film"))
        options.Page = TProofPage::Film;
    else
        throw EUsageError(QStringLiteral("--page must be a4, letter or film, not \"%1\"").arg(parser.value(page)));
    options.SafeAreas = parser.isSet(safeAreas);
    const QString colourChoice = parser.isSet(colours) ? parser.value(colours).toLower() : QStringLiteral("paper");
    if (colourChoice != QLatin1String("paper") && colourChoice != QLatin1String("roll"))
        throw EUsageError(QStringLiteral("--colours must be paper or roll, not \"%1\"").arg(parser.value(colours)));
    options.RollColours = colourChoice == QLatin1String("roll");
    options.SignOff = !parser.isSet(noSignOff);

    TOutputTarget::RefuseInput(target, files.first());
    TDocument document;
    OpenRoll(files.first(), document, parser.value(styles), parser.isSet(stored));
    PrintCreditWarnings(document);
    RefuseUnreadableCredits(document);
    RefuseTooTallRoll(document);
    RefuseOutputOnInputs(target, RollInputs(document, files.first()));
    options.Title = ShownCaption(*document.ProjectNode());
    if (options.Title.isEmpty())
        options.Title = QFileInfo(files.first()).completeBaseName();
    options.Date = QDate::currentDate().toString(Qt::ISODate);
    // Without a label, the version is the time the input was last saved: two proofs of the
    // same sheet say the same, and a changed sheet says so.
    options.Version = parser.isSet(versionLabel)
        ? parser.value(versionLabel)
        : QStringLiteral("%1 of %2").arg(QFileInfo(files.first()).fileName(),
                                         QFileInfo(files.first()).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    const TProofSummary summary = WriteProofPdf(document.Tree(), target, options);
    if (summary.SmallestPoints > 0 && summary.SmallestPoints < ProofMinimumPoints - 0.05)
        PrintError(QStringLiteral("warning: %1: the smallest text prints at %2 pt, below %3 pt: the roll's ink is too wide for the page")
                         .arg(target)
                         .arg(summary.SmallestPoints, 0, 'f', 1)
                         .arg(ProofMinimumPoints));
    return 0;
}

} // namespace velmora::cli
