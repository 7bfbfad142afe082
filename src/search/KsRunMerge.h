#pragma once
// A stable sort for sequences that arrive mostly in order, as the rows of a
// search do (each statement orders its own): the runs already in order are
// found and neighbouring runs merged, shorter ones first, so that a few long
// runs cost little more than one pass over them.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace ks {

// Where each run of `items` that stands in order under `less` begins; the
// first run begins at 0. Empty for an empty sequence.
template <typename T, typename Less> std::vector<std::size_t> orderedRuns(const std::vector<T> &items, Less less)
{
    std::vector<std::size_t> starts;
    if (items.empty())
        return starts;
    starts.push_back(0);
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (less(items[i], items[i - 1]))
            starts.push_back(i);
    }
    return starts;
}

// Sorts items[first, last) stably: by insertion when the range is short.
template <typename T, typename Less>
void sortRange(std::vector<T> &items, std::size_t first, std::size_t last, Less less)
{
    constexpr std::size_t Short = 16;
    if (last - first > Short) {
        std::stable_sort(items.begin() + std::ptrdiff_t(first), items.begin() + std::ptrdiff_t(last), less);
        return;
    }
    for (std::size_t i = first + 1; i < last; ++i) {
        if (!less(items[i], items[i - 1]))
            continue;
        T moving = std::move(items[i]);
        std::size_t j = i;
        for (; j > first && less(moving, items[j - 1]); --j)
            items[j] = std::move(items[j - 1]);
        items[j] = std::move(moving);
    }
}

// Sorts `items` stably, given the starts of runs that each stand in order
// under `less` (as orderedRuns() finds them, or any finer division).
// Only neighbouring runs are merged, and equal items are taken from the left
// run first, so items that compare equal keep their order.
template <typename T, typename Less>
void mergeRuns(std::vector<T> &items, const std::vector<std::size_t> &starts, Less less)
{
    std::vector<T> buffer;
    // [first, middle) and [middle, last) become one run.
    const auto merge = [&](std::size_t first, std::size_t middle, std::size_t last) {
        if (first == middle || middle == last || !less(items[middle], items[middle - 1]))
            return; // already in order
        buffer.assign(std::make_move_iterator(items.begin() + std::ptrdiff_t(first)),
            std::make_move_iterator(items.begin() + std::ptrdiff_t(middle)));
        std::size_t left = 0;
        std::size_t right = middle;
        std::size_t out = first;
        while (left < buffer.size() && right < last)
            items[out++] = less(items[right], buffer[left]) ? std::move(items[right++]) : std::move(buffer[left++]);
        // What is left of the right run is in its place already.
        while (left < buffer.size())
            items[out++] = std::move(buffer[left++]);
    };

    // Runs waiting to be merged, as (start, length). The rules that decide
    // when the last ones merge keep every merge between runs of similar
    // length, which bounds the work by n log n and makes it far less when a
    // few runs hold most items.
    std::vector<std::pair<std::size_t, std::size_t>> stack;
    const auto length = [&](std::size_t i) { return stack[i].second; };
    const auto mergeAt = [&](std::size_t i) {
        merge(stack[i].first, stack[i + 1].first, stack[i + 1].first + stack[i + 1].second);
        stack[i].second += stack[i + 1].second;
        stack.erase(stack.begin() + std::ptrdiff_t(i) + 1);
    };
    for (std::size_t r = 0; r < starts.size(); ++r) {
        const std::size_t end = r + 1 < starts.size() ? starts[r + 1] : items.size();
        stack.emplace_back(starts[r], end - starts[r]);
        while (stack.size() > 1) {
            const std::size_t n = stack.size();
            if ((n >= 3 && length(n - 3) <= length(n - 2) + length(n - 1))
                || (n >= 4 && length(n - 4) <= length(n - 3) + length(n - 2)))
                mergeAt(length(n - 3) < length(n - 1) ? n - 3 : n - 2);
            else if (length(n - 2) <= length(n - 1))
                mergeAt(n - 2);
            else
                break;
        }
    }
    while (stack.size() > 1)
        mergeAt(stack.size() - 2);
}

} // namespace ks
