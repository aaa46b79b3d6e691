#pragma once

#include "core/elements/ElementTypes.h"
#include "core/elements/Guid.h"

#include <QByteArray>
#include <QString>
#include <vector>

class QImage;
class QIODevice;
class QPainter;

namespace velmora {

struct TElementKind;
struct TProjectStyle;
using TProjectStyles = std::vector<TProjectStyle>;

// Every element: identity, tree caption and icon, renaming. What may go where is the
// catalogue's (document/ElementCatalogue.h), which knows every kind.
class IElement
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{B91D0E41-FF2C-44D8-AB16-4B18C92D2BB3}");
    virtual ~IElement() = default;

    virtual const TElementKind &GetClass() const = 0;
    // Leaves caption untouched when the element has no caption for that column.
    virtual void GetCaption(int column, QString &caption) const = 0;
    virtual int GetImageIndex(int column, TTreeImageKind kind) const = 0;
    virtual bool CanEditCaption(int column) const = 0;
    virtual bool SetCaption(int column, const QString &caption) = 0;
    // Appends the element's record at the stream's position; never seeks.
    virtual void SaveToStream(QIODevice &stream) const = 0;
    // Reads a record at the stream's position into an element that still has its defaults.
    // The record is taken to end where the stream ends; nothing is read past that.
    virtual void LoadFromStream(QIODevice &stream) = 0;
};

// An element that keeps paths relative to the project file's folder: told that folder when a
// project is read, and again when it is saved to another folder (rebase: keep finding the
// same files from there).
class IElementProjectFolder
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{0A5AFBD5-6C10-4820-A136-5BAE80067CC7}");
    virtual ~IElementProjectFolder() = default;

    virtual void ProjectFolderChanged(const QString &projectDir, bool rebase) = 0;
};

// An element that draws itself and decides its own height.
class IElementRender
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{B2EBE773-19FA-49CD-BFE6-C1A07A2676F3}");
    virtual ~IElementRender() = default;

    // Draws into rect; afterwards rect.Y is where the next element starts.
    virtual void Render(QPainter &graphics, TLayoutRect &rect, quint8 flags) = 0;
};

// The film a layout walk lays the roll out for. It travels down the walk as an argument, so
// what an element draws never depends on which walk reached it last. A scale (--scale) is the
// painter's transform, not part of the film: positions stay in film pixels.
struct TFilm
{
    qint32 Width = 1920;
    qint32 Height = 1080;
    // The project's named styles; null when there is no project or it has none.
    const TProjectStyles *Styles = nullptr;
};

// An element whose sizes follow the film: the walk draws it through this, with the film.
class IElementFilmScaled
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{6A0F3C52-9D1E-4B7A-8E25-3C41B7D09A6E}");
    virtual ~IElementFilmScaled() = default;

    // As IElementRender::Render, at the film's size.
    virtual void RenderForFilm(QPainter &graphics, TLayoutRect &rect, quint8 flags, const TFilm &film) const = 0;
};

// Children are stacked from top to bottom.
class IElementContainer
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{C1EF27AF-31BB-475A-8629-2E66D939F73E}");
    virtual ~IElementContainer() = default;
};

// Children share the band's width side by side.
class IElementColumnSet
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{2E9C8C6D-8E68-4E01-BA2E-93101669DC99}");
    virtual ~IElementColumnSet() = default;
};

// Film settings of the project.
class IProject
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{20C2221B-9BB0-423A-A0BB-EF3D61380388}");
    virtual ~IProject() = default;

    virtual qint32 GetHeight() const = 0;
    virtual qint32 GetWidth() const = 0;
    virtual qint32 GetContentSize() const = 0;
    virtual TArgb GetBackColor() const = 0;
    virtual void SetHeight(qint32 value) = 0;
    virtual void SetWidth(qint32 value) = 0;
    virtual void SetContentSize(qint32 value) = 0;
    virtual void SetBackColor(TArgb value) = 0;
    virtual qint32 GetFrameRate() const = 0;
    virtual qint32 GetScrollRate() const = 0;
    virtual void SetFrameRate(qint32 value) = 0;
    virtual void SetScrollRate(qint32 value) = 0;
    // The NTSC form of the frame rate: 24, 30, 48, 60 and 120 run at 1000/1001 of it (23.976,
    // 29.97 ...); GetFrameRate stays the whole rate timecodes count. Other rates ignore it.
    virtual bool GetNtscRate() const = 0;
    virtual void SetNtscRate(bool value) = 0;
    // Timecode of the roll's first frame, "HH:MM:SS:FF" or drop-frame "HH:MM:SS;FF"; empty
    // counts from 00:00:00:00.
    virtual QString GetStartTimecode() const = 0;
    virtual void SetStartTimecode(const QString &value) = 0;
};

// The project's background picture and how it covers the frame.
class IProjectBackground
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{12CE25E5-81F8-494F-9865-D5DCCBFC5B17}");
    virtual ~IProjectBackground() = default;

    // Null when there is no background; an undecodable file gives a 0 x 0 image.
    virtual const QImage *GetBackground() const = 0;
    virtual void LoadBackground(const QString &fileName) = 0;
    virtual void ClearBackground() = 0;
    virtual qint32 GetWrapMode() const = 0;
    virtual void SetWrapMode(qint32 value) = 0;
};

// The wide text of a text element.
class IElementText
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{CCC4C3D5-86C1-4404-A2F7-54F78C915D4F}");
    virtual ~IElementText() = default;

    virtual void GetText(QString &text) const = 0;
    virtual void SetText(const QString &text) = 0;
};

// Font and colour of a text element; the font name is in the 8-bit code page.
class IGDIPFont
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{121B86AC-8FAE-42B8-A5F6-786B0561C481}");
    virtual ~IGDIPFont() = default;

    virtual TArgb GetColor() const = 0;
    virtual void GetFontName(QByteArray &name) const = 0;
    virtual qint32 GetFontSize() const = 0;
    virtual void SetColor(TArgb value) = 0;
    virtual void SetFontName(const QByteArray &name) = 0;
    virtual void SetFontSize(qint32 value) = 0;
};

// Top offset and fixed height of text and image elements.
class IElementMargins
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{CAAF81C5-7C0F-42D0-AD00-84B7698A749C}");
    virtual ~IElementMargins() = default;

    virtual qint32 GetFixedHeight() const = 0;
    virtual void SetFixedHeight(qint32 value) = 0;
    virtual qint32 GetTopOffset() const = 0;
    virtual void SetTopOffset(qint32 value) = 0;
    virtual bool GetUseFixedHeight() const = 0;
    virtual void SetUseFixedHeight(bool value) = 0;
};

// How far a text keeps from its band's left and right edges (below zero: reaches past them).
class IElementIndents
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{D1686A7C-72E7-4AAF-B3EE-E9D22F7CE1BE}");
    virtual ~IElementIndents() = default;

    virtual qint32 GetLeftIndent() const = 0;
    virtual void SetLeftIndent(qint32 value) = 0;
    virtual qint32 GetRightIndent() const = 0;
    virtual void SetRightIndent(qint32 value) = 0;
};

class IElementHorizontalAlign
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{D7FD2EAF-6AB3-42F3-9631-83259E708BCD}");
    virtual ~IElementHorizontalAlign() = default;

    virtual TElementHAlignment GetHorizontalAlign() const = 0;
    virtual void SetHorizontalAlign(TElementHAlignment value) = 0;
};

class IElementVerticalAlign
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{048644B8-BC59-49F9-9306-EC26A08E397F}");
    virtual ~IElementVerticalAlign() = default;

    virtual TElementVAlignment GetVerticalAlign() const = 0;
    virtual void SetVerticalAlign(TElementVAlignment value) = 0;
};

// The picture of an image element and its display size.
class IElementImage
{
public:
    static constexpr TGuid Guid = TGuid::Parse("{F6171AC7-6D3F-438B-BED6-FEBEFFE373AD}");
    virtual ~IElementImage() = default;

    // Null when no image was loaded; an undecodable file gives a 0 x 0 image.
    virtual const QImage *GetImage() const = 0;
    virtual void LoadFromFile(const QString &fileName) = 0;
    virtual bool GetSpecificDims() const = 0;
    virtual void SetSpecificDims(bool value) = 0;
    virtual void GetFileName(QByteArray &fileName) const = 0;
    virtual qint32 GetHeight() const = 0;
    virtual qint32 GetWidth() const = 0;
    virtual void SetHeight(qint32 value) = 0;
    virtual void SetWidth(qint32 value) = 0;
};

// Asks an element (or any of its facets) for another facet; null means it has none.
template <typename T, typename From>
T *queryInterface(From *element)
{
    return dynamic_cast<T *>(element);
}

template <typename T, typename From>
const T *queryInterface(const From *element)
{
    return dynamic_cast<const T *>(element);
}

} // namespace velmora
