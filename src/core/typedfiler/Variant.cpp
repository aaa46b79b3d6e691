#include "core/typedfiler/Variant.h"

#include "core/typedfiler/CodePage.h"

#include <cstring>
#include <limits>

namespace velmora {

TVariantArray::TVariantArray(quint16 elementKind, QList<TVariantBounds> bounds)
    : m_elementKind(static_cast<quint16>(elementKind & VariantKind::TypeMask)), m_bounds(std::move(bounds))
{
    m_elements.resize(static_cast<size_t>(ElementCount(m_bounds)));
}

qint64 TVariantArray::ElementCount(const QList<TVariantBounds> &bounds)
{
    if (bounds.isEmpty())
        return 0;
    qint64 count = 1;
    for (const auto &dimension : bounds) {
        const qint64 length = qint64(dimension.High) - dimension.Low + 1;
        if (length <= 0)
            return 0;
        if (count > std::numeric_limits<qint64>::max() / length)
            count = std::numeric_limits<qint64>::max();
        else
            count *= length;
    }
    return count;
}

TVariant &TVariantArray::At(const QList<qint32> &index)
{
    Q_ASSERT(index.size() == m_bounds.size());
    qint64 offset = 0;
    for (qsizetype i = 0; i < m_bounds.size(); ++i) {
        const auto &dimension = m_bounds[i];
        Q_ASSERT(index[i] >= dimension.Low && index[i] <= dimension.High);
        offset = offset * (qint64(dimension.High) - dimension.Low + 1) + (index[i] - dimension.Low);
    }
    return m_elements.at(static_cast<size_t>(offset));
}

bool TVariantArray::operator==(const TVariantArray &other) const
{
    return m_elementKind == other.m_elementKind && m_bounds == other.m_bounds && m_elements == other.m_elements;
}

TVariant TVariant::Null() { return TVariant(VariantKind::Null, std::monostate{}); }

TVariant TVariant::FromInteger(quint16 kind, qint64 value) { return TVariant(kind, value); }

TVariant TVariant::FromReal(quint16 kind, double value) { return TVariant(kind, value); }

TVariant TVariant::FromCurrency(qint64 raw) { return TVariant(VariantKind::Currency, raw); }

TVariant TVariant::FromBoolean(bool value) { return TVariant(VariantKind::Boolean, value); }

TVariant TVariant::FromWideString(QString value) { return TVariant(VariantKind::WideString, std::move(value)); }

TVariant TVariant::FromString(QByteArray value) { return TVariant(VariantKind::String, std::move(value)); }

TVariant TVariant::FromArray(TVariantArray array)
{
    const auto kind = static_cast<quint16>(VariantKind::Array | array.ElementKind());
    return TVariant(kind, std::move(array));
}

TVariant TVariant::FromCustom(quint16 kind, QVariant value) { return TVariant(kind, std::move(value)); }

qint64 TVariant::ToInt64() const
{
    if (const auto *value = std::get_if<qint64>(&m_value))
        return *value;
    if (const auto *value = std::get_if<bool>(&m_value))
        return *value ? 1 : 0;
    if (const auto *value = std::get_if<double>(&m_value))
        return static_cast<qint64>(*value);
    return 0;
}

double TVariant::ToDouble() const
{
    if (const auto *value = std::get_if<double>(&m_value))
        return *value;
    return static_cast<double>(ToInt64());
}

bool TVariant::ToBoolean() const { return ToInt64() != 0; }

QString TVariant::ToWideString() const
{
    if (const auto *value = std::get_if<QString>(&m_value))
        return *value;
    if (const auto *value = std::get_if<QByteArray>(&m_value))
        return FromSystemCodePage(*value);
    return {};
}

QByteArray TVariant::ToString() const
{
    if (const auto *value = std::get_if<QByteArray>(&m_value))
        return *value;
    return {};
}

const TVariantArray &TVariant::ToArray() const { return std::get<TVariantArray>(m_value); }

TVariantArray &TVariant::ToArray() { return std::get<TVariantArray>(m_value); }

QVariant TVariant::ToCustom() const
{
    if (const auto *value = std::get_if<QVariant>(&m_value))
        return *value;
    return {};
}

bool TVariant::operator==(const TVariant &other) const
{
    if (m_kind != other.m_kind || m_value.index() != other.m_value.index())
        return false;
    // Bitwise for reals so that -0.0 and NaN payloads compare as stored.
    if (const auto *value = std::get_if<double>(&m_value))
        return std::memcmp(value, &std::get<double>(other.m_value), sizeof(double)) == 0;
    return m_value == other.m_value;
}

} // namespace velmora
