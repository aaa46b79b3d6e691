#pragma once

#include <QImage>
#include <QIODevice>
#include <QString>

#include <memory>

namespace velmora {

class TGraphic;

// A named image format that creates images and loads and saves them through a byte stream.
class IImageFormatHandler
{
public:
    virtual ~IImageFormatHandler() = default;
    // The name pictures in the typed value stream carry.
    virtual QString Name() const = 0;
    // A new empty image of this format; null when the format cannot make one.
    virtual std::unique_ptr<TGraphic> CreateGraphic(std::shared_ptr<const IImageFormatHandler> self) const;
    // Decodes an image from the device's current position; false when it cannot.
    virtual bool Load(QIODevice &device, QImage &image) const = 0;
    // Encodes the image at the device's current position; false when it cannot.
    virtual bool Save(const QImage &image, QIODevice &device) const = 0;
};

// An image together with the format handler that streams it.
class TGraphic
{
public:
    explicit TGraphic(std::shared_ptr<const IImageFormatHandler> handler, QImage image = {});

    const IImageFormatHandler &Handler() const { return *m_handler; }
    bool Empty() const { return Image.isNull(); }

    QImage Image;

private:
    std::shared_ptr<const IImageFormatHandler> m_handler;
};

// Image formats handled through Qt's image readers and writers ("PNG", "BMP", "JPEG").
class TQtImageFormatHandler : public IImageFormatHandler
{
public:
    TQtImageFormatHandler(QString name, QByteArray qtFormat);
    QString Name() const override { return m_name; }
    bool Load(QIODevice &device, QImage &image) const override;
    bool Save(const QImage &image, QIODevice &device) const override;

private:
    QString m_name;
    QByteArray m_qtFormat;
};

// Registers a handler under its name, replacing one of the same name.
void RegisterImageFormatHandler(std::shared_ptr<const IImageFormatHandler> handler);

// Removes the handler of that name; false when there was none.
bool UnregisterImageFormatHandler(const QString &name);

// The handler registered under name, or null. PNG, BMP and JPEG are always there at start.
std::shared_ptr<const IImageFormatHandler> FindImageFormatHandler(const QString &name);

// A new graphic of the named format holding image; null when no such handler is registered.
std::unique_ptr<TGraphic> MakeGraphic(const QString &formatName, QImage image);

} // namespace velmora
