#pragma once

#include <QFont>
#include <QList>
#include <QString>

namespace velmora {

// The characters of text that neither font nor any font the system falls back to can draw
// (they come out as empty boxes), each once, in the order they first appear. Spaces, line
// breaks and invisible format characters are never counted.
QList<char32_t> MissingCharacters(const QString &text, const QFont &font);

// Whether a character leaves ink: spaces, line breaks and invisible format characters do not,
// whatever glyph a font gives them.
bool DrawsInk(char32_t character);

// "U+F8FF, U+10FFFD": code points as people look them up.
QString CodePointList(const QList<char32_t> &characters);

} // namespace velmora
