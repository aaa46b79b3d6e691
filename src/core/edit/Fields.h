#pragma once

#include "core/elements/ElementCard.h"
#include "core/elements/ElementText.h"
#include "core/elements/Interfaces.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <utility>

namespace velmora {

// One editable field of an element, reached through one of its facets. Edits of a field
// with a merge id fold into the step before them while the user types or drags.
template <typename Facet, typename Value>
struct TField
{
    using FacetType = Facet;
    using ValueType = Value;
    int MergeId;       // -1: every edit is a step of its own
    const char *Name;  // the step's name, shown as "Undo <Name>"
    Value (*Get)(const Facet &);
    void (*Set)(Facet &, const Value &);
    bool Redraws = true;  // false for fields the frame does not show (the rates)
};

// The film size as the table sets it: row, width and height together.
struct TFilmSize
{
    qint32 ContentSize = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    friend bool operator==(const TFilmSize &, const TFilmSize &) = default;
};

using TAlignmentPair = std::pair<TElementHAlignment, TElementVAlignment>;

namespace Fields {

// Project.
inline constexpr TField<IProject, qint32> ProjectWidth{1, "Change Width",
    [](const IProject &p) { return p.GetWidth(); }, [](IProject &p, const qint32 &v) { p.SetWidth(v); }};
inline constexpr TField<IProject, qint32> ProjectHeight{2, "Change Height",
    [](const IProject &p) { return p.GetHeight(); }, [](IProject &p, const qint32 &v) { p.SetHeight(v); }};
inline constexpr TField<IProject, TFilmSize> FilmSize{-1, "Change Film Size",
    [](const IProject &p) { return TFilmSize{p.GetContentSize(), p.GetWidth(), p.GetHeight()}; },
    [](IProject &p, const TFilmSize &v) {
        p.SetContentSize(v.ContentSize);
        p.SetWidth(v.Width);
        p.SetHeight(v.Height);
    }};
inline constexpr TField<IProject, TArgb> BackColor{3, "Change Background Color",
    [](const IProject &p) { return p.GetBackColor(); }, [](IProject &p, const TArgb &v) { p.SetBackColor(v); }};
inline constexpr TField<IProject, qint32> FrameRate{4, "Change Frame Rate",
    [](const IProject &p) { return p.GetFrameRate(); }, [](IProject &p, const qint32 &v) { p.SetFrameRate(v); }, false};
inline constexpr TField<IProject, bool> NtscRate{-1, "Change Frame Rate",
    [](const IProject &p) { return p.GetNtscRate(); }, [](IProject &p, const bool &v) { p.SetNtscRate(v); }, false};
inline constexpr TField<IProject, qint32> ScrollRate{5, "Change Scroll Rate",
    [](const IProject &p) { return p.GetScrollRate(); }, [](IProject &p, const qint32 &v) { p.SetScrollRate(v); }, false};
inline constexpr TField<IProject, QString> StartTimecode{-1, "Change Start Timecode",
    [](const IProject &p) { return p.GetStartTimecode(); }, [](IProject &p, const QString &v) { p.SetStartTimecode(v); },
    false};
inline constexpr TField<IProjectBackground, qint32> WrapMode{-1, "Change Wrapping",
    [](const IProjectBackground &p) { return p.GetWrapMode(); },
    [](IProjectBackground &p, const qint32 &v) { p.SetWrapMode(v); }};

// Text.
inline constexpr TField<IElementText, QString> Text{6, "Change Text",
    [](const IElementText &t) {
        QString text;
        t.GetText(text);
        return text;
    },
    [](IElementText &t, const QString &v) { t.SetText(v); }};
inline constexpr TField<IGDIPFont, QByteArray> FontName{-1, "Change Font",
    [](const IGDIPFont &f) {
        QByteArray name;
        f.GetFontName(name);
        return name;
    },
    [](IGDIPFont &f, const QByteArray &v) { f.SetFontName(v); }};
inline constexpr TField<IGDIPFont, qint32> FontSize{7, "Change Font Size",
    [](const IGDIPFont &f) { return f.GetFontSize(); }, [](IGDIPFont &f, const qint32 &v) { f.SetFontSize(v); }};
inline constexpr TField<IGDIPFont, TArgb> TextColor{8, "Change Color",
    [](const IGDIPFont &f) { return f.GetColor(); }, [](IGDIPFont &f, const TArgb &v) { f.SetColor(v); }};

// Text and image.
inline constexpr TField<IElement, TAlignmentPair> Alignment{-1, "Change Alignment",
    [](const IElement &e) {
        const auto *h = queryInterface<IElementHorizontalAlign>(&e);
        const auto *v = queryInterface<IElementVerticalAlign>(&e);
        return TAlignmentPair{h ? h->GetHorizontalAlign() : eaLeft, v ? v->GetVerticalAlign() : eaTop};
    },
    [](IElement &e, const TAlignmentPair &value) {
        if (auto *v = queryInterface<IElementVerticalAlign>(&e))
            v->SetVerticalAlign(value.second);
        if (auto *h = queryInterface<IElementHorizontalAlign>(&e))
            h->SetHorizontalAlign(value.first);
    }};
inline constexpr TField<IElementMargins, qint32> TopOffset{9, "Change Top Offset",
    [](const IElementMargins &m) { return m.GetTopOffset(); }, [](IElementMargins &m, const qint32 &v) { m.SetTopOffset(v); }};
inline constexpr TField<IElementMargins, qint32> FixedHeight{10, "Change Fixed Height",
    [](const IElementMargins &m) { return m.GetFixedHeight(); },
    [](IElementMargins &m, const qint32 &v) { m.SetFixedHeight(v); }};
inline constexpr TField<IElementMargins, bool> UseFixedHeight{-1, "Change Fixed Height",
    [](const IElementMargins &m) { return m.GetUseFixedHeight(); },
    [](IElementMargins &m, const bool &v) { m.SetUseFixedHeight(v); }};
inline constexpr TField<IElementIndents, qint32> LeftIndent{12, "Change Left Indent",
    [](const IElementIndents &i) { return i.GetLeftIndent(); }, [](IElementIndents &i, const qint32 &v) { i.SetLeftIndent(v); }};
inline constexpr TField<TVmElementText, bool> SmallCaps{-1, "Change Small Caps",
    [](const TVmElementText &t) { return t.GetSmallCaps(); }, [](TVmElementText &t, const bool &v) { t.SetSmallCaps(v); }};
inline constexpr TField<IElementIndents, qint32> RightIndent{13, "Change Right Indent",
    [](const IElementIndents &i) { return i.GetRightIndent(); }, [](IElementIndents &i, const qint32 &v) { i.SetRightIndent(v); }};

// Image.
inline constexpr TField<IElementImage, bool> SpecificDims{-1, "Change Use Specific Dimensions",
    [](const IElementImage &i) { return i.GetSpecificDims(); }, [](IElementImage &i, const bool &v) { i.SetSpecificDims(v); }};
inline constexpr TField<IElementImage, QSize> ImageSize{11, "Change Image Size",
    [](const IElementImage &i) { return QSize(i.GetWidth(), i.GetHeight()); },
    [](IElementImage &i, const QSize &v) {
        i.SetWidth(v.width());
        i.SetHeight(v.height());
    }};

// Every element with an editable caption.
inline constexpr TField<IElement, QString> Caption{-1, "Rename Element",
    [](const IElement &e) {
        QString caption;
        e.GetCaption(-1, caption);
        return caption;
    },
    [](IElement &e, const QString &v) { e.SetCaption(-1, v); }};

// Card: its hold, transitions, placement and reading rule, edited as one value.
inline constexpr TField<TVmElementCard, TCardTiming> CardTiming{40, "Change Card",
    [](const TVmElementCard &c) { return c.Timing(); }, [](TVmElementCard &c, const TCardTiming &v) { c.SetTiming(v); }};

} // namespace Fields

} // namespace velmora
