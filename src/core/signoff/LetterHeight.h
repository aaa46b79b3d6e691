#pragma once

#include <QString>

class QFont;

namespace velmora {

// How tall a text's letters stand, measured the way its script is read: capital height for
// scripts with capitals, the height of the letters' whole body for scripts without (CJK,
// Arabic, Hebrew, the Indic scripts, Thai ...).
struct TLetterHeight
{
    double Pixels = 0.0;
    QString What; // "capitals" or "letters", as a message names them
};

TLetterHeight MeasureLetterHeight(const QFont &font, const QString &text);

// The family the font system draws for a stored font name: the name's own family when it is
// installed, else the one it is drawn in instead (Arial drawn as Liberation Sans).
QString DrawnFamily(const QString &fontName);

} // namespace velmora
