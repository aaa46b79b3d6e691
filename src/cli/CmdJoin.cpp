// velmora-cli join: slices rendered apart (render --chunk) put together as one video.
#include "cli/CliSupport.h"

#include "core/export/run/JoinVideos.h"

#include <QCommandLineParser>

namespace velmora::cli {

int RunJoin(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Joins video files rendered as consecutive slices of one roll (render --chunk K/N) into one "
                       "file, in the order given, without coding the frames again."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("The joined file."),
                                    QStringLiteral("OUT"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No summary."));
    parser.addOptions({output, quiet});
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("PARTS"), QStringLiteral("The slices, first to last."), QStringLiteral("PART..."));
    if (!parser.parse(arguments))
        throw EUsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        PrintOut(parser.helpText());
        return 0;
    }
    const QStringList parts = parser.positionalArguments();
    if (parts.isEmpty())
        throw EUsageError(QStringLiteral("join needs the parts to join, first to last"));
    const QString target = RequiredValue(parser, QStringLiteral("output"));
    const int frames = JoinVideos(parts, target);
    if (!parser.isSet(quiet))
        PrintError(QStringLiteral("joined %1 parts, %2 frames, into %3").arg(parts.size()).arg(frames).arg(target));
    return 0;
}

} // namespace velmora::cli
