#include "core/render/FrameRate.h"

#include "core/elements/Interfaces.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace velmora {

namespace {

// "23.976", "29.97", "59.94": the NTSC rates N*1000/1001 as people write them; any other
// decimal ("12.5") is the exact fraction it spells.
bool ParseDecimalRate(const QString &text, TFrameRate &rate)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,4})\\.(\\d{1,6})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    const QString fraction = match.captured(2);
    const int den = int(std::pow(10, fraction.size()));
    const qint64 num = qint64(match.captured(1).toInt()) * den + fraction.toInt();
    const double value = double(num) / den;
    const qint64 ntsc = std::llround(value * 1.001);
    // Written to two or three decimals, an NTSC rate is within 0.005 of N*1000/1001.
    if (num % den != 0 && ntsc > 0 && std::abs(ntsc * 1000.0 / 1001.0 - value) < 0.005) {
        const int common = std::gcd(int(ntsc * 1000), 1001);
        rate = {int(ntsc * 1000 / common), 1001 / common};
        return true;
    }
    const qint64 common = std::gcd(num, qint64(den));
    if (num == 0)
        return false;
    rate = {int(num / common), int(den / common)};
    return true;
}

} // namespace

bool ParseFrameRate(const QString &text, TFrameRate &rate)
{
    if (text.contains(QLatin1Char('.'))) {
        TFrameRate decimal;
        if (!ParseDecimalRate(text.trimmed(), decimal) || decimal.Num / decimal.Den > 1000)
            return false;
        rate = decimal;
        return true;
    }
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

bool HasNtscForm(int wholeRate)
{
    return wholeRate == 24 || wholeRate == 30 || wholeRate == 48 || wholeRate == 60 || wholeRate == 120;
}

TFrameRate ProjectFrameRate(const IProject &project)
{
    const int whole = std::max(1, project.GetFrameRate());
    if (project.GetNtscRate() && HasNtscForm(whole))
        return {whole * 1000, 1001};
    return {whole, 1};
}

bool DropFrameRate(const TFrameRate &rate)
{
    return rate.Den == 1001 && (rate.Num == 30000 || rate.Num == 60000);
}

QString RateText(const TFrameRate &rate)
{
    if (rate.Den == 1)
        return QString::number(rate.Num);
    // Two decimals say the NTSC rates as people know them (29.97, 59.94); 23.976 needs three.
    QString text = QString::number(rate.Value(), 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text.endsWith(QLatin1Char('.')) ? text.chopped(1) : text;
}

} // namespace velmora
