// A plug-in shared object loaded as the box's host loads it: dlopen, then its
// one entry point. Unloaded when the object goes, or earlier on unload(); the
// host makes sure by then that no thread of the plug-in runs.
#pragma once

#include <string>

namespace boxsim {

using PluginEntry = int (*)(void*);

class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Null when loading failed or there is no plugin_exec; error() says which.
    PluginEntry entry() const { return entry_; }
    // Unloads now rather than when the object goes; entry() is null after.
    void unload();
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    PluginEntry entry_ = nullptr;
    std::string error_;
};

} // namespace boxsim
