#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace velmora {

// A font name read as a family plus an optional face suffix ("Liberation Sans Bold Italic").
struct TFontFace
{
    QString Family;
    int Weight = QFont::Normal;
    bool Italic = false;
    bool Known = false; // the family exists (or is an alias the font system resolves)
};

// Splits a stored font name into family and face. A name that is itself a family keeps its
// regular face; otherwise up to three trailing style words (Bold, Italic, Light, ...) are read
// as the face when what precedes them is a known family.
TFontFace ResolveFontFace(const QString &fontName);

// The font a text element draws with: the resolved face at pixelSize.
QFont FontForName(const QString &fontName, int pixelSize);

// The faces the editor offers: every family, then "Family Style" for each of its other styles.
QStringList FontFaceNames();

} // namespace velmora
