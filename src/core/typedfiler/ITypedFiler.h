#pragma once

#include "core/error.h"
#include "core/typedfiler/FontDescription.h"
#include "core/typedfiler/Graphic.h"
#include "core/typedfiler/Variant.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QUuid>

#include <memory>

namespace velmora {

// Reads and writes tagged values over a byte stream; every read checks the tag it expects.
class ITypedFiler
{
public:
    static constexpr QUuid IID{0x5E1ACCF9, 0xB894, 0x4969, 0x8C, 0xAF, 0x7A, 0x8B, 0x4D, 0xD9, 0xDE, 0x77};

    virtual ~ITypedFiler() = default;

    virtual void Clear() = 0;
    virtual qint64 SeekToEnd() = 0;
    virtual qint64 SeekToStart() = 0;
    virtual bool ReadBoolean() = 0;
    virtual quint8 ReadByte() = 0;
    virtual quint32 ReadCardinal() = 0;
    // The amount times 10000.
    virtual qint64 ReadCurrency() = 0;
    virtual quint32 ReadColor() = 0;
    // Days since 1899-12-30 00:00, the fraction being the time of day.
    virtual double ReadDateTime() = 0;
    virtual void ReadEncryptedStream(QIODevice &destination) = 0;
    virtual void ReadCompressedStream(QIODevice &destination) = 0;
    // The stored error, returned for the caller to raise, keep or drop.
    virtual EVelmoraError ReadException() = 0;
    virtual double ReadFloat() = 0;
    virtual void ReadFont(TFontDescription &font) = 0;
    virtual QUuid ReadGUID() = 0;
    virtual qint64 ReadInt64() = 0;
    virtual qint32 ReadInteger() = 0;
    virtual quint32 ReadIPAddress() = 0;
    // The next tag without consuming it; 0 at the end of the stream.
    virtual quint8 PeekType() = 0;
    // A new picture, or null for "no picture".
    virtual std::unique_ptr<TGraphic> ReadPicture() = 0;
    virtual qint8 ReadShortInt() = 0;
    virtual float ReadSingle() = 0;
    virtual qint16 ReadSmallInt() = 0;
    // Appends the stored bytes at the destination's position, then rewinds the destination.
    virtual void ReadStream(QIODevice &destination) = 0;
    // 8-bit text in the system code page.
    virtual QByteArray ReadString() = 0;
    virtual void ReadVariant(TVariant &value) = 0;
    virtual quint16 ReadVariantType() = 0;
    virtual quint32 ReadVersion() = 0;
    virtual QString ReadWideString() = 0;
    virtual quint16 ReadWord() = 0;
    // Raw bytes: resizes to count (new bytes zero) and reads what the stream has, untagged.
    virtual void ReadBytes(qint32 count, QByteArray &bytes) = 0;
    // Raw bytes, untagged.
    virtual void WriteBytes(const QByteArray &bytes) = 0;
    virtual void WriteBoolean(bool value) = 0;
    virtual void WriteByte(quint8 value) = 0;
    virtual void WriteCardinal(quint32 value) = 0;
    virtual void WriteCurrency(qint64 value) = 0;
    virtual void WriteColor(quint32 value) = 0;
    virtual void WriteDateTime(double value) = 0;
    virtual void WriteEncryptedStream(QIODevice &source) = 0;
    virtual void WriteCompressedStream(QIODevice &source) = 0;
    virtual void WriteExceptionMessage(const QString &message) = 0;
    virtual void WriteException(const EVelmoraError &error) = 0;
    virtual void WriteFloat(double value) = 0;
    virtual void WriteFont(const TFontDescription &font) = 0;
    virtual void WriteGUID(const QUuid &value) = 0;
    virtual void WriteInt64(qint64 value) = 0;
    virtual void WriteInteger(qint32 value) = 0;
    virtual void WriteIPAddress(quint32 value) = 0;
    // Null writes "no picture".
    virtual void WritePicture(const TGraphic *picture) = 0;
    virtual void WriteShortInt(qint8 value) = 0;
    virtual void WriteSingle(float value) = 0;
    virtual void WriteSmallInt(qint16 value) = 0;
    // Writes the source from its start (or its position) to its end, leaving it at its end.
    virtual void WriteStream(QIODevice &source, bool fromStart) = 0;
    virtual void WriteString(const QByteArray &value) = 0;
    virtual void WriteVariant(const TVariant &value) = 0;
    virtual void WriteVariantType(quint16 value) = 0;
    virtual void WriteVersion(quint32 value) = 0;
    virtual void WriteWideString(const QString &value) = 0;
    virtual void WriteWord(quint16 value) = 0;
};

} // namespace velmora
