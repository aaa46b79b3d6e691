// velmora-cli: Velmora's command-line tool. It links only the core, so every frame it
// draws is the frame the editor previews and the video holds.
#include "cli/CliSupport.h"

#include <velmora/version.h>

#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <map>

namespace {

using namespace velmora::cli;

const char *const UsageText =
    "Usage: velmora-cli <command> [options]\n"
    "\n"
    "Velmora credit roll tool.\n"
    "\n"
    "Commands:\n"
    "  info PROJECT.vmz [--json]                 the element tree, roll height and frame count\n"
    "  import DESCRIPTION.json -o PROJECT.vmz    build a project from a JSON description\n"
    "  still PROJECT.vmz --position P | --frame N -o FRAME.png [--placeholders]\n"
    "                                            the frame at roll position P, or frame N\n"
    "  strip PROJECT.vmz -o ROLL.png             the whole roll as one tall image\n"
    "  render PROJECT.vmz -o OUT.avi|.mov|.mp4|.mkv|.mxf|NAME_%06d.png|.tif|.dpx|.exr\n"
    "         [--format F] [--codec C] [--profile P] [--quality Q] [--keyframes N]\n"
    "         [--data-rate BYTES] [--alpha] [--rate N[/D]] [--timecode HH:MM:SS:FF]\n"
    "         [--scale K] [--start-number N] [--frames FIRST:LAST | --chunk K/N]\n"
    "         [--threads N] [--quiet] [--overwrite]\n"
    "                                            the roll as a video or an image sequence\n"
    "  formats                                   the formats render writes, their codecs and profiles\n"
    "  join PART1.mov PART2.mov ... -o ROLL.mov  slices rendered with --chunk, as one video\n"
    "  repair FILE.avi [-o COPY.avi]             a playable copy of a video cut short or damaged\n"
    "  check PROJECT.vmz|SHEET [--target HH:MM:SS:FF] [--ignore ID] [--json] [--profile P]\n"
    "                                            preflight checks before delivery\n"
    "  proof PROJECT.vmz|SHEET -o PROOF.pdf [--page a4|letter|film] [--colours paper|roll]\n"
    "        [--version-label LABEL] [--safe-areas]  the roll as a searchable PDF to sign\n"
    "  diff OLD NEW [--json] [--pdf OUT.pdf]      the credits added, removed, changed and moved\n"
    "  qc DELIVERED --against PROJECT.vmz|SHEET [--json] [--quiet]\n"
    "                                            a delivered file's structure and motion against the roll\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this help (or a command's help: velmora-cli COMMAND --help)\n"
    "  -v, --version    show the version\n";

// Velmora's own messages go through PrintError; what Qt logs comes from its readers probing a
// damaged picture or file ("QIODevice::seek ...", "libpng error ...", a TGA handler's doubts)
// or from the offscreen platform, and each failure it hints at is told in Velmora's own words.
// Only Qt's critical and fatal messages are shown.
void FilterMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char **argv)
{
    // Fonts and painting need a GUI application; without a display, draw offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(FilterMessages);
    // Past a file size limit a write then fails with EFBIG and is reported like a full disk,
    // instead of the process dying with half a file.
    std::signal(SIGXFSZ, SIG_IGN);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("velmora-cli"));
    QGuiApplication::setApplicationVersion(QString::fromLatin1(velmora::VersionText));

    QStringList arguments = QGuiApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") || arguments.first() == QLatin1String("-h")
        || arguments.first() == QLatin1String("help")) {
        std::fputs(UsageText, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? ExitUsage : 0;
    }
    if (arguments.first() == QLatin1String("--version") || arguments.first() == QLatin1String("-v")) {
        std::printf("velmora-cli %s\n", velmora::VersionText);
        return 0;
    }

    const std::map<QString, int (*)(const QStringList &)> commands = {
        {QStringLiteral("info"), RunInfo},   {QStringLiteral("import"), RunImport},
        {QStringLiteral("still"), RunStill}, {QStringLiteral("strip"), RunStrip},
        {QStringLiteral("render"), RunRender}, {QStringLiteral("formats"), RunFormats},
        {QStringLiteral("repair"), RunRepair},
        {QStringLiteral("join"), RunJoin},
        {QStringLiteral("check"), RunCheck}, {QStringLiteral("proof"), RunProof}, {QStringLiteral("diff"), RunDiff},
        {QStringLiteral("qc"), RunQc},
    };
    const auto command = commands.find(arguments.first());
    if (command == commands.end()) {
        PrintError(QStringLiteral("unknown command \"%1\" (see velmora-cli --help)").arg(arguments.first()));
        return ExitUsage;
    }
    try {
        return command->second(arguments);
    } catch (const EUsageError &e) {
        PrintError(e.message());
        return ExitUsage;
    } catch (const velmora::EVelmoraError &e) {
        PrintError(e.message());
        return ExitFailure;
    } catch (const std::exception &e) {
        PrintError(QString::fromLocal8Bit(e.what()));
        return ExitFailure;
    }
}
