// velmora-cli repair: a video cut short (killed, power lost) made playable again.
#include "cli/CliSupport.h"

#include "core/export/AviRepair.h"

#include <QCommandLineParser>

namespace velmora::cli {

int RunRepair(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Rebuilds the headers and the index of an AVI video whose writing was cut short, "
                       "keeping every whole frame."));
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("FILE.avi"), files))
        return 0;
    const TAviRepairResult result = RepairAvi(files.first());
    PrintError(QStringLiteral("repaired %1: kept %2 frames%3")
                   .arg(files.first())
                   .arg(result.FramesKept)
                   .arg(result.BytesDropped > 0 ? QStringLiteral(", dropped %1 bytes of a cut-off frame").arg(result.BytesDropped)
                                                : QString()));
    return 0;
}

} // namespace velmora::cli
