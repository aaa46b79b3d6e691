// velmora-cli repair: a video cut short (killed, power lost) made playable again.
#include "cli/CliSupport.h"

#include "core/export/avi/AviRepair.h"

#include <QCommandLineParser>

namespace velmora::cli {

int RunRepair(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Rebuilds the headers and the index of an AVI video whose writing was cut short or that was damaged, "
                       "keeping every whole frame. The file itself is left as it is; the repaired copy goes beside it "
                       "(NAME.repaired.avi) or to --output."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The repaired file (default NAME.repaired.avi beside the damaged one)."),
                                    QStringLiteral("FILE"));
    parser.addOption(output);
    QStringList files;
    if (!ParseArguments(parser, arguments, QStringLiteral("FILE.avi"), files))
        return 0;
    const QString target = parser.isSet(output) ? parser.value(output) : RepairedAviName(files.first());
    const TAviRepairResult result = RepairAvi(files.first(), target);
    QString dropped;
    if (result.CutFrames > 0)
        dropped += QStringLiteral(" (%1 of them cut off or damaged, kept as far as they go)").arg(result.CutFrames);
    if (result.DamagedSpans > 0)
        dropped += QStringLiteral(", skipped %1 damaged places (%2 bytes)").arg(result.DamagedSpans).arg(result.BytesDropped);
    else if (result.BytesDropped > 0)
        dropped += QStringLiteral(", dropped %1 bytes that held no frame").arg(result.BytesDropped);
    PrintError(QStringLiteral("repaired %1 into %2: kept %3 frames%4")
                   .arg(files.first(), result.OutputName, QString::number(result.FramesKept), dropped));
    return 0;
}

} // namespace velmora::cli
