#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace velmora {

// A small blocking queue between two threads; closing it wakes and releases both sides.
template <typename T>
class TBoundedQueue
{
public:
    explicit TBoundedQueue(size_t capacity) : m_capacity(capacity ? capacity : 1) {}

    // Waits for room; false when the queue was closed.
    bool Push(T item)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || m_items.size() < m_capacity; });
        if (m_closed)
            return false;
        m_items.push_back(std::move(item));
        m_changed.notify_all();
        return true;
    }

    // Waits for an item; nothing once the queue is closed and empty.
    std::optional<T> Pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || !m_items.empty(); });
        if (m_items.empty())
            return std::nullopt;
        T item = std::move(m_items.front());
        m_items.pop_front();
        m_changed.notify_all();
        return item;
    }

    // No more pushes; items already queued can still be popped.
    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

private:
    size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_items;
    bool m_closed = false;
};

} // namespace velmora
