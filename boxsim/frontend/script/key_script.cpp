#include "boxsim/frontend/script/key_script.h"

#include "boxsim/frontend/screen/screen_size.h"
#include "boxsim/frontend/screen/text_fit.h"
#include "boxsim/notices/notice_text.h"
#include "boxsim/toolkit/key_table.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // The line of the word next() gave last.
    int line() const { return line_; }

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

bool make_wait(const std::string* argument, ScriptAction& action, std::string& error) {
    int ms = 0;
    if (argument && milliseconds(*argument, ms)) {
        action = WaitStep{ms};
        return true;
    }
    error = "\"wait\" takes milliseconds from 0 to " + std::to_string(INT_MAX) +
            (argument ? ", not " + quotedName(*argument) : std::string(", and none followed"));
    return false;
}

bool make_shot(const std::string* argument, ScriptAction& action, std::string& error) {
    if (!argument) {
        error = "\"shot\" needs a file name";
        return false;
    }
    action = ShotStep{*argument};
    return true;
}

template <class Step> bool make(const std::string*, ScriptAction& action, std::string&) {
    action = Step{};
    return true;
}

// The first line longer than max_line_bytes, or 0.
int overlong_line(const std::string& text) {
    int line = 1;
    for (std::size_t start = 0; start <= text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end - start > max_line_bytes)
            return line;
        start = end + 1;
    }
    return 0;
}

// Closes the script whichever way reading it ends.
class OpenFile {
public:
    explicit OpenFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Appends what fd holds to text, up to one byte past max_script_bytes;
// false with the reason in error.
bool read_bounded(int fd, std::string& text, std::string& error) {
    char buffer[1 << 16];
    while (text.size() <= max_script_bytes) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::strerror(errno);
            return false;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    error =
        "larger than " + std::to_string(max_script_bytes >> 20) + " MiB, the most a script may be";
    return false;
}

} // namespace

const std::vector<ScriptWord>& scriptWords() {
    static const std::vector<ScriptWord> words = {
        {"wait", "MS", "wait MS milliseconds (0 to " + std::to_string(INT_MAX) + ")", make_wait},
        {"idle", nullptr,
         "wait until no playback thread is alive (at most " + std::to_string(idle_limit.count()) +
             " minutes: a sink that has stopped taking "
             "sound keeps one alive; said, and the script goes on)",
         make<IdleStep>},
        {"dump", nullptr, "print the screen: every widget, or the host's own screen",
         make<DumpStep>},
        {"shot", "FILE",
         "write the screen as a " + std::to_string(screenWidth) + " x " +
             std::to_string(screenHeight) +
             " PNG (a file that cannot be written is said in one line, and the script goes on)",
         make_shot},
        {"hostclose", nullptr,
         "the host closes the plug-in's window with result 0, as on standby; playback goes on "
         "(an error while no window is open)",
         make<HostCloseStep>},
        {"launch", nullptr,
         "start the plug-in again once it has returned (an error while its window is open)",
         make<LaunchStep>},
    };
    return words;
}

bool parseKeyScript(const std::string& text, std::vector<ScriptStep>& steps, std::string& error) {
    if (const int line = overlong_line(text)) {
        error = "line " + std::to_string(line) + " is longer than " +
                std::to_string(max_line_bytes) + " bytes, the most a line may be";
        return false;
    }
    Words words(text);
    std::string word;
    while (words.next(word)) {
        const int line = words.line();
        const std::string where = "line " + std::to_string(line) + ": ";
        steps.push_back({ScriptAction{}, line});
        const KeyBinding* key = bindingForWord(word);
        if (key && key->action == KeyAction::remote) {
            steps.back().action = key->remote;
            continue;
        }
        const ScriptWord* row = nullptr;
        for (const ScriptWord& w : scriptWords()) {
            if (word == w.word)
                row = &w;
        }
        if (!row) {
            error = where + "unknown key word " + quotedName(word);
            steps.pop_back();
            return false;
        }
        std::string argument;
        const bool followed = row->argument && words.next(argument);
        if (!row->make(followed ? &argument : nullptr, steps.back().action, error)) {
            error = where + error;
            steps.pop_back();
            return false;
        }
    }
    return true;
}

std::string aboutScript(const std::string& path, const std::string& what) {
    return "key script " + quotedName(path) + ": " + what;
}

bool readKeyScript(const std::string& path, std::vector<ScriptStep>& steps, std::string& error) {
    std::string why, text;
    const OpenFile file(path);
    struct stat st {};
    if (path.empty())
        why = "an empty name names no file";
    else if (file.fd() < 0)
        why = std::strerror(errno);
    else if (fstat(file.fd(), &st) == 0 && S_ISDIR(st.st_mode))
        why = "it is a folder";
    if (why.empty() && read_bounded(file.fd(), text, why) && parseKeyScript(text, steps, why))
        return true;
    error = aboutScript(path, why);
    return false;
}

std::string keyScriptHelp() {
    std::string keys;
    for (const KeyBinding& b : keyTable()) {
        if (b.word && b.action == KeyAction::remote)
            keys += (keys.empty() ? "" : " ") + std::string(b.word);
    }
    std::string out = helpRow(keys, "the remote control's keys, pressed in the plug-in's window");
    for (const ScriptWord& w : scriptWords())
        out += helpRow(std::string(w.word) + (w.argument ? std::string(" ") + w.argument : ""),
                       w.help);
    return out;
}

} // namespace boxsim
