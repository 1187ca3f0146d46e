#include "AddonHarness.h"

#include <dirent.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include "Polling.h"

namespace addon_test {

namespace {

// Stores `value` as attribute NAME the way the platform does.
void set_attr(const std::string &path, const std::string &name, const std::string &value) {
    if (setxattr(path.c_str(), ("user.haiku." + name).c_str(), value.data(), value.size(), 0) != 0)
        test_support::fail_with_errno("setxattr " + path);
}

}  // namespace

std::vector<pid_t> players_using(const std::string &runtime, const std::string &player) {
    const std::string program = player.empty() ? player_path() : player;
    char resolved[PATH_MAX];
    const std::string wanted = realpath(program.c_str(), resolved) ? resolved : program;
    std::vector<pid_t> found;
    DIR *proc = opendir("/proc");
    if (proc == nullptr)
        return found;
    while (dirent *entry = readdir(proc)) {
        pid_t pid = atoi(entry->d_name);
        if (pid <= 0)
            continue;
        std::string base = "/proc/" + std::string(entry->d_name);
        char exe[PATH_MAX];
        ssize_t length = readlink((base + "/exe").c_str(), exe, sizeof(exe) - 1);
        if (length <= 0 || std::string(exe, length) != wanted)
            continue;
        std::string environment = read_file(base + "/environ");
        if (environment.find(std::string("XDG_RUNTIME_DIR=") + runtime + '\0') != std::string::npos)
            found.push_back(pid);
    }
    closedir(proc);
    return found;
}

PlayerReaper::~PlayerReaper() {
    for (pid_t pid : players_using(runtime, player))
        kill(pid, SIGKILL);
}

RunResult run_player(const TempDir &dir, const std::string &script,
                     const std::vector<std::string> &files,
                     const std::vector<std::string> &launcher) {
    return test_support::run_player_script(dir, {"--headless", "--add-on", addon_path()}, script,
                                           files, launcher);
}

CommandedPlayer::CommandedPlayer(const std::vector<std::string> &argv, SpawnOptions options)
    : fProcess(argv, [&] {
          options.input = test_support::Input::kPipe;
          return options;
      }()) {
    // A player that ended (a bad command in a script) is seen as such, not as SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
}

bool CommandedPlayer::Sync() {
    // The add-ons' answer marks the end: commands run one at a time, in order.
    fGone = fGone || !Send("add-ons") || fProcess.WaitForLineStarting("= add-on ").empty();
    return !fGone;
}

std::vector<std::string> CommandedPlayer::Ask(const std::string &command) {
    const size_t from = fProcess.Output().size();
    if (fGone || !Send(command) || !Sync()) {
        fGone = true;
        return {};
    }
    std::vector<std::string> answers;
    for (const std::string &line : split_lines(fProcess.Output().substr(from))) {
        if (line.compare(0, 2, "= ") == 0 && line.compare(0, 9, "= add-on ") != 0)
            answers.push_back(line);
    }
    return answers;
}

std::string CommandedPlayer::AskFor(const std::string &command, const std::string &prefix) {
    const std::vector<std::string> found = lines_starting(Ask(command), prefix);
    return found.empty() ? std::string() : found.front();
}

bool CommandedPlayer::AskUntil(const std::string &command, const std::string &answer) {
    bool found = false;
    test_support::eventually([&] {
        for (const std::string &line : Ask(command))
            found = found || line == answer;
        return found || fGone;
    });
    return found;
}

RunResult CommandedPlayer::Quit() {
    fProcess.Send("quit");
    return fProcess.Finish();
}

PlayerSession::PlayerSession(const TempDir &dir, const std::vector<std::string> &files, uid_t user)
    : CommandedPlayer(
          [&] {
              std::vector<std::string> argv = {player_path(), "--headless", "--add-on",
                                               addon_path(),  "--script",   "-"};
              argv.insert(argv.end(), files.begin(), files.end());
              return argv;
          }(),
          player_options(dir, test_support::Input::kPipe, user)) {}

std::string bytes_at_tag_position(const std::string &path) {
    std::string bytes = read_file(path);
    std::string three = bytes.substr(bytes.size() - 128, 3);
    return three.substr(0, three.find('\0'));
}

std::string stored_string(const std::string &text) {
    return test_support::typed_value('CSTR', text + std::string(1, '\0'));
}

std::string stored_int32(int value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xff);
    return test_support::typed_value('LONG', bytes);
}

void set_string_attr(const std::string &path, const std::string &name, const std::string &text) {
    set_attr(path, name, stored_string(text));
}

void set_int32_attr(const std::string &path, const std::string &name, int value) {
    set_attr(path, name, stored_int32(value));
}

TagLibTag taglib_id3v1(const std::string &path) {
    TagLibTag result;
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v1::Tag *tag = file.ID3v1Tag(false);
    if (!file.isValid() || tag == nullptr || !file.hasID3v1Tag())
        return result;
    result.present = true;
    result.title = tag->title().to8Bit(true);
    result.artist = tag->artist().to8Bit(true);
    result.album = tag->album().to8Bit(true);
    result.genre = tag->genreNumber();
    return result;
}

FileState file_state(const std::string &path) {
    FileState state;
    state.bytes = read_file(path);
    state.attributes = getfattr_all(path);
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        test_support::fail_with_errno("stat " + path);
    state.mtime = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    state.ctime = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
    return state;
}

void taglib_write_id3v1(const std::string &path, const std::string &title,
                        const std::string &artist, const std::string &album, unsigned genre) {
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v1::Tag *tag = file.ID3v1Tag(true);
    if (!file.isValid() || tag == nullptr)
        throw std::runtime_error("TagLib cannot open " + path);
    tag->setTitle(TagLib::String(title, TagLib::String::UTF8));
    tag->setArtist(TagLib::String(artist, TagLib::String::UTF8));
    tag->setAlbum(TagLib::String(album, TagLib::String::UTF8));
    tag->setGenreNumber(genre);
    if (!file.save(TagLib::MPEG::File::ID3v1))
        throw std::runtime_error("TagLib cannot save " + path);
}

std::vector<std::string> status_answers(const std::vector<std::string> &lines) {
    std::vector<std::string> texts;
    for (const std::string &line : lines_starting(lines, "= status "))
        texts.push_back(line.substr(9));
    return texts;
}

std::map<std::string, std::string> form_answers(const std::vector<std::string> &lines, int which) {
    static const char *const kFields[] = {"title", "album", "artist", "genre", "rating", "volume"};
    std::map<std::string, std::string> answers;
    int seen = -1;
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i].compare(0, 8, "= title ") != 0 && lines[i] != "= title")
            continue;
        if (++seen != which)
            continue;
        for (size_t field = 0; field < 6 && i + field < lines.size(); field++) {
            std::string prefix = std::string("= ") + kFields[field];
            const std::string &line = lines[i + field];
            if (line.compare(0, prefix.size(), prefix) != 0)
                break;
            answers[kFields[field]] =
                line.size() > prefix.size() ? line.substr(prefix.size() + 1) : "";
        }
        break;
    }
    return answers;
}

int count_lines(const std::vector<std::string> &lines, const std::string &line) {
    int count = 0;
    for (const std::string &each : lines)
        count += each == line;
    return count;
}

}  // namespace addon_test
