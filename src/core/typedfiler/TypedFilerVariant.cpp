// Variants: a kind code, then a body that depends on the kind.
#include "core/typedfiler/TypedFiler.h"

#include "core/typedfiler/CodePage.h"
#include "core/typedfiler/CustomVariantKinds.h"
#include "core/typedfiler/DeviceIo.h"

#include <QBuffer>

namespace velmora {

namespace {

// The smallest complete variant: its tag and a complete Variant Type value.
constexpr qint64 MinVariantSize = 4;

} // namespace

void TTypedFiler::ReadVariant(TVariant &value)
{
    ReadVariantAt(value, 0);
}

void TTypedFiler::ReadVariantAt(TVariant &value, int arrayDepth)
{
    value = TVariant();
    ReadTag(TTypeTag::Variant);
    const quint16 kind = ReadVariantType();
    // Only the array flag announces an array body; a reference flag alone stands before the
    // body of the value it referred to.
    if ((kind & VariantKind::Array) != 0) {
        value = ReadVariantArray(kind, arrayDepth + 1);
        return;
    }
    namespace K = VariantKind;
    switch (const quint16 base = kind & K::TypeMask) {
    case K::Empty:
        return;
    case K::Null:
        value = TVariant::Null();
        return;
    case K::SmallInt:
        value = TVariant::FromInteger(base, ReadSmallInt());
        return;
    case K::Integer:
        value = TVariant::FromInteger(base, ReadInteger());
        return;
    case K::Single:
        value = TVariant::FromReal(K::Double, ReadSingle());
        return;
    case K::Double:
        value = TVariant::FromReal(K::Double, ReadFloat());
        return;
    case K::Currency:
        value = TVariant::FromCurrency(ReadCurrency());
        return;
    case K::Date:
        value = TVariant::FromReal(base, ReadDateTime());
        return;
    case K::WideString:
        value = TVariant::FromWideString(ReadWideString());
        return;
    case K::Boolean:
        value = TVariant::FromBoolean(ReadBoolean());
        return;
    case K::ShortInt:
        value = TVariant::FromInteger(base, ReadShortInt());
        return;
    case K::Byte:
        value = TVariant::FromInteger(base, ReadByte());
        return;
    case K::Word:
        value = TVariant::FromInteger(base, ReadWord());
        return;
    case K::LongWord:
    case K::Int64:
        value = TVariant::FromInteger(K::Int64, ReadInt64());
        return;
    case K::String:
        value = TVariant::FromString(ReadString());
        return;
    default:
        break;
    }

    const QString name = FromSystemCodePage(ReadString());
    QBuffer stored;
    stored.open(QIODevice::ReadWrite);
    ReadStream(stored);
    const auto custom = FindCustomVariantKind(name);
    const auto *streamable = dynamic_cast<const IVariantStreamable *>(custom.get());
    if (!streamable)
        throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::CustomVariantUnknown).arg(name));
    stored.seek(0);
    value = TVariant::FromCustom(custom->Code(), streamable->LoadValue(stored));
}

TVariant TTypedFiler::ReadVariantArray(quint16 kind, int arrayDepth)
{
    if (arrayDepth > MaxVariantArrayDepth) {
        throw ETypedFilerError(
            QString::fromLatin1(TypedFilerMessages::VariantTooDeep).arg(MaxVariantArrayDepth));
    }
    const qint32 dimensions = ReadInteger();
    if (dimensions < 0 || dimensions > MaxVariantArrayDimensions)
        throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::VariantBadDimensions).arg(dimensions));
    QList<TVariantBounds> bounds;
    for (qint32 i = 0; i < dimensions; ++i) {
        const qint32 low = ReadInteger();
        const qint32 high = ReadInteger();
        bounds.append({low, high});
    }
    // Bounds that promise more elements than the rest of the stream can hold are damage.
    if (TVariantArray::ElementCount(bounds) > DeviceIo::Remaining(*m_device) / MinVariantSize)
        DeviceIo::FailShortRead(*m_device);

    TVariantArray array(kind, std::move(bounds));
    for (TVariant &element : array.Elements())
        ReadVariantAt(element, arrayDepth);
    return TVariant::FromArray(std::move(array));
}

void TTypedFiler::WriteVariant(const TVariant &value)
{
    WriteTag(TTypeTag::Variant);
    WriteVariantType(value.Kind());
    WriteVariantBody(value);
}

void TTypedFiler::WriteVariantBody(const TVariant &value)
{
    if (value.IsArray()) {
        const TVariantArray &array = value.ToArray();
        WriteInteger(static_cast<qint32>(array.Bounds().size()));
        for (const TVariantBounds &dimension : array.Bounds()) {
            WriteInteger(dimension.Low);
            WriteInteger(dimension.High);
        }
        for (const TVariant &element : array.Elements())
            WriteVariant(element);
        return;
    }
    namespace K = VariantKind;
    switch (value.Kind() & K::TypeMask) {
    case K::Empty:
    case K::Null:
        return;
    case K::SmallInt:
        WriteSmallInt(static_cast<qint16>(value.ToInt64()));
        return;
    case K::Integer:
        WriteInteger(static_cast<qint32>(value.ToInt64()));
        return;
    case K::Single:
        WriteSingle(static_cast<float>(value.ToDouble()));
        return;
    case K::Double:
        WriteFloat(value.ToDouble());
        return;
    case K::Currency:
        WriteCurrency(value.ToInt64());
        return;
    case K::Date:
        WriteDateTime(value.ToDouble());
        return;
    case K::WideString:
        WriteWideString(value.ToWideString());
        return;
    case K::Boolean:
        WriteBoolean(value.ToBoolean());
        return;
    case K::ShortInt:
        WriteShortInt(static_cast<qint8>(value.ToInt64()));
        return;
    case K::Byte:
        WriteByte(static_cast<quint8>(value.ToInt64()));
        return;
    case K::Word:
        WriteWord(static_cast<quint16>(value.ToInt64()));
        return;
    case K::LongWord:
        WriteInt64(static_cast<quint32>(value.ToInt64()));
        return;
    case K::Int64:
        WriteInt64(value.ToInt64());
        return;
    case K::String:
        WriteString(value.ToString());
        return;
    default:
        break;
    }

    const auto custom = FindCustomVariantKind(value.Kind());
    if (const auto *streamable = dynamic_cast<const IVariantStreamable *>(custom.get())) {
        QBuffer stored;
        stored.open(QIODevice::ReadWrite);
        streamable->SaveValue(value.ToCustom(), stored);
        WriteString(ToSystemCodePage(custom->Name()));
        WriteStream(stored, true);
        return;
    }
    const QString text = custom ? custom->ToText(value.ToCustom()) : value.ToCustom().toString();
    WriteString(ToSystemCodePage(text));
}

} // namespace velmora
