#include "core/elements/PictureCache.h"

#include "core/elements/Drawing.h"

#include <QFileInfo>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <tuple>

namespace velmora {

namespace {

// A file's contents as the file system tells them apart without reading a byte.
struct TPictureKey
{
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = 0;
    qint64 Changed = 0;  // nanoseconds
    int Width = 0;       // the size decoded at; 0 x 0 for the picture's own
    int Height = 0;

    bool operator<(const TPictureKey &other) const
    {
        return std::tie(Device, Inode, Size, Changed, Width, Height)
            < std::tie(other.Device, other.Inode, other.Size, other.Changed, other.Width, other.Height);
    }
};

bool KeyOf(const QString &fileName, QSize drawn, TPictureKey &key)
{
    struct stat status {};
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    key.Device = quint64(status.st_dev);
    key.Inode = quint64(status.st_ino);
    key.Size = qint64(status.st_size);
    key.Changed = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    if (drawn.isValid() && !drawn.isEmpty()) {
        key.Width = drawn.width();
        key.Height = drawn.height();
    }
    return true;
}

class TPictureStore
{
public:
    static TPictureStore &Instance()
    {
        static TPictureStore store;
        return store;
    }

    QImage Find(const TPictureKey &key)
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.find(key);
        if (it == m_entries.end())
            return QImage();
        it->second.LastUse = ++m_clock;
        return it->second.Image;
    }

    // Keeps image under key, unless another thread decoded it first: then that one is shared.
    QImage Keep(const TPictureKey &key, const QImage &image)
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_entries.find(key); it != m_entries.end())
            return it->second.Image;
        const qint64 bytes = image.sizeInBytes();
        if (bytes > TPictureCache::BudgetBytes)
            return image;
        DropLeastRecentlyUsed(m_entries, bytes, TPictureCache::BudgetBytes, m_bytes);
        m_entries[key] = {image, ++m_clock};
        m_bytes += bytes;
        return image;
    }

    qint64 Bytes()
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }

private:
    struct TEntry
    {
        QImage Image;
        quint64 LastUse = 0;
    };

    std::mutex m_mutex;
    std::map<TPictureKey, TEntry> m_entries;
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
};

} // namespace

QImage TPictureCache::Picture(const QString &fileName, QSize drawn)
{
    const QSize own = PictureFileSize(fileName);
    if (!own.isValid())
        return QImage();
    // Never decoded larger than the file holds: a smaller copy saves memory, a larger one nothing.
    if (drawn.isValid() && !drawn.isEmpty() && (drawn.width() >= own.width() || drawn.height() >= own.height()))
        drawn = QSize();
    TPictureKey key;
    if (!KeyOf(fileName, drawn, key))
        return QImage();
    TPictureStore &store = TPictureStore::Instance();
    if (QImage found = store.Find(key); !found.isNull())
        return found;
    // Decoded without the lock: renders on other threads go on drawing meanwhile.
    const QImage decoded = LoadImageFile(fileName, drawn);
    if (decoded.isNull())
        return decoded;
    return store.Keep(key, decoded);
}

qint64 TPictureCache::BytesHeld()
{
    return TPictureStore::Instance().Bytes();
}

} // namespace velmora
