#include "CommandInterpreter.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <Button.h>
#include <Entry.h>
#include <Errors.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <StringView.h>
#include <TextControl.h>
#include <Window.h>

#include "AnswerText.h"
#include "CommandArguments.h"
#include "FormLabels.h"
#include "Help.h"
#include "Player.h"
#include "Playlist.h"
#include "SaveOutcome.h"
#include "WindowAccess.h"
#include "WindowControls.h"

namespace {

const char *const kDefaultInterface = "sp-brindle";

// Why a playlist item cannot be made of `path`, or empty when it can: its directory
// must exist (the file itself need not, yet).
std::string item_path_problem(const std::string &path) {
    switch (BEntry(path.c_str()).InitCheck()) {
        case B_OK:
            return "";
        case B_NAME_TOO_LONG:
            return "the path is too long";
        case B_ENTRY_NOT_FOUND:
        case B_NOT_A_DIRECTORY:
            return "its directory does not exist";
        default:
            return "no file can be named by it";
    }
}

// A path short enough to quote on one line.
std::string shortened(const std::string &path) {
    const size_t kLongest = 120;
    return path.size() <= kLongest ? path : path.substr(0, kLongest / 2) + "...";
}

BString marked_label(BMenuField *field) {
    BMenuItem *marked = field->Menu()->FindMarked();
    return marked != nullptr ? marked->LabelCopy() : BString();
}

class Commands {
public:
    Commands(Player &player, const std::string &name, Arguments &arguments, bool *quit)
        : fPlayer(player), fName(name), fArguments(arguments), fQuit(quit) {}

    Status Run();

private:
    // The front end's commands have the same shape (display/FrontEndCommands.cpp).
    typedef CommandEntry<Status (Commands::*)()> Entry;
    static const Entry kCommands[];

    Status AddOns();
    Status Enable();
    Status Disable();
    Status Show();
    Status Hide();
    Status SetConfig();
    Status GetConfig();
    Status NewPlaylist();
    Status ClosePlaylist();
    Status Add();
    Status Goto();
    Status Next();
    Status Prev();
    Status Current();
    Status Volume();
    Status Form();
    Status Items();
    Status Set();
    Status Pick();
    Status Save();
    Status StatusLine();
    Status Close();
    Status Send();
    Status Screenshot();
    Status Help();
    Status Quit();

    // Records why the command failed, after its name. The helpers below that return false
    // or null have recorded one; a handler returns it.
    void _Record(const std::string &reason, status_t code = B_BAD_VALUE) {
        fFailure = Status(code, fName + ": " + reason);
    }
    // Records the failure and returns it.
    Status _Fail(const std::string &reason, status_t code = B_BAD_VALUE) {
        _Record(reason, code);
        return fFailure;
    }
    // False (with the failure recorded) when words are left over.
    bool _NoMore();
    bool _Word(const char *what, std::string *word);
    EnabledInterface *_Interface();
    PlaylistPtr _Playlist();
    // Runs `action` on the window of the interface enabled last that still has one.
    bool _OnWindow(const std::function<void(BWindow *)> &action);
    BMenuField *_Menu(BWindow *window, const char *label);
    // The item of `menu` labelled `label`: the one with exactly that label, else the
    // only one whose label differs from it in case alone; null (with the error set).
    BMenuItem *_MenuItem(BMenu *menu, const std::string &label, const char *menuLabel);
    // The text of the window's status line (the view named "status"); false without one.
    bool _StatusLine(std::string *text);

    Player &fPlayer;
    const std::string &fName;
    Arguments &fArguments;
    bool *fQuit;
    Status fFailure;
};

// Every command of the player: its name, synopsis and one line of help (what `help` prints)
// and its handler, in the order `help` lists them.
const Commands::Entry Commands::kCommands[] = {
    {{"add-ons", "add-ons", "list the loaded descriptors"}, &Commands::AddOns},
    {{"enable", "enable [ID]", "open interface ID (default sp-brindle): getplugin, then show"},
     &Commands::Enable},
    {{"disable", "disable [ID]", "end interface ID (default sp-brindle): destroyplugin"},
     &Commands::Disable},
    {{"show", "show", "call the interface's show"}, &Commands::Show},
    {{"hide", "hide", "call the interface's hide"}, &Commands::Hide},
    {{"setconfig", "setconfig [L T R B]", "hand the interface a frame (none: an empty message)"},
     &Commands::SetConfig},
    {{"getconfig", "getconfig", "ask the interface for its frame: = frame L T R B, or none"},
     &Commands::GetConfig},
    {{"new-playlist", "new-playlist", "open a new playlist"}, &Commands::NewPlaylist},
    {{"close-playlist", "close-playlist [N]", "close playlist N (default 0)"},
     &Commands::ClosePlaylist},
    {{"add", "add PATH", "append PATH to playlist 0, opening one first if none is open"},
     &Commands::Add},
    {{"goto", "goto N", "make item N of playlist 0 current (-1: none)"}, &Commands::Goto},
    {{"next", "next", "move playlist 0's current item one forward"}, &Commands::Next},
    {{"prev", "prev", "move playlist 0's current item one back"}, &Commands::Prev},
    {{"current", "current", "tell the listeners the current item again: = current N PATH"},
     &Commands::Current},
    {{"volume", "volume [V]", "set playlist 0's volume (0 or more); alone: = volume V"},
     &Commands::Volume},
    {{"form", "form", "what the Brindle window shows, one = line per field"}, &Commands::Form},
    {{"items", "items genre|rating|volume", "the items of that menu, one = item line each"},
     &Commands::Items},
    {{"set", "set title|album|artist TEXT", "type TEXT into that field"}, &Commands::Set},
    {{"pick", "pick genre|rating|volume LABEL", "choose the item labelled LABEL"}, &Commands::Pick},
    {{"save", "save", "press Save"}, &Commands::Save},
    {{"close", "close", "ask the window to close, as its close box does"}, &Commands::Close},
    {{"status", "status", "the window's status line: = status TEXT"}, &Commands::StatusLine},
    {{"send", "send CODE", "send the window a message ('abcd' or 0x...)"}, &Commands::Send},
    {{"screenshot", "screenshot PATH", "write a PNG of the shown windows (needs a display)"},
     &Commands::Screenshot},
    {{"help", "help [CMD]", "the commands, one line each, or command CMD"}, &Commands::Help},
    {{"quit", "quit", "end every interface and exit"}, &Commands::Quit},
};

Status Commands::Run() {
    if (const Entry *entry = find_command(kCommands, fName))
        return (this->*entry->handler)();
    // The front end's own commands, where there is one.
    Display *display = fPlayer.GetDisplay();
    if (display != nullptr && display->OwnsCommand(fName))
        return display->RunCommand(fName, fArguments).Prefixed(fName);
    return Status(B_NAME_NOT_FOUND, "unknown command \"" + fName + "\"");
}

bool Commands::_NoMore() {
    if (fArguments.AtEnd())
        return true;
    _Record("unexpected argument \"" + fArguments.Rest() + "\"");
    return false;
}

bool Commands::_Word(const char *what, std::string *word) {
    if (fArguments.Next(word))
        return true;
    _Record(std::string("missing ") + what);
    return false;
}

EnabledInterface *Commands::_Interface() {
    EnabledInterface *interface = fPlayer.Interfaces().Current();
    if (interface == nullptr)
        _Record("no interface is enabled");
    return interface;
}

PlaylistPtr Commands::_Playlist() {
    PlaylistPtr playlist = fPlayer.Controller()->PlaylistAt(0);
    if (!playlist)
        _Record("no playlist is open");
    return playlist;
}

bool Commands::_OnWindow(const std::function<void(BWindow *)> &action) {
    const auto &enabled = fPlayer.Interfaces().Enabled();
    for (auto interface = enabled.rbegin(); interface != enabled.rend(); ++interface) {
        if (with_window((*interface)->windowTokens, action))
            return true;
    }
    _Record("no window to act on");
    return false;
}

bool Commands::_StatusLine(std::string *text) {
    bool found = false;
    _OnWindow([&](BWindow *window) {
        if (BStringView *status = find_string_view(window, "status")) {
            *text = status->TextCopy().String();
            found = true;
        }
    });
    return found;
}

BMenuField *Commands::_Menu(BWindow *window, const char *label) {
    BMenuField *field = find_menu_field(window, label);
    if (field == nullptr)
        _Record(std::string("the window has no menu \"") + label + "\"");
    return field;
}

BMenuItem *Commands::_MenuItem(BMenu *menu, const std::string &label, const char *menuLabel) {
    if (BMenuItem *exact = menu->FindItem(label.c_str()))
        return exact;
    BMenuItem *found = nullptr;
    int32 matches = 0;
    const int32 count = menu->CountItems();
    for (int32 i = 0; i < count; i++) {
        BMenuItem *item = menu->ItemAt(i);
        if (item != nullptr && strcasecmp(item->LabelCopy().String(), label.c_str()) == 0) {
            found = item;
            matches++;
        }
    }
    if (matches == 1)
        return found;
    if (matches == 0)
        _Record("no item \"" + label + "\" in \"" + menuLabel + "\"");
    else
        _Record("\"" + label + "\" matches " + std::to_string(matches) + " items of \"" +
                menuLabel + "\" but none exactly");
    return nullptr;
}

Status Commands::AddOns() {
    if (!_NoMore())
        return fFailure;
    for (const LoadedDescriptor &loaded : fPlayer.AddOns().Descriptors()) {
        const PluginDescriptor *descriptor = loaded.descriptor;
        printf("= add-on %s \"%s\" version %u flags %u\n", descriptor->id,
               descriptor->name != nullptr ? descriptor->name : "",
               static_cast<unsigned>(descriptor->pluginVersion),
               static_cast<unsigned>(descriptor->flags));
    }
    return Status();
}

Status Commands::Enable() {
    std::string id = kDefaultInterface;
    fArguments.Next(&id);
    if (!_NoMore())
        return fFailure;
    const Status status = fPlayer.Enable(id);
    // An interface that fails (unusable entry points, a show that fails) was named with its
    // image's path, and the player goes on without it: the command itself was good.
    if (status.WasReported())
        return Status();
    return status.Prefixed(fName);
}

Status Commands::Disable() {
    std::string id = kDefaultInterface;
    fArguments.Next(&id);
    if (!_NoMore())
        return fFailure;
    return fPlayer.Interfaces().Disable(id).Prefixed(fName);
}

Status Commands::Show() {
    if (!_NoMore())
        return fFailure;
    EnabledInterface *interface = _Interface();
    if (interface == nullptr)
        return fFailure;
    // As with enable: a show that fails is the interface's failure, named with its image,
    // not the command's.
    report_failure(fPlayer.Interfaces().Show(*interface));
    return Status();
}

Status Commands::Hide() {
    if (!_NoMore())
        return fFailure;
    EnabledInterface *interface = _Interface();
    if (interface == nullptr)
        return fFailure;
    fPlayer.Interfaces().Hide(*interface);
    return Status();
}

Status Commands::SetConfig() {
    std::string words[4];
    int32 count = 0;
    std::string word;
    while (fArguments.Next(&word)) {
        if (count == 4)
            return _Fail("takes four numbers (left top right bottom) or none");
        words[count++] = word;
    }
    if (count != 0 && count != 4)
        return _Fail("takes four numbers (left top right bottom) or none");
    BMessage config;
    if (count == 4) {
        float edges[4];
        for (int32 i = 0; i < 4; i++) {
            if (!parse_float(words[i], &edges[i]))
                return _Fail("\"" + words[i] + "\" is not a number");
        }
        config.AddRect("frame", BRect(edges[0], edges[1], edges[2], edges[3]));
    }
    EnabledInterface *interface = _Interface();
    if (interface == nullptr)
        return fFailure;
    fPlayer.Interfaces().SetConfig(*interface, &config);
    return Status();
}

Status Commands::GetConfig() {
    if (!_NoMore())
        return fFailure;
    EnabledInterface *interface = _Interface();
    if (interface == nullptr)
        return fFailure;
    BMessage config;
    fPlayer.Interfaces().GetConfig(*interface, &config);
    BRect frame;
    if (config.FindRect("frame", &frame) == B_OK)
        printf("= frame %g %g %g %g\n", frame.left, frame.top, frame.right, frame.bottom);
    else
        printf("= frame none\n");
    return Status();
}

Status Commands::NewPlaylist() {
    if (!_NoMore())
        return fFailure;
    fPlayer.Controller()->OpenPlaylist();
    return Status();
}

Status Commands::ClosePlaylist() {
    int32 index = 0;
    std::string word;
    if (fArguments.Next(&word) && !parse_int32(word, &index))
        return _Fail("\"" + word + "\" is not a number");
    if (!_NoMore())
        return fFailure;
    PlaylistPtr playlist = fPlayer.Controller()->PlaylistAt(index);
    if (playlist && AsPlayerPlaylist(playlist)->FollowsAPlayer())
        return _Fail("playlist " + std::to_string(index) +
                         " follows a player (--follow): it closes when that player quits",
                     B_NOT_ALLOWED);
    return fPlayer.Controller()->ClosePlaylist(index).Prefixed(fName);
}

Status Commands::Add() {
    std::string path = fArguments.Rest();
    if (path.empty())
        return _Fail("missing path");
    if (fPlayer.Following())
        return _Fail("playlist 0 follows a player (--follow): add the file in that player");
    const std::string problem = item_path_problem(path);
    if (!problem.empty())
        return _Fail("cannot add \"" + shortened(path) + "\": " + problem);
    PlaylistPtr playlist = fPlayer.Controller()->PlaylistAt(0);
    if (playlist) {
        AsPlayerPlaylist(playlist)->AddItem(path.c_str());
        return Status();
    }
    // The item goes in before the playlist opens: listeners told about it see it.
    playlist = PlaylistPtr(new Playlist);
    AsPlayerPlaylist(playlist)->AddItem(path.c_str());
    fPlayer.Controller()->OpenPlaylist(playlist);
    return Status();
}

Status Commands::Goto() {
    std::string word;
    if (!_Word("item number", &word))
        return fFailure;
    int32 index;
    if (!parse_int32(word, &index))
        return _Fail("\"" + word + "\" is not a number");
    if (!_NoMore())
        return fFailure;
    PlaylistPtr playlist = _Playlist();
    if (!playlist)
        return fFailure;
    const status_t status = AsPlayerPlaylist(playlist)->SetCurrent(index);
    if (status == B_NOT_ALLOWED)
        return _Fail("the followed player has no track list: use next and prev");
    if (status != B_OK) {
        return _Fail("no item " + word + " in playlist 0 (" +
                     std::to_string(playlist->CountItems()) + " items)");
    }
    return Status();
}

Status Commands::Next() {
    if (!_NoMore())
        return fFailure;
    PlaylistPtr playlist = _Playlist();
    if (!playlist)
        return fFailure;
    AsPlayerPlaylist(playlist)->Step(1);
    return Status();
}

Status Commands::Prev() {
    if (!_NoMore())
        return fFailure;
    PlaylistPtr playlist = _Playlist();
    if (!playlist)
        return fFailure;
    AsPlayerPlaylist(playlist)->Step(-1);
    return Status();
}

Status Commands::Current() {
    if (!_NoMore())
        return fFailure;
    PlaylistPtr playlist = _Playlist();
    if (!playlist)
        return fFailure;
    std::string answer = "none";
    if (playlist->Lock()) {
        const int32 index = playlist->CurrentIndex();
        const char *path = playlist->PathForItem(playlist->IDForItemAt(index));
        if (index >= 0 && path != nullptr)
            answer = std::to_string(index) + " " + answer_text(path);
        playlist->Unlock();
    }
    // Answered before the message goes: the window's lines come after, in a fixed order.
    printf("= current %s\n", answer.c_str());
    AsPlayerPlaylist(playlist)->NotifyCurrent();
    return Status();
}

Status Commands::Volume() {
    std::string word;
    const bool set = fArguments.Next(&word);
    float volume = 0;
    if (set && !parse_float(word, &volume))
        return _Fail("\"" + word + "\" is not a number");
    // Above 2 is the add-on's to clamp; below 0 no volume makes sense.
    if (set && volume < 0)
        return _Fail("\"" + word + "\" is negative (a volume is 0 or more)");
    if (!_NoMore())
        return fFailure;
    PlaylistPtr playlist = _Playlist();
    if (!playlist)
        return fFailure;
    if (set)
        playlist->SetVolume(volume);
    else
        printf("= volume %g\n", playlist->Volume());
    return Status();
}

Status Commands::Form() {
    if (!_NoMore())
        return fFailure;
    std::string answer;
    bool complete = false;
    const bool found = _OnWindow([&](BWindow *window) {
        for (const FormLabel &field : kFormLabels) {
            BString shown;
            if (field.text) {
                BTextControl *control = find_text_control(window, field.label);
                if (control == nullptr) {
                    _Record(std::string("the window has no text field \"") + field.label + "\"");
                    return;
                }
                shown = control->TextCopy();
            } else {
                BMenuField *menu = _Menu(window, field.label);
                if (menu == nullptr)
                    return;
                shown = marked_label(menu);
            }
            answer += std::string("= ") + field.name + " " + answer_text(shown.String()) + "\n";
        }
        complete = true;
    });
    if (!found || !complete)
        return fFailure;
    fputs(answer.c_str(), stdout);
    return Status();
}

Status Commands::Items() {
    std::string name;
    if (!_Word("menu (genre, rating or volume)", &name))
        return fFailure;
    const char *label = menu_label(name);
    if (label == nullptr)
        return _Fail("unknown menu \"" + name + "\" (genre, rating or volume)");
    if (!_NoMore())
        return fFailure;
    std::string answer;
    bool complete = false;
    const bool found = _OnWindow([&](BWindow *window) {
        BMenuField *field = _Menu(window, label);
        if (field == nullptr)
            return;
        BMenu *menu = field->Menu();
        const int32 count = menu->CountItems();
        for (int32 i = 0; i < count; i++) {
            if (BMenuItem *item = menu->ItemAt(i))
                answer += "= item " + answer_text(item->LabelCopy().String()) + "\n";
        }
        complete = true;
    });
    if (!found || !complete)
        return fFailure;
    fputs(answer.c_str(), stdout);
    return Status();
}

Status Commands::Set() {
    std::string name;
    if (!_Word("field (title, album or artist)", &name))
        return fFailure;
    const char *label = text_field_label(name);
    if (label == nullptr)
        return _Fail("unknown field \"" + name + "\" (title, album or artist)");
    // The rest of the line, as typed; nothing at all clears the field.
    const std::string text = fArguments.Rest();
    bool done = false;
    const bool found = _OnWindow([&](BWindow *window) {
        BTextControl *control = find_text_control(window, label);
        if (control == nullptr) {
            _Record(std::string("the window has no text field \"") + label + "\"");
            return;
        }
        status_t status = control->TypeText(text.c_str());
        if (status != B_OK) {
            _Record(std::string("typing into \"") + label + "\" failed: " + status_text(status));
            return;
        }
        done = true;
    });
    return found && done ? Status() : fFailure;
}

Status Commands::Pick() {
    std::string name;
    if (!_Word("menu (genre, rating or volume)", &name))
        return fFailure;
    const char *label = menu_label(name);
    if (label == nullptr)
        return _Fail("unknown menu \"" + name + "\" (genre, rating or volume)");
    const std::string itemLabel = fArguments.Rest();
    if (itemLabel.empty())
        return _Fail("missing item label");
    bool done = false;
    const bool found = _OnWindow([&](BWindow *window) {
        BMenuField *field = _Menu(window, label);
        if (field == nullptr)
            return;
        BMenuItem *item = _MenuItem(field->Menu(), itemLabel, label);
        if (item == nullptr)
            return;
        if (item->Choose() != B_OK) {
            _Record("item \"" + itemLabel + "\" of \"" + label + "\" cannot be chosen");
            return;
        }
        done = true;
    });
    return found && done ? Status() : fFailure;
}

Status Commands::Save() {
    if (!_NoMore())
        return fFailure;
    bool done = false;
    const bool found = _OnWindow([&](BWindow *window) {
        BButton *button = find_button(window, "Save");
        if (button == nullptr) {
            _Record("the window has no button \"Save\"");
            return;
        }
        if (button->Press() != B_OK) {
            _Record("the button \"Save\" cannot be pressed");
            return;
        }
        done = true;
    });
    if (!found || !done)
        return fFailure;
    // The press is handled on the window's thread; then its status line says whether the
    // save wrote everything it meant to.
    wait_for_windows_idle();
    std::string status;
    if (_StatusLine(&status) && !status_line_says_saved(status))
        return _Fail("the form was not saved (" + status + ")");
    return Status();
}

Status Commands::StatusLine() {
    if (!_NoMore())
        return fFailure;
    std::string status;
    bool complete = false;
    const bool found = _OnWindow([&](BWindow *window) {
        BStringView *view = find_string_view(window, "status");
        if (view == nullptr) {
            _Record("the window has no status line");
            return;
        }
        status = view->TextCopy().String();
        complete = true;
    });
    if (!found || !complete)
        return fFailure;
    printf("= status %s\n", answer_text(status).c_str());
    return Status();
}

Status Commands::Close() {
    if (!_NoMore())
        return fFailure;
    bool done = false;
    const bool found = _OnWindow([&](BWindow *window) {
        if (window->PressCloseBox() != B_OK) {
            _Record("the window does not take a close request");
            return;
        }
        done = true;
    });
    return found && done ? Status() : fFailure;
}

Status Commands::Send() {
    std::string word;
    if (!_Word("message code", &word))
        return fFailure;
    uint32 code;
    if (!parse_code(word, &code))
        return _Fail("bad message code \"" + word + "\" (use 'abcd' or 0x...)");
    if (!_NoMore())
        return fFailure;
    bool done = false;
    const bool found = _OnWindow([&](BWindow *window) {
        BMessage message(code);
        if (window->PostMessage(&message) != B_OK) {
            _Record("the window does not take messages");
            return;
        }
        done = true;
    });
    return found && done ? Status() : fFailure;
}

Status Commands::Screenshot() {
    const std::string path = fArguments.Rest();
    if (path.empty())
        return _Fail("missing path");
    Display *display = fPlayer.GetDisplay();
    if (display == nullptr)
        return _Fail("no display (the player runs headless)");
    return display->Screenshot(path).Prefixed(fName);
}

Status Commands::Help() {
    std::string name;
    const bool one = fArguments.Next(&name);
    if (!_NoMore())
        return fFailure;
    std::vector<CommandHelp> commands = table_help(kCommands);
    if (Display *display = fPlayer.GetDisplay()) {
        const std::vector<CommandHelp> more = display->CommandsHelp();
        commands.insert(commands.end(), more.begin(), more.end());
    }
    if (!one) {
        for (const CommandHelp &help : commands)
            fputs(help_line(help).c_str(), stdout);
        return Status();
    }
    const CommandHelp *help = find_command_help(commands, name);
    if (help == nullptr)
        return _Fail("no command \"" + name + "\"");
    fputs(help_line(*help).c_str(), stdout);
    return Status();
}

Status Commands::Quit() {
    if (!_NoMore())
        return fFailure;
    *fQuit = true;
    return Status();
}

}  // namespace

Status CommandInterpreter::Execute(const std::string &line) {
    size_t start = 0;
    while (start < line.size() && is_command_space(line[start]))
        start++;
    if (start == line.size() || line[start] == '#')
        return Status();
    size_t end = start;
    while (end < line.size() && !is_command_space(line[end]))
        end++;
    const std::string name = line.substr(start, end - start);
    Arguments arguments(line, end);
    return Commands(fPlayer, name, arguments, &fQuitting).Run();
}
