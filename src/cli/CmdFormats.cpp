// velmora-cli formats: the output formats, their codecs, profiles and limits.
#include "cli/CliSupport.h"

#include "core/export/formats/OutputFormats.h"

#include <QCommandLineParser>

namespace velmora::cli {

namespace {

// The bits a channel frames are drawn at for the codec's profiles: 16 for files deeper than 8.
QString Depth(const TFormatCodec &codec)
{
    QStringList deep;
    for (const TCodecProfile &profile : codec.Profiles)
        if (profile.DeepFrames())
            deep << profile.Name;
    if (deep.isEmpty())
        return QStringLiteral("drawn at 8 bits");
    if (deep.size() == int(codec.Profiles.size()))
        return QStringLiteral("drawn at 16 bits");
    return QStringLiteral("drawn at 16 bits for profile%1 %2, at 8 bits for the others")
        .arg(deep.size() > 1 ? QStringLiteral("s") : QString(), deep.join(QStringLiteral(", ")));
}

QString Limits(const TFormatCodec &codec)
{
    QStringList notes;
    const TSizeRule &size = codec.Size;
    if (size.WidthMultiple > 1 || size.HeightMultiple > 1)
        notes << QStringLiteral("sizes: multiples of %1 x %2").arg(size.WidthMultiple).arg(size.HeightMultiple);
    if (size.MinWidth > 1 || size.MinHeight > 1)
        notes << QStringLiteral("at least %1 x %2").arg(size.MinWidth).arg(size.MinHeight);
    if (codec.Lossless)
        notes << QStringLiteral("lossless");
    if (codec.IntraOnly)
        notes << QStringLiteral("intra-only");
    notes << Depth(codec);
    return notes.join(QStringLiteral("; "));
}

QString Profiles(const TFormatCodec &codec)
{
    QStringList names;
    for (const TCodecProfile &profile : codec.Profiles) {
        QString text = profile.Name.isEmpty() ? profile.Title : QStringLiteral("%1 (%2)").arg(profile.Name, profile.Title);
        if (profile.CarriesAlpha())
            text += QStringLiteral(" +alpha");
        if (!text.isEmpty())
            names << text;
    }
    return names.join(QStringLiteral(", "));
}

} // namespace

int RunFormats(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the formats render writes, with their codecs and profiles."));
    QStringList files;
    if (!ParseArguments(parser, arguments, QString(), files))
        return 0;
    PrintOut(QStringLiteral("Frames are drawn at 16 bits a channel for files deeper than 8 bits, at 8 bits for the others.\n"));
    for (const TOutputFormat &format : OutputFormats()) {
        QStringList traits;
        traits << QStringLiteral(".") + format.Extensions.join(QStringLiteral(" ."));
        if (format.Kind == TSinkKind::Sequence)
            traits << QStringLiteral("one file a frame: NAME_%06d.EXT");
        if (!format.Rates.empty()) {
            QStringList rates;
            for (const TFrameRate &rate : format.Rates)
                rates << rate.Text();
            traits << QStringLiteral("rates %1").arg(rates.join(QStringLiteral(" ")));
        } else if (!format.FractionalRates) {
            traits << QStringLiteral("whole rates only");
        }
        if (format.Timecode)
            traits << QStringLiteral("timecode");
        PrintOut(QStringLiteral("%1 %2  [%3]\n").arg(format.Name, -5).arg(format.Title, traits.join(QStringLiteral(", "))));
        for (const TFormatCodec &codec : format.Codecs) {
            QString line = QStringLiteral("%1 %2").arg(codec.Name, -9).arg(codec.Title, -20);
            const QString profiles = Profiles(codec);
            if (!profiles.isEmpty())
                line += QStringLiteral(" profiles: %1").arg(profiles);
            const QString limits = Limits(codec);
            if (!limits.isEmpty())
                line += QStringLiteral("  [%1]").arg(limits);
            PrintOut(QStringLiteral("      ") + line.trimmed() + QLatin1Char('\n'));
        }
    }
    return 0;
}

} // namespace velmora::cli
