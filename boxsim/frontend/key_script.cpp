#include "boxsim/frontend/key_script.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace boxsim {

bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error) {
    static const std::map<std::string, eRemoteKey> keys = {
        {"up", eRemoteKey::up},         {"down", eRemoteKey::down},
        {"left", eRemoteKey::left},     {"right", eRemoteKey::right},
        {"pgup", eRemoteKey::pageUp},   {"pgdown", eRemoteKey::pageDown},
        {"ok", eRemoteKey::ok},         {"exit", eRemoteKey::exit},
        {"red", eRemoteKey::red},       {"green", eRemoteKey::green},
        {"yellow", eRemoteKey::yellow}, {"blue", eRemoteKey::blue},
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
        } else {
            error = "unknown key word \"" + word + "\"";
            return false;
        }
    }
    return true;
}

} // namespace boxsim
