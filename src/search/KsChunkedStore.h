#pragma once
// Items kept in fixed-size chunks: growing never moves an item, and memory
// taken once for a chunk is of the one size the allocator hands out again
// and again, so filling a list of a hundred thousand rows touches each byte
// once and a refill reuses the same memory.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace ks {

template <typename T, std::size_t ChunkSize = 1024> class ChunkedStore {
public:
    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }

    const T &operator[](std::size_t i) const noexcept { return m_chunks[i / ChunkSize][i % ChunkSize]; }
    const T &back() const noexcept { return (*this)[m_size - 1]; }

    void push_back(T item)
    {
        if (m_size == m_chunks.size() * ChunkSize) {
            m_chunks.emplace_back();
            try {
                m_chunks.back().reserve(ChunkSize);
            } catch (...) {
                m_chunks.pop_back();
                throw;
            }
        }
        m_chunks[m_size / ChunkSize].push_back(std::move(item));
        ++m_size;
    }

    // Lets go of the items from position `size` on.
    void truncate(std::size_t size) noexcept
    {
        while (m_size > size) {
            std::vector<T> &last = m_chunks[(m_size - 1) / ChunkSize];
            last.pop_back();
            --m_size;
            if (last.empty())
                m_chunks.pop_back();
        }
    }

    void clear() noexcept
    {
        m_chunks.clear();
        m_size = 0;
    }

private:
    std::vector<std::vector<T>> m_chunks; // each holds ChunkSize items but the last
    std::size_t m_size = 0;
};

} // namespace ks
