#include "ui/view_path.h"

#include <functional>

namespace ui {

ViewPath ViewPath::child(std::size_t index, std::string_view kind) const
{
    ViewPath path = *this;
    path.steps.push_back({std::uint32_t(index), kind});
    return path;
}

std::size_t KeyHash::operator()(const ViewPath& path) const
{
    std::size_t hash = path.steps.size();
    for (const auto& step : path.steps)
        hash = (hash * 31 + step.index) * 31 + std::hash<std::string_view>()(step.kind);
    return hash;
}

std::size_t KeyHash::operator()(const StateKey& key) const
{
    return (*this)(key.place) * 31 + std::hash<std::string_view>()(key.name);
}

} // namespace ui
