#include "ui/window/EditorSettings.h"

#include "core/export/formats/OutputFormats.h"

#include <algorithm>

namespace velmora {

QSettings EditorSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Velmora"), QStringLiteral("Velmora"));
}

void WriteDeliveryChoice(QSettings &settings, const TDeliveryChoice &choice)
{
    settings.setValue(QStringLiteral("Generate/Format"), choice.Format);
    settings.setValue(QStringLiteral("Generate/Codec"), choice.Codec);
    settings.setValue(QStringLiteral("Generate/Profile"), choice.Profile);
    settings.setValue(QStringLiteral("Generate/Alpha"), choice.Alpha);
    settings.setValue(QStringLiteral("Generate/RateNumerator"), choice.Rate.Num);
    settings.setValue(QStringLiteral("Generate/RateDenominator"), choice.Rate.Den);
    settings.setValue(QStringLiteral("Generate/Scale"), choice.Scale);
}

TDeliveryChoice ReadDeliveryChoice(const QSettings &settings)
{
    TDeliveryChoice choice;
    const QString format = settings.value(QStringLiteral("Generate/Format")).toString();
    const TOutputFormat *known = FindFormat(format);
    if (known == nullptr)
        return choice;
    choice.Format = format;
    // A codec or profile this build does not have falls back to the format's first.
    const QString codec = settings.value(QStringLiteral("Generate/Codec")).toString();
    if (const TFormatCodec *found = codec.isEmpty() ? nullptr : FindCodec(*known, codec)) {
        choice.Codec = codec;
        const QString profile = settings.value(QStringLiteral("Generate/Profile")).toString();
        if (!profile.isEmpty() && FindProfile(*found, profile) != nullptr)
            choice.Profile = profile;
    }
    choice.Alpha = settings.value(QStringLiteral("Generate/Alpha"), false).toBool();
    const int numerator = settings.value(QStringLiteral("Generate/RateNumerator"), 0).toInt();
    const int denominator = settings.value(QStringLiteral("Generate/RateDenominator"), 1).toInt();
    if (numerator > 0 && denominator > 0)
        choice.Rate = {numerator, denominator};
    choice.Scale = std::clamp(settings.value(QStringLiteral("Generate/Scale"), 1).toInt(), 1, 16);
    return choice;
}

} // namespace velmora
