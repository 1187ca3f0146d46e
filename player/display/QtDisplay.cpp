#include "QtDisplay.h"

#include <algorithm>
#include <chrono>

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <WindowList.h>

#include "FocusStyle.h"
#include "FrontEndCommands.h"
#include "GuiQueue.h"
#include "ModelBridge.h"
#include "PlayerWindow.h"
#include "WindowMirror.h"

namespace {

// Gap between windows in a screenshot, and its background.
const int kScreenshotGap = 16;
const int kTitleBarHeight = 22;
// How long the player waits for the window system to show its window, and how often it
// looks, before it places another window beside it.
const std::chrono::seconds kPlacementWait(5);
const std::chrono::milliseconds kPlacementPoll(10);

}  // namespace

QtDisplay::QtDisplay(DisplayHost &host)
    : fHost(host),
      fGuiThread(std::this_thread::get_id()),
      fQueue(new GuiQueue),
      fPlayerWindow(nullptr) {
    // Before the first widget, so every one is drawn with it.
    install_focus_style();
    fPlayerWindow = new PlayerWindow(host);
    fBridge = std::make_shared<ModelBridge>(
        fQueue, [this](const std::set<const BWindow *> &dirty) { _Refresh(dirty); });
    set_display_hook(fBridge);
    std::set<const BWindow *> existing;
    for_each_window([&](BWindow *window) {
        existing.insert(window);
        return true;
    });
    _Refresh(existing);
    fPlayerWindow->show();
}

QtDisplay::~QtDisplay() {
    fBridge->Detach();
    set_display_hook(nullptr);
    // Drops any refresh still queued, and releases a caller still waiting.
    delete fQueue;
    for (WindowMirror *mirror : fMirrors)
        delete mirror;
    delete fPlayerWindow;
}

void QtDisplay::RunOnGui(const std::function<void()> &work) {
    if (std::this_thread::get_id() == fGuiThread) {
        work();
        return;
    }
    fQueue->Call(work);
}

void QtDisplay::PostToGui(std::function<void()> work) {
    fQueue->Post(std::move(work));
}

void QtDisplay::RefreshNow() {
    fBridge->RefreshNow();
}

void QtDisplay::_Refresh(const std::set<const BWindow *> &dirty) {
    // Copy the models inside the window list's lock, then build widgets outside it.
    std::map<const BWindow *, WindowSnapshot> alive;
    for_each_window([&](BWindow *window) {
        if (dirty.count(window) != 0)
            alive.emplace(window, snapshot_window(window));
        return true;
    });
    for (const BWindow *window : dirty) {
        auto mirror = std::find_if(fMirrors.begin(), fMirrors.end(),
                                   [&](WindowMirror *m) { return m->Model() == window; });
        auto shot = alive.find(window);
        if (shot == alive.end()) {
            if (mirror != fMirrors.end()) {
                delete *mirror;
                fMirrors.erase(mirror);
            }
        } else if (mirror != fMirrors.end()) {
            (*mirror)->Apply(shot->second);
        } else {
            fMirrors.push_back(new WindowMirror(shot->second));
        }
    }
}

std::vector<WindowMirror *> QtDisplay::ShownMirrors() const {
    std::vector<WindowMirror *> shown;
    for (WindowMirror *mirror : fMirrors) {
        if (mirror->isVisible())
            shown.push_back(mirror);
    }
    return shown;
}

void QtDisplay::CatchUp() {
    // The enabled interfaces are the command thread's to read.
    const std::vector<std::string> ids = fHost.EnabledInterfaces();
    const std::set<std::string> enabled(ids.begin(), ids.end());
    RunOnGui([&] {
        RefreshNow();
        fPlayerWindow->Refresh();
        fPlayerWindow->ShowEnabled(enabled);
    });
}

Status QtDisplay::Screenshot(const std::string &path) {
    Status status;
    RunOnGui([&] {
        RefreshNow();
        fPlayerWindow->Refresh();
        std::vector<QWidget *> windows;
        if (fPlayerWindow->isVisible())
            windows.push_back(fPlayerWindow);
        for (WindowMirror *mirror : ShownMirrors())
            windows.push_back(mirror);
        if (windows.empty()) {
            status = Status(B_ERROR, "no window is shown");
            return;
        }
        // Each window with a title bar of its own, as a window manager would draw it
        // (the offscreen platform has none).
        std::vector<QPixmap> shots;
        std::vector<QString> titles;
        int width = kScreenshotGap;
        int height = 0;
        for (QWidget *window : windows) {
            shots.push_back(window->grab());
            titles.push_back(window->windowTitle());
            width += shots.back().width() + kScreenshotGap;
            height = std::max(height, shots.back().height() + kTitleBarHeight);
        }
        QImage image(width, height + 2 * kScreenshotGap, QImage::Format_RGB32);
        image.fill(QColor(0x5a, 0x6e, 0x80));
        {
            QPainter painter(&image);
            int x = kScreenshotGap;
            for (size_t i = 0; i < shots.size(); i++) {
                const QRect bar(x, kScreenshotGap, shots[i].width(), kTitleBarHeight);
                painter.fillRect(bar, QColor(0xff, 0xcb, 0x00));
                painter.setPen(Qt::black);
                painter.drawText(bar.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                                 titles[i]);
                painter.drawPixmap(x, kScreenshotGap + kTitleBarHeight, shots[i]);
                x += shots[i].width() + kScreenshotGap;
            }
        }
        if (!image.save(QString::fromStdString(path), "PNG"))
            status = Status(B_IO_ERROR, "cannot write " + path);
    });
    return status;
}

bool QtDisplay::OwnsCommand(const std::string &name) const {
    return is_front_end_command(name);
}

Status QtDisplay::RunCommand(const std::string &name, Arguments &arguments) {
    return run_front_end_command(*this, name, arguments);
}

namespace {

BRect to_rect(const QRect &rect) {
    return BRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}

}  // namespace

std::vector<BRect> QtDisplay::ScreenFrames() {
    std::vector<BRect> frames;
    RunOnGui([&] {
        if (QScreen *screen = fPlayerWindow->screen()) {
            for (QScreen *sibling : screen->virtualSiblings())
                frames.push_back(to_rect(sibling->availableGeometry()));
        }
    });
    return frames;
}

bool QtDisplay::PlayerWindowFrame(BRect *frame, BRect *decorated) {
    const auto deadline = std::chrono::steady_clock::now() + kPlacementWait;
    for (;;) {
        bool shown = false;
        bool exposed = false;
        RunOnGui([&] {
            shown = fPlayerWindow->isVisible();
            QWindow *native = fPlayerWindow->windowHandle();
            exposed = native != nullptr && native->isExposed();
            *frame = to_rect(fPlayerWindow->geometry());
            *decorated = to_rect(fPlayerWindow->frameGeometry());
        });
        if (!shown || exposed || std::chrono::steady_clock::now() > deadline)
            return shown;
        std::this_thread::sleep_for(kPlacementPoll);
    }
}

void QtDisplay::Notice(const std::string &text) {
    PostToGui([this, text] { fPlayerWindow->SetNotice(QString::fromStdString(text)); });
}

std::vector<CommandHelp> QtDisplay::CommandsHelp() const {
    return front_end_command_help();
}

void QtDisplay::SetPlayerWindowCloseAction(std::function<void()> action) {
    RunOnGui([&] { fPlayerWindow->SetCloseAction(std::move(action)); });
}
