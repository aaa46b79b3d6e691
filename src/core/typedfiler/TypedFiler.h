#pragma once

#include "core/typedfiler/ITypedFiler.h"
#include "core/typedfiler/TypeTags.h"
#include "core/typedfiler/TypedFilerError.h"

namespace velmora {

// The typed value stream over a seekable device. It keeps nothing but the device pointer:
// every call works at the device's position, so filers over one device never interfere.
// The device is not owned and must outlive the filer's use.
class TTypedFiler final : public ITypedFiler
{
public:
    // Deepest nesting of variant arrays a read accepts.
    static constexpr int MaxVariantArrayDepth = 16;
    // Most dimensions a variant array read accepts.
    static constexpr qint32 MaxVariantArrayDimensions = 64;

    // Fails with "TTypedFiler cannot be assigned to a null stream" when device is null.
    explicit TTypedFiler(QIODevice *device);

    QIODevice &Device() const { return *m_device; }

    void Clear() override;
    qint64 SeekToEnd() override;
    qint64 SeekToStart() override;
    bool ReadBoolean() override;
    quint8 ReadByte() override;
    quint32 ReadCardinal() override;
    qint64 ReadCurrency() override;
    quint32 ReadColor() override;
    double ReadDateTime() override;
    void ReadEncryptedStream(QIODevice &destination) override;
    void ReadCompressedStream(QIODevice &destination) override;
    EVelmoraError ReadException() override;
    double ReadFloat() override;
    void ReadFont(TFontDescription &font) override;
    QUuid ReadGUID() override;
    qint64 ReadInt64() override;
    qint32 ReadInteger() override;
    quint32 ReadIPAddress() override;
    quint8 PeekType() override;
    std::unique_ptr<TGraphic> ReadPicture() override;
    qint8 ReadShortInt() override;
    float ReadSingle() override;
    qint16 ReadSmallInt() override;
    void ReadStream(QIODevice &destination) override;
    QByteArray ReadString() override;
    void ReadVariant(TVariant &value) override;
    quint16 ReadVariantType() override;
    quint32 ReadVersion() override;
    QString ReadWideString() override;
    quint16 ReadWord() override;
    void ReadBytes(qint32 count, QByteArray &bytes) override;
    void WriteBytes(const QByteArray &bytes) override;
    void WriteBoolean(bool value) override;
    void WriteByte(quint8 value) override;
    void WriteCardinal(quint32 value) override;
    void WriteCurrency(qint64 value) override;
    void WriteColor(quint32 value) override;
    void WriteDateTime(double value) override;
    void WriteEncryptedStream(QIODevice &source) override;
    void WriteCompressedStream(QIODevice &source) override;
    void WriteExceptionMessage(const QString &message) override;
    void WriteException(const EVelmoraError &error) override;
    void WriteFloat(double value) override;
    void WriteFont(const TFontDescription &font) override;
    void WriteGUID(const QUuid &value) override;
    void WriteInt64(qint64 value) override;
    void WriteInteger(qint32 value) override;
    void WriteIPAddress(quint32 value) override;
    void WritePicture(const TGraphic *picture) override;
    void WriteShortInt(qint8 value) override;
    void WriteSingle(float value) override;
    void WriteSmallInt(qint16 value) override;
    void WriteStream(QIODevice &source, bool fromStart) override;
    void WriteString(const QByteArray &value) override;
    void WriteVariant(const TVariant &value) override;
    void WriteVariantType(quint16 value) override;
    void WriteVersion(quint32 value) override;
    void WriteWideString(const QString &value) override;
    void WriteWord(quint16 value) override;

private:
    // End check, tag read and tag check shared by every tagged read.
    void ReadTag(TTypeTag expected);
    // Tag read and check without the end check; the tag is consumed even when it differs.
    void ConsumeTag(TTypeTag expected);
    void ReadPayload(void *data, qint64 size);
    // Reads a tagged fixed-size value of type T.
    template <typename T>
    T ReadScalar(TTypeTag expected);
    void WriteTag(TTypeTag tag);
    void WritePayload(const void *data, qint64 size);
    template <typename T>
    void WriteScalar(TTypeTag tag, T value);

    void ReadVariantAt(TVariant &value, int arrayDepth);
    TVariant ReadVariantArray(quint16 kind, int arrayDepth);
    void WriteVariantBody(const TVariant &value);

    QIODevice *m_device;
};

} // namespace velmora
