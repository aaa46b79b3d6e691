#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

class TElementNode;

// A text element with characters that no installed font can draw.
struct TMissingGlyphs
{
    const TElementNode *Node = nullptr;
    QString Element;   // the element as the tree shows it (its caption)
    QString FontName;  // the font the element asks for
    QList<char32_t> Characters;
};

// Every text element under root (root included) with characters that draw as empty boxes, in tree order.
std::vector<TMissingGlyphs> FindMissingGlyphs(const TElementNode &root);

// The warning a user reads for one such element.
QString MissingGlyphsWarning(const TMissingGlyphs &missing);

// One warning for each font name that matches no installed family (it draws in a substitute),
// the fonts of credit blocks' last layouts included.
QStringList UnknownFontWarnings(const TElementNode &root);

} // namespace velmora
