#include "core/export/run/Delivery.h"

#include "core/export/ExportError.h"

namespace velmora {

namespace {

QString CodecNames(const TOutputFormat &format)
{
    QStringList names;
    for (const TFormatCodec &codec : format.Codecs)
        names << codec.Name;
    return names.join(QStringLiteral(", "));
}

QString ProfileNames(const TFormatCodec &codec)
{
    QStringList names;
    for (const TCodecProfile &profile : codec.Profiles)
        names << profile.Name;
    return names.join(QStringLiteral(", "));
}

EExportError UnknownCodec(const TOutputFormat &format, const QString &name)
{
    return EExportError(QStringLiteral("%1 files take the codecs %2, not \"%3\"").arg(format.Title, CodecNames(format), name));
}

} // namespace

TResolvedDelivery ResolveDelivery(const TOutputFormat &format, const QString &codec, const QString &profile,
                                  const TAVICompressorOptions &options, TUnknownName unknown)
{
    const bool refuse = unknown == TUnknownName::Refuse;
    TResolvedDelivery resolved;
    resolved.Options = options;
    TFormatChoice &choice = resolved.Choice;
    choice.Format = &format;
    choice.Quality = options.Quality;
    choice.KeyFrameEvery = options.KeyFrameEvery;
    if (format.Kind == TSinkKind::Avi) {
        // AVI keeps its codec names and handler codes.
        if (!profile.isEmpty() && refuse)
            throw EExportError(QStringLiteral("AVI codecs have no profiles to choose"));
        if (codec.isEmpty())
            return resolved;
        const QByteArray handler = HandlerForCodecName(codec);
        if (handler.isEmpty()) {
            if (refuse)
                throw UnknownCodec(format, codec);
            return resolved;
        }
        resolved.Options.Handler = QString::fromLatin1(handler);
        resolved.Options.CodecName = codec;
        return resolved;
    }
    choice.Codec = FindCodec(format, codec);
    if (!choice.Codec) {
        if (refuse)
            throw UnknownCodec(format, codec);
        choice.Codec = FindCodec(format, QString());
    }
    choice.Profile = FindProfile(*choice.Codec, profile);
    if (!choice.Profile) {
        if (refuse)
            throw EExportError(choice.Codec->Profiles.size() > 1
                                   ? QStringLiteral("%1 has the profiles %2, not \"%3\"")
                                         .arg(choice.Codec->Title, ProfileNames(*choice.Codec), profile)
                                   : QStringLiteral("%1 has no profiles to choose").arg(choice.Codec->Title));
        choice.Profile = FindProfile(*choice.Codec, QString());
    }
    return resolved;
}

} // namespace velmora
