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

    // The size the file's header gives, read once for each version of the file.
    QSize OwnSize(const TPictureKey &file, const QString &fileName)
    {
        {
            std::lock_guard lock(m_mutex);
            if (const auto it = m_sizes.find(file); it != m_sizes.end())
                return it->second;
        }
        const QSize size = PictureFileSize(fileName);
        std::lock_guard lock(m_mutex);
        // Sizes are a few bytes each; a long session forgets them all now and then.
        if (m_sizes.size() > 4096)
            m_sizes.clear();
        m_sizes[file] = size;
        return size;
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
    std::map<TPictureKey, QSize> m_sizes;  // keyed by the file alone, at 0 x 0
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
};

} // namespace

QImage TPictureCache::Picture(const QString &fileName, QSize drawn)
{
    TPictureStore &store = TPictureStore::Instance();
    // A picture drawn every frame is found by a stat of its file, without reading its header.
    TPictureKey key;
    if (!KeyOf(fileName, QSize(), key))
        return QImage();
    const QSize own = store.OwnSize(key, fileName);
    if (!own.isValid())
        return QImage();
    // Never decoded larger than the file holds: a smaller copy saves memory, a larger one nothing.
    if (drawn.isValid() && !drawn.isEmpty() && drawn.width() < own.width() && drawn.height() < own.height()) {
        key.Width = drawn.width();
        key.Height = drawn.height();
    } else {
        drawn = QSize();
    }
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
