#include <HandlerRegistry.h>

#include <atomic>
#include <unordered_map>

#include <LooperState.h>
#include <Mutex.h>

namespace BPrivate {
namespace handler_registry {

namespace {

struct Entry {
    BHandler *handler = nullptr;
    int32 looperToken = -1;
    // Set for loopers only.
    BLooper *looper = nullptr;
    std::shared_ptr<LooperState> state;
};

struct Registry {
    brindle::Mutex lock;
    std::unordered_map<int32, Entry> entries GUARDED_BY(lock);
    std::unordered_map<const BLooper *, int32> loopers GUARDED_BY(lock);
    int32 nextToken GUARDED_BY(lock) = 1;
};

// Never destroyed: handlers in static objects may outlive any other static.
Registry &registry() {
    static Registry *instance = new Registry;
    return *instance;
}

}  // namespace

int32 add_handler(BHandler *handler) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    int32 token = table.nextToken++;
    table.entries[token].handler = handler;
    return token;
}

void remove_handler(int32 token) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    table.entries.erase(token);
}

void set_handler_looper(int32 token, int32 looperToken) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto found = table.entries.find(token);
    if (found != table.entries.end())
        found->second.looperToken = looperToken;
}

BHandler *handler_in_looper(int32 token, int32 looperToken) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto found = table.entries.find(token);
    if (found == table.entries.end() || found->second.looperToken != looperToken)
        return nullptr;
    return found->second.handler;
}

int32 looper_of_handler(int32 token) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto found = table.entries.find(token);
    if (found == table.entries.end())
        return B_BAD_HANDLER;
    return found->second.looperToken;
}

void add_looper(int32 token, BLooper *looper, std::shared_ptr<LooperState> state) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    Entry &entry = table.entries[token];
    entry.looper = looper;
    entry.looperToken = token;
    entry.state = std::move(state);
    table.loopers[looper] = token;
}

void remove_looper(int32 token, BLooper *looper) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto found = table.entries.find(token);
    if (found != table.entries.end()) {
        found->second.looper = nullptr;
        found->second.state.reset();
        found->second.looperToken = -1;
    }
    auto byAddress = table.loopers.find(looper);
    if (byAddress != table.loopers.end() && byAddress->second == token)
        table.loopers.erase(byAddress);
}

LooperReference find_looper(int32 token) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto found = table.entries.find(token);
    if (found == table.entries.end() || found->second.state == nullptr)
        return {};
    return {found->second.state, found->second.looper};
}

status_t find_target(int32 handlerToken, int32 looperToken, bool preferred,
                     LooperReference *target) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto looper = table.entries.find(looperToken);
    if (looper == table.entries.end() || looper->second.state == nullptr)
        return B_BAD_PORT_ID;
    if (!preferred) {
        auto handler = table.entries.find(handlerToken);
        if (handler == table.entries.end() || handler->second.looperToken != looperToken)
            return B_BAD_HANDLER;
    }
    *target = {looper->second.state, looper->second.looper};
    return B_OK;
}

std::shared_ptr<LooperState> find_looper_state(const BLooper *looper) {
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    auto byAddress = table.loopers.find(looper);
    if (byAddress == table.loopers.end())
        return nullptr;
    return table.entries[byAddress->second].state;
}

BLooper *looper_for_thread(thread_id thread) {
    if (thread < 0)
        return nullptr;
    Registry &table = registry();
    brindle::MutexLock lock(table.lock);
    for (const auto &entry : table.loopers) {
        const std::shared_ptr<LooperState> &state = table.entries[entry.second].state;
        if (state != nullptr && state->Thread() == thread)
            return table.entries[entry.second].looper;
    }
    return nullptr;
}

}  // namespace handler_registry
}  // namespace BPrivate
