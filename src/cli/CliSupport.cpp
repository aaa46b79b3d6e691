#include "cli/CliSupport.h"

#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"
#include "core/document/Document.h"
#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/export/formats/OutputTarget.h"
#include "core/render/FrameRenderer.h"
#include "core/elements/ContentSizes.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

namespace velmora::cli {

void PrintError(const QString &message)
{
    std::fprintf(stderr, "velmora-cli: %s\n", qPrintable(message));
    std::fflush(stderr);
}

void PrintOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int RateInEffect(int stored, const QString &what)
{
    if (stored >= 1)
        return stored;
    PrintError(QStringLiteral("warning: the project's %1 is %2; 1 is used instead").arg(what).arg(stored));
    return 1;
}

int ParseInt(const QString &option, const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < minimum || value > maximum)
        throw EUsageError(QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                              .arg(option)
                              .arg(minimum)
                              .arg(maximum)
                              .arg(text));
    return int(value);
}

} // namespace velmora::cli

#include <QCommandLineParser>

namespace velmora::cli {

QCommandLineOption StoredCreditsOption()
{
    return QCommandLineOption(QStringLiteral("stored-credits"),
                              QStringLiteral("Use the credits a linked project stored, not its sheet as it is now "
                                             "(for a locked version)."));
}

void OpenProjectFile(TDocument &document, const QString &file, bool storedCredits)
{
    document.OpenProject(file);
    if (storedCredits)
        return;
    for (const TSheetRefresh &refresh : RefreshLinkedBlocks(document.Tree(), QFileInfo(file).absolutePath()))
        if (refresh.State != TSheetRefresh::TState::Unchanged)
            PrintError(refresh.Describe());
}

QStringList RollInputs(const TDocument &document, const QString &file)
{
    QStringList inputs{file};
    inputs << CreditBlockFiles(document.Tree()).Files;
    inputs.removeDuplicates();
    return inputs;
}

void RefuseOutputOnInputs(const QString &output, const QStringList &inputs)
{
    try {
        for (const QString &input : inputs)
            TOutputTarget::RefuseInput(output, input);
    } catch (const EVelmoraError &e) {
        throw EUsageError(e.message());
    }
}

void RefuseUnreadableCredits(const TDocument &document)
{
    const QStringList problems = CreditBlockFiles(document.Tree()).Problems;
    if (!problems.isEmpty())
        throw EVelmoraError(problems.join(QStringLiteral("\nvelmora-cli: ")));
}

void RefuseTooTallRoll(const TDocument &document, const TFrameRenderer *measured)
{
    TFrameRenderer own;
    if (measured == nullptr) {
        own.MeasureRoll(document.Tree());
        measured = &own;
    }
    if (const QString problem = measured->RollTooTallProblem(); !problem.isEmpty())
        throw EVelmoraError(problem);
}

bool ParseArguments(QCommandLineParser &parser, const QStringList &arguments, const QString &positionalName,
                    QStringList &positionals, int count)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    if (!positionalName.isEmpty())
        parser.addPositionalArgument(positionalName, QStringLiteral("The input file."));
    // The command name stands where QCommandLineParser expects the program name.
    if (!parser.parse(arguments))
        throw EUsageError(parser.errorText());
    if (parser.isSet(help)) {
        PrintOut(parser.helpText().replace(QStringLiteral("[options]"),
                                           QStringLiteral("%1 [options]").arg(arguments.first())));
        return false;
    }
    positionals = parser.positionalArguments();
    if (positionalName.isEmpty()) {
        if (!positionals.isEmpty())
            throw EUsageError(QStringLiteral("%1 takes no file (see velmora-cli %1 --help)").arg(arguments.first()));
        return true;
    }
    if (count == 2 && positionals.size() != 2)
        throw EUsageError(QStringLiteral("%1 takes two files, %2 (see velmora-cli %1 --help)").arg(arguments.first(), positionalName));
    if (count == 1 && positionals.size() != 1)
        throw EUsageError(QStringLiteral("%1 takes one %2 (see velmora-cli %1 --help)").arg(arguments.first(), positionalName));
    return true;
}

QString RequiredValue(const QCommandLineParser &parser, const QString &option)
{
    const QString value = parser.value(option);
    if (value.isEmpty())
        throw EUsageError(QStringLiteral("--%1 is required").arg(option));
    return value;
}

void ApplyFilm(IProject &project, const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed().toLower());
    if (!match.hasMatch())
        throw EUsageError(QStringLiteral("--film must be WIDTHxHEIGHT, for example 1920x1080, not \"%1\"").arg(text));
    const int width = ParseInt(QStringLiteral("film width"), match.captured(1), 2, 20000);
    const int height = ParseInt(QStringLiteral("film height"), match.captured(2), 2, 20000);
    project.SetWidth(width);
    project.SetHeight(height);
    int index = 0;
    for (std::size_t i = 1; i < ContentSizes.size(); ++i)
        if (ContentSizes[i].Width == width && ContentSizes[i].Height == height) {
            index = int(i);
            break;
        }
    project.SetContentSize(index);
}

void StartSheetProject(TDocument &document, const QString &sheet, const QString &film)
{
    TElementNode *projectNode = document.ProjectNode();
    auto *project = queryInterface<IProject>(projectNode->Element());
    project->SetBackColor(0xFF000000u);
    projectNode->Element()->SetCaption(-1, QFileInfo(sheet).completeBaseName());
    ApplyFilm(*project, film.isEmpty() ? QStringLiteral("1920x1080") : film);
    project->SetFrameRate(24);
    projectNode->SetExpanded(true);
}

} // namespace velmora::cli
