// The window library on its own, in one process with the player's controller and
// playlists: no add-on image, no entry points. The form loads the current file, follows
// the playlist and saves into the file it came from.
#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Button.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <TextControl.h>

#include "PlayerController.h"
#include "Playlist.h"
#include "TestFiles.h"
#include "WindowControls.h"
#include "window/PluginWindow.h"

using namespace test_support;

namespace {

std::string title_of(PluginWindow *window) {
    window->WaitForIdle();
    BTextControl *title = find_text_control(window, "Title:");
    return title != nullptr ? title->TextCopy().String() : "(no field)";
}

}  // namespace

TEST(InProcessWindow, FollowsThePlaylistAndSavesIntoTheFileShown) {
    TempDir dir("brindle-window");
    const std::string first = dir.Write("first.txt", "one");
    const std::string second = dir.Write("second.txt", "two");
    ASSERT_TRUE(
        setfattr(first, "user.haiku.Audio:Title", typed_value('CSTR', std::string("First", 6))));

    int disabled = 0;
    PlayerController controller([&](const char *) { disabled++; });
    PlaylistPtr playlist(new Playlist);
    AsPlayerPlaylist(playlist)->AddItem(first.c_str());
    AsPlayerPlaylist(playlist)->AddItem(second.c_str());
    AsPlayerPlaylist(playlist)->SetCurrent(0);
    controller.OpenPlaylist(playlist);

    // Construction attaches and loads on this thread; the window's thread starts at Show.
    PluginWindow *window = new PluginWindow(&controller);
    window->Show();
    EXPECT_EQ(title_of(window), "First");

    AsPlayerPlaylist(playlist)->Step(1);
    EXPECT_EQ(title_of(window), "");
    find_text_control(window, "Title:")->TypeText("Second");
    find_button(window, "Save")->Press();
    window->WaitForIdle();
    EXPECT_EQ(getfattr_value(second, "user.haiku.Audio:Title"),
              typed_value('CSTR', std::string("Second", 7)));
    EXPECT_EQ(getfattr_value(first, "user.haiku.Audio:Title"),
              typed_value('CSTR', std::string("First", 6)));

    // A close request asks the player to disable the interface and leaves the window open.
    window->PostMessage(B_QUIT_REQUESTED);
    window->WaitForIdle();
    EXPECT_EQ(disabled, 1);
    ASSERT_TRUE(window->Lock());
    window->Quit();
}
