#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// What a broadcaster or distributor asks of a credit roll: the safe areas, the smallest
// letters, how long a line must stay readable, black before and after, and how long end
// credits may run for a programme of a given length.
struct TDeliveryProfile
{
    QString Name;
    int TitleSafePercent = 90;
    int ActionSafePercent = 93;
    double MinimumLinesAt1080 = 20.0;  // letter height, as preflight measures it
    double MinimumSecondsOnScreen = 5.0;
    double HeadBlackSeconds = 0.0;     // black before the first credit enters; 0: not checked
    double TailBlackSeconds = 0.0;     // black after the last one leaves; 0: not checked
    struct TCreditLimit
    {
        int ProgrammeMinutes = 0; // for programmes up to this long
        int CreditSeconds = 0;    // the end credits may run this long
    };
    std::vector<TCreditLimit> CreditLimits; // by programme length, shortest first
};

// The names of the built-in profiles, the default first.
QStringList BuiltInProfileNames();

// A built-in profile by name, or a user's profile from a JSON file; throws EVelmoraError
// saying what is wrong (an unknown name lists the known ones).
TDeliveryProfile LoadDeliveryProfile(const QString &nameOrFile);

} // namespace velmora
