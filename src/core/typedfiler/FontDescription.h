#pragma once

#include <QString>
#include <QtGlobal>

namespace velmora {

// A font as the typed value stream stores it: family name, size in points, colour and styles.
struct TFontDescription
{
    QString Name;
    qint32 Size = 0;
    qint32 Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool operator==(const TFontDescription &) const = default;
};

} // namespace velmora
