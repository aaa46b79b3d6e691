// Strings, nested streams, error messages, fonts and the stream kinds that are not built in.
#include "core/typedfiler/TypedFiler.h"

#include "core/typedfiler/CodePage.h"
#include "core/typedfiler/DeviceIo.h"

#include <QtEndian>

#include <limits>

namespace velmora {

namespace {

// A length field is a Cardinal: longer values would be stored with a wrong length.
quint32 CardinalLength(qint64 byteCount)
{
    if (byteCount > qint64(std::numeric_limits<quint32>::max()))
        throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::TooLarge));
    return static_cast<quint32>(byteCount);
}

} // namespace

QByteArray TTypedFiler::ReadString()
{
    ReadTag(TTypeTag::String);
    const quint32 length = ReadCardinal();
    // Refuse lengths the stream cannot hold before allocating anything for them.
    DeviceIo::RequireAvailable(*m_device, length);
    QByteArray result(qsizetype(length), Qt::Uninitialized);
    ReadPayload(result.data(), length);
    return result;
}

void TTypedFiler::WriteString(const QByteArray &value)
{
    const quint32 length = CardinalLength(value.size());
    WriteTag(TTypeTag::String);
    WriteCardinal(length);
    WritePayload(value.constData(), value.size());
}

QString TTypedFiler::ReadWideString()
{
    ReadTag(TTypeTag::Widestring);
    const quint32 byteCount = ReadCardinal();
    DeviceIo::RequireAvailable(*m_device, byteCount);
    QString result(qsizetype(byteCount / 2), Qt::Uninitialized);
    ReadPayload(result.data(), qint64(result.size()) * 2);
    qFromLittleEndian<quint16>(result.constData(), result.size(), result.data());
    // An odd last byte belongs to the value but to no code unit.
    if (byteCount % 2 != 0) {
        char dropped = 0;
        ReadPayload(&dropped, 1);
    }
    return result;
}

void TTypedFiler::WriteWideString(const QString &value)
{
    const quint32 length = CardinalLength(qint64(value.size()) * 2);
    WriteTag(TTypeTag::Widestring);
    WriteCardinal(length);
    QByteArray units(value.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(value.constData(), value.size(), units.data());
    WritePayload(units.constData(), units.size());
}

void TTypedFiler::ReadStream(QIODevice &destination)
{
    ReadTag(TTypeTag::Stream);
    const qint64 length = ReadInt64();
    if (length <= 0)
        return;
    DeviceIo::RequireAvailable(*m_device, length);
    DeviceIo::Copy(*m_device, destination, length);
    destination.seek(0);
}

void TTypedFiler::WriteStream(QIODevice &source, bool fromStart)
{
    WriteTag(TTypeTag::Stream);
    if (fromStart)
        source.seek(0);
    const qint64 length = DeviceIo::Remaining(source);
    WriteInt64(length);
    DeviceIo::Copy(source, *m_device, length);
}

EVelmoraError TTypedFiler::ReadException()
{
    // No end check here: at the end the tag read itself fails with the read error.
    ConsumeTag(TTypeTag::Exception);
    return EVelmoraError(FromSystemCodePage(ReadString()));
}

void TTypedFiler::WriteExceptionMessage(const QString &message)
{
    WriteTag(TTypeTag::Exception);
    WriteString(ToSystemCodePage(message));
}

void TTypedFiler::WriteException(const EVelmoraError &error)
{
    WriteExceptionMessage(error.message());
}

void TTypedFiler::ReadFont(TFontDescription &font)
{
    ReadTag(TTypeTag::Font);
    const QByteArray name = ReadString();
    font.Size = ReadInteger();
    font.Color = ReadInteger();
    font.Bold = font.Italic = font.Underline = font.StrikeOut = false;
    font.Bold = ReadBoolean();
    font.Italic = ReadBoolean();
    font.Underline = ReadBoolean();
    font.StrikeOut = ReadBoolean();
    // The name goes last so that it only changes once the whole font was read.
    font.Name = FromSystemCodePage(name);
}

void TTypedFiler::WriteFont(const TFontDescription &font)
{
    WriteTag(TTypeTag::Font);
    WriteString(ToSystemCodePage(font.Name));
    WriteInteger(font.Size);
    WriteInteger(font.Color);
    WriteBoolean(font.Bold);
    WriteBoolean(font.Italic);
    WriteBoolean(font.Underline);
    WriteBoolean(font.StrikeOut);
}

void TTypedFiler::ReadEncryptedStream(QIODevice &)
{
    throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::NoEncryption));
}

void TTypedFiler::WriteEncryptedStream(QIODevice &)
{
    throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::NoEncryption));
}

void TTypedFiler::ReadCompressedStream(QIODevice &)
{
    throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::NoCompression));
}

void TTypedFiler::WriteCompressedStream(QIODevice &)
{
    throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::NoCompression));
}

} // namespace velmora
