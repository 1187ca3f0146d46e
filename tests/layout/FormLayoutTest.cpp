// The add-on's form, built with the layout library the way the add-on builds it: three
// text fields, a genre pop-up with 149 items, and a row of two pop-ups, a space and a
// button, in a column with its own limits.
#include <gtest/gtest.h>

#include <string>

#include <Font.h>
#include <MenuItem.h>
#include <layout.h>

#include "InterfaceTestSupport.h"

using namespace interface_test;

namespace {

using RecordingMWindow = BasicRecordingWindow<MWindow>;

enum : uint32 { kVolumeAdjust = 'AiVa', kGenrePicked = 'AiNl' };

const char *const kLongestGenre = "Contemporary Christian";

struct Form {
    RecordingMWindow *window;
    MTextControl *title;
    MTextControl *album;
    MTextControl *artist;
    MPopup *genre;
    MPopup *rating;
    MPopup *volume;
    Space *space;
    MButton *save;
    HGroup *row;
    VGroup *column;
};

// The shape of the add-on's window, built in the add-on's order.
Form build_form() {
    Form form;
    form.window = new RecordingMWindow("Brindle", BRect(200, 200, 0, 0), 0x00080000);
    form.save = new MButton("Save", 4, minimax(-1, -1, 1000000, 1000000, 1.0));
    form.space = new Space();
    form.volume = new MPopup("Vol. Adjust:", {"-4", "-3", "-2", "-1", "0", "1", "2", "3", "4"},
                             new BMessage(kVolumeAdjust), form.window);
    form.rating = new MPopup("Rating:", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    form.row = new HGroup({form.rating, form.volume, form.space, form.save});
    form.genre = new MPopup("Genre:");
    form.artist = new MTextControl("Artist:", "");
    form.album = new MTextControl("Album:", "");
    form.title = new MTextControl("Title:", "");
    form.column = new VGroup(minimax(200, 0, 10000, 10000, 1.0),
                             {form.title, form.album, form.artist, form.genre, form.row});
    form.window->AddChild(form.column);

    for (int i = 0; i < 148; i++) {
        std::string name = i == 77 ? kLongestGenre : "Genre " + std::to_string(i);
        form.genre->Menu()->AddItem(new BMenuItem(name.c_str(), new BMessage(kGenrePicked)));
    }
    form.genre->Menu()->AddItem(new BMenuItem("unknown", new BMessage(kGenrePicked)));
    form.genre->SetActive(2, false);
    DivideSame({form.title, form.album, form.artist, form.genre, form.rating});
    form.volume->SetActive(2, false);
    return form;
}

float pixel_width(const BRect &frame) {
    return frame.Width() + 1;
}

float pixel_height(const BRect &frame) {
    return frame.Height() + 1;
}

// Every layout object's frame honours the limits it computed.
void expect_within_limits(MView *view) {
    BView *asView = view->View();
    ASSERT_NE(asView, nullptr);
    const BRect frame = asView->Frame();
    const minimax &limits = view->ct_mpm;
    EXPECT_GE(pixel_width(frame), limits.mini.x) << asView->Name();
    EXPECT_LE(pixel_width(frame), limits.maxi.x) << asView->Name();
    EXPECT_GE(pixel_height(frame), limits.mini.y) << asView->Name();
    EXPECT_LE(pixel_height(frame), limits.maxi.y) << asView->Name();
    MGroup *group = dynamic_cast<MGroup *>(view);
    if (group != nullptr) {
        for (MView *child : group->LayoutChildren())
            expect_within_limits(child);
    }
}

// Children follow one another without gaps or overlaps and stay inside the group.
void expect_packed(MGroup *group) {
    const BRect bounds = group->Bounds();
    float next = 0;
    for (MView *child : group->LayoutChildren()) {
        const BRect frame = child->View()->Frame();
        const bool row = group->Orientation() == B_HORIZONTAL;
        EXPECT_EQ(row ? frame.left : frame.top, next) << child->View()->Name();
        next = (row ? frame.right : frame.bottom) + 1;
        EXPECT_GE(frame.left, 0);
        EXPECT_GE(frame.top, 0);
        EXPECT_LE(frame.right, bounds.right) << child->View()->Name();
        EXPECT_LE(frame.bottom, bounds.bottom) << child->View()->Name();
    }
}

}  // namespace

TEST(FormLayout, WindowIsSizedToItsContentsAtItsGivenCorner) {
    Form form = build_form();
    form.window->Show();

    const BRect frame = form.window->Frame();
    EXPECT_EQ(frame.LeftTop(), BPoint(200, 200));
    ASSERT_TRUE(frame.IsValid());
    EXPECT_EQ(pixel_width(frame), form.column->ct_mpm.mini.x);
    EXPECT_EQ(pixel_height(frame), form.column->ct_mpm.mini.y);
    // The column's own minimum width holds, and so does every child's.
    EXPECT_GE(form.column->ct_mpm.mini.x, 200);
    EXPECT_GE(form.column->ct_mpm.mini.x, form.row->ct_mpm.mini.x);
    EXPECT_EQ(form.column->Frame(), form.window->Bounds());
    expect_within_limits(form.column);
    expect_packed(form.column);
    expect_packed(form.row);

    // Sizes the labels and items actually need.
    EXPECT_GE(form.genre->ct_mpm.mini.x,
              form.genre->Divider() + be_plain_font->StringWidth(kLongestGenre));
    EXPECT_GE(form.save->ct_mpm.mini.x, be_plain_font->StringWidth("Save"));
    EXPECT_GE(form.title->ct_mpm.mini.y, be_plain_font->LineHeight());

    // The window cannot be made smaller than its contents.
    float minWidth, maxWidth, minHeight, maxHeight;
    form.window->GetSizeLimits(&minWidth, &maxWidth, &minHeight, &maxHeight);
    EXPECT_EQ(minWidth, frame.Width());
    EXPECT_EQ(minHeight, frame.Height());
    EXPECT_LE(maxWidth, 10000 - 1);
    quit_window(form.window);
}

TEST(FormLayout, DivideSameGivesTheFiveLabelsTheWidestLabelsDivider) {
    Form form = build_form();
    form.window->Show();
    MDividable *divided[] = {form.title, form.album, form.artist, form.genre, form.rating};
    float widest = 0;
    for (MDividable *control : divided)
        widest = std::max(widest, control->LabelWidth());

    for (MDividable *control : divided)
        EXPECT_EQ(control->Divider(), widest);
    EXPECT_GT(widest, form.title->LabelWidth());  // "Title:" is not the widest
    // Vol. Adjust was not among them and keeps its own.
    EXPECT_EQ(form.volume->Divider(), form.volume->LabelWidth());
    EXPECT_NE(form.volume->Divider(), widest);
    quit_window(form.window);
}

namespace {

// A metric under which "Title:" is the widest label although it is not the longest.
float wide_titles(const char *string, float size) {
    if (string != nullptr && std::string(string) == "Title:")
        return 300;
    return default_string_width(string, size);
}

}  // namespace

TEST(FormLayout, DividersAndSizesFollowTheInstalledFontMetric) {
    static const font_metrics kMetrics = {wide_titles, default_font_height};
    set_font_metrics(&kMetrics);
    Form form = build_form();
    form.window->Show();
    const float titleLabel = form.title->LabelWidth();
    set_font_metrics(nullptr);

    EXPECT_GT(titleLabel, 300);
    EXPECT_EQ(form.rating->Divider(), titleLabel);
    EXPECT_EQ(form.genre->Divider(), titleLabel);
    // Every field of the column starts right of the wide label, and the window is
    // wide enough for it.
    EXPECT_GT(pixel_width(form.window->Frame()), 300 + 80);
    quit_window(form.window);
}

TEST(FormLayout, ResizingWidensTheTextFieldsAndNothingGrowsInHeight) {
    Form form = build_form();
    form.window->Show();
    const BRect before = form.window->Frame();
    const BRect title = form.title->Frame();
    const BRect rating = form.rating->Frame();
    const BRect save = form.save->Frame();
    const BRect space = form.space->Frame();
    const BRect row = form.row->Frame();

    form.window->ResizeTo(before.Width() + 100, before.Height() + 40);
    ASSERT_TRUE(wait_until_idle(form.window));

    // Text fields take the full width; pop-ups and the button keep their size, the
    // space takes the row's extra width and moves the button to the right edge.
    EXPECT_EQ(form.title->Frame().Width(), title.Width() + 100);
    EXPECT_EQ(form.rating->Frame().Width(), rating.Width());
    EXPECT_EQ(form.save->Frame().Width(), save.Width());
    EXPECT_EQ(form.save->Frame().Height(), save.Height());
    EXPECT_EQ(form.space->Frame().Width(), space.Width() + 100);
    EXPECT_EQ(form.save->Frame().right, form.row->Bounds().right);
    // Nothing can grow in height, so neither can the window.
    EXPECT_EQ(form.window->Frame().Width(), before.Width() + 100);
    EXPECT_EQ(form.window->Frame().Height(), before.Height());
    EXPECT_EQ(form.title->Frame().Height(), title.Height());
    EXPECT_EQ(form.row->Frame().Height(), row.Height());
    expect_within_limits(form.column);
    expect_packed(form.column);
    expect_packed(form.row);

    // Too small a size is clamped to what the contents need.
    form.window->ResizeTo(10, 10);
    EXPECT_EQ(form.window->Frame(), before);
    ASSERT_TRUE(wait_until_idle(form.window));
    EXPECT_EQ(form.title->Frame(), title);
    quit_window(form.window);
}

TEST(FormLayout, TheFormsOnlyButtonBecomesItsDefaultWhenShown) {
    Form form = build_form();
    EXPECT_EQ(form.window->DefaultButton(), nullptr);
    form.window->Show();
    EXPECT_EQ(form.window->DefaultButton(), form.save);
    quit_window(form.window);

    // With two buttons there is no telling which one Enter means.
    RecordingMWindow *two = new RecordingMWindow("Two", BRect(0, 0, -1, -1));
    two->AddChild(new HGroup({new MButton("OK", 1), new MButton("Cancel", 2)}));
    two->Show();
    EXPECT_EQ(two->DefaultButton(), nullptr);
    quit_window(two);
}

TEST(FormLayout, GrowsWhenItsContentsNeedMore) {
    Form form = build_form();
    form.window->Show();
    const float before = pixel_width(form.window->Frame());
    form.genre->Menu()->AddItem(
        new BMenuItem("An exceptionally long genre name for a pop-up", nullptr));
    form.window->RecalcSize();
    EXPECT_GT(pixel_width(form.window->Frame()), before);
    ASSERT_TRUE(wait_until_idle(form.window));
    expect_within_limits(form.column);
    quit_window(form.window);
}

TEST(FormLayout, KeepsAGivenSizeThatIsLargeEnough) {
    RecordingMWindow *window = new RecordingMWindow("Sized", BRect(5, 6, 805, 606));
    MTextControl *text = new MTextControl("Name:");
    window->AddChild(new VGroup({text, new Space()}));
    window->Show();
    EXPECT_EQ(window->Frame(), BRect(5, 6, 805, 606));
    EXPECT_EQ(text->Frame().Width(), 800);
    quit_window(window);
}

TEST(FormLayout, ConstructionLeavesTheMarksAndTextsAsSet) {
    Form form = build_form();
    EXPECT_EQ(form.genre->Menu()->CountItems(), 149);
    ASSERT_NE(form.genre->MenuItem(), nullptr);
    EXPECT_STREQ(form.genre->MenuItem()->Label(), "Genre 2");
    EXPECT_STREQ(form.volume->MenuItem()->Label(), "-2");
    EXPECT_EQ(form.rating->MenuItem(), nullptr);
    EXPECT_STREQ(form.title->Text(), "");
    // The player finds controls by their labels.
    EXPECT_EQ(form.window->FindView("Title:"), form.title);
    EXPECT_EQ(form.window->FindView("Vol. Adjust:"), form.volume);
    EXPECT_EQ(form.window->FindView("Save"), form.save);
    form.window->Show();
    ASSERT_TRUE(wait_until_idle(form.window));
    // Marking without notification sent nothing.
    EXPECT_TRUE(form.window->Handled().empty());
    quit_window(form.window);
}
