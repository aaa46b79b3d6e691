#include "core/typedfiler/CodePage.h"

#include <QList>

#include <array>

namespace velmora {

namespace {

// Characters of the bytes 0x80 to 0x9F. The five bytes Windows-1252 leaves unassigned map to
// the C1 control with the same number, as the Windows conversion does, so every byte survives.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ByteFor(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == code)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray ToSystemCodePage(const QString &text)
{
    QByteArray result;
    result.reserve(text.size());
    // One "?" per code point: a surrogate pair is one character the code page lacks.
    for (char32_t code : text.toUcs4())
        result.append(ByteFor(code));
    return result;
}

QString FromSystemCodePage(const QByteArray &bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    QChar *out = result.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<quint8>(bytes[i]);
        out[i] = (byte >= 0x80 && byte <= 0x9F) ? QChar(HighControlRange[byte - 0x80]) : QChar(byte);
    }
    return result;
}

} // namespace velmora
