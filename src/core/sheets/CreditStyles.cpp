#include "core/sheets/CreditStyles.h"

#include "core/sheets/RegularFile.h"

#include "core/elements/Drawing.h"
#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>

namespace velmora {

namespace {

constexpr int MaxSpace = 20000;

} // namespace

int HorizontalAlignmentFromJson(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        return (number == 0.0 || number == 1.0 || number == 2.0) ? int(number) : -1;
    }
    QString name = value.toString().toLower();
    if (name.startsWith(QLatin1String("ea")) || name.startsWith(QLatin1String("ta")))
        name = name.mid(2);
    if (name == QLatin1String("left"))
        return eaLeft;
    if (name == QLatin1String("center") || name == QLatin1String("centre"))
        return eaCenter;
    if (name == QLatin1String("right"))
        return eaRight;
    return -1;
}

QString StylesBesideSheet(const QString &sheetFileName)
{
    const QFileInfo sheet(sheetFileName);
    const QString styles = sheet.dir().filePath(sheet.completeBaseName() + QStringLiteral("-styles.json"));
    return QFileInfo(styles).isFile() ? styles : QString();
}

TCreditStyles::TCreditStyles(int filmHeight)
{
    // A legible sans; roles a little smaller and dimmer than the names they face, yet with
    // capitals of 20 lines at 1080, the size preflight asks of every line.
    const double scale = std::max(1, filmHeight) / 1080.0;
    const auto px = [scale](double pixels) { return std::max(1, RoundHalfEven(pixels * scale)); };
    const QString sans = QStringLiteral("Liberation Sans");
    m_styles[QStringLiteral("heading")] = {sans + QStringLiteral(" Bold"), px(36), 0xFFFFFFFFu, eaCenter, px(96), px(20), 0};
    m_styles[QStringLiteral("role")] = {sans, px(30), 0xFFB4B8C2u, eaRight, px(12), 0, px(40)};
    m_styles[QStringLiteral("name")] = {sans, px(32), 0xFFFFFFFFu, eaLeft, px(12), 0, px(40)};
    m_styles[QStringLiteral("names")] = {sans, px(30), 0xFFFFFFFFu, eaCenter, px(16), 0, 0};
    m_styles[QStringLiteral("text")] = {sans, px(30), 0xFFFFFFFFu, eaCenter, px(48), 0, 0};
    // Only its MinSpace and MaxSpace count: they bound what fitting does to gap rows.
    // Every space is elastic, so that a roll fits a running time near its own without black.
    for (auto &[name, style] : m_styles) {
        style.MinSpacePercent = 75;
        style.MaxSpacePercent = 150;
    }
    m_styles[QStringLiteral("gap")] = m_styles[QStringLiteral("text")];
    m_styles[QStringLiteral("gap")].SpaceBefore = 0;
    m_styles[QStringLiteral("gap")].MinSpacePercent = 50;
    m_styles[QStringLiteral("gap")].MaxSpacePercent = 200;
}

std::pair<double, double> ElasticBounds(double base, int minSpace, int maxSpace, int minPercent, int maxPercent)
{
    const double low = minSpace < 0 ? base * minPercent / 100.0 : minSpace;
    const double high = maxSpace < 0 ? base * maxPercent / 100.0 : maxSpace;
    return {std::max(0.0, std::min(base, low)), std::max(base, high)};
}

TCreditStyle ScaledCreditStyle(const TCreditStyle &style, double k)
{
    TCreditStyle scaled = style;
    const auto px = [k](int pixels) { return RoundHalfEven(pixels * k); };
    scaled.FontSize = std::max(1, px(style.FontSize));
    scaled.SpaceBefore = px(style.SpaceBefore);
    scaled.SpaceAfter = px(style.SpaceAfter);
    scaled.Gutter = px(style.Gutter);
    scaled.Tracking = px(style.Tracking);
    scaled.ParagraphSpace = px(style.ParagraphSpace);
    // Bounds given as shares are taken of the scaled space, so that they scale with it.
    const auto [low, high] = ElasticBounds(scaled.SpaceBefore, style.MinSpace < 0 ? -1 : px(style.MinSpace),
                                           style.MaxSpace < 0 ? -1 : px(style.MaxSpace), style.MinSpacePercent,
                                           style.MaxSpacePercent);
    scaled.MaxSpace = RoundHalfEven(high);
    scaled.MinSpace = RoundHalfEven(low);
    return scaled;
}

const TCreditStyle *TCreditStyles::Find(const QString &name) const
{
    const auto found = m_styles.find(name.trimmed().toLower());
    return found == m_styles.end() ? nullptr : &found->second;
}

QByteArray ReadStylesFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        throw EVelmoraError(QStringLiteral("%1: not a regular file (a folder, a device or a pipe); styles are a JSON file")
                                .arg(fileName));
    const auto tooLarge = [&] {
        return EVelmoraError(QStringLiteral("%1: the file is larger than %2 MB; styles are far smaller")
                                 .arg(fileName, QString::number(MaxStylesFileBytes >> 20)));
    };
    if (info.size() > MaxStylesFileBytes)
        throw tooLarge();
    QFile file;
    OpenRegularFile(file, fileName);
    // Read with a bound: the file may have grown since it was looked at.
    QByteArray bytes = file.read(MaxStylesFileBytes + 1);
    if (bytes.size() > MaxStylesFileBytes)
        throw tooLarge();
    return bytes;
}

void TCreditStyles::LoadFile(const QString &fileName)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(ReadStylesFile(fileName), &error);
    if (!json.isObject())
        throw EVelmoraError(QStringLiteral("%1: %2").arg(fileName,
            json.isNull() ? error.errorString() : QStringLiteral("the styles must be a JSON object")));
    Load(json.object(), fileName);
}

void TCreditStyles::Load(const QJsonObject &json, const QString &fileName)
{
    if (json.contains(QStringLiteral("styles")) && !json.value(QStringLiteral("styles")).isObject())
        throw EVelmoraError(QStringLiteral("%1: \"styles\" must be an object of named styles").arg(fileName));
    const QJsonObject styles = json.contains(QStringLiteral("styles")) ? json.value(QStringLiteral("styles")).toObject() : json;
    for (auto it = styles.begin(); it != styles.end(); ++it) {
        const QString where = QStringLiteral("%1: style \"%2\"").arg(fileName, it.key());
        if (!it.value().isObject())
            throw EVelmoraError(QStringLiteral("%1 must be an object").arg(where));
        const TCreditStyle *existing = Find(it.key());
        TCreditStyle style = existing ? *existing : *Find(QStringLiteral("text"));
        const QJsonObject fields = it.value().toObject();
        for (auto field = fields.begin(); field != fields.end(); ++field) {
            const QString &key = field.key();
            const QJsonValue value = field.value();
            const auto number = [&](int minimum, int maximum) {
                const double v = value.toDouble(0.5);
                // The range first: converting a number past int's range is undefined.
                if (!value.isDouble() || !(v >= minimum && v <= maximum) || v != double(int(v)))
                    throw EVelmoraError(QStringLiteral("%1: field \"%2\" must be a whole number from %3 to %4")
                                            .arg(where, key)
                                            .arg(minimum)
                                            .arg(maximum));
                return int(v);
            };
            if (key == QLatin1String("FontName")) {
                if (!value.isString() || value.toString().trimmed().isEmpty())
                    throw EVelmoraError(QStringLiteral("%1: field \"FontName\" must be a font name").arg(where));
                style.FontName = value.toString().trimmed();
            } else if (key == QLatin1String("FontSize")) {
                style.FontSize = number(1, 1024);
            } else if (key == QLatin1String("Color")) {
                static const QRegularExpression pattern(QStringLiteral("^#([0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"));
                const QString text = value.toString();
                if (!pattern.match(text).hasMatch())
                    throw EVelmoraError(QStringLiteral("%1: field \"Color\" must be \"#RRGGBB\" or \"#AARRGGBB\"").arg(where));
                style.Color = text.mid(1).toUInt(nullptr, 16) | (text.size() == 7 ? 0xFF000000u : 0u);
            } else if (key == QLatin1String("HAlign")) {
                const int align = HorizontalAlignmentFromJson(value);
                if (align < 0)
                    throw EVelmoraError(QStringLiteral("%1: field \"HAlign\" must be left, center or right").arg(where));
                style.HAlign = TElementHAlignment(align);
            } else if (key == QLatin1String("SpaceBefore")) {
                style.SpaceBefore = number(-MaxSpace, MaxSpace);
            } else if (key == QLatin1String("SpaceAfter")) {
                style.SpaceAfter = number(-MaxSpace, MaxSpace);
            } else if (key == QLatin1String("Gutter")) {
                style.Gutter = number(0, MaxSpace);
            } else if (key == QLatin1String("Leading")) {
                if (!value.isDouble() || value.toDouble() < 0.5 || value.toDouble() > 4.0)
                    throw EVelmoraError(QStringLiteral("%1: field \"Leading\" must be a number from 0.5 to 4").arg(where));
                style.Leading = value.toDouble();
            } else if (key == QLatin1String("Tracking")) {
                style.Tracking = number(-100, 1000);
            } else if (key == QLatin1String("Caps")) {
                const QString caps = value.toString().toLower();
                if (caps == QLatin1String("as typed") || caps == QLatin1String("none"))
                    style.Caps = TCreditCaps::AsTyped;
                else if (caps == QLatin1String("all") || caps == QLatin1String("all caps"))
                    style.Caps = TCreditCaps::AllCaps;
                else if (caps == QLatin1String("small") || caps == QLatin1String("small caps"))
                    style.Caps = TCreditCaps::SmallCaps;
                else
                    throw EVelmoraError(QStringLiteral("%1: field \"Caps\" must be \"as typed\", \"all caps\" or \"small caps\"").arg(where));
            } else if (key == QLatin1String("Spine")) {
                style.Spine = number(0, 100);
            } else if (key == QLatin1String("Measure")) {
                style.Measure = number(10, 100);
            } else if (key == QLatin1String("MaxSpace")) {
                style.MaxSpace = number(0, MaxSpace);
            } else if (key == QLatin1String("MinSpace")) {
                style.MinSpace = number(0, MaxSpace);
            } else if (key == QLatin1String("ParagraphSpace")) {
                style.ParagraphSpace = number(0, MaxSpace);
            } else {
                throw EVelmoraError(QStringLiteral("%1: unknown field \"%2\"").arg(where, key));
            }
        }
        m_styles[it.key().trimmed().toLower()] = style;
    }
}

} // namespace velmora
