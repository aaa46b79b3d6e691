#include "core/typedfiler/TypedFiler.h"

#include "core/typedfiler/DeviceIo.h"
#include "core/typedfiler/ExtendedFloat.h"

#include <QBuffer>
#include <QFileDevice>
#include <QtEndian>

#include <bit>
#include <cstring>

namespace velmora {

namespace {

[[noreturn]] void Fail(const char *message)
{
    throw ETypedFilerError(QString::fromLatin1(message));
}

} // namespace

TTypedFiler::TTypedFiler(QIODevice *device) : m_device(device)
{
    if (!device)
        Fail(TypedFilerMessages::NullStream);
}

void TTypedFiler::ReadTag(TTypeTag expected)
{
    if (m_device->pos() >= m_device->size())
        Fail(TypedFilerMessages::EndOfStream);
    ConsumeTag(expected);
}

void TTypedFiler::ConsumeTag(TTypeTag expected)
{
    quint8 found = 0;
    ReadPayload(&found, 1);
    if (found != static_cast<quint8>(expected)) {
        throw ETypedFilerError(
            QString::fromLatin1(TypedFilerMessages::TypeMismatch).arg(TypeName(found), TypeName(expected)));
    }
}

void TTypedFiler::ReadPayload(void *data, qint64 size)
{
    DeviceIo::ReadExact(*m_device, static_cast<char *>(data), size);
}

void TTypedFiler::WriteTag(TTypeTag tag)
{
    const auto byte = static_cast<quint8>(tag);
    WritePayload(&byte, 1);
}

void TTypedFiler::WritePayload(const void *data, qint64 size)
{
    DeviceIo::WriteAll(*m_device, static_cast<const char *>(data), size);
}

template <typename T>
T TTypedFiler::ReadScalar(TTypeTag expected)
{
    ReadTag(expected);
    T value;
    ReadPayload(&value, sizeof(T));
    return qFromLittleEndian(value);
}

template <typename T>
void TTypedFiler::WriteScalar(TTypeTag tag, T value)
{
    WriteTag(tag);
    const T stored = qToLittleEndian(value);
    WritePayload(&stored, sizeof(T));
}

void TTypedFiler::Clear()
{
    // QIODevice itself cannot truncate; the devices a filer lies over can.
    if (auto *buffer = qobject_cast<QBuffer *>(m_device)) {
        buffer->buffer().clear();
        buffer->seek(0);
        return;
    }
    auto *file = qobject_cast<QFileDevice *>(m_device);
    if (!file || !file->resize(0) || !file->seek(0))
        Fail(TypedFilerMessages::WriteError);
}

qint64 TTypedFiler::SeekToEnd()
{
    m_device->seek(m_device->size());
    return m_device->pos();
}

qint64 TTypedFiler::SeekToStart()
{
    m_device->seek(0);
    return m_device->pos();
}

quint8 TTypedFiler::PeekType()
{
    if (m_device->pos() >= m_device->size())
        return static_cast<quint8>(TTypeTag::Empty);
    char byte = 0;
    if (m_device->peek(&byte, 1) != 1)
        Fail(TypedFilerMessages::ReadError);
    return static_cast<quint8>(byte);
}

void TTypedFiler::ReadBytes(qint32 count, QByteArray &bytes)
{
    // A negative count asks for nothing.
    const qsizetype wanted = std::max<qint32>(count, 0);
    const qsizetype held = bytes.size();
    bytes.resize(wanted);
    if (wanted > held)
        std::memset(bytes.data() + held, 0, static_cast<size_t>(wanted - held));
    // A short read is no error here: unread bytes keep their value.
    qint64 done = 0;
    while (done < wanted) {
        const qint64 got = m_device->read(bytes.data() + done, wanted - done);
        if (got <= 0)
            break;
        done += got;
    }
}

void TTypedFiler::WriteBytes(const QByteArray &bytes)
{
    WritePayload(bytes.constData(), bytes.size());
}

bool TTypedFiler::ReadBoolean() { return ReadScalar<quint8>(TTypeTag::Boolean) != 0; }
quint8 TTypedFiler::ReadByte() { return ReadScalar<quint8>(TTypeTag::Byte); }
quint32 TTypedFiler::ReadCardinal() { return ReadScalar<quint32>(TTypeTag::Cardinal); }
qint64 TTypedFiler::ReadCurrency() { return ReadScalar<qint64>(TTypeTag::Currency); }
quint32 TTypedFiler::ReadColor() { return ReadScalar<quint32>(TTypeTag::Color); }
qint64 TTypedFiler::ReadInt64() { return ReadScalar<qint64>(TTypeTag::Int64); }
qint32 TTypedFiler::ReadInteger() { return ReadScalar<qint32>(TTypeTag::Integer); }
quint32 TTypedFiler::ReadIPAddress() { return ReadScalar<quint32>(TTypeTag::IPAddress); }
qint8 TTypedFiler::ReadShortInt() { return ReadScalar<qint8>(TTypeTag::ShortInt); }
qint16 TTypedFiler::ReadSmallInt() { return ReadScalar<qint16>(TTypeTag::SmallInt); }
quint16 TTypedFiler::ReadVariantType() { return ReadScalar<quint16>(TTypeTag::VariantType); }
quint32 TTypedFiler::ReadVersion() { return ReadScalar<quint32>(TTypeTag::Version); }
quint16 TTypedFiler::ReadWord() { return ReadScalar<quint16>(TTypeTag::Word); }

double TTypedFiler::ReadDateTime()
{
    return std::bit_cast<double>(ReadScalar<quint64>(TTypeTag::DateTime));
}

float TTypedFiler::ReadSingle()
{
    return std::bit_cast<float>(ReadScalar<quint32>(TTypeTag::Single));
}

double TTypedFiler::ReadFloat()
{
    ReadTag(TTypeTag::Float);
    TExtendedBytes bytes;
    ReadPayload(bytes.data(), qint64(bytes.size()));
    return ExtendedToDouble(bytes);
}

QUuid TTypedFiler::ReadGUID()
{
    ReadTag(TTypeTag::GUID);
    uchar bytes[16];
    ReadPayload(bytes, sizeof bytes);
    return QUuid(qFromLittleEndian<quint32>(bytes), qFromLittleEndian<quint16>(bytes + 4),
                 qFromLittleEndian<quint16>(bytes + 6), bytes[8], bytes[9], bytes[10], bytes[11], bytes[12],
                 bytes[13], bytes[14], bytes[15]);
}

void TTypedFiler::WriteBoolean(bool value) { WriteScalar<quint8>(TTypeTag::Boolean, value ? 1 : 0); }
void TTypedFiler::WriteByte(quint8 value) { WriteScalar(TTypeTag::Byte, value); }
void TTypedFiler::WriteCardinal(quint32 value) { WriteScalar(TTypeTag::Cardinal, value); }
void TTypedFiler::WriteCurrency(qint64 value) { WriteScalar(TTypeTag::Currency, value); }
void TTypedFiler::WriteColor(quint32 value) { WriteScalar(TTypeTag::Color, value); }
void TTypedFiler::WriteInt64(qint64 value) { WriteScalar(TTypeTag::Int64, value); }
void TTypedFiler::WriteInteger(qint32 value) { WriteScalar(TTypeTag::Integer, value); }
void TTypedFiler::WriteIPAddress(quint32 value) { WriteScalar(TTypeTag::IPAddress, value); }
void TTypedFiler::WriteShortInt(qint8 value) { WriteScalar(TTypeTag::ShortInt, value); }
void TTypedFiler::WriteSmallInt(qint16 value) { WriteScalar(TTypeTag::SmallInt, value); }
void TTypedFiler::WriteVariantType(quint16 value) { WriteScalar(TTypeTag::VariantType, value); }
void TTypedFiler::WriteVersion(quint32 value) { WriteScalar(TTypeTag::Version, value); }
void TTypedFiler::WriteWord(quint16 value) { WriteScalar(TTypeTag::Word, value); }

void TTypedFiler::WriteDateTime(double value)
{
    WriteScalar(TTypeTag::DateTime, std::bit_cast<quint64>(value));
}

void TTypedFiler::WriteSingle(float value)
{
    WriteScalar(TTypeTag::Single, std::bit_cast<quint32>(value));
}

void TTypedFiler::WriteFloat(double value)
{
    WriteTag(TTypeTag::Float);
    const TExtendedBytes bytes = DoubleToExtended(value);
    WritePayload(bytes.data(), qint64(bytes.size()));
}

void TTypedFiler::WriteGUID(const QUuid &value)
{
    uchar bytes[16];
    qToLittleEndian(value.data1, bytes);
    qToLittleEndian(value.data2, bytes + 4);
    qToLittleEndian(value.data3, bytes + 6);
    std::memcpy(bytes + 8, value.data4, 8);
    WriteTag(TTypeTag::GUID);
    WritePayload(bytes, sizeof bytes);
}

} // namespace velmora
