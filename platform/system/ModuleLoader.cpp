#include <ModuleLoader.h>

#include <dlfcn.h>

namespace brindle {

namespace {

// The loader's own words for its last failure.
void say_why(std::string *reason, const char *fallback) {
    if (reason == nullptr)
        return;
    const char *why = dlerror();
    *reason = why != nullptr ? why : fallback;
}

}  // namespace

void *open_module(const char *file, std::string *reason) {
    void *module = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        say_why(reason, "unknown error");
    return module;
}

void *module_symbol(void *module, const char *symbol, std::string *reason) {
    dlerror();  // a symbol's value may be null: only a new error says it is missing
    void *address = module != nullptr ? dlsym(module, symbol) : nullptr;
    if (address == nullptr)
        say_why(reason, (std::string("no ") + symbol).c_str());
    return address;
}

void close_module(void *module) {
    if (module != nullptr)
        dlclose(module);
}

}  // namespace brindle
