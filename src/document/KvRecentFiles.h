#pragma once
// The recent-files list: newest first, each path once, at most six.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class TKvRecentFiles {
public:
    static constexpr int32_t MaxCount = 6;

    // Puts Path on top; an older entry of the same path goes.
    void Add(const std::string& Path)
    {
        if (Path.empty())
            return;
        std::erase(FItems, Path);
        FItems.insert(FItems.begin(), Path);
        if (FItems.size() > static_cast<size_t>(MaxCount))
            FItems.resize(static_cast<size_t>(MaxCount));
    }
    void Clear() { FItems.clear(); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const std::vector<std::string>& Items() const { return FItems; }

private:
    std::vector<std::string> FItems;
};

} // namespace kv
