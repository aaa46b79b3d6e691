#pragma once

#include "core/typedfiler/TypedFiler.h"

#include <QBuffer>
#include <functional>

namespace velmora::test {

// Bytes from spaced hex text ("0E FE FF").
inline QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A filer over an in-memory buffer that starts with the given bytes at position 0.
struct TBufferFiler
{
    explicit TBufferFiler(const QByteArray &initial = {})
    {
        Buffer.setData(initial);
        Buffer.open(QIODevice::ReadWrite);
    }
    QByteArray Bytes() const { return Buffer.data(); }

    QBuffer Buffer;
    TTypedFiler Filer{&Buffer};
};

// The message of the filer error the action raises, or "<no error>".
inline QString MessageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ETypedFilerError &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace velmora::test
