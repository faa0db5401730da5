#include "boxsim/frontend/script/key_script.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace boxsim {

bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error) {
    static const std::map<std::string, RemoteKey> keys = {
        {"up", RemoteKey::up},       {"down", RemoteKey::down},     {"left", RemoteKey::left},
        {"right", RemoteKey::right}, {"pgup", RemoteKey::pageUp},   {"pgdown", RemoteKey::pageDown},
        {"ok", RemoteKey::ok},       {"exit", RemoteKey::exit},     {"red", RemoteKey::red},
        {"green", RemoteKey::green}, {"yellow", RemoteKey::yellow}, {"blue", RemoteKey::blue},
    };
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        if (auto key = keys.find(word); key != keys.end()) {
            steps.emplace_back(key->second);
        } else if (word == "wait") {
            std::string ms;
            char* end = nullptr;
            if (!(words >> ms) || (std::strtol(ms.c_str(), &end, 10), *end != '\0') ||
                std::strtol(ms.c_str(), nullptr, 10) < 0) {
                error = "\"wait\" needs a number of milliseconds";
                return false;
            }
            steps.emplace_back(WaitStep{static_cast<int>(std::strtol(ms.c_str(), nullptr, 10))});
        } else if (word == "idle") {
            steps.emplace_back(IdleStep{});
        } else if (word == "dump") {
            steps.emplace_back(DumpStep{});
        } else if (word == "hostclose") {
            steps.emplace_back(HostCloseStep{});
        } else if (word == "launch") {
            steps.emplace_back(LaunchStep{});
        } else if (word == "shot") {
            std::string path;
            if (!(words >> path)) {
                error = "\"shot\" needs a file name";
                return false;
            }
            steps.emplace_back(ShotStep{path});
        } else {
            error = "unknown key word \"" + word + "\"";
            return false;
        }
    }
    return true;
}

} // namespace boxsim
