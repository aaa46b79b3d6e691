#pragma once

#include <QString>
#include <QtGlobal>

namespace velmora {

// One-byte tag written before every value of the typed value stream.
enum class TTypeTag : quint8 {
    Empty = 0,
    Cardinal = 1,
    SmallInt = 2,
    String = 3,
    Color = 4,
    GUID = 5,
    Widestring = 6,
    Boolean = 7,
    Float = 8,
    Single = 9,
    Currency = 10,
    DateTime = 11,
    Variant = 12,
    Word = 13,
    Integer = 14,
    Exception = 15,
    Stream = 16,
    Int64 = 17,
    IPAddress = 18,
    Version = 19,
    EncryptedStream = 20,
    VariantType = 21,
    ShortInt = 22,
    Byte = 23,
    Font = 24,
    Picture = 25,
    CompressedStream = 26,
};

// Name of a tag as error messages show it; unknown bytes give "Unknow Type : $<hex>".
QString TypeName(quint8 tag);

inline QString TypeName(TTypeTag tag) { return TypeName(static_cast<quint8>(tag)); }

} // namespace velmora
