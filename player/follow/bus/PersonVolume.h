// The followed player's volume, as two parts: the person's own volume (what they set in
// the player) and Brindle's adjustment on top of it (the playlist's volume - 1.0). The
// player is sent the sum, clamped to 0 and to the most it holds; what it reports is the
// player's answer when it is what was sent, else the person's change. The person's part
// is never worked out by adding up differences: it is always a volume the player said it
// held, less what Brindle had added to it then, so once the adjustment is taken away the
// player is back at the person's volume.
//
// Players differ: most cap Volume at 1.0 (Audacious only after it has said it took the
// set: a fall from above 1.0 to 1.0 is that cap), some ignore a set above it and say nothing,
// some move their own volume at a change of track, one signals a volume that a Get
// contradicts. So a report is believed only once a Get confirms it (the Get wins), a Get
// follows every set above 1.0 to learn the player's maximum, and a move that comes with
// a change of track is overridden with the person's volume plus the new adjustment.
//
// No bus types: the watcher carries out the sets and Gets asked for through the two
// functions, and hands back the answers. REQUIRES: the watcher's thread only.
#ifndef BRINDLE_FOLLOW_PERSON_VOLUME_H
#define BRINDLE_FOLLOW_PERSON_VOLUME_H

#include <cstdint>
#include <deque>
#include <functional>

namespace follow {

class PersonVolume {
public:
    // `send` sets the player's Volume; `ask` reads it (a Get, answered by Answered()).
    PersonVolume(std::function<void(double)> send, std::function<void()> ask);

    // A player is followed from now on: what it holds now (`known`: it said) is the
    // person's volume; the adjustment stays Brindle's and is applied to it.
    void Start(bool known, double volume);
    // No player is followed any more; `giveBack`: send it the person's volume first.
    void Stop(bool giveBack);

    // Brindle's adjustment (the playlist's volume - 1.0).
    void SetAdjustment(double adjustment);
    // The player's track changed: a move of its volume from now until Brindle has set the
    // new file's volume is the player's own, and is overridden.
    void TrackChanged();
    // A Volume the player signalled (never NaN, infinite or below 0).
    void Reported(double volume);
    // The answer to the Get asked last; `ok` false when it failed.
    void Answered(bool ok, double volume);

    double Adjustment() const { return fAdjustment; }

private:
    struct Asked {
        double held;      // what the player was believed to hold when asked
        double person;    // the person's volume then
        double readBack;  // a set above 1.0 just before it, or < 0
        bool overrides;   // a move it shows is the player's own (a change of track)
        uint64_t sends;   // sets made before it
    };

    double _Target() const;
    void _Send();
    void _Ask(bool overrides);
    void _AskAgainIfDue();

    std::function<void(double)> fSend;
    std::function<void()> fAsk;
    bool fFollowing = false;
    double fPerson = 1.0;
    double fAdjustment = 0;
    double fMax;                // the most the player holds; learned
    double fHeld = 1.0;         // what the player holds, as far as is known
    std::deque<double> fSent;   // sets whose echo has not come, oldest first
    uint64_t fSends = 0;        // sets made
    double fLastSent = -1;      // the last set, while its read-back is due
    bool fTrackWindow = false;  // a change of track not yet settled
    bool fWindowSent = false;   // ... and Brindle has set the volume since it came
    int fOverrides = 0;         // overrides in this window: a player that fights is let be
    bool fAsking = false;       // a Get is on its way
    bool fAskAgain = false;     // ... and another is due after it
    bool fAgainOverrides = false;
    bool fHaveReport = false;  // the last Volume the player signalled, for when a Get fails
    double fLastReport = 0;
    Asked fAsked{};
};

}  // namespace follow

#endif  // BRINDLE_FOLLOW_PERSON_VOLUME_H
