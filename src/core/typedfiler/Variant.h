#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <variant>
#include <vector>

namespace velmora {

// Kind codes of variant values: bits 0 to 11 the kind, then the array and reference flags.
namespace VariantKind {
inline constexpr quint16 Empty = 0;
inline constexpr quint16 Null = 1;
inline constexpr quint16 SmallInt = 2;
inline constexpr quint16 Integer = 3;
inline constexpr quint16 Single = 4;
inline constexpr quint16 Double = 5;
inline constexpr quint16 Currency = 6;
inline constexpr quint16 Date = 7;
inline constexpr quint16 WideString = 8;
inline constexpr quint16 Dispatch = 9;
inline constexpr quint16 Boolean = 11;
inline constexpr quint16 Variant = 12;
inline constexpr quint16 ShortInt = 16;
inline constexpr quint16 Byte = 17;
inline constexpr quint16 Word = 18;
inline constexpr quint16 LongWord = 19;
inline constexpr quint16 Int64 = 20;
inline constexpr quint16 String = 0x100;
inline constexpr quint16 TypeMask = 0x0FFF;
inline constexpr quint16 Array = 0x2000;
inline constexpr quint16 ByRef = 0x4000;
} // namespace VariantKind

class TVariant;

// Low and high index of one array dimension, both inclusive.
struct TVariantBounds
{
    qint32 Low = 0;
    qint32 High = -1;
    bool operator==(const TVariantBounds &) const = default;
};

// A variant array: element kind, bounds per dimension, and the elements with the last
// dimension varying fastest.
class TVariantArray
{
public:
    TVariantArray(quint16 elementKind, QList<TVariantBounds> bounds);

    // Elements a set of bounds describes, saturating at the largest qint64.
    static qint64 ElementCount(const QList<TVariantBounds> &bounds);

    quint16 ElementKind() const { return m_elementKind; }
    const QList<TVariantBounds> &Bounds() const { return m_bounds; }
    std::vector<TVariant> &Elements() { return m_elements; }
    const std::vector<TVariant> &Elements() const { return m_elements; }
    // The element at one index per dimension, each within its bounds.
    TVariant &At(const QList<qint32> &index);

    bool operator==(const TVariantArray &) const;

private:
    quint16 m_elementKind;
    QList<TVariantBounds> m_bounds;
    std::vector<TVariant> m_elements;
};

// A self-describing value: a kind code and a value of that kind.
class TVariant
{
public:
    TVariant() = default; // empty
    static TVariant Null();
    // SmallInt, Integer, ShortInt, Byte, Word, LongWord or Int64.
    static TVariant FromInteger(quint16 kind, qint64 value);
    // Single, Double or Date.
    static TVariant FromReal(quint16 kind, double value);
    // The amount times 10000.
    static TVariant FromCurrency(qint64 raw);
    static TVariant FromBoolean(bool value);
    static TVariant FromWideString(QString value);
    static TVariant FromString(QByteArray value);
    static TVariant FromArray(TVariantArray array);
    // Any kind outside the built-in table: a custom kind or a value known only by its text.
    static TVariant FromCustom(quint16 kind, QVariant value);

    quint16 Kind() const { return m_kind; }
    bool IsArray() const { return (m_kind & VariantKind::Array) != 0; }
    qint64 ToInt64() const;
    double ToDouble() const;
    bool ToBoolean() const;
    QString ToWideString() const;
    QByteArray ToString() const;
    const TVariantArray &ToArray() const;
    TVariantArray &ToArray();
    QVariant ToCustom() const;

    bool operator==(const TVariant &other) const;

private:
    using TStorage = std::variant<std::monostate, qint64, double, bool, QString, QByteArray, TVariantArray, QVariant>;
    TVariant(quint16 kind, TStorage value) : m_kind(kind), m_value(std::move(value)) {}

    quint16 m_kind = VariantKind::Empty;
    TStorage m_value;
};

} // namespace velmora
