#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace ui {

// What painting keeps of the last few things it made, the most recently used first: the entry
// `matches` finds, moved to the front, or else the one `make` makes, the least recently used
// going when `recent` holds `capacity`. Painting keeps one such list per thread.
template <class Entry, class Matches, class Make>
const Entry& recentlyUsed(std::vector<Entry>& recent, std::size_t capacity, Matches matches, Make make)
{
    if (const auto found = std::ranges::find_if(recent, matches); found != recent.end())
        std::rotate(recent.begin(), found, found + 1);
    else {
        if (recent.size() == capacity)
            recent.pop_back();
        recent.insert(recent.begin(), make());
    }
    return recent.front();
}

} // namespace ui
