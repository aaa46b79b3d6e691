#include "cli/CliSupport.h"

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

} // namespace velmora::cli
