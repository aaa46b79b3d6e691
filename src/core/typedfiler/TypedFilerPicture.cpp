// Pictures: a format handler name, then the image in that handler's own stream format.
#include "core/typedfiler/TypedFiler.h"

#include "core/typedfiler/CodePage.h"

#include <QBuffer>

namespace velmora {

namespace {

const QByteArray EmptyPictureName = QByteArrayLiteral("<EMPTY>");

} // namespace

void TTypedFiler::WritePicture(const TGraphic *picture)
{
    if (!picture) {
        WriteTag(TTypeTag::Picture);
        WriteString(EmptyPictureName);
        return;
    }
    const QByteArray name = ToSystemCodePage(picture->Handler().Name());
    if (picture->Empty()) {
        WriteTag(TTypeTag::Picture);
        WriteString(name);
        return;
    }
    // Encode first, so that an image the format cannot hold leaves nothing half written.
    QBuffer encoded;
    encoded.open(QIODevice::ReadWrite);
    if (!picture->Handler().Save(picture->Image, encoded))
        throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::WriteError));
    WriteTag(TTypeTag::Picture);
    WriteString(name);
    WriteStream(encoded, true);
}

std::unique_ptr<TGraphic> TTypedFiler::ReadPicture()
{
    ReadTag(TTypeTag::Picture);
    const QByteArray storedName = ReadString();
    if (storedName == EmptyPictureName)
        return nullptr;
    const QString name = FromSystemCodePage(storedName);
    auto handler = FindImageFormatHandler(name);
    if (!handler)
        throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::PictureClassNotFound).arg(name));
    std::unique_ptr<TGraphic> graphic = handler->CreateGraphic(handler);
    if (!graphic)
        throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::PictureNoInstance).arg(name));

    const quint8 next = PeekType();
    if (next == static_cast<quint8>(TTypeTag::Stream)) {
        QBuffer encoded;
        encoded.open(QIODevice::ReadWrite);
        ReadStream(encoded);
        if (!handler->Load(encoded, graphic->Image))
            throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::PictureUndecodable).arg(name));
        return graphic;
    }
    if (next == static_cast<quint8>(TTypeTag::String)) {
        // A picture saved with an empty image: the string that follows belongs to it.
        ReadString();
        return nullptr;
    }
    throw ETypedFilerError(
        QString::fromLatin1(TypedFilerMessages::PictureBadTag).arg(QString::number(next, 16).toUpper()));
}

} // namespace velmora
