#include "PlaylistData.h"

#include <algorithm>

typedef brindle::RecursiveMutexLock Hold;

int32 PlaylistData::AddItem(const char *path) {
    Hold hold(lock);
    const int32 id = nextId++;
    items.push_back(PlaylistItem{id, path != nullptr ? path : ""});
    return id;
}

int32 PlaylistData::CountItems() const {
    Hold hold(lock);
    return static_cast<int32>(items.size());
}

int32 PlaylistData::CurrentIndex() const {
    Hold hold(lock);
    return current;
}

bool PlaylistData::SetCurrent(int32 index) {
    Hold hold(lock);
    if (index < -1 || index >= static_cast<int32>(items.size()))
        return false;
    current = index;
    return true;
}

void PlaylistData::Step(int32 delta) {
    Hold hold(lock);
    const int32 last = static_cast<int32>(items.size()) - 1;
    if (last < 0)
        return;
    const int64 from = current;
    int64 target;
    // From no current item only a step forward moves: the first step lands on 0.
    if (from < 0)
        target = delta > 0 ? std::min<int64>(delta - 1, last) : -1;
    else
        target = std::clamp<int64>(from + delta, 0, last);
    current = static_cast<int32>(target);
}

int32 PlaylistData::IDForItemAt(int32 index) const {
    Hold hold(lock);
    if (index < 0 || static_cast<size_t>(index) >= items.size())
        return -1;
    return items[index].id;
}

const char *PlaylistData::PathForItem(int32 id) const {
    Hold hold(lock);
    auto found =
        std::lower_bound(items.begin(), items.end(), id,
                         [](const PlaylistItem &item, int32 wanted) { return item.id < wanted; });
    if (found == items.end() || found->id != id)
        return nullptr;
    return found->path.c_str();
}

bool PlaylistData::ReplaceItems(const std::vector<std::string> &paths, int32 index) {
    Hold hold(lock);
    bool samePaths = items.size() == paths.size();
    for (size_t i = 0; samePaths && i < paths.size(); i++)
        samePaths = items[i].path == paths[i];
    const std::string oldPath = current >= 0 ? items[current].path : std::string();
    const bool changed = index != current || (index >= 0 && oldPath != paths[index]);
    // New items get new ids: an add-on that saw the old ones never takes a new one for them.
    if (!samePaths) {
        items.clear();
        for (const std::string &path : paths)
            items.push_back(PlaylistItem{nextId++, path});
    }
    current = index;
    return changed;
}

float PlaylistData::Volume() const {
    Hold hold(lock);
    return volume;
}

void PlaylistData::SetVolume(float value) {
    MirrorVolume(value);
    if (volumeSet)
        volumeSet(value);
}

void PlaylistData::MirrorVolume(float value) {
    Hold hold(lock);
    volume = value;
}
