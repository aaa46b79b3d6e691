#pragma once

#include "core/elements/Alignments.h"
#include "core/elements/ElementTypes.h"
#include "core/elements/Guid.h"

#include <QString>
#include <vector>

namespace velmora {

// A named look for texts, kept by the project: font, size, colour, alignment and spacing.
// Sizes are pixels of the project's film, as a text's own font size is.
struct TProjectStyle
{
    QString Name;
    QString FontName = QStringLiteral("Arial");
    qint32 FontSize = 14;
    TArgb Color = 0xFFFFFFFFu;
    TElementHAlignment HAlign = eaCenter;
    double Leading = 1.0;  // line spacing as a share of the font's line height
    qint32 Tracking = 0;   // pixels added between letters

    friend bool operator==(const TProjectStyle &, const TProjectStyle &) = default;
};

using TProjectStyles = std::vector<TProjectStyle>;

// What a style may hold; wider values are brought within these when they come in.
inline constexpr double MinLeading = 0.5;
inline constexpr double MaxLeading = 4.0;
inline constexpr qint32 MinTracking = -100;
inline constexpr qint32 MaxTracking = 1000;
inline constexpr qint32 MaxStyleFontSize = 2000;

// The style named name (case and surrounding blanks ignored), or null.
const TProjectStyle *FindProjectStyle(const TProjectStyles &styles, const QString &name);
// Whether two names mean the same style.
bool SameStyleName(const QString &a, const QString &b);
// The style with every field within what a style may hold.
TProjectStyle BoundedStyle(TProjectStyle style);

// The project's styles (the project element has them).
class IProjectStyles
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{5B8E2D17-4C3A-4F69-A1D0-7E92C6B3F485}");
    virtual ~IProjectStyles() = default;

    virtual const TProjectStyles &GetStyles() const = 0;
    virtual void SetStyles(const TProjectStyles &styles) = 0;
};

// A text that can follow a project style: the name of the style it follows (empty: none) and
// the spacing a style gives it beyond its font and colour.
class IElementStyled
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{A34F6C90-1B2E-4D87-9E5A-0C7D3B61F2E8}");
    virtual ~IElementStyled() = default;

    virtual QString GetStyleName() const = 0;
    virtual void SetStyleName(const QString &name) = 0;
    virtual double GetLeading() const = 0;
    virtual void SetLeading(double value) = 0;
    virtual qint32 GetTracking() const = 0;
    virtual void SetTracking(qint32 value) = 0;
};

} // namespace velmora
