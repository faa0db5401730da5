#include "boxsim/loader/plugin_library.h"

#include <dlfcn.h>

namespace boxsim {

PluginLibrary::PluginLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = "cannot load plug-in: " + std::string(why ? why : path);
        return;
    }
    dlerror();
    void* symbol = dlsym(handle_, "plugin_exec");
    if (!symbol) {
        error_ = path + " has no plugin_exec entry point";
        return;
    }
    entry_ = reinterpret_cast<PluginEntry>(symbol);
}

PluginLibrary::~PluginLibrary() {
    unload();
}

void PluginLibrary::unload() {
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
    entry_ = nullptr;
}

} // namespace boxsim
