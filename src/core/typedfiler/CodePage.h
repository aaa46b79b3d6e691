#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// 8-bit strings in project files use the Windows-1252 code page. These two functions are
// the only place where text crosses between that code page and Unicode.

// Narrows text to Windows-1252; every character it cannot represent becomes "?".
QByteArray ToSystemCodePage(const QString &text);

// Widens Windows-1252 bytes to Unicode; every byte has a character.
QString FromSystemCodePage(const QByteArray &bytes);

} // namespace velmora
