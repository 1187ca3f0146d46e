#include "PersonVolume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace follow {

namespace {

// A report this close to what was sent is the player's answer: players keep their volume
// in steps of their own (JuK makes 0.5 0.4949).
constexpr double kAnswer = 0.01;
// Volumes this close are the same one: nothing needs sending.
constexpr double kSame = 1e-6;
// Sets whose echo never comes (a player that ignored one) are forgotten after this many.
constexpr size_t kMaxSent = 16;
// A player that moves its volume back each time Brindle sets it at a change of track is
// let be after this many tries.
constexpr int kMaxOverrides = 4;

bool near(double a, double b, double within) {
    return std::fabs(a - b) <= within;
}

}  // namespace

PersonVolume::PersonVolume(std::function<void(double)> send, std::function<void()> ask)
    : fSend(std::move(send)), fAsk(std::move(ask)), fMax(std::numeric_limits<double>::infinity()) {}

void PersonVolume::Start(bool known, double volume) {
    fFollowing = true;
    fMax = std::numeric_limits<double>::infinity();
    fPerson = known ? volume : 1.0;
    fHeld = fPerson;
    fSent.clear();
    fLastSent = -1;
    fTrackWindow = false;
    fWindowSent = false;
    fAsking = fAskAgain = fAgainOverrides = false;
    fHaveReport = false;
    if (!near(_Target(), fHeld, kSame))
        _Send();
}

void PersonVolume::Stop(bool giveBack) {
    if (fFollowing && giveBack && !near(fHeld, fPerson, kSame))
        fSend(fPerson);
    fFollowing = false;
    fAsking = fAskAgain = fAgainOverrides = false;
    fSent.clear();
}

void PersonVolume::SetAdjustment(double adjustment) {
    fAdjustment = adjustment;
    if (fFollowing && !near(_Target(), fHeld, kSame))
        _Send();
}

void PersonVolume::TrackChanged() {
    if (!fFollowing)
        return;
    fTrackWindow = true;
    fWindowSent = false;
    fOverrides = 0;
    _Ask(true);
}

void PersonVolume::Reported(double volume) {
    if (!fFollowing)
        return;
    fLastReport = volume;
    fHaveReport = true;
    fMax = std::max(fMax, volume);
    for (size_t i = 0; i < fSent.size(); i++) {
        if (!near(fSent[i], volume, kAnswer))
            continue;
        // The echo of a set: the earlier ones are answered too, or never will be.
        fSent.erase(fSent.begin(), fSent.begin() + i + 1);
        if (fSent.empty() && fWindowSent)
            fTrackWindow = false;  // the new file's volume is the player's now
        return;
    }
    // The person's change, the player's own, or a false one: a Get says which.
    _Ask(fTrackWindow);
}

void PersonVolume::Answered(bool ok, double volume) {
    fAsking = false;
    const Asked asked = fAsked;
    if (!fFollowing)
        return;
    // A player that answers no Get: its reports are all there is.
    if (!ok && !fHaveReport) {
        _AskAgainIfDue();
        return;
    }
    const double held = ok ? volume : fLastReport;
    // Sets made after it was asked come after it at the player, and are what it holds now.
    const bool sentSince = fSends != asked.sends;
    fMax = std::max(fMax, held);
    if (asked.readBack > 0 && held < asked.readBack - kAnswer) {
        // It holds less than was sent above 1.0: it capped or ignored the set, and what it
        // holds is the most it takes.
        fMax = held;
        fHeld = held;
        fSent.clear();
        if (asked.overrides)
            fTrackWindow = false;
        if (!near(_Target(), fHeld, kSame))
            _Send();
    } else if (near(held, asked.held, kAnswer)) {
        if (!sentSince && asked.overrides)
            fTrackWindow = false;
    } else if (!sentSince && asked.held > 1.0 + kAnswer && near(held, 1.0, kAnswer)) {
        // It took a set above 1.0, said so, and then went back to 1.0 by itself (Audacious
        // holds the set in its MPRIS property until its own volume, which stops at 1.0,
        // comes back there): a cap learned late, not the person's move.
        fMax = held;
        fHeld = held;
        fSent.clear();
    } else if (asked.overrides && (sentSince || fOverrides < kMaxOverrides)) {
        // The player moved its volume at the change of track: the person's volume plus the
        // new file's adjustment again, unless a set since has done that already.
        if (!sentSince) {
            fOverrides++;
            fHeld = held;
            _Send();
        }
    } else {
        // The person moved it (or the player did, outside a change of track): theirs now,
        // less what Brindle had added to it when asked.
        fPerson = std::max(0.0, held - (asked.held - asked.person));
        if (sentSince) {
            _Send();  // what was sent since was worked out from the old one
        } else {
            fHeld = held;
            fSent.clear();
        }
    }
    _AskAgainIfDue();
}

double PersonVolume::_Target() const {
    return std::min(std::max(fPerson + fAdjustment, 0.0), fMax);
}

void PersonVolume::_Send() {
    const double volume = _Target();
    fSend(volume);
    fSends++;
    fHeld = volume;
    fSent.push_back(volume);
    if (fSent.size() > kMaxSent)
        fSent.pop_front();
    if (fTrackWindow)
        fWindowSent = true;
    if (volume > 1.0 + kSame)
        fLastSent = volume;
    // Read back: above 1.0 to learn what the player takes, and while a change of track is
    // not settled, to see that the player kept it.
    if (volume > 1.0 + kSame || fTrackWindow)
        _Ask(fTrackWindow);
}

void PersonVolume::_Ask(bool overrides) {
    if (fAsking) {
        fAskAgain = true;
        fAgainOverrides = fAgainOverrides || overrides;
        return;
    }
    fAsking = true;
    fAsked = Asked{fHeld, fPerson, fLastSent, overrides, fSends};
    fLastSent = -1;
    fAsk();
}

void PersonVolume::_AskAgainIfDue() {
    if (!fAskAgain || !fFollowing)
        return;
    const bool overrides = fAgainOverrides && fTrackWindow;
    fAskAgain = fAgainOverrides = false;
    _Ask(overrides);
}

}  // namespace follow
