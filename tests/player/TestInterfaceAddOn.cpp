// A small interface add-on for the player's tests. It does what an interface add-on
// does with the player (a window that listens to the controller and the first playlist,
// a form of labelled controls, closing through DisableInterface), and prints one line for
// every entry point and every message its window gets, so a test can check the order
// of events line by line.
//
// Variants (compile definitions): TEST_PLUGIN_ID (the interface's id), TEST_BAD_MAGIC
// (the descriptor's magic is wrong), TEST_BAD_OPS (the operations table's magic is
// wrong), TEST_CLOSE_AFTER_SHOW (the window asks to close as soon as it is shown),
// TEST_SHOW_FAILS_FROM=N (show fails, showing nothing, from its Nth call on), TEST_NO_SHOW=true
// (the operations table has no show).
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <Button.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <PopUpMenu.h>
#include <TextControl.h>
#include <Window.h>

#include <PluginInterface.h>
#include <PrivatePlaylist.h>
#include <SoundPlayController.h>

#ifndef TEST_NO_SHOW
#define TEST_NO_SHOW false
#endif
#ifndef TEST_PLUGIN_ID
#define TEST_PLUGIN_ID "sp-test"
#endif

namespace {

const uint32 kSave = '!but';
const uint32 kVolumeAdjust = 'AiVa';

const char *message_name(uint32 what) {
    switch (what) {
        case MSG_CONTROLS_ADDED:
            return "MSG_CONTROLS_ADDED";
        case MSG_CONTROLS_REMOVED:
            return "MSG_CONTROLS_REMOVED";
        case MSG_PLAYLIST_CURRENT:
            return "MSG_PLAYLIST_CURRENT";
        case MSG_PLAYLIST_LOST_CONTROLS:
            return "MSG_PLAYLIST_LOST_CONTROLS";
        default:
            return nullptr;
    }
}

bool on_main_thread() {
    return gettid() == getpid();
}

BMenuField *make_menu(const char *label, std::initializer_list<const char *> items, uint32 what) {
    BMenu *menu = new BPopUpMenu(label);
    for (const char *item : items)
        menu->AddItem(new BMenuItem(item, what != 0 ? new BMessage(what) : nullptr));
    return new BMenuField(label, label, menu);
}

class TestWindow : public BWindow {
public:
    explicit TestWindow(SoundPlayController *controller)
        : BWindow(BRect(100, 100, 399, 299), "Test", B_TITLED_WINDOW, 0), fController(controller) {
        fTitle = new BTextControl("title", "Title:", "", nullptr);
        fAlbum = new BTextControl("album", "Album:", "", nullptr);
        fArtist = new BTextControl("artist", "Artist:", "", nullptr);
        fGenre = make_menu("Genre:", {"Blues", "Classic Rock", "Acid Punk"}, 0);
        fRating = make_menu("Rating:", {"1", "2", "3"}, 0);
        fVolume = make_menu("Vol. Adjust:", {"-1", "0", "1"}, kVolumeAdjust);
        AddChild(fTitle);
        AddChild(fAlbum);
        AddChild(fArtist);
        AddChild(fGenre);
        AddChild(fRating);
        AddChild(fVolume);
        AddChild(new BButton("save", "Save", new BMessage(kSave)));
        fGenre->Menu()->ItemAt(2)->SetMarked(true);
        printf("TestWindow - constructor\n");
        fController->AddListener(this);
        _Attach();
    }

    ~TestWindow() override {
        printf("TestWindow - destructor\n");
        fPlaylist = PlaylistPtr();
    }

    void MessageReceived(BMessage *message) override {
        if (const char *name = message_name(message->what))
            printf("TestWindow - %s\n", name);
        switch (message->what) {
            case MSG_CONTROLS_ADDED:
                _Attach();
                break;
            case MSG_PLAYLIST_CURRENT:
                _PrintCurrent();
                break;
            case MSG_PLAYLIST_LOST_CONTROLS:
                fPlaylist = PlaylistPtr();
                break;
            case kSave:
                printf("TestWindow - save title \"%s\" album \"%s\" artist \"%s\" genre \"%s\"\n",
                       fTitle->Text(), fAlbum->Text(), fArtist->Text(), _Marked(fGenre));
                break;
            case kVolumeAdjust: {
                const char *label = _Marked(fVolume);
                printf("TestWindow - volume adjust %s\n", label);
                if (fPlaylist) {
                    float volume = 1.0f + 0.25f * static_cast<float>(atoi(label));
                    fPlaylist->Lock();
                    fPlaylist->SetVolume(volume);
                    fPlaylist->Unlock();
                }
                break;
            }
            default:
                if (message_name(message->what) == nullptr)
                    printf("TestWindow - message 0x%08x\n", static_cast<unsigned>(message->what));
                break;
        }
    }

    bool QuitRequested() override {
        printf("TestWindow - QuitRequested main=%d\n", on_main_thread() ? 1 : 0);
        fController->RemoveListener(this);
        if (fPlaylist)
            fPlaylist->RemoveListener(this);
        // Twice, as an impatient user's second click would: the player must end the
        // interface once.
        fController->DisableInterface(TEST_PLUGIN_ID);
        fController->DisableInterface(TEST_PLUGIN_ID);
        printf("TestWindow - QuitRequested done\n");
        return false;
    }

private:
    const char *_Marked(BMenuField *field) {
        BMenuItem *item = field->Menu()->FindMarked();
        return item != nullptr ? item->Label() : "";
    }

    void _Attach() {
        fController->Lock();
        if (fController->CountPlaylists() > 0 && !fPlaylist) {
            fPlaylist = fController->PlaylistAt(0);
            fPlaylist->Lock();
            fPlaylist->AddListener(this);
            fPlaylist->Unlock();
            printf("TestWindow - attached\n");
            _PrintCurrent();
        }
        fController->Unlock();
    }

    void _PrintCurrent() {
        if (!fPlaylist)
            return;
        fPlaylist->Lock();
        const int32 index = fPlaylist->CurrentIndex();
        const char *path =
            index >= 0 ? fPlaylist->PathForItem(fPlaylist->IDForItemAt(index)) : nullptr;
        printf("TestWindow - current %d of %d \"%s\"\n", static_cast<int>(index),
               static_cast<int>(fPlaylist->CountItems()), path != nullptr ? path : "");
        fPlaylist->Unlock();
    }

    SoundPlayController *fController;
    PlaylistPtr fPlaylist;
    BTextControl *fTitle;
    BTextControl *fAlbum;
    BTextControl *fArtist;
    BMenuField *fGenre;
    BMenuField *fRating;
    BMenuField *fVolume;
};

status_t show(void *data) {
    printf("Test - show\n");
#ifdef TEST_SHOW_FAILS_FROM
    static int calls = 0;
    if (++calls >= TEST_SHOW_FAILS_FROM)
        return B_NOT_ALLOWED;
#endif
    auto *window = static_cast<TestWindow *>(data);
    window->Show();
#ifdef TEST_CLOSE_AFTER_SHOW
    window->PressCloseBox();
#endif
    return B_OK;
}

void hide(void *data) {
    printf("Test - hide\n");
    static_cast<TestWindow *>(data)->Hide();
}

void setconfig(void *data, BMessage *config) {
    printf("Test - setconfig\n");
    BRect frame(0, 0, -1, -1);
    if (config->FindRect("frame", &frame) != B_OK)
        return;
    auto *window = static_cast<TestWindow *>(data);
    window->MoveTo(frame.left, frame.top);
    window->ResizeTo(frame.right - frame.left, frame.bottom - frame.top);
}

status_t getconfig(void *data, BMessage *config) {
    printf("Test - getconfig\n");
    config->MakeEmpty();
    return config->AddRect("frame", static_cast<TestWindow *>(data)->Frame());
}

InterfacePluginOps plugin_ops = {
#ifdef TEST_BAD_OPS
    'oops',
#else
    PLUGIN_INTERFACE_MAGIC,
#endif
    PLUGIN_INTERFACE_VERSION,
    TEST_NO_SHOW ? nullptr : show,
    hide,
    setconfig,
    getconfig};

void *getplugin(void **data, const char *name, const char *, uint32, plugin_info *info) {
    printf("Test - getplugin %s main=%d\n", name, on_main_thread() ? 1 : 0);
    *data = new TestWindow(info->controller);
    return &plugin_ops;
}

void destroyplugin(void *, void *data) {
    printf("Test - destroyplugin main=%d\n", on_main_thread() ? 1 : 0);
    auto *window = static_cast<TestWindow *>(data);
    window->Lock();
    window->Quit();
}

PluginDescriptor plugin = {
#ifdef TEST_BAD_MAGIC
    'fack',
#else
    PLUGIN_DESCRIPTOR_MAGIC,
#endif
    PLUGIN_DESCRIPTOR_VERSION,
    TEST_PLUGIN_ID,
    7,
    PLUGIN_IS_INTERFACE,
    "Test Interface",
    "For the player's tests.\n",
    nullptr,
    nullptr,
    getplugin,
    destroyplugin};

// A descriptor that is not an interface: listed, but it cannot be enabled.
PluginDescriptor filter = {PLUGIN_DESCRIPTOR_MAGIC,
                           PLUGIN_DESCRIPTOR_VERSION,
                           TEST_PLUGIN_ID "-filter",
                           2,
                           0,
                           "Test Filter",
                           "",
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr};

PluginDescriptor *plugs[] = {&plugin, &filter, nullptr};

}  // namespace

extern "C" __attribute__((visibility("default"))) PluginDescriptor **get_plugin_list() {
    printf("Test - get_plugin_list\n");
    return plugs;
}
