#include "FrameStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include <Message.h>
#include <ReplacementFile.h>
#include <SystemIo.h>
#include <UniqueFd.h>

#include "Player.h"

namespace {

// Between the player's window and one placed beside it.
const float kGap = 16;
// How much of a window must lie on a screen for it to count as on that screen: enough
// to see it and grab it.
const float kVisible = 48;

std::string absolute_variable(const char *name) {
    const char *value = getenv(name);
    return value != nullptr && value[0] == '/' ? value : "";
}

bool sensible(const BRect &frame) {
    return std::isfinite(frame.left) && std::isfinite(frame.top) && std::isfinite(frame.right) &&
           std::isfinite(frame.bottom) && frame.IsValid();
}

// Makes `directory` and its parents (mode 0700 for the ones made here).
Status make_directories(const std::string &directory) {
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string part = directory.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return Status::FromErrno("cannot make " + part);
        if (slash == std::string::npos)
            return Status();
    }
}

float overlap(float a1, float a2, float b1, float b2) {
    return std::min(a2, b2) - std::max(a1, b1) + 1;
}

// Whether enough of `frame` lies on one of `screens` (no screens known: yes).
bool on_a_screen(const BRect &frame, const std::vector<BRect> &screens) {
    if (screens.empty())
        return true;
    for (const BRect &screen : screens) {
        const float wide = std::min(kVisible, frame.Width() + 1);
        const float high = std::min(kVisible, frame.Height() + 1);
        if (overlap(frame.left, frame.right, screen.left, screen.right) >= wide &&
            overlap(frame.top, frame.bottom, screen.top, screen.bottom) >= high)
            return true;
    }
    return false;
}

bool inside_a_screen(const BRect &frame, const std::vector<BRect> &screens) {
    for (const BRect &screen : screens) {
        if (frame.left >= screen.left && frame.top >= screen.top && frame.right <= screen.right &&
            frame.bottom <= screen.bottom)
            return true;
    }
    return screens.empty();
}

}  // namespace

std::string FrameStore::DefaultPath() {
    std::string base = absolute_variable("XDG_CONFIG_HOME");
    if (base.empty()) {
        const std::string home = absolute_variable("HOME");
        if (home.empty())
            return "";
        base = home + "/.config";
    }
    return base + "/brindle-player/frames";
}

std::map<std::string, BRect> FrameStore::_Read() const {
    std::map<std::string, BRect> frames;
    FILE *file = fopen(fPath.c_str(), "re");
    if (file == nullptr)
        return frames;
    char line[512];
    while (fgets(line, sizeof line, file) != nullptr) {
        std::istringstream words(line);
        std::string id;
        BRect frame;
        // Lines that do not read as a frame are left out (and out of the next write).
        if (words >> id >> frame.left >> frame.top >> frame.right >> frame.bottom &&
            sensible(frame))
            frames[id] = frame;
    }
    fclose(file);
    return frames;
}

bool FrameStore::Find(const std::string &id, BRect *frame) const {
    const std::map<std::string, BRect> frames = _Read();
    auto found = frames.find(id);
    if (found == frames.end())
        return false;
    *frame = found->second;
    return true;
}

Status FrameStore::Keep(const std::string &id, const BRect &frame) {
    if (!sensible(frame) || id.empty() || id.find_first_of(" \t\n") != std::string::npos)
        return Status(B_BAD_VALUE, "not a frame to keep");
    std::map<std::string, BRect> frames = _Read();
    frames[id] = frame;
    std::string text;
    for (const auto &entry : frames) {
        char numbers[160];
        snprintf(numbers, sizeof numbers, " %g %g %g %g\n", entry.second.left, entry.second.top,
                 entry.second.right, entry.second.bottom);
        text += entry.first + numbers;
    }

    const std::string directory = fPath.substr(0, fPath.rfind('/'));
    const Status made = make_directories(directory);
    if (!made.IsOK())
        return made;
    const std::string leaf = fPath.substr(fPath.rfind('/') + 1);
    const brindle::UniqueFd folder(
        open(directory.empty() ? "/" : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    brindle::ReplacementFile file;
    if (!folder.IsOpen() || file.Create(folder.Get(), (leaf + ".new-").c_str()) != 0)
        return Status::FromErrno("cannot write beside " + fPath);
    if (brindle::write_all(file.Fd(), text.data(), text.size()) != 0 || file.Finish() != 0)
        return Status::FromErrno("cannot write " + directory + "/" + file.Name());
    if (file.Commit(leaf.c_str()) != 0)
        return Status::FromErrno("cannot replace " + fPath);
    return Status();
}

bool RememberedFrames::Place(const std::string &id, const BRect &current, BMessage *config) {
    BRect frame;
    bool kept = fStore.Find(id, &frame);
    if (kept) {
        // The window keeps a size of its own (nothing grows taller): what must be seen is
        // that size at the kept corner, not the rectangle kept.
        BRect taken = frame;
        if (current.IsValid())
            taken =
                BRect(frame.left, frame.top, frame.left + std::max(frame.Width(), current.Width()),
                      frame.top + current.Height());
        kept = on_a_screen(taken, fDisplay.ScreenFrames());
    }
    if (!kept && !_BesideThePlayer(current, &frame))
        return false;
    config->AddRect("frame", frame);
    return true;
}

void RememberedFrames::Remember(const std::string &id, const BMessage &config) {
    BRect frame;
    if (config.FindRect("frame", &frame) != B_OK)
        return;
    const Status kept = fStore.Keep(id, frame);
    if (kept.IsOK())
        return;
    const Status failure = kept.Prefixed("cannot keep the place of " + id + "'s window");
    report_failure(failure);
    fDisplay.Notice(failure.Text());
}

bool RememberedFrames::_BesideThePlayer(const BRect &current, BRect *frame) {
    BRect player;
    BRect decorated;
    if (!current.IsValid() || !fDisplay.PlayerWindowFrame(&player, &decorated))
        return false;
    const std::vector<BRect> screens = fDisplay.ScreenFrames();
    const float width = current.Width();
    const float height = current.Height();
    // The new window will be decorated as the player's is: its decoration goes beside the
    // player's, its own area level with the player's.
    const float decorationLeft = player.left - decorated.left;
    const float decorationRight = decorated.right - player.right;
    const float lefts[] = {decorated.right + 1 + kGap + decorationLeft,
                           decorated.left - kGap - 1 - decorationRight - width};
    for (const float left : lefts) {
        const BRect beside(left, player.top, left + width, player.top + height);
        if (inside_a_screen(beside, screens)) {
            *frame = beside;
            return true;
        }
    }
    return false;
}
