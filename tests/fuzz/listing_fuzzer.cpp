// libFuzzer target: a directory of arbitrary names and kinds, listed and
// walked through the file list. The listing must show ".." and every entry
// by a name; walking must keep the current path absolute, non-empty and free
// of "//". Files are not chosen: that would start playback.
#include "boxsim/toolkit/widget_tree.h"
#include "plugin/player_dialog.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

char scratch[] = "/tmp/tivra-fuzz-dir-XXXXXX";

int remove_entry(const char* path, const struct stat*, int, struct FTW* at) {
    if (at->level > 0)
        remove(path);
    return 0;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

// The entry with this text, or the step-th directory entry when text is "".
eListBoxEntryText* find(eTivraDialog& dialog, const std::string& text, int step = 0) {
    for (eListBoxEntryText* e : boxsim::listEntries(*dialog.fileList())) {
        if (text.empty() ? e->getText()[0] == '/' && step-- == 0 : e->getText() == text)
            return e;
    }
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string dir = mkdtemp(scratch);
    static eTivraDialog* dialog = new eTivraDialog;
    nftw(dir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);

    // Input: names separated by NUL; the first byte of each says its kind.
    std::vector<std::string> names(1);
    for (std::size_t i = 0; i < size && names.size() <= 32; ++i) {
        if (data[i] == 0)
            names.emplace_back();
        else if (data[i] != '/' && names.back().size() < 256)
            names.back() += static_cast<char>(data[i]);
    }
    for (const std::string& n : names) {
        if (n.size() < 2)
            continue;
        const std::string path = dir + "/" + n.substr(1);
        switch (static_cast<unsigned char>(n[0]) % 4) {
        case 0: mkdir(path.c_str(), 0755); break;
        case 1: // never blocks on a pipe of the same name made just before
            close(open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NONBLOCK, 0644));
            break;
        case 2: symlink(names[n.size() % names.size()].c_str(), path.c_str()); break;
        default: mkfifo(path.c_str(), 0644); break;
        }
    }

    // From "/" into the scratch directory, so that the path is the dialog's own.
    dialog->displayroot();
    std::string component;
    for (char c : dir.substr(1) + "/") {
        if (c != '/') {
            component += c;
            continue;
        }
        if (eListBoxEntryText* e = find(*dialog, "/" + component))
            dialog->selectedItem(e);
        component.clear();
    }
    for (int step = 0; step < 4; ++step) {
        check(find(*dialog, "..") != nullptr);
        for (eListBoxEntryText* e : boxsim::listEntries(*dialog->fileList()))
            check(!e->getText().empty());
        const eString& path = dialog->currentPath();
        check(!path.empty() && path[0] == '/' && path.find("//") == std::string::npos);
        eListBoxEntryText* into = find(*dialog, "", step); // the step-th directory, or up
        if (!into)
            break;
        dialog->selectedItem(into);
    }
    return 0;
}
