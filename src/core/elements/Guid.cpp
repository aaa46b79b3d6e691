#include "core/elements/Guid.h"

namespace velmora {

QString TGuid::ToString() const
{
    auto hex = [](unsigned value, int digits) { return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper(); };
    QString text = QLatin1Char('{') + hex(Data1, 8) + QLatin1Char('-') + hex(Data2, 4) + QLatin1Char('-') + hex(Data3, 4)
        + QLatin1Char('-') + hex(Data4[0], 2) + hex(Data4[1], 2) + QLatin1Char('-');
    for (int i = 2; i < 8; ++i)
        text += hex(Data4[i], 2);
    return text + QLatin1Char('}');
}

} // namespace velmora
