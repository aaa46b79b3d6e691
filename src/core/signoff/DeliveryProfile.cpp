#include "core/signoff/DeliveryProfile.h"

#include "core/error.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace velmora {

namespace {

// Safe areas of 90 % (title) and 93 % (action) of the width are the EBU's for 16:9 pictures
// (EBU R 95); every other figure here is Velmora's own default, not a published rule.
std::vector<TDeliveryProfile> BuiltIns()
{
    TDeliveryProfile standard;
    standard.Name = QStringLiteral("velmora");
    TDeliveryProfile ebu = standard;
    ebu.Name = QStringLiteral("ebu-r95");
    TDeliveryProfile broadcast = standard;
    broadcast.Name = QStringLiteral("broadcast");
    broadcast.HeadBlackSeconds = 0.5;
    broadcast.CreditLimits = {{30, 30}, {60, 60}, {120, 120}, {100000, 180}};
    return {standard, ebu, broadcast};
}

double Number(const QJsonObject &object, const char *key, double fallback, double low, double high, const QString &file)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return fallback;
    if (!value.isDouble() || value.toDouble() < low || value.toDouble() > high)
        throw EVelmoraError(QStringLiteral("%1: \"%2\" must be a number from %3 to %4").arg(file, QLatin1String(key)).arg(low).arg(high));
    return value.toDouble();
}

} // namespace

QStringList BuiltInProfileNames()
{
    QStringList names;
    for (const TDeliveryProfile &profile : BuiltIns())
        names.append(profile.Name);
    return names;
}

TDeliveryProfile LoadDeliveryProfile(const QString &nameOrFile)
{
    for (const TDeliveryProfile &profile : BuiltIns())
        if (profile.Name.compare(nameOrFile, Qt::CaseInsensitive) == 0)
            return profile;
    if (!nameOrFile.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        throw EVelmoraError(QStringLiteral("there is no profile \"%1\"; the built-in ones are %2, or give a profile's .json file")
                                .arg(nameOrFile, BuiltInProfileNames().join(QStringLiteral(", "))));
    QFile file(nameOrFile);
    if (!file.open(QIODevice::ReadOnly))
        throw EVelmoraError(QStringLiteral("cannot read the profile %1: %2").arg(nameOrFile, file.errorString()));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20), &error);
    if (document.isNull() || !document.isObject())
        throw EVelmoraError(QStringLiteral("%1: not a JSON object (%2)").arg(nameOrFile, error.errorString()));
    const QJsonObject object = document.object();
    TDeliveryProfile profile;
    profile.Name = object.value(QLatin1String("name")).toString(QFileInfo(nameOrFile).completeBaseName());
    profile.TitleSafePercent = int(Number(object, "titleSafe", 90, 50, 100, nameOrFile));
    profile.ActionSafePercent = int(Number(object, "actionSafe", 93, 50, 100, nameOrFile));
    profile.MinimumLinesAt1080 = Number(object, "minimumLines", 20, 1, 200, nameOrFile);
    profile.MinimumSecondsOnScreen = Number(object, "minimumSeconds", 5, 0, 60, nameOrFile);
    profile.HeadBlackSeconds = Number(object, "headBlack", 0, 0, 60, nameOrFile);
    profile.TailBlackSeconds = Number(object, "tailBlack", 0, 0, 60, nameOrFile);
    for (const QJsonValue &value : object.value(QLatin1String("creditLimits")).toArray()) {
        const QJsonObject limit = value.toObject();
        profile.CreditLimits.push_back({int(Number(limit, "programmeMinutes", 0, 1, 100000, nameOrFile)),
                                        int(Number(limit, "seconds", 0, 1, 3600, nameOrFile))});
    }
    std::sort(profile.CreditLimits.begin(), profile.CreditLimits.end(),
              [](const auto &a, const auto &b) { return a.ProgrammeMinutes < b.ProgrammeMinutes; });
    return profile;
}

} // namespace velmora
