#include "InterfaceHost.h"

#include <algorithm>
#include <cstdio>

#include <Errors.h>
#include <Message.h>
#include <Rect.h>
#include <Window.h>

#include <SoundPlayController.h>
#include "WindowAccess.h"

namespace {

// What went wrong with the interface `source`, naming it and its image.
Status interface_failure(const LoadedDescriptor &source, status_t code, const std::string &what) {
    return Status(code, source.image->path + ": interface " + source.descriptor->id + ": " + what);
}

// Names what is wrong with the interface `source` on standard error at once (before its
// teardown prints anything) and returns it as the failure, marked as said.
Status report_unusable(const LoadedDescriptor &source, const char *what) {
    return reported_failure(interface_failure(source, B_BAD_VALUE, what));
}

}  // namespace

InterfaceHost::~InterfaceHost() {
    DisableAll();
}

Status InterfaceHost::Enable(const LoadedDescriptor &source) {
    const std::string id = source.descriptor->id;
    if (Find(id) != nullptr)
        return Status();
    plugin_getter getPlugin = source.descriptor->getPluginFunction;
    if (getPlugin == nullptr)
        return report_unusable(source, "no getPluginFunction");

    auto interface = std::make_unique<EnabledInterface>();
    interface->source = &source;
    interface->id = id;
    interface->data = nullptr;
    interface->ops = nullptr;
    plugin_info info{fController, source.image->path.c_str()};
    void *ops = nullptr;
    _Call(*interface,
          [&] { ops = getPlugin(&interface->data, source.descriptor->id, "", 0, &info); });
    const auto *table = static_cast<const InterfacePluginOps *>(ops);
    const char *problem = nullptr;
    char text[160];
    if (table == nullptr) {
        problem = "getplugin returned no operations table";
    } else if (table->magic != PLUGIN_INTERFACE_MAGIC) {
        snprintf(
            text, sizeof(text), "operations table has bad magic 0x%08x (expected 0x%08x 'filt')",
            static_cast<unsigned>(table->magic), static_cast<unsigned>(PLUGIN_INTERFACE_MAGIC));
        problem = text;
    } else if (table->opsVersion != PLUGIN_INTERFACE_VERSION) {
        snprintf(text, sizeof(text), "operations table version %u not supported (expected %u)",
                 static_cast<unsigned>(table->opsVersion),
                 static_cast<unsigned>(PLUGIN_INTERFACE_VERSION));
        problem = text;
    }
    if (problem != nullptr) {
        const Status failure = report_unusable(source, problem);
        // The entry points are unusable, but what getplugin made must not leak or
        // keep listening.
        _Destroy(source, interface->data);
        return failure;
    }
    interface->ops = table;
    fEnabled.push_back(std::move(interface));
    _Place(*fEnabled.back());
    const Status shown = Show(*fEnabled.back());
    if (shown.IsOK())
        return Status();
    // Said before the teardown prints anything. An interface whose window never showed is
    // not enabled: what getplugin made goes, and no frame of it is remembered.
    const Status failure = reported_failure(shown);
    interface = std::move(fEnabled.back());
    fEnabled.pop_back();
    _Destroy(source, interface->data);
    return failure;
}

Status InterfaceHost::Disable(const std::string &id) {
    auto found = std::find_if(fEnabled.begin(), fEnabled.end(),
                              [&](const auto &interface) { return interface->id == id; });
    if (found == fEnabled.end())
        return Status(B_NAME_NOT_FOUND, "interface \"" + id + "\" is not enabled");
    // Out of the list first: whatever the add-on does while it is destroyed, it is no
    // longer an enabled interface.
    std::unique_ptr<EnabledInterface> interface = std::move(*found);
    fEnabled.erase(found);
    _Remember(*interface);
    _Destroy(*interface->source, interface->data);
    return Status();
}

void InterfaceHost::DisableAll() {
    // The id is the last enabled one's: it is there to disable.
    while (!fEnabled.empty())
        (void)Disable(fEnabled.back()->id);
}

EnabledInterface *InterfaceHost::Find(const std::string &id) {
    for (const auto &interface : fEnabled) {
        if (interface->id == id)
            return interface.get();
    }
    return nullptr;
}

EnabledInterface *InterfaceHost::Current() {
    return fEnabled.empty() ? nullptr : fEnabled.back().get();
}

Status InterfaceHost::Show(EnabledInterface &interface) {
    if (interface.ops->show == nullptr)
        return interface_failure(*interface.source, B_BAD_VALUE, "no show in its operations");
    status_t status = B_ERROR;
    _Call(interface, [&] { status = interface.ops->show(interface.data); });
    if (status == B_OK)
        return Status();
    return interface_failure(*interface.source, status,
                             std::string("show failed: ") + status_text(status));
}

void InterfaceHost::Hide(EnabledInterface &interface) {
    if (interface.ops->hide != nullptr)
        _Call(interface, [&] { interface.ops->hide(interface.data); });
}

void InterfaceHost::SetConfig(EnabledInterface &interface, BMessage *config) {
    if (interface.ops->setconfig != nullptr)
        _Call(interface, [&] { interface.ops->setconfig(interface.data, config); });
}

status_t InterfaceHost::GetConfig(EnabledInterface &interface, BMessage *config) {
    status_t status = B_ERROR;
    if (interface.ops->getconfig != nullptr)
        _Call(interface, [&] { status = interface.ops->getconfig(interface.data, config); });
    return status;
}

void InterfaceHost::_Place(EnabledInterface &interface) {
    if (fPlacement == nullptr)
        return;
    BRect current(0, 0, -1, -1);
    with_window(interface.windowTokens, [&](BWindow *window) { current = window->Frame(); });
    BMessage config;
    if (fPlacement->Place(interface.id, current, &config))
        SetConfig(interface, &config);
}

void InterfaceHost::_Remember(EnabledInterface &interface) {
    if (fPlacement == nullptr)
        return;
    BMessage config;
    if (GetConfig(interface, &config) == B_OK)
        fPlacement->Remember(interface.id, config);
}

void InterfaceHost::_Call(EnabledInterface &interface, const std::function<void()> &call) {
    std::vector<int32> before = live_window_tokens();
    call();
    for (int32 token : live_window_tokens()) {
        if (std::find(before.begin(), before.end(), token) == before.end() &&
            std::find(interface.windowTokens.begin(), interface.windowTokens.end(), token) ==
                interface.windowTokens.end())
            interface.windowTokens.push_back(token);
    }
}

void InterfaceHost::_Destroy(const LoadedDescriptor &source, void *data) {
    plugin_destroyer destroy = source.descriptor->destroyPluginFunction;
    if (destroy == nullptr) {
        report_failure(interface_failure(source, B_BAD_VALUE,
                                         "no destroyPluginFunction; its data is left as it is"));
        return;
    }
    destroy(source.image->handle, data);
}
