#include "boxsim/frontend/script/key_script.h"

#include "boxsim/toolkit/key_table.h"

#include <climits>

namespace boxsim {
namespace {

// The script's words in order, each with the line it stands on.
class Words {
public:
    explicit Words(const std::string& text) : text_(text) {}

    bool next(std::string& word) {
        while (at_ < text_.size() && blank(text_[at_])) {
            if (text_[at_] == '\n')
                ++line_;
            ++at_;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && !blank(text_[at_]))
            ++at_;
        word = text_.substr(start, at_ - start);
        return !word.empty();
    }
    std::string where() const { return "line " + std::to_string(line_) + ": "; }

private:
    static bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    const std::string& text_;
    std::size_t at_ = 0;
    int line_ = 1;
};

// Plain decimal digits that fit an int; no sign, no blanks.
bool milliseconds(const std::string& word, int& out) {
    if (word.empty())
        return false;
    long long value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return false;
    }
    out = static_cast<int>(value);
    return true;
}

} // namespace

bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error) {
    Words words(text);
    std::string word;
    while (words.next(word)) {
        const KeyBinding* key = bindingForWord(word);
        if (key && key->action == KeyAction::remote) {
            steps.emplace_back(key->remote);
        } else if (word == "wait") {
            std::string value;
            int ms = 0;
            if (!words.next(value) || !milliseconds(value, ms)) {
                error = words.where() + "\"wait\" takes milliseconds from 0 to " +
                        std::to_string(INT_MAX) +
                        (value.empty() ? std::string(", and none followed")
                                       : ", not \"" + value + "\"");
                return false;
            }
            steps.emplace_back(WaitStep{ms});
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
            if (!words.next(path)) {
                error = words.where() + "\"shot\" needs a file name";
                return false;
            }
            steps.emplace_back(ShotStep{path});
        } else {
            error = words.where() + "unknown key word \"" + word + "\"";
            return false;
        }
    }
    return true;
}

} // namespace boxsim
