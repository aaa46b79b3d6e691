#include "cli/SheetRoll.h"

#include "cli/CliSupport.h"
#include "core/render/CreditFit.h"
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/sheets/SheetReader.h"
#include "core/render/RunningTime.h"

#include <QCommandLineParser>

namespace velmora::cli {

void TSheetRollOptions::AddTo(QCommandLineParser &parser) const
{
    parser.addOptions({Styles, Worksheet, Film, Fps, Duration, EndGap, StoredCredits});
}

void FitToDuration(TDocument &document, const QCommandLineParser &parser, const TSheetRollOptions &options)
{
    const int rate = queryInterface<IProject>(document.ProjectNode()->Element())->GetFrameRate();
    // Without a running time the sheet's section times, if any, are still met.
    const qint64 frames = parser.isSet(options.Duration) ? ParseTimecode(parser.value(options.Duration), rate) : 0;
    const TElasticFit fit = FitRollWithoutBlack(document.Tree(), frames, parser.isSet(options.EndGap));
    if (!fit.Fit && !fit.Problem.isEmpty())
        throw EVelmoraError(fit.Problem);
    if (!fit.Fit)
        return;
    PrintError(DescribeFit(*fit.Fit, rate));
}

void OpenRoll(TDocument &document, const QString &fileName, const QCommandLineParser &parser,
              const TSheetRollOptions &options)
{
    if (!IsSheetFile(fileName)) {
        for (const QCommandLineOption *option :
             {&options.Styles, &options.Worksheet, &options.Film, &options.Fps, &options.Duration, &options.EndGap})
            if (parser.isSet(*option))
                throw EUsageError(QStringLiteral("--%1 applies to credit sheets only").arg(option->names().first()));
        OpenProjectFile(document, fileName, parser.isSet(options.StoredCredits));
        PrintCreditWarnings(document);
        RefuseUnreadableCredits(document);
        return;
    }
    if (parser.isSet(options.StoredCredits))
        throw EUsageError(QStringLiteral("--stored-credits applies to projects only: a sheet is always read as it is"));
    StartSheetProject(document, fileName, parser.value(options.Film));
    InsertCreditBlock(document.Tree(), ReadCreditSource(fileName, parser.value(options.Styles), parser.value(options.Worksheet), QString()));
    PrintCreditWarnings(document);
    RefuseUnreadableCredits(document);
    auto *project = queryInterface<IProject>(document.ProjectNode()->Element());
    if (parser.isSet(options.Fps))
        project->SetFrameRate(ParseInt(QStringLiteral("fps"), parser.value(options.Fps), 1, 100));
    FitToDuration(document, parser, options);
}

} // namespace velmora::cli
