#include "boxsim/loader/plugin_library.h"

#include "boxsim/notices/notice_text.h"

#include <dlfcn.h>

namespace boxsim {

PluginLibrary::PluginLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        // dlerror() names the file first, whole: it is quoted here instead.
        std::string why = dlerror();
        if (why.rfind(path + ": ", 0) == 0)
            why.erase(0, path.size() + 2);
        error_ = "cannot load plug-in " + quotedName(path) + ": " + why;
        return;
    }
    dlerror();
    void* symbol = dlsym(handle_, "plugin_exec");
    if (!symbol) {
        error_ = quotedName(path) + " has no plugin_exec entry point";
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
