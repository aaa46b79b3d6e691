#include "core/export/FrameSink.h"

#include <QStringList>
#include <numeric>

namespace velmora {

bool ParseFrameRate(const QString &text, TFrameRate &rate)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() > 2)
        return false;
    bool numOk = false;
    bool denOk = true;
    const int num = parts[0].toInt(&numOk);
    const int den = parts.size() == 2 ? parts[1].toInt(&denOk) : 1;
    if (!numOk || !denOk || num <= 0 || den <= 0 || num / den > 1000)
        return false;
    const int common = std::gcd(num, den);
    rate = {num / common, den / common};
    return true;
}

} // namespace velmora
