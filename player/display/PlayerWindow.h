// The player's own window: playlist 0 (its items, the current one highlighted; a
// double-click makes an item current), Previous and Next, a volume slider 0..2 that
// follows the playlist's volume (whoever changes it), Add Files…, an Interfaces menu
// that enables or disables each loaded interface, and a status bar with what following
// a player is doing (--follow) and the player's own failures. Every control has an
// accessible name and, where its label is not enough, a description; a new status
// message is announced as the status bar's change of name.
//
// GUI thread only. It reads playlist 0 and the loaded interfaces through the host (safe
// from any thread); everything it changes goes to the player's command thread as a request,
// so the player's own objects keep a single thread and the GUI thread never waits for it.
#ifndef BRINDLE_PLAYER_DISPLAY_PLAYER_WINDOW_H
#define BRINDLE_PLAYER_DISPLAY_PLAYER_WINDOW_H

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <QWidget>

class DisplayHost;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSlider;
class QStatusBar;

class PlayerWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlayerWindow(DisplayHost &host);

    // Shows the playlist and volume as they are now.
    void Refresh();
    // Shows which interfaces are enabled (the command thread knows; it passes them).
    void ShowEnabled(const std::set<std::string> &enabled);
    // What closing the window does (the front end decides: end the player, or nothing).
    void SetCloseAction(std::function<void()> action) { fCloseAction = std::move(action); }

    // For the front end's test commands.
    double SliderVolume() const;
    QSlider *VolumeSlider() const { return fVolume; }
    QListWidget *Playlist() const { return fPlaylist; }
    QString StatusText() const;
    // A failure of the player's own, shown after the follower's words until the next one.
    void SetNotice(const QString &text);
    // The Interfaces menu's entry for interface `id`, or null.
    QAction *InterfaceAction(const std::string &id) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void _Goto(int index);
    void _Step(int delta);
    void _SetVolume(int sliderValue);
    void _AddFiles();
    void _Toggle(const std::string &id, bool enable);

    DisplayHost &fHost;
    QListWidget *fPlaylist;
    QSlider *fVolume;
    QLabel *fVolumeText;
    QMenu *fInterfaces;
    QStatusBar *fStatus;
    QString fNotice;
    std::vector<std::pair<std::string, QAction *>> fInterfaceActions;
    std::vector<std::string> fShownPaths;
    int fShownCurrent = -2;
    bool fUpdating = false;
    std::function<void()> fCloseAction;
};

#endif  // BRINDLE_PLAYER_DISPLAY_PLAYER_WINDOW_H
