#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// Narrows text to the 8-bit system code page; characters it lacks become "?".
QByteArray ToSystemCodePage(const QString &text);

// Widens 8-bit system code page text.
QString FromSystemCodePage(const QByteArray &text);

} // namespace velmora
