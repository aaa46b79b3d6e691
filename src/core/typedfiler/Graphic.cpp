#include "core/typedfiler/Graphic.h"

#include <QImageReader>
#include <QImageWriter>

#include <map>
#include <mutex>

namespace velmora {

std::unique_ptr<TGraphic> IImageFormatHandler::CreateGraphic(std::shared_ptr<const IImageFormatHandler> self) const
{
    return std::make_unique<TGraphic>(std::move(self));
}

TGraphic::TGraphic(std::shared_ptr<const IImageFormatHandler> handler, QImage image)
    : Image(std::move(image)), m_handler(std::move(handler))
{
    Q_ASSERT(m_handler);
}

TQtImageFormatHandler::TQtImageFormatHandler(QString name, QByteArray qtFormat)
    : m_name(std::move(name)), m_qtFormat(std::move(qtFormat))
{
}

bool TQtImageFormatHandler::Load(QIODevice &device, QImage &image) const
{
    QImageReader reader(&device, m_qtFormat);
    QImage loaded;
    if (!reader.read(&loaded))
        return false;
    image = std::move(loaded);
    return true;
}

bool TQtImageFormatHandler::Save(const QImage &image, QIODevice &device) const
{
    QImageWriter writer(&device, m_qtFormat);
    return writer.write(image);
}

namespace {

struct THandlerRegistry
{
    std::mutex Lock;
    std::map<QString, std::shared_ptr<const IImageFormatHandler>> Handlers;

    THandlerRegistry()
    {
        for (const auto &[name, format] : {std::pair{"PNG", "png"}, {"BMP", "bmp"}, {"JPEG", "jpeg"}}) {
            const QString key = QString::fromLatin1(name);
            Handlers[key] = std::make_shared<TQtImageFormatHandler>(key, QByteArray(format));
        }
    }
};

THandlerRegistry &Registry()
{
    static THandlerRegistry registry;
    return registry;
}

} // namespace

void RegisterImageFormatHandler(std::shared_ptr<const IImageFormatHandler> handler)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    const QString name = handler->Name();
    registry.Handlers[name] = std::move(handler);
}

bool UnregisterImageFormatHandler(const QString &name)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    return registry.Handlers.erase(name) > 0;
}

std::shared_ptr<const IImageFormatHandler> FindImageFormatHandler(const QString &name)
{
    auto &registry = Registry();
    std::scoped_lock guard(registry.Lock);
    const auto found = registry.Handlers.find(name);
    return found == registry.Handlers.end() ? nullptr : found->second;
}

std::unique_ptr<TGraphic> MakeGraphic(const QString &formatName, QImage image)
{
    auto handler = FindImageFormatHandler(formatName);
    if (!handler)
        return nullptr;
    return std::make_unique<TGraphic>(std::move(handler), std::move(image));
}

} // namespace velmora
