// velmora-cli check: the preflight checks a roll must pass before it is delivered.
#include "cli/CliSupport.h"
#include "cli/SheetRoll.h"

#include "core/document/Document.h"
#include "core/elements/Interfaces.h"
#include "core/render/RunningTime.h"
#include "core/signoff/DeliveryProfile.h"
#include "core/signoff/Preflight.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::cli {

namespace {

const char *const CheckHelp = R"(Checks a roll before delivery and lists what to mend.

Errors (exit code 1): title-safe (text outside 90 % of the width), small-text (capitals, or
the body of scripts without them, under 20 lines at 1080, scaled to the film; one per style), reading-time (a line on screen under 5 s),
missing-glyphs (characters no installed font can draw), duplicate-credit (a name twice
for one role or list within a section), running-time (against --target).
Warnings: action-safe (a picture outside 93 %), missing-font (drawn in another family, named),
similar-names (Zoe Smith / Zoë Smith), spacing (double or trailing spaces),
unknown-style (a sheet row names a style the styles lack; drawn in its kind's built-in style).
With a delivery profile (--profile): its safe areas, letter height and reading time, and
credit-duration (longer than it allows for --programme-length), head-black and tail-black
(less black before the first credit or after the last than it asks for), errors.
Note: film-size (not a common delivery size).

A credit sheet is checked as the credit block a linking import makes of it; problems on a
block's rows name the sheet, row and column (feature.csv:569:C).)";

QJsonObject ProblemJson(const TProblem &problem)
{
    QJsonObject object{{QStringLiteral("id"), problem.Id},
                       {QStringLiteral("severity"), QLatin1String(SeverityName(problem.Severity))},
                       {QStringLiteral("message"), problem.Message}};
    if (problem.Node != nullptr) {
        object.insert(QStringLiteral("path"), problem.Path);
        object.insert(QStringLiteral("element"), problem.Element);
    }
    if (!problem.Place.isEmpty())
        object.insert(QStringLiteral("place"), problem.Place);
    if (!problem.Rows.empty()) {
        QJsonArray rows;
        for (const int row : problem.Rows)
            rows.append(row);
        object.insert(QStringLiteral("rows"), rows);
    }
    if (problem.Frame >= 0) {
        object.insert(QStringLiteral("frame"), problem.Frame);
        object.insert(QStringLiteral("timecode"), problem.Timecode);
    }
    return object;
}

QString ProblemLine(const TProblem &problem)
{
    QString place;
    if (!problem.Place.isEmpty())
        place += QStringLiteral(" %1").arg(problem.Place);
    else if (problem.Node != nullptr)
        place += QStringLiteral(" %1").arg(problem.Path);
    if (problem.Frame >= 0)
        place += QStringLiteral(" frame %1 (%2)").arg(problem.Frame).arg(problem.Timecode);
    return QStringLiteral("%1 [%2]%3: %4\n").arg(QLatin1String(SeverityName(problem.Severity)), problem.Id, place, problem.Message);
}

} // namespace

int RunCheck(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(CheckHelp));
    const QCommandLineOption target(QStringLiteral("target"), QStringLiteral("The running time the roll must have."),
                                    QStringLiteral("HH:MM:SS[:FF]"));
    const QCommandLineOption ignore(QStringLiteral("ignore"),
                                    QStringLiteral("Leave out a check by its id (repeat, or separate with commas)."),
                                    QStringLiteral("ID"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the problems as JSON."));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("A delivery profile: velmora (default), ebu-r95, broadcast, or a\n"
                                                    "profile's .json file."),
                                     QStringLiteral("NAME|FILE"));
    const QCommandLineOption programme(QStringLiteral("programme-length"),
                                       QStringLiteral("The programme's length in minutes, for the profile's limit on\n"
                                                      "how long its credits may run."),
                                       QStringLiteral("MINUTES"));
    const QCommandLineOption styles = TSheetRollOptions().Styles;
    const QCommandLineOption stored = StoredCreditsOption();
    parser.addOptions({target, ignore, json, profile, programme, styles, stored});
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("PROJECT.vmz|SHEET"), files))
        return 0;
    TPreflightOptions options;
    for (const QString &value : parser.values(ignore))
        for (const QString &id : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!PreflightCheckIds().contains(id.trimmed()))
                throw EUsageError(QStringLiteral("--ignore: there is no check \"%1\"; the checks are %2")
                                      .arg(id.trimmed(), PreflightCheckIds().join(QStringLiteral(", "))));
            options.Ignore.append(id.trimmed());
        }

    TDeliveryProfile delivery;
    try {
        delivery = LoadDeliveryProfile(parser.isSet(profile) ? parser.value(profile) : QStringLiteral("velmora"));
    } catch (const EVelmoraError &e) {
        throw EUsageError(QStringLiteral("--profile: ") + e.message());
    }
    options.TitleSafePercent = delivery.TitleSafePercent;
    options.ActionSafePercent = delivery.ActionSafePercent;
    options.MinimumCapLinesAt1080 = delivery.MinimumLinesAt1080;
    options.MinimumSecondsOnScreen = delivery.MinimumSecondsOnScreen;
    options.HeadBlackSeconds = delivery.HeadBlackSeconds;
    options.TailBlackSeconds = delivery.TailBlackSeconds;
    if (parser.isSet(programme)) {
        bool ok = false;
        const int minutes = parser.value(programme).toInt(&ok);
        if (!ok || minutes < 1)
            throw EUsageError(QStringLiteral("--programme-length must be a whole number of minutes, not \"%1\"").arg(parser.value(programme)));
        for (const TDeliveryProfile::TCreditLimit &limit : delivery.CreditLimits)
            if (minutes <= limit.ProgrammeMinutes) {
                options.MaxCreditSeconds = limit.CreditSeconds;
                break;
            }
    }
    TDocument document;
    OpenRoll(files.first(), document, parser.value(styles), parser.isSet(stored));
    RefuseUnreadableCredits(document);
    RefuseTooTallRoll(document);
    if (parser.isSet(target)) {
        const auto *project = queryInterface<IProject>(document.ProjectNode()->Element());
        try {
            options.TargetFrames = ParseTimecode(parser.value(target), std::max(1, project->GetFrameRate()));
        } catch (const EVelmoraError &e) {
            throw EUsageError(QStringLiteral("--target: ") + e.message());
        }
    }
    const std::vector<TProblem> problems = RunPreflight(document.Tree(), options);
    int counts[3] = {0, 0, 0};
    for (const TProblem &problem : problems)
        ++counts[int(problem.Severity)];
    if (parser.isSet(json)) {
        QJsonArray list;
        for (const TProblem &problem : problems)
            list.append(ProblemJson(problem));
        const QJsonObject report{{QStringLiteral("file"), files.first()},
                                 {QStringLiteral("errors"), counts[0]},
                                 {QStringLiteral("warnings"), counts[1]},
                                 {QStringLiteral("notes"), counts[2]},
                                 {QStringLiteral("problems"), list}};
        PrintOut(QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Indented)));
    } else {
        QString text;
        for (const TProblem &problem : problems)
            text += ProblemLine(problem);
        text += QStringLiteral("%1: %2 errors, %3 warnings, %4 notes\n").arg(files.first()).arg(counts[0]).arg(counts[1]).arg(counts[2]);
        PrintOut(text);
    }
    return counts[0] > 0 ? ExitFailure : 0;
}

} // namespace velmora::cli
