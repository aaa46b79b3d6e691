#pragma once

#include "core/elements/Alignments.h"
#include "core/elements/ElementTypes.h"

#include <QJsonObject>
#include <QString>
#include <map>

namespace velmora {

enum class TCreditCaps { AsTyped, AllCaps, SmallCaps };

// How the rows of one style look: the text element's font, colour and alignment, the space
// around the element, and for pairs the room between role and name.
struct TCreditStyle
{
    QString FontName;
    int FontSize = 0;           // pixels
    quint32 Color = 0xFFFFFFFFu; // ARGB
    TElementHAlignment HAlign = eaCenter;
    int SpaceBefore = 0; // pixels above the element
    int SpaceAfter = 0;  // pixels below it, added to the next element's top offset
    int Gutter = 0;      // pairs: pixels between the role's end and the name's start
    // Credit blocks lay out with these too; imported elements do not.
    double Leading = 1.0;       // line spacing as a share of the font's line height
    int Tracking = 0;           // pixels added between letters
    TCreditCaps Caps = TCreditCaps::AsTyped;
    int Spine = 50;             // where pairs face each other and name columns centre, percent of the width
    int Measure = 90;           // the width text wraps in, percent of the width (90: title safe)
    int ParagraphSpace = 12;    // pixels between consecutive text rows
    // Fitting to a running time may grow the space before a block of this style up to MaxSpace
    // pixels and shrink it down to MinSpace. Unset (below zero), they are the shares of the
    // space MaxSpacePercent and MinSpacePercent give: the built-in styles let every space move
    // between 75 % and 150 %, gap rows between 50 % and 200 %. A gap row's space is its Size,
    // bounded by the Gap style's.
    int MaxSpace = -1;
    int MinSpace = -1;
    int MinSpacePercent = 100;
    int MaxSpacePercent = 200;
};

// The range an elastic space of base pixels may take for a style's minSpace and maxSpace
// (below zero: unset, and the percentages of base stand in): never narrower than the base itself.
std::pair<double, double> ElasticBounds(double base, int minSpace, int maxSpace, int minPercent = 100, int maxPercent = 200);

// The style with every size multiplied by k (sizes are given for a 1080-line film).
TCreditStyle ScaledCreditStyle(const TCreditStyle &style, double k);

// Named styles, case-insensitive; the built-in ones are always present.
class TCreditStyles
{
public:
    // Heading, Role, Name, Names, Text and Gap in proportion to the film height (designed at 1080).
    explicit TCreditStyles(int filmHeight);

    // Reads {"Name": {field: value, ...}, ...} (optionally under "styles"). A style named like a
    // built-in one changes only the fields it gives; a new one starts from Text. Throws
    // EVelmoraError naming the file, the style and the field.
    void Load(const QJsonObject &json, const QString &fileName);
    void LoadFile(const QString &fileName);

    const TCreditStyle *Find(const QString &name) const;

private:
    std::map<QString, TCreditStyle> m_styles; // keyed by the lower-case name
};

// The styles file that goes with a sheet when none is named: NAME-styles.json beside NAME.csv;
// empty when there is none.
QString StylesBesideSheet(const QString &sheetFileName);

// The bytes of a styles file: a regular file of at most MaxStylesFileBytes, so that a device,
// a pipe or a stray large file is refused at once. Throws EVelmoraError naming the file.
inline constexpr qint64 MaxStylesFileBytes = qint64(4) << 20;
QByteArray ReadStylesFile(const QString &fileName);

// Reads an alignment given as 0/1/2 or by name ("left", "center", "eaRight", "taCenter", ...);
// -1 when it is neither.
int HorizontalAlignmentFromJson(const QJsonValue &value);

} // namespace velmora
