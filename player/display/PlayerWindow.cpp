#include "PlayerWindow.h"

#include <cmath>

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "AccessibleText.h"
#include "DisplayHost.h"

namespace {

// The slider counts hundredths: 0..200 is a volume of 0..2.
const int kSliderScale = 100;
const int kRefreshMilliseconds = 200;

QString file_name(const std::string &path) {
    const size_t slash = path.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

PlayerWindow::PlayerWindow(DisplayHost &host) : QWidget(nullptr), fHost(host) {
    setWindowTitle("Brindle Player");
    auto *column = new QVBoxLayout(this);

    auto *menus = new QMenuBar(this);
    fInterfaces = menus->addMenu("Interfaces");
    for (const InterfaceName &loaded : fHost.LoadedInterfaces()) {
        const std::string id = loaded.id;
        QAction *action = fInterfaces->addAction(QString::fromStdString(loaded.name));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, id](bool on) { _Toggle(id, on); });
        fInterfaceActions.emplace_back(id, action);
    }
    if (fInterfaceActions.empty())
        fInterfaces->addAction("(none loaded)")->setEnabled(false);
    column->setMenuBar(menus);

    fPlaylist = new QListWidget(this);
    fPlaylist->setMinimumSize(260, 120);
    connect(fPlaylist, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { _Goto(fPlaylist->row(item)); });
    set_accessible_text(fPlaylist, "Playlist",
                        "The player's first playlist, its current file selected; "
                        "double-click a file to make it current");
    column->addWidget(fPlaylist, 1);

    auto *buttons = new QHBoxLayout;
    auto *previous = new QPushButton("Previous", this);
    auto *next = new QPushButton("Next", this);
    auto *add = new QPushButton("Add Files…", this);
    connect(previous, &QPushButton::clicked, this, [this] { _Step(-1); });
    connect(next, &QPushButton::clicked, this, [this] { _Step(1); });
    connect(add, &QPushButton::clicked, this, [this] { _AddFiles(); });
    set_accessible_text(previous, "Previous", "Makes the previous file of the playlist current");
    set_accessible_text(next, "Next", "Makes the next file of the playlist current");
    set_accessible_text(add, "Add Files…", "Adds files you choose to the playlist");
    buttons->addWidget(previous);
    buttons->addWidget(next);
    buttons->addStretch(1);
    buttons->addWidget(add);
    column->addLayout(buttons);

    auto *volumeRow = new QHBoxLayout;
    auto *volumeLabel = new QLabel("Volume:", this);
    volumeRow->addWidget(volumeLabel);
    fVolume = new QSlider(Qt::Horizontal, this);
    volumeLabel->setBuddy(fVolume);
    set_accessible_text(fVolume, accessible_name(volumeLabel->text().toStdString()),
                        // What a reader speaks as its value is the slider's own count.
                        "The playlist's volume in percent, from 0 to 200");
    fVolume->setRange(0, 2 * kSliderScale);
    fVolume->setValue(kSliderScale);
    connect(fVolume, &QSlider::valueChanged, this, [this](int value) {
        if (!fUpdating)
            _SetVolume(value);
    });
    volumeRow->addWidget(fVolume, 1);
    fVolumeText = new QLabel(this);
    fVolumeText->setMinimumWidth(40);
    fVolumeText->setAccessibleDescription("The playlist's volume, from 0 to 2");
    volumeRow->addWidget(fVolumeText);
    column->addLayout(volumeRow);

    fStatus = new QStatusBar(this);
    fStatus->setSizeGripEnabled(false);
    // No name of its own: its name is its message, so that a new message is announced.
    fStatus->setAccessibleDescription(
        "What following a player is doing, and the player's own failures");
    column->addWidget(fStatus);

    // The add-ons change the volume and the current item from their own threads;
    // the window looks again now and then, as well as after every command.
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &PlayerWindow::Refresh);
    timer->start(kRefreshMilliseconds);
    Refresh();
}

void PlayerWindow::Refresh() {
    const PlaylistView view = fHost.FirstPlaylist();
    const std::vector<std::string> &paths = view.paths;
    const int current = view.current;
    const double volume = view.volume;
    const bool open = view.open;

    fUpdating = true;
    if (paths != fShownPaths) {
        fPlaylist->clear();
        for (const std::string &path : paths) {
            auto *item = new QListWidgetItem(file_name(path), fPlaylist);
            item->setToolTip(QString::fromStdString(path));
        }
        fShownPaths = paths;
        fShownCurrent = -2;
    }
    if (current != fShownCurrent) {
        for (int i = 0; i < fPlaylist->count(); i++) {
            QFont font = fPlaylist->item(i)->font();
            font.setBold(i == current);
            fPlaylist->item(i)->setFont(font);
        }
        fPlaylist->setCurrentRow(current);
        fShownCurrent = current;
    }
    const int sliderValue = static_cast<int>(std::lround(volume * kSliderScale));
    if (fVolume->value() != sliderValue)
        fVolume->setValue(sliderValue);
    fVolume->setEnabled(open);
    fVolumeText->setText(QString::number(volume, 'g', 3));
    QString words = QString::fromStdString(fHost.FollowerWords());
    if (!fNotice.isEmpty())
        words += (words.isEmpty() ? "" : " \u2014 ") + fNotice;
    if (fStatus->currentMessage() != words)
        fStatus->showMessage(words);
    fUpdating = false;
}

void PlayerWindow::SetNotice(const QString &text) {
    fNotice = text;
    Refresh();
}

QString PlayerWindow::StatusText() const {
    return fStatus->currentMessage();
}

void PlayerWindow::ShowEnabled(const std::set<std::string> &enabled) {
    for (auto &entry : fInterfaceActions)
        entry.second->setChecked(enabled.count(entry.first) != 0);
}

QAction *PlayerWindow::InterfaceAction(const std::string &id) const {
    for (const auto &entry : fInterfaceActions) {
        if (entry.first == id)
            return entry.second;
    }
    return nullptr;
}

double PlayerWindow::SliderVolume() const {
    return static_cast<double>(fVolume->value()) / kSliderScale;
}

void PlayerWindow::closeEvent(QCloseEvent *event) {
    event->ignore();
    if (fCloseAction)
        fCloseAction();
}

void PlayerWindow::_Goto(int index) {
    fHost.RequestGoto(index);
}

void PlayerWindow::_Step(int delta) {
    fHost.RequestStep(delta);
}

void PlayerWindow::_SetVolume(int sliderValue) {
    const float volume = static_cast<float>(sliderValue) / kSliderScale;
    fVolumeText->setText(QString::number(volume, 'g', 3));
    fHost.RequestVolume(volume);
}

void PlayerWindow::_AddFiles() {
    const QStringList chosen = QFileDialog::getOpenFileNames(this, "Add Files");
    if (chosen.isEmpty())
        return;
    std::vector<std::string> paths;
    for (const QString &path : chosen)
        paths.push_back(path.toStdString());
    fHost.RequestAdd(paths);
}

void PlayerWindow::_Toggle(const std::string &id, bool enable) {
    if (enable)
        fHost.RequestEnable(id);
    else
        fHost.RequestDisable(id);
}
