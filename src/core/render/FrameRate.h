#pragma once

#include <QString>

namespace velmora {

// A frame rate as a fraction: 24000/1001 is NTSC film.
struct TFrameRate
{
    int Num = 25;
    int Den = 1;

    bool Whole() const { return Den == 1; }
    double Value() const { return double(Num) / Den; }
    QString Text() const { return Den == 1 ? QString::number(Num) : QStringLiteral("%1/%2").arg(Num).arg(Den); }
    friend bool operator==(const TFrameRate &, const TFrameRate &) = default;
};

// Parses "N" or "N/D" with positive whole numbers, or a decimal ("25.0", "12.5"), where
// "23.976", "29.97", "59.94" and the like are the NTSC rates N*1000/1001; false otherwise.
bool ParseFrameRate(const QString &text, TFrameRate &rate);

} // namespace velmora
