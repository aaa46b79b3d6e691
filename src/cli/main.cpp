// velmora-cli: Velmora's command-line tool.
#include <velmora/version.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-cli"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(velmora::VersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Velmora credit roll tool"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    if (parser.positionalArguments().isEmpty()) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    std::fprintf(stderr, "velmora-cli: unknown command '%s'\n", qPrintable(parser.positionalArguments().first()));
    return 2;
}
