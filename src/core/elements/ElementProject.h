#pragma once

#include "core/elements/Drawing.h"
#include "core/elements/ElementBase.h"
#include "core/elements/ProjectStyle.h"
#include "core/elements/VectorPicture.h"

#include <QByteArray>
#include <QImage>
#include <memory>

namespace velmora {

// The root element: film size and rates, background colour and picture.
class TVmElementProject final : public TVmElement,
                                public IElementRender,
                                public IElementContainer,
                                public IProject,
                                public IProjectBackground,
                                public IProjectStyles
{
public:
    static const TElementKind Kind;

    // IElement
    const TElementKind &GetClass() const override { return Kind; }
    void GetCaption(int column, QString &caption) const override;
    int GetImageIndex(int column, TTreeImageKind kind) const override;
    bool CanEditCaption(int column) const override { return column == -1; }
    bool SetCaption(int column, const QString &caption) override;
    void SaveToStream(QIODevice &stream) const override;
    void LoadFromStream(QIODevice &stream) override;

    // IElementRender: fills rect with the colour and covers it with the background.
    void Render(QPainter &graphics, TLayoutRect &rect, quint8 flags) override;

    // IProject
    qint32 GetHeight() const override { return m_height; }
    qint32 GetWidth() const override { return m_width; }
    qint32 GetContentSize() const override { return m_contentSize; }
    TArgb GetBackColor() const override { return m_backColor; }
    void SetHeight(qint32 value) override { m_height = value; }
    void SetWidth(qint32 value) override { m_width = value; }
    void SetContentSize(qint32 value) override { m_contentSize = value; }
    void SetBackColor(TArgb value) override { m_backColor = value; }
    qint32 GetFrameRate() const override { return m_frameRate; }
    qint32 GetScrollRate() const override { return m_scrollRate; }
    void SetFrameRate(qint32 value) override { m_frameRate = value; }
    void SetScrollRate(qint32 value) override { m_scrollRate = value; }
    bool GetNtscRate() const override { return m_ntscRate; }
    void SetNtscRate(bool value) override { m_ntscRate = value; }
    QString GetStartTimecode() const override { return m_startTimecode; }
    void SetStartTimecode(const QString &value) override { m_startTimecode = value; }

    // IProjectBackground
    // Decodes a background read from a project file the first time its pixels are asked for.
    const QImage *GetBackground() const override;
    // Takes a vector picture (SVG, PDF) as the background, as LoadBackground would from its file.
    void AssignBackgroundVector(std::shared_ptr<const TVectorPicture> picture);
    // The vector background drawn, or null for a raster one (or none).
    const TVectorPicture *GetBackgroundVector() const { return m_backgroundVector.Picture.get(); }
    void LoadBackground(const QString &fileName) override;
    void ClearBackground() override
    {
        m_background.reset();
        m_backgroundBytes.clear();
        m_backgroundVector = TStoredVector();
        m_backgroundPending = false;
    }
    qint32 GetWrapMode() const override { return m_wrapMode; }
    void SetWrapMode(qint32 value) override { m_wrapMode = value; }

    // IProjectStyles
    const TProjectStyles &GetStyles() const override { return m_styles; }
    void SetStyles(const TProjectStyles &styles) override { m_styles = styles; }

    // Why the stored background shows as nothing ("too large to display"); empty when it shows.
    QString BackgroundProblem() const;
    // The background's size without decoding it (a background does not take part in the
    // layout, so measuring a roll never needs its pixels); invalid when there is none.
    QSize BackgroundSize() const;

private:
    const QImage &TileTexture(QSize frame);

    QByteArray m_name = "Velmora Project";
    qint32 m_height = 576;
    qint32 m_width = 720;
    qint32 m_contentSize = 5;
    TArgb m_backColor = 0xFF336699;
    mutable std::unique_ptr<QImage> m_background;
    QByteArray m_backgroundBytes;  // as read from the project file; empty once replaced
    TStoredVector m_backgroundVector;  // a vector background: m_background is then its preview
    mutable bool m_backgroundPending = false;  // m_backgroundBytes not decoded yet
    qint32 m_wrapMode = 4;
    qint32 m_frameRate = 25;
    qint32 m_scrollRate = 4;
    TProjectStyles m_styles;
    QString m_startTimecode;
    bool m_ntscRate = false;

    // Drawing caches, rebuilt when the background or the wrap mode changes.
    TScaledImageCache m_stretched;
    QImage m_tile;
    qint64 m_tileSourceKey = 0;
    qint32 m_tileWrapMode = -1;
    QSize m_tileFrame;
};

} // namespace velmora
