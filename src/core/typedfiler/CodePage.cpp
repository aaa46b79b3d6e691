#include "core/typedfiler/CodePage.h"

namespace velmora {

// Latin-1 stands in for the system code page here.
QByteArray ToSystemCodePage(const QString &text)
{
    return text.toLatin1();
}

QString FromSystemCodePage(const QByteArray &text)
{
    return QString::fromLatin1(text);
}

} // namespace velmora
