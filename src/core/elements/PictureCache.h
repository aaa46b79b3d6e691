#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace velmora {

// Decoded pictures shared by every credit row and element that names the same file: one file
// is decoded once for each size it is drawn at, however many rows name it, and is held by
// its contents' identity (device, inode, size and change time), so a file saved again is
// read again. What is not in use is dropped, least recently used first, past one budget.
class TPictureCache
{
public:
    // Bytes the decoded pictures not in use elsewhere may hold together.
    static constexpr qint64 BudgetBytes = qint64(256) << 20;

    // fileName decoded to fit drawn (at its own size where drawn is empty or not smaller);
    // null when it cannot be read.
    static QImage Picture(const QString &fileName, QSize drawn = QSize());

    // Bytes held by the pictures kept.
    static qint64 BytesHeld();
};

} // namespace velmora
