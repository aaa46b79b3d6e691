#include "core/elements/ProjectStyle.h"
#include "core/elements/StyleRecords.h"

#include "core/typedfiler/TypeTags.h"
#include "core/typedfiler/TypedFiler.h"
#include "core/typedfiler/TypedFilerError.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {
// Each part opens with its name, so that other bytes after a record (which readers have
// always let be) are never taken for one.
constexpr char StylesSectionMark[] = "VmProjectStyles";
constexpr char TextStyleSectionMark[] = "VmTextStyle";
constexpr quint32 StylesSectionVersion = 1;
constexpr quint32 TextStyleSectionVersion = 1;

// True when the filer stands at the part named mark (and has read its name).
bool AtSection(ITypedFiler &filer, const char *mark)
{
    if (filer.PeekType() != static_cast<quint8>(TTypeTag::String))
        return false;
    try {
        return filer.ReadString() == QByteArrayView(mark);
    } catch (const ETypedFilerError &) {
        return false;
    }
}

TElementHAlignment BoundedAlignment(qint32 value)
{
    return value == eaCenter ? eaCenter : value == eaRight ? eaRight : eaLeft;
}
} // namespace

bool SameStyleName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

const TProjectStyle *FindProjectStyle(const TProjectStyles &styles, const QString &name)
{
    if (name.trimmed().isEmpty())
        return nullptr;
    const auto found = std::find_if(styles.begin(), styles.end(),
                                    [&name](const TProjectStyle &style) { return SameStyleName(style.Name, name); });
    return found == styles.end() ? nullptr : &*found;
}

TProjectStyle BoundedStyle(TProjectStyle style)
{
    style.Name = style.Name.trimmed();
    style.FontSize = std::clamp(style.FontSize, 1, MaxStyleFontSize);
    // Not a number compares false both ways: it becomes plain spacing.
    style.Leading = std::isfinite(style.Leading) ? std::clamp(style.Leading, MinLeading, MaxLeading) : 1.0;
    style.Tracking = std::clamp(style.Tracking, MinTracking, MaxTracking);
    style.HAlign = BoundedAlignment(style.HAlign);
    return style;
}

void WriteProjectStyles(ITypedFiler &filer, const TProjectStyles &styles)
{
    filer.WriteString(QByteArray(StylesSectionMark));
    filer.WriteVersion(StylesSectionVersion);
    filer.WriteInteger(qint32(styles.size()));
    for (const TProjectStyle &style : styles) {
        filer.WriteWideString(style.Name);
        filer.WriteWideString(style.FontName);
        filer.WriteInteger(style.FontSize);
        filer.WriteCardinal(style.Color);
        filer.WriteInteger(style.HAlign);
        filer.WriteFloat(style.Leading);
        filer.WriteInteger(style.Tracking);
    }
}

TProjectStyles ReadProjectStyles(ITypedFiler &filer)
{
    // A section of a later layout is left for the Velmora that wrote it.
    if (!AtSection(filer, StylesSectionMark) || filer.ReadVersion() != StylesSectionVersion)
        return {};
    const qint32 count = filer.ReadInteger();
    TProjectStyles styles;
    // The count is not trusted for allocation: a record that ends early fails in the filer.
    for (qint32 i = 0; i < count; ++i) {
        TProjectStyle style;
        style.Name = filer.ReadWideString();
        style.FontName = filer.ReadWideString();
        style.FontSize = filer.ReadInteger();
        style.Color = filer.ReadCardinal();
        style.HAlign = BoundedAlignment(filer.ReadInteger());
        style.Leading = filer.ReadFloat();
        style.Tracking = filer.ReadInteger();
        style = BoundedStyle(std::move(style));
        // A nameless style or a second one of a name could never be chosen.
        if (!style.Name.isEmpty() && FindProjectStyle(styles, style.Name) == nullptr)
            styles.push_back(std::move(style));
    }
    return styles;
}

bool TextStyleWanted(const QString &styleName, double leading, qint32 tracking)
{
    return !styleName.isEmpty() || leading != 1.0 || tracking != 0;
}

void WriteTextStyle(ITypedFiler &filer, const QString &styleName, double leading, qint32 tracking)
{
    filer.WriteString(QByteArray(TextStyleSectionMark));
    filer.WriteVersion(TextStyleSectionVersion);
    filer.WriteWideString(styleName);
    filer.WriteFloat(leading);
    filer.WriteInteger(tracking);
}

void ReadTextStyle(ITypedFiler &filer, QString &styleName, double &leading, qint32 &tracking)
{
    if (!AtSection(filer, TextStyleSectionMark) || filer.ReadVersion() != TextStyleSectionVersion)
        return;
    TProjectStyle bounded;
    bounded.Name = filer.ReadWideString();
    bounded.Leading = filer.ReadFloat();
    bounded.Tracking = filer.ReadInteger();
    bounded = BoundedStyle(std::move(bounded));
    styleName = bounded.Name;
    leading = bounded.Leading;
    tracking = bounded.Tracking;
}

} // namespace velmora
