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

class IProject;

// The rate a project's video runs at: its whole rate, or the NTSC fraction of it (24000/1001
// for 24) when the project says so and the rate has one.
TFrameRate ProjectFrameRate(const IProject &project);
// Whether a whole rate has an NTSC form (24, 30, 48, 60, 120).
bool HasNtscForm(int wholeRate);
// Whether frames at rate are labelled drop-frame: 30000/1001 and 60000/1001.
bool DropFrameRate(const TFrameRate &rate);
// "29.97" for 30000/1001, "24" for 24/1: the rate as people write it.
QString RateText(const TFrameRate &rate);

// Parses "N" or "N/D" with positive whole numbers, or a decimal ("25.0", "12.5"), where
// "23.976", "29.97", "59.94" and the like are the NTSC rates N*1000/1001; false otherwise.
bool ParseFrameRate(const QString &text, TFrameRate &rate);

} // namespace velmora
