// libFuzzer target: a directory of arbitrary names and kinds, listed and
// walked through the file list. The listing must show ".." first and every
// entry by a name that exists; walking must keep the current path absolute,
// non-empty and free of "//". Files are not chosen: that would start playback.
#include "boxsim/toolkit/widget_tree.h"
#include "plugin/player_dialog.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string& scratch_dir() {
    static const std::string path = [] {
        char name[] = "/tmp/tivra-fuzz-dir-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    return path;
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    if (path != scratch_dir())
        remove(path);
    return 0;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

std::vector<eListBoxEntryText*> entries(eTivraDialog& dialog) {
    return boxsim::listEntries(*dialog.fileList());
}

// Walks from "/" into the scratch directory, so that the path is the
// dialog's own.
void enter_scratch(eTivraDialog& dialog) {
    dialog.displayroot();
    std::string walked;
    std::string rest = scratch_dir().substr(1) + "/";
    for (std::size_t slash; (slash = rest.find('/')) != std::string::npos;) {
        const std::string component = "/" + rest.substr(0, slash);
        rest = rest.substr(slash + 1);
        for (eListBoxEntryText* e : entries(dialog)) {
            if (e->getText() == component) {
                dialog.selectedItem(e);
                break;
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static eTivraDialog* dialog = new eTivraDialog;
    nftw(scratch_dir().c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);

    // Input: names separated by NUL; the first byte of each says its kind.
    std::vector<std::string> names;
    std::string current;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            if (current.size() > 1 && names.size() < 32)
                names.push_back(current);
            current.clear();
        } else if (data[i] != '/' && current.size() < 256) {
            current += static_cast<char>(data[i]);
        }
    }
    for (const std::string& n : names) {
        const std::string name = n.substr(1);
        const std::string path = scratch_dir() + "/" + name;
        switch (static_cast<unsigned char>(n[0]) % 4) {
        case 0: mkdir(path.c_str(), 0755); break;
        case 1: // never blocks on a pipe of the same name made just before
            close(open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NONBLOCK, 0644));
            break;
        case 2: symlink(names[n.size() % names.size()].substr(1).c_str(), path.c_str()); break;
        default: mkfifo(path.c_str(), 0644); break;
        }
    }

    enter_scratch(*dialog);
    for (int step = 0; step < 4; ++step) {
        const auto list = entries(*dialog);
        check(!list.empty());
        bool up_seen = false;
        for (eListBoxEntryText* e : list) {
            const eString& text = e->getText();
            check(!text.empty());
            up_seen = up_seen || text == "..";
        }
        check(up_seen);
        const eString& path = dialog->currentPath();
        check(!path.empty() && path[0] == '/' && path.find("//") == std::string::npos);
        // Go into the step-th directory, or up.
        eListBoxEntryText* chosen = nullptr;
        int dirs = 0;
        for (eListBoxEntryText* e : list) {
            if (e->getText()[0] == '/' && dirs++ == step)
                chosen = e;
        }
        if (!chosen)
            break;
        dialog->selectedItem(chosen);
    }
    return 0;
}
