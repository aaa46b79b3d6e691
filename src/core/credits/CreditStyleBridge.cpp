#include "core/credits/CreditStyleBridge.h"

#include "core/elements/Drawing.h"
#include "core/credits/ElementCreditBlock.h"
#include "core/error.h"
#include "core/sheets/CreditStyles.h"

#include <QFile>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace velmora {

namespace {

// The names every sheet has, as a styles file would spell them.
const char *const BuiltInStyles[] = {"Heading", "Role", "Name", "Names", "Text"};

QString AlignmentName(TElementHAlignment alignment)
{
    return alignment == eaRight ? QStringLiteral("right") : alignment == eaCenter ? QStringLiteral("center") : QStringLiteral("left");
}

} // namespace

void OverlayProjectStyles(TCreditStyles &styles, const TProjectStyles &project, double pixelsPerUnit)
{
    if (project.empty())
        return;
    const double k = pixelsPerUnit > 0.0 ? pixelsPerUnit : 1.0;
    QJsonObject overlay;
    for (const TProjectStyle &raw : project) {
        const TProjectStyle style = BoundedStyle(raw);
        if (style.Name.isEmpty() || style.FontName.trimmed().isEmpty())
            continue;
        // Within what a styles file may say, so that the overlay always reads.
        QJsonObject fields;
        fields.insert(QStringLiteral("FontName"), style.FontName.trimmed());
        fields.insert(QStringLiteral("FontSize"), std::clamp(RoundHalfEven(style.FontSize / k), 1, 1024));
        fields.insert(QStringLiteral("Color"), QStringLiteral("#%1").arg(style.Color, 8, 16, QLatin1Char('0')));
        fields.insert(QStringLiteral("HAlign"), AlignmentName(style.HAlign));
        fields.insert(QStringLiteral("Leading"), style.Leading);
        fields.insert(QStringLiteral("Tracking"), std::clamp(RoundHalfEven(style.Tracking / k), MinTracking, MaxTracking));
        overlay.insert(style.Name, fields);
    }
    styles.Load(overlay, QStringLiteral("project styles"));
}

TProjectStyles SheetProjectStyles(const TCreditStyles &styles, const QString &stylesJson, double pixelsPerUnit)
{
    QStringList names;
    for (const char *name : BuiltInStyles)
        names.append(QLatin1String(name));
    const QJsonObject json = QJsonDocument::fromJson(stylesJson.toUtf8()).object();
    const QJsonObject declared = json.value(QStringLiteral("styles")).isObject() ? json.value(QStringLiteral("styles")).toObject() : json;
    for (const QString &key : declared.keys())
        if (std::none_of(names.begin(), names.end(), [&key](const QString &name) { return SameStyleName(name, key); }))
            names.append(key.trimmed());

    TProjectStyles result;
    for (const QString &name : names) {
        const TCreditStyle *style = styles.Find(name);
        if (style == nullptr)
            continue;
        TProjectStyle project;
        project.Name = name;
        project.FontName = style->FontName;
        project.FontSize = RoundHalfEven(style->FontSize * pixelsPerUnit);
        project.Color = style->Color;
        project.HAlign = style->HAlign;
        project.Leading = style->Leading;
        project.Tracking = RoundHalfEven(style->Tracking * pixelsPerUnit);
        result.push_back(BoundedStyle(project));
    }
    return result;
}

TProjectStyles LinkedSheetStyles(const TCreditSource &source, int filmHeight)
{
    // As the block reads them: sized for a 1080-line film.
    TCreditStyles styles(1080);
    if (!source.StylesJson.isEmpty())
        styles.Load(QJsonDocument::fromJson(source.StylesJson.toUtf8()).object(), source.StylesPath);
    return SheetProjectStyles(styles, source.StylesJson, std::max(1, filmHeight) / 1080.0);
}

TProjectStyles CopiedSheetStyles(const TCreditStyles &styles, const QString &stylesFile)
{
    QString json;
    // A file that cannot be read lends no styles; the block's own were read from it already.
    if (!stylesFile.isEmpty())
        try {
            json = QString::fromUtf8(ReadStylesFile(stylesFile));
        } catch (const EVelmoraError &) {
        }
    return SheetProjectStyles(styles, json, 1.0);
}

} // namespace velmora
