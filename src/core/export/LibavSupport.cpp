#include "core/export/LibavSupport.h"

#include "core/export/ExportError.h"

namespace velmora {

QString AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, text, sizeof text) < 0)
        return QStringLiteral("error %1").arg(code);
    return QString::fromLocal8Bit(text);
}

int CheckAv(int code, const QString &what)
{
    if (code < 0)
        throw EExportError(QStringLiteral("%1: %2").arg(what, AvErrorText(code)));
    return code;
}

} // namespace velmora
