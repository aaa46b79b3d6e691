#pragma once

#include "core/elements/Drawing.h"
#include "core/elements/ElementBase.h"
#include "core/elements/ElementMargins.h"
#include "core/elements/VectorPicture.h"

#include <QByteArray>
#include <QImage>
#include <memory>

namespace velmora {

// A picture, fitted to its band or drawn at a size of its own.
class TVmElementImage final : public TCaptionedElement,
                              public IElementRender,
                              public IElementImage,
                              public TPlacedElement
{
public:
    static const TElementKind Kind;

    TVmElementImage() : TCaptionedElement(QStringLiteral("New Image")) {}

    // IElement
    const TElementKind &GetClass() const override { return Kind; }
    int GetImageIndex(int column, TTreeImageKind kind) const override;
    void SaveToStream(QIODevice &stream) const override;
    void LoadFromStream(QIODevice &stream) override;

    // IElementRender: draws the picture unclipped and advances rect.Y past the element.
    void Render(QPainter &graphics, TLayoutRect &rect, quint8 flags) override;

    // IElementImage
    const QImage *GetImage() const override { return m_image.get(); }
    // Takes the picture from a file; the path is recorded in the 8-bit code page.
    void LoadFromFile(const QString &fileName) override;
    // Takes a decoded picture as LoadFromFile would from fileName, without reading the file
    // (a description that carries its pictures inline).
    void AssignImage(const QImage &image, const QString &fileName);
    // Takes a vector picture (SVG, PDF) as LoadFromFile would from fileName.
    void AssignVector(std::shared_ptr<const TVectorPicture> picture, const QString &fileName);
    // The vector picture drawn, or null for a raster one (or none).
    const TVectorPicture *GetVector() const { return m_vector.Picture.get(); }
    bool GetSpecificDims() const override { return m_specificDims; }
    void SetSpecificDims(bool value) override { m_specificDims = value; }
    void GetFileName(QByteArray &fileName) const override { fileName = m_fileName; }
    qint32 GetHeight() const override { return m_height; }
    qint32 GetWidth() const override { return m_width; }
    void SetHeight(qint32 value) override { m_height = value; }
    void SetWidth(qint32 value) override { m_width = value; }

    // Why the stored picture shows as nothing ("too large to display"); empty when it shows.
    QString PictureProblem() const;

private:
    qint32 m_width = 0;
    qint32 m_height = 0;
    bool m_specificDims = false;
    QByteArray m_fileName;
    std::unique_ptr<QImage> m_image;
    QByteArray m_imageBytes;  // as read from the project file; empty once replaced
    TStoredVector m_vector;   // a vector picture: m_image is then its preview
    TScaledImageCache m_scaled;
};

} // namespace velmora
