#pragma once

// Project files in memory, for tests and the fuzz target.
#include "core/document/Document.h"

#include <QBuffer>

namespace velmora::test {

inline QByteArray SaveToBytes(TDocument &document)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    document.SaveProjectFile(buffer);
    return data;
}

inline void LoadFromBytes(TDocument &document, QByteArray data)
{
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    document.LoadProjectFile(buffer);
}

} // namespace velmora::test
