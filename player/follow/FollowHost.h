// What the follower needs of the player: its task queue, where every bus event is applied on
// the player's own thread, and its controller, where the followed playlist opens and closes.
// The player implements it; the follower knows nothing else of the player.
#ifndef BRINDLE_PLAYER_FOLLOW_HOST_H
#define BRINDLE_PLAYER_FOLLOW_HOST_H

class PlayerController;
class TaskQueue;

class FollowHost {
public:
    // Any thread: posts work to the player's thread.
    virtual TaskQueue &Tasks() = 0;
    // The player's thread only.
    virtual PlayerController *Controller() = 0;

protected:
    ~FollowHost() = default;
};

#endif  // BRINDLE_PLAYER_FOLLOW_HOST_H
