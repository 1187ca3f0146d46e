// BApplication: the application's looper, registered with the roster under a signature.
//
// Creating one sets the global `be_app`; its message loop runs on the thread that calls
// Run(), as on the original platform. An application that never runs its loop is still
// a working object (the add-on's launcher makes one only to have a sender).
//
// Roster registration. An application constructed with a valid signature registers with
// the roster: it listens on a socket named after its signature, and every message sent
// to it through BRoster::Launch arrives on the roster's listener thread. By default that
// message is posted to the application's queue, where it waits until something runs the
// loop. An application whose main thread is busy elsewhere (the player reads commands
// while it must still answer launch requests) installs a roster message hook instead:
// the hook is called on the listener thread with each message and may hand it to a
// looper of its own; it should pass the hook to the constructor, so that a message
// arriving the moment the application registers already finds it. If another process already runs
// an application with the same signature, this one does not take its socket: RegistrationStatus()
// is then B_ALREADY_RUNNING and the application otherwise works as usual. The destructor stops
// listening and removes the socket.
#ifndef BRINDLE_APP_APPLICATION_H
#define BRINDLE_APP_APPLICATION_H

#include <functional>
#include <memory>

#include <Looper.h>
#include <Messenger.h>
#include <Mutex.h>
#include <String.h>

namespace BPrivate {
class RosterServer;
}

class BApplication : public BLooper {
public:
    // Called on the roster's listener thread; the message belongs to the caller.
    typedef std::function<void(BMessage *message)> roster_message_hook;

    // A signature is a MIME type of the "application" supertype. A bad one leaves
    // InitCheck() B_BAD_VALUE and registers nothing. A second application in the same
    // process gets InitCheck() B_ALREADY_RUNNING and does not replace be_app.
    explicit BApplication(const char *signature);
    BApplication(const char *signature, status_t *error);
    // Registers with `hook` already installed (see above).
    BApplication(const char *signature, roster_message_hook hook, status_t *error = nullptr);
    virtual ~BApplication();

    status_t InitCheck() const { return fInitStatus; }
    // B_OK when registered; B_ALREADY_RUNNING when another process holds the signature;
    // another error when the roster could not be used (the reason is on standard error).
    status_t RegistrationStatus() const { return fRegistrationStatus; }
    const char *Signature() const { return fSignature.String(); }

    // Runs the message loop on the calling thread until the application quits; the
    // first message handled is B_READY_TO_RUN (after anything already queued).
    // Returns the calling thread's id.
    virtual thread_id Run();
    // Ends the loop. Unlike a plain looper's, an application that Run() is not deleted:
    // Run() returns and the caller deletes it. Never run: deleted at once, as a looper.
    virtual void Quit();
    virtual bool QuitRequested();
    virtual void ReadyToRun();
    virtual void ArgvReceived(int32 argc, char **argv);
    virtual void DispatchMessage(BMessage *message, BHandler *handler);

    // Platform extension: see above. An empty hook restores posting to the queue.
    void SetRosterMessageHook(roster_message_hook hook);

private:
    void _Init(const char *signature);
    status_t _DeliverRosterMessage(BMessage *message);

    status_t fInitStatus = B_NO_INIT;
    status_t fRegistrationStatus = B_NO_INIT;
    BString fSignature;
    brindle::Mutex fHookLock;
    roster_message_hook fHook GUARDED_BY(fHookLock);
    std::unique_ptr<BPrivate::RosterServer> fRosterServer;
};

extern BApplication *be_app;
extern BMessenger be_app_messenger;

#endif  // BRINDLE_APP_APPLICATION_H
