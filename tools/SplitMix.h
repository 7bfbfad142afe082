#pragma once
// The generators' source of made-up content: splitmix64, small and fast, and
// the same sequence on every platform and with every standard library, which
// the distributions of <random> do not promise.

#include <QtGlobal>

#include <iterator>

namespace ks::tools {

class SplitMix {
public:
    explicit SplitMix(quint64 seed)
        : m_state(seed)
    {
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n
    int below(int n) { return n <= 0 ? 0 : int((next() >> 11) % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename Items> const auto &pick(const Items &items)
    {
        return items[std::size_t(below(int(std::size(items))))];
    }

private:
    quint64 m_state;
};

} // namespace ks::tools
